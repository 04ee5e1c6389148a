#include "app/main_loop.h"

#include "picture/replay.h"
#include "picture/tools.h"
#include "picture/view.h"

namespace kumodo {
namespace {

// Holding F12 repeats the undo like a typed key, not once per 1 ms pass.
constexpr std::uint64_t kUndoRepeatDelayMs = 500;
constexpr std::uint64_t kUndoRepeatIntervalMs = 100;

struct ToolChoice {
  int key;
  std::int16_t mode;
  bool resetsClicks;
  bool resetsChain;
  bool needsPaintDisplay;
};

// Tool buttons 0 to 5 of the tool panel and their keys.
constexpr ToolChoice kToolKeys[] = {
    {vk::F1, kind::Line, true, false, false},          {vk::F1 + 1, kind::Polyline, true, true, false},
    {vk::F1 + 2, kind::Paint, true, false, true},      {vk::F1 + 3, kind::TilePaint, true, false, true},
    {vk::F1 + 4, kind::TwoColourLine, false, false, false}, {vk::F1 + 5, kind::Dot, true, false, false},
};

void SampleInput(Editor& editor) {
  LoopState& loop = editor.loop;
  loop.passCounter = static_cast<std::uint8_t>((loop.passCounter + 1) % 8);
  loop.previousPointer = loop.pointer;
  loop.previousLeftButton = loop.leftButton;
  loop.previousRightButton = loop.rightButton;
  loop.pointer = editor.platform.ReadPointer();
  loop.leftButton = editor.platform.IsButtonDown(MouseButton::Left);
  loop.rightButton = editor.platform.IsButtonDown(MouseButton::Right);
}

// Keypad 0-7 choose the drawing colour, main keys 0-7 the border colour; with
// several down the highest digit wins.
void ColourKeys(Editor& editor) {
  for (int digit = 0; digit <= 7; ++digit) {
    if (editor.platform.IsKeyDown(vk::Numpad0 + digit)) {
      editor.drawing.drawingColour = static_cast<std::int16_t>(digit);
      ShowColourIndicator(editor);
    }
  }
  for (int digit = 0; digit <= 7; ++digit) {
    if (editor.platform.IsKeyDown(vk::Digit0 + digit)) {
      editor.drawing.borderColour = static_cast<std::int16_t>(digit);
      ShowColourIndicator(editor);
    }
  }
}

// Every eighth pass the arrows move the system cursor one picture row or column.
void ArrowKeys(Editor& editor) {
  if (editor.loop.passCounter != 0) return;
  const PointerPosition pointer = editor.loop.pointer;
  const int step = editor.settings.editingResolution == 2 ? 2 : 1;
  Platform& platform = editor.platform;
  if (platform.IsKeyDown(vk::Left) && pointer.x >= 1) platform.MoveCursorBy(-1, 0);
  if (platform.IsKeyDown(vk::Right) && pointer.x < editor.view.lastColumn) platform.MoveCursorBy(1, 0);
  if (platform.IsKeyDown(vk::Down) && pointer.y < 399) platform.MoveCursorBy(0, step);
  if (platform.IsKeyDown(vk::Up) && pointer.y >= 1) platform.MoveCursorBy(0, -step);
}

// Enter and Space are the only keys turned into one event per press.
void UpdateKeyboardClick(Editor& editor) {
  LoopState& loop = editor.loop;
  const bool down = editor.platform.IsKeyDown(vk::Enter) || editor.platform.IsKeyDown(vk::Space);
  loop.keyboardClick = down ? (loop.keyboardClick == 0 ? 1 : 2) : 0;
}

void SelectTool(Editor& editor, int button, const ToolChoice& choice) {
  editor.panels.value[panel::Tools] = static_cast<float>(button);
  editor.drawing.mode = choice.mode;
  if (choice.resetsClicks) editor.loop.clicksTaken = 0;
  if (choice.resetsChain) editor.drawing.chainCounter = 0;
  ShowColourIndicator(editor);
  ShowPreviewBase(editor);
  editor.loop.hitPanel = -1;
}

void ToolKeys(Editor& editor) {
  for (int button = 0; button < static_cast<int>(std::size(kToolKeys)); ++button) {
    const ToolChoice& choice = kToolKeys[button];
    if (!editor.platform.IsKeyDown(choice.key)) continue;
    if (choice.needsPaintDisplay && !editor.picture.paintDisplay) continue;
    SelectTool(editor, button, choice);
  }
}

bool UndoKeyActs(Editor& editor) {
  LoopState& loop = editor.loop;
  if (!editor.platform.IsKeyDown(vk::F12)) {
    loop.undoRepeatAtMs = 0;
    return false;
  }
  const std::uint64_t now = editor.platform.NowMs();
  if (loop.undoRepeatAtMs == 0) {
    loop.undoRepeatAtMs = now + kUndoRepeatDelayMs;
    return true;
  }
  if (now < loop.undoRepeatAtMs) return false;
  loop.undoRepeatAtMs = now + kUndoRepeatIntervalMs;
  return true;
}

void Undo(Editor& editor) {
  // An undo in the middle of a polyline ends it first, as cancel does.
  if (editor.drawing.mode == kind::Polyline && editor.loop.clicksTaken > 0) CancelLine(editor);
  editor.panels.value[panel::Undo] = 0;
  UndoCommand(editor);
  editor.loop.hitPanel = -1;
  editor.panels.value[panel::Undo] = 1;
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
    case kind::TwoColourLine:
      TwoColourLineToolStep(editor);
      break;
    default:
      break;
  }
}

}  // namespace

void RunPass(Editor& editor) {
  LoopState& loop = editor.loop;
  SampleInput(editor);
  ColourKeys(editor);
  ArrowKeys(editor);
  UpdateKeyboardClick(editor);
  ToolKeys(editor);
  if (UndoKeyActs(editor)) Undo(editor);
  if (editor.platform.IsKeyDown(vk::Escape) || loop.rightButton) CancelLine(editor);
  SleepPumping(editor.screen, 1);
  // A press during the sleep reaches the tool in this same pass, at the spot
  // where it happened even when the pointer moved there during the sleep.
  loop.leftButton = editor.platform.IsButtonDown(MouseButton::Left);
  loop.rightButton = editor.platform.IsButtonDown(MouseButton::Right);
  if (loop.leftButton && !loop.previousLeftButton) loop.pointer = editor.platform.ReadPointer();
  RunToolStep(editor);
  if (loop.pointer.x != loop.previousPointer.x || loop.pointer.y != loop.previousPointer.y) ShowMagnifier(editor);
}

void RunEditor(Editor& editor) {
  StartUp(editor);
  for (;;) RunPass(editor);
}

}  // namespace kumodo
