#include "app/main_loop.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "app/document_files.h"
#include "app/file_commands.h"
#include "app/outline_tool.h"
#include "app/panels.h"
#include "app/picture_import.h"
#include "app/recovery.h"
#include "picture/replay.h"
#include "picture/tools.h"
#include "picture/view.h"
#include "screen/layout.h"

namespace kumodo {
namespace {

// Holding an undo or redo key repeats it like a typed key, not once per 1 ms pass.
constexpr std::uint64_t kRepeatDelayMs = 500;
constexpr std::uint64_t kRepeatIntervalMs = 100;

// Tool buttons 0 to 5 answer to F1 to F6; the paint tools only while fills are shown.
constexpr int kKeyedTools = 6;

// True once for a press on the panel: the step that acts on it clears the hit.
bool TakePanelHit(Editor& editor, int panelIndex) {
  if (editor.panels.hit != panelIndex) return false;
  editor.panels.hit = -1;
  return true;
}

void SetDrawingColour(Editor& editor, int colour) {
  editor.drawing.drawingColour = static_cast<std::int16_t>(colour);
  ShowColourIndicator(editor);
}

void SetBorderColour(Editor& editor, int colour) {
  editor.drawing.borderColour = static_cast<std::int16_t>(colour);
  ShowColourIndicator(editor);
}

// Keys 0-7 act in ascending order, so with several down the highest wins.
void DigitKeys(Editor& editor, int firstKey, void (*apply)(Editor&, int)) {
  for (int digit = 0; digit <= 7; ++digit) {
    if (editor.platform.IsKeyDown(firstKey + digit)) apply(editor, digit);
  }
}

// Every eighth pass the arrows move the system cursor one screen column or row
// (two rows where each picture row is shown twice), whatever the zoom.
void ArrowKeys(Editor& editor) {
  if (editor.loop.passCounter != 0) return;
  const PointerPosition pointer = editor.loop.pointer;
  const int step = VerticalStep(editor.settings);
  Platform& platform = editor.platform;
  if (platform.IsKeyDown(vk::Left) && pointer.x >= 1) platform.MoveCursorBy(-1, 0);
  if (platform.IsKeyDown(vk::Right) && pointer.x < editor.view.lastColumn) platform.MoveCursorBy(1, 0);
  if (platform.IsKeyDown(vk::Down) && pointer.y < kView.bottom) platform.MoveCursorBy(0, step);
  if (platform.IsKeyDown(vk::Up) && pointer.y >= 1) platform.MoveCursorBy(0, -step);
}

// Enter and Space are the only keys turned into one event per press.
void UpdateKeyboardClick(Editor& editor) {
  LoopState& loop = editor.loop;
  // Both are read in every pass: a change of one must not wait on the other.
  const bool enter = editor.platform.IsKeyDown(vk::Enter);
  const bool space = editor.platform.IsKeyDown(vk::Space);
  const bool down = enter || space;
  loop.keyboardClick = down ? (loop.keyboardClick == 0 ? 1 : 2) : 0;
}

void ToolSelection(Editor& editor) {
  const int shown = editor.panels.value[panel::Tools];
  const bool pressed = TakePanelHit(editor, panel::Tools);
  for (int button = 0; button < kKeyedTools; ++button) {
    // Every key is read, so that one pressed while its tool is unavailable does not act later.
    const bool keyDown = editor.platform.IsKeyDown(vk::F1 + button);
    const bool needsFills = button == 2 || button == 3;
    if (needsFills && !editor.picture.paintDisplay) continue;
    if (keyDown || (pressed && shown == button)) SelectTool(editor, button);
  }
  if (pressed && shown == kKeyedTools) SelectTool(editor, kKeyedTools);
}

// What a command key does is settled when it goes down (F12 with Shift held
// is redo, Z with Ctrl held is undo), and it repeats that while held like a
// typed key, whatever the modifiers do meanwhile.
KeyCommand CommandOfKey(Editor& editor, CommandKeyState& key, bool down, KeyCommand onPress) {
  if (!down) {
    key = CommandKeyState();
    return KeyCommand::None;
  }
  const std::uint64_t now = editor.platform.NowMs();
  if (key.repeatAtMs == 0) {
    key.command = onPress;
    key.repeatAtMs = now + kRepeatDelayMs;
    return onPress;
  }
  if (now < key.repeatAtMs || key.command == KeyCommand::Save || key.command == KeyCommand::Open ||
      key.command == KeyCommand::DrawPicture) {
    return KeyCommand::None;
  }
  key.repeatAtMs = now + kRepeatIntervalMs;
  return key.command;
}

bool LetterDown(Editor& editor, char letter) { return editor.platform.IsKeyDown(vk::LetterA + letter - 'A'); }

// The commands of this pass's keys: F12 (undo, with Shift redo), F9 (the
// imported picture drawn, once per press) and, beside the program's own
// keys, Ctrl+Z undo, Ctrl+Y redo, Ctrl+S save and Ctrl+O open (once per
// press). Every one of these keys is read in every pass.
std::vector<KeyCommand> CommandKeys(Editor& editor) {
  const bool control = editor.platform.IsKeyDown(vk::Control);
  const bool shift = editor.platform.IsKeyDown(vk::Shift);
  auto with = [control](KeyCommand command) { return control ? command : KeyCommand::None; };
  return {
      CommandOfKey(editor, editor.commandKeys.f12, editor.platform.IsKeyDown(vk::F12),
                   shift ? KeyCommand::Redo : KeyCommand::Undo),
      CommandOfKey(editor, editor.commandKeys.z, LetterDown(editor, 'Z'), with(KeyCommand::Undo)),
      CommandOfKey(editor, editor.commandKeys.y, LetterDown(editor, 'Y'), with(KeyCommand::Redo)),
      CommandOfKey(editor, editor.commandKeys.s, LetterDown(editor, 'S'), with(KeyCommand::Save)),
      CommandOfKey(editor, editor.commandKeys.o, LetterDown(editor, 'O'), with(KeyCommand::Open)),
      CommandOfKey(editor, editor.commandKeys.f9, editor.platform.IsKeyDown(vk::F9), KeyCommand::DrawPicture),
  };
}

// Undo and redo in the middle of a polyline end it first, as cancel does.
void EndPolyline(Editor& editor) {
  if (editor.drawing.mode == kind::Polyline && editor.loop.clicksTaken > 0) CancelLine(editor);
}

void Undo(Editor& editor) {
  EndPolyline(editor);
  editor.panels.value[panel::Undo] = 0;
  DrawPanel(editor, panel::Undo);
  UndoCommand(editor);
  editor.panels.hit = -1;
  editor.panels.value[panel::Undo] = 1;
  DrawPanel(editor, panel::Undo);
}

void Redo(Editor& editor) {
  EndPolyline(editor);
  RedoCommand(editor);
}

void RunToolStep(Editor& editor) {
  switch (editor.drawing.mode) {
    case kind::Line:
    case kind::Polyline:
      LineToolStep(editor);
      break;
    case kind::Paint:
      if (editor.picture.paintDisplay) PaintToolStep(editor);
      break;
    case kind::TilePaint:
      if (editor.picture.paintDisplay) TilePaintToolStep(editor);
      break;
    case kind::Dot:
      DotToolStep(editor);
      break;
    case kind::Trace:
      OutlineToolStep(editor);
      break;
    case kind::TwoColourLine:
      TwoColourLineToolStep(editor);
      break;
    default:
      break;
  }
}

// A press that came before this check is the panels'; one that hit no
// panel still reaches the tool, where it was pressed, so no click is lost.
void TakePress(Editor& editor) {
  LoopState& loop = editor.loop;
  const bool newPress = !loop.previousLeftButton;
  const PointerPosition pressedAt = loop.pointer;
  HandlePanelPress(editor);
  // The handler held the pass until it saw the button let go: from here on
  // the button is up, so that a click waiting behind this one is new.
  loop.previousLeftButton = false;
  loop.leftButton = false;
  if (newPress && editor.panels.hit == -1) {
    loop.clickPending = true;
    loop.pointer = pressedAt;
  }
}

void ViewAndColourChoices(Editor& editor) {
  Panels& panels = editor.panels;
  if (TakePanelHit(editor, panel::Underlay)) {
    ChooseUnderlay(editor, panels.value[panel::Underlay]);
    ReplayPicture(editor, kNoProbe);
  }
  if (TakePanelHit(editor, panel::Zoom)) {
    EndPendingLine(editor);
    ChangeZoom(editor, panels.value[panel::Zoom]);
  }
  if (TakePanelHit(editor, panel::DrawingColour)) SetDrawingColour(editor, panels.value[panel::DrawingColour]);
  DigitKeys(editor, vk::Numpad0, SetDrawingColour);
  if (TakePanelHit(editor, panel::BorderColour)) SetBorderColour(editor, panels.value[panel::BorderColour]);
  DigitKeys(editor, vk::Digit0, SetBorderColour);
  if (TakePanelHit(editor, panel::TilePalette)) {
    const int entry = panels.value[panel::TilePalette];
    editor.drawing.drawingColour = panels.firstColours[entry];
    editor.drawing.secondColour = panels.secondColours[entry];
    ChooseTileKind(editor);
    ShowColourIndicator(editor);
  }
}

void KeysAndToolChoice(Editor& editor) {
  ArrowKeys(editor);
  UpdateKeyboardClick(editor);
  if (TakePanelHit(editor, panel::PaintDisplay)) SwitchPaintDisplay(editor, editor.panels.value[panel::PaintDisplay]);
  ToolSelection(editor);
}

// The file commands, undo, redo and cancel, from the panels and the keys.
void Commands(Editor& editor) {
  if (TakePanelHit(editor, panel::Files)) {
    const int button = editor.panels.value[panel::Files];
    if (button >= 0 && button < kFileCommandCount) RunFileCommand(editor, static_cast<FileCommand>(button));
  }
  const std::vector<KeyCommand> commands = CommandKeys(editor);
  auto asked = [&](KeyCommand command) { return std::find(commands.begin(), commands.end(), command) != commands.end(); };
  if (asked(KeyCommand::Save)) RunFileCommand(editor, FileCommand::Save);
  if (asked(KeyCommand::Open)) RunFileCommand(editor, FileCommand::Open);
  const bool undoPressed = editor.panels.hit == panel::Undo && editor.panels.value[panel::Undo] == 0;
  if (asked(KeyCommand::Undo) || undoPressed) Undo(editor);
  if (asked(KeyCommand::Redo)) Redo(editor);
  if (asked(KeyCommand::DrawPicture)) DrawImportedPicture(editor);
  if (editor.platform.IsKeyDown(vk::Escape) || editor.loop.rightButton) CancelLine(editor);
}

// A press during the sleep reaches the tool in this same pass, at the spot
// where it happened even when the pointer moved there during the sleep; a
// quick click still reaches the panels in the next pass.
void SampleAfterSleep(Editor& editor) {
  LoopState& loop = editor.loop;
  loop.rightButton = editor.platform.PeekButton(MouseButton::Right);
  // A click the panels passed on is this pass's; one after it waits for the next pass.
  if (loop.clickPending) return;
  loop.leftButton = editor.platform.PeekButton(MouseButton::Left);
  if (loop.leftButton && !loop.previousLeftButton) loop.pointer = editor.platform.ReadPointer();
}

// The current tool's step. A new drawing action: what was undone can no longer be redone.
void ToolStep(Editor& editor) {
  const int countBefore = editor.operations.count;
  const OperationRecord spareBefore = editor.operations.slots[kMaxOperations];
  RunToolStep(editor);
  if (editor.operations.count != countBefore || editor.operations.slots[kMaxOperations] != spareBefore) {
    editor.undone.groups.clear();
  }
}

}  // namespace

void SamplePointerAndButtons(Editor& editor) {
  LoopState& loop = editor.loop;
  loop.previousPointer = loop.pointer;
  loop.previousLeftButton = loop.leftButton;
  loop.previousRightButton = loop.rightButton;
  loop.pointer = editor.platform.ReadPointer();
  loop.leftButton = editor.platform.IsButtonDown(MouseButton::Left);
  loop.rightButton = editor.platform.IsButtonDown(MouseButton::Right);
}

void RunPass(Editor& editor) {
  LoopState& loop = editor.loop;
  loop.passCounter = static_cast<std::uint8_t>((loop.passCounter + 1) % 8);
  SamplePointerAndButtons(editor);
  if (loop.leftButton) TakePress(editor);
  ViewAndColourChoices(editor);
  KeysAndToolChoice(editor);
  Commands(editor);
  // Before anything that may pump events: closing the window ends the
  // program there, and what the journal holds is what the next start restores.
  JournalChanges(editor);
  SleepPumping(editor.screen, 1);
  SampleAfterSleep(editor);
  ToolStep(editor);
  JournalChanges(editor);
  ContinueProgramCheck(editor);
  editor.platform.InputActedOn();
  loop.clickPending = false;
  if (loop.pointer.x != loop.previousPointer.x || loop.pointer.y != loop.previousPointer.y) ShowMagnifier(editor);
}

void RunEditor(Editor& editor, const std::string& documentPath, int busyMsPerPass) {
  StartUp(editor);
  if (!documentPath.empty()) {
    editor.documentPath = documentPath;
    OpenDocument(editor);
  }
  for (;;) {
    RunPass(editor);
    if (busyMsPerPass > 0) std::this_thread::sleep_for(std::chrono::milliseconds(busyMsPerPass));
  }
}

}  // namespace kumodo
