#include "app/panels.h"

#include <cmath>

#include "picture/replay.h"
#include "picture/view.h"
#include "screen/layout.h"
#include "screen/palette.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

constexpr int kLastColumn = kView.right;

constexpr IconPlace kIcons[] = {
    {panel::Underlay, 0, "icon0-0.bmp", kIconColumn, 100},
    {panel::Underlay, 1, "icon0-1.bmp", kIconColumn, 120},
    {panel::Underlay, 2, "icon0-2.bmp", kIconColumn, 140},
    {panel::Underlay, 3, "icon0-3.bmp", kIconColumn, 160},
    {panel::Tools, 0, "icon1-1.bmp", kIconColumn, 240},
    {panel::Tools, 1, "icon1-2.bmp", kIconColumn, 264},
    {panel::Tools, 2, "icon1-3.bmp", kIconColumn, 288},
    {panel::Tools, 3, "icon1-4.bmp", kIconColumn, 312},
    {panel::Tools, 4, "icon1-5.bmp", kIconColumn, 336},
    {panel::Tools, 5, "icon1-6.bmp", kIconColumn, 360},
    {panel::Tools, 6, "icon1-7.bmp", kIconColumn, 384},
    {panel::Files, 0, "icon4-1.bmp", kIconColumn, 26},
    {panel::Files, 1, "icon5-1.bmp", kIconColumn, 46},
    {panel::Files, 2, "icon4-2.bmp", kIconColumn, 80},
    {panel::Files, 3, "icon7-1.bmp", kIconColumn, 8},
    {panel::Undo, 0, "icon6-1.bmp", kIconColumn, 208},
    {panel::PaintDisplay, 0, "icon4-3.bmp", kIconColumn, 180},
    {panel::PaintDisplay, 1, "icon4-4.bmp", kLastColumn + 77, 180},
    {panel::OutputResolution, 0, "icon11-1.bmp", kSettingsLeftColumn, 208},
    {panel::OutputResolution, 1, "icon11-2.bmp", kSettingsRightColumn, 208},
    {panel::Tiling, 0, "icon9-1.bmp", kSettingsLeftColumn, 256},
    {panel::Tiling, 1, "icon9-2.bmp", kSettingsRightColumn, 256},
    {panel::Zoom, 0, "iconz-1.bmp", kLastColumn + 9, 544},
    {panel::Zoom, 1, "iconz-2.bmp", kLastColumn + 41, 544},
    {panel::Zoom, 2, "iconz-3.bmp", kLastColumn + 73, 544},
    {panel::Zoom, 3, "iconz-4.bmp", kLastColumn + 105, 544},
    {panel::EditingResolution, 0, "icon8-1.bmp", kSettingsLeftColumn, 128},
    {panel::EditingResolution, 1, "icon8-2.bmp", kSettingsRightColumn, 128},
    {panel::SettingsOkCancel, 0, "icon12-1.bmp", kSettingsLeftColumn, 304},
    {panel::SettingsOkCancel, 1, "icon12-2.bmp", kSettingsRightColumn, 304},
};

// The underlay panel's buttons; the third is the black underlay, the last
// also makes the window half transparent, over the black underlay.
constexpr int kDimmedButton = 0;
constexpr int kReducedButton = 1;
constexpr int kSeeThroughButton = 3;

// The paint and tile paint buttons of the tool panel.
constexpr int kPaintButton = 2;
constexpr int kTilePaintButton = 3;

struct ToolChoice {
  std::int16_t mode;
  bool resetsClicks;
  bool resetsChain;
};

constexpr ToolChoice kTools[] = {
    {kind::Line, true, false},  {kind::Polyline, true, true}, {kind::Paint, true, false},
    {kind::TilePaint, true, false}, {kind::TwoColourLine, false, false}, {kind::Dot, true, false},
    {kind::Trace, true, false},
};

// A button's rectangle includes both its right and bottom edges.
bool PointerOn(const PanelButton& button, PointerPosition pointer) {
  return pointer.x >= button.left && pointer.x <= button.left + button.width && pointer.y >= button.top &&
         pointer.y <= button.top + button.height;
}

bool Active(const Editor& editor, int panelIndex) { return editor.panels.active[panelIndex]; }

// The panel under the press (the highest-numbered active one), or -1. The
// press is where the pass sampled it: a busy editor may get to it after the
// pointer has moved on, to another panel even.
void HitTestPanels(Editor& editor) {
  editor.panels.hit = -1;
  for (int p = 0; p < kPanelCount; ++p) {
    if (!Active(editor, p)) continue;
    for (const PanelButton& button : editor.panels.buttons[p]) {
      if (button.width > 0 && PointerOn(button, editor.loop.pointer)) {
        editor.panels.hit = p;
        break;
      }
    }
  }
}

// Selects the button of the panel under the pointer, if any.
void UpdatePanelValue(Editor& editor, int panelIndex) {
  if (!Active(editor, panelIndex)) return;
  Panels& panels = editor.panels;
  for (int b = 0; b < kButtonsPerPanel; ++b) {
    const PanelButton& button = panels.buttons[panelIndex][b];
    if (button.width > 0 && PointerOn(button, editor.loop.pointer)) {
      panels.value[panelIndex] = b;
      ++panels.changeCounter;
      return;
    }
  }
}

}  // namespace

void DragScrollBars(Editor& editor) {
  while (editor.platform.IsButtonDown(MouseButton::Left)) {
    editor.loop.pointer = editor.platform.ReadPointer();
    SleepPumping(editor.screen, 1);
    FollowScrollDrag(editor);
  }
  // The thumb ends where the button was let go, not where a busy editor
  // last read the pointer before that.
  editor.loop.pointer = editor.platform.ReleasedAt(MouseButton::Left);
  FollowScrollDrag(editor);
  EndScrollDrag(editor);
}

const IconPlace* FindIcon(int panelIndex, int button) {
  for (const IconPlace& icon : kIcons) {
    if (icon.panel == panelIndex && icon.button == button) return &icon;
  }
  return nullptr;
}

void LoadIcons(Editor& editor) {
  Panels& panels = editor.panels;
  for (const IconPlace& icon : kIcons) {
    PanelButton& button = panels.buttons[icon.panel][icon.button];
    button.name = icon.name;
    button.left = icon.left;
    button.top = icon.top;
  }
  for (int p = 0; p < kPanelCount; ++p) {
    for (int b = 0; b < kIconsPerPanel; ++b) {
      PanelButton& button = panels.buttons[p][b];
      if (button.name.empty()) continue;
      Image& selected = editor.panels.icons[0][p][b];
      if (!selected.Load(DataFile(editor.folders, "res/" + button.name))) continue;
      button.width = selected.Width();
      button.height = selected.Height();
      editor.panels.icons[1][p][b].Load(DataFile(editor.folders, "res/n" + button.name));
    }
  }
  panels.savedPaintWidth = panels.buttons[panel::Tools][kPaintButton].width;
  panels.savedTilePaintWidth = panels.buttons[panel::Tools][kTilePaintButton].width;
}

void DrawPanel(Editor& editor, int panelIndex) {
  // The selectors and the tile palette are painted by the status panel.
  if (!Active(editor, panelIndex) || panelIndex == panel::TilePalette || panelIndex == panel::DrawingColour ||
      panelIndex == panel::BorderColour) {
    return;
  }
  const Panels& panels = editor.panels;
  for (int b = 0; b < kIconsPerPanel; ++b) {
    const PanelButton& button = panels.buttons[panelIndex][b];
    const int left = button.left;
    const int top = button.top;
    if (button.width > 0) {
      const int look = panels.value[panelIndex] == b ? 0 : 1;
      editor.panels.icons[look][panelIndex][b].Draw(left, top);
    } else if (panelIndex == panel::Tools && !editor.picture.paintDisplay &&
               (b == kPaintButton || b == kTilePaintButton)) {
      DrawLineRgb(editor.screen, nullptr, left, top, false, left + panels.savedPaintWidth, top + 20, kPanelBackground,
                  kFilledBoxMode, kPanelBackground);
    }
  }
}

void ShowEditorPanels(Editor& editor) {
  editor.panels.active.fill(false);
  for (int p : {panel::Underlay, panel::Tools, panel::Files, panel::Undo, panel::PaintDisplay, panel::TilePalette,
                panel::DrawingColour, panel::BorderColour, panel::Zoom}) {
    editor.panels.active[p] = true;
    DrawPanel(editor, p);
  }
}

void ShowSettingsPanels(Editor& editor) {
  Panels& panels = editor.panels;
  const Settings& settings = editor.settings;
  panels.active.fill(false);
  const std::pair<int, int> shown[] = {
      {panel::OutputResolution, 1 - settings.outputResolution},
      {panel::Tiling, 1 - settings.tiling},
      {panel::EditingResolution, settings.editingResolution - 1},
      {panel::SettingsOkCancel, 2},
  };
  for (const auto& [p, value] : shown) {
    panels.active[p] = true;
    panels.value[p] = value;
    DrawPanel(editor, p);
  }
}

void HandlePanelPress(Editor& editor) {
  const std::uint64_t pressed = editor.platform.InputMark();
  HitTestPanels(editor);
  editor.panels.changeCounter = 0;
  for (int p = 0; p < kPanelCount; ++p) UpdatePanelValue(editor, p);
  if (editor.panels.changeCounter > 0) {
    for (int p = 0; p < kPanelCount; ++p) DrawPanel(editor, p);
  }
  DragScrollBars(editor);
  // No keys were read while the button was held: what was tapped meanwhile
  // has no effect.
  editor.platform.ForgetKeysSince(pressed);
}

void ChooseUnderlay(Editor& editor, int button) {
  editor.platform.SetWindowOpacity(button == kSeeThroughButton ? 128 : 255);
  editor.picture.underlay = button == kDimmedButton    ? underlay::Dimmed
                            : button == kReducedButton ? underlay::Reduced
                                                       : underlay::Black;
}

void SwitchPaintDisplay(Editor& editor, int button) {
  Panels& panels = editor.panels;
  editor.picture.paintDisplay = button == 0;
  panels.buttons[panel::Tools][kPaintButton].width = editor.picture.paintDisplay ? panels.savedPaintWidth : 0;
  panels.buttons[panel::Tools][kTilePaintButton].width =
      editor.picture.paintDisplay ? panels.savedTilePaintWidth : 0;
  DrawPanel(editor, panel::Tools);
  ReplayPicture(editor, kNoProbe);
  editor.platform.Beep();
}

void SelectTool(Editor& editor, int button) {
  const ToolChoice& choice = kTools[button];
  editor.panels.value[panel::Tools] = button;
  DrawPanel(editor, panel::Tools);
  editor.drawing.mode = choice.mode;
  if (choice.resetsClicks) editor.loop.clicksTaken = 0;
  if (choice.resetsChain) editor.drawing.chainCounter = 0;
  ChooseTileKind(editor);
  ShowColourIndicator(editor);
  ShowPreviewBase(editor);
  editor.panels.hit = -1;
}

void ChooseTileKind(Editor& editor) {
  DrawingState& drawing = editor.drawing;
  if (drawing.mode == kind::TwoColourLine) {
    drawing.tileKind = 0;
  } else if (drawing.mode == kind::TilePaint) {
    const int entry = editor.panels.value[panel::TilePalette];
    drawing.tileKind = entry < 64 ? 0 : entry >= 128 ? 2 : 1;
  }
}

}  // namespace kumodo
