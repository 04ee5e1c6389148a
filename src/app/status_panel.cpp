#include "app/status_panel.h"

#include "app/settings.h"
#include "app/ui_texts.h"
#include "picture/tiles.h"
#include "picture/view.h"
#include "platform/text_encoding.h"
#include "screen/layout.h"
#include "screen/palette.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

void DefineButton(Editor& editor, int panelIndex, int button, int left, int top) {
  PanelButton& entry = editor.panels.buttons[panelIndex][button];
  entry.left = left;
  entry.top = top;
  entry.width = 15;
  entry.height = 15;
}

void PaintColourSelectors(Editor& editor) {
  for (int row = 0; row < 2; ++row) {
    for (int i = 0; i < 8; ++i) {
      const int left = kSelectorLeft + kSwatch * i;
      const int top = row == 0 ? kDrawingSelectorTop : kBorderSelectorTop;
      DrawLine(editor.screen, left, top, false, left + 15, top + 15, i, kFilledBoxMode, i);
      DefineButton(editor, panel::DrawingColour + row, i, left, top);
    }
  }
}

// Each swatch shows its mixture; its top-left 8 x 8 pixels become the tile image.
void PaintTilePalettes(Editor& editor) {
  Bitmap& screen = editor.screen.backBuffer;
  for (int tileKind = 0; tileKind < kTileKinds; ++tileKind) {
    for (int first = 0; first < 8; ++first) {
      for (int second = 0; second < 8; ++second) {
        const int left = kPaletteLefts[tileKind] + kSwatch * first;
        const int top = kPaletteTop + kSwatch * second;
        for (int y = 0; y < kSwatch; ++y) {
          for (int x = 0; x < kSwatch; ++x) {
            SetPixel(screen, left + x, top + y, PaletteColour(TilePixelColour(tileKind, first, second, x, y)));
          }
        }
        const int button = 64 * tileKind + 8 * second + first;
        DefineButton(editor, panel::TilePalette, button, left, top);
        editor.panels.firstColours[button] = static_cast<std::int16_t>(first);
        editor.panels.secondColours[button] = static_cast<std::int16_t>(second);
        editor.images.tiles[TileImageNumber(tileKind, first, second)].Capture(left, top, 8, 8);
      }
    }
  }
  MarkScreenChanged(editor.screen);
}

// F1 to F6 beside the tool icons, F12 beside undo.
void PaintKeyGuide(Editor& editor) {
  const std::pair<std::pair<int, int>, const char*> labels[] = {
      {{panel::Tools, 0}, "res/F1.bmp"}, {{panel::Tools, 1}, "res/F2.bmp"}, {{panel::Tools, 2}, "res/F3.bmp"},
      {{panel::Tools, 3}, "res/F4.bmp"}, {{panel::Tools, 4}, "res/F5.bmp"}, {{panel::Tools, 5}, "res/F6.bmp"},
      {{panel::Undo, 0}, "res/F12.bmp"},
  };
  for (const auto& [place, file] : labels) {
    const PanelButton& button = editor.panels.buttons[place.first][place.second];
    if (editor.images.scratch.Load(DataFile(editor.folders, file))) {
      editor.images.scratch.Draw(button.left + button.width + 4, button.top);
    }
  }
}

constexpr int kStatusRow = 36;
constexpr std::size_t kStatusColumns = 98;

}  // namespace

void ShowStatusMessage(Editor& editor, const std::string& utf8Text) {
  std::string line = Utf8ToSjis(utf8Text);
  if (line.size() < kStatusColumns) line.append(kStatusColumns - line.size(), ' ');
  TextLayer& text = editor.screen.text;
  SetTextColours(text, 0, -1);
  LocateText(text, 1, kStatusRow);
  // No line end: the cursor would move to a row below the window, and the text would scroll.
  PrintText(editor.screen, line);
  SetTextColours(text, 7, 0);
  FlushScreen(editor.screen);
}

void PaintStatusPanel(Editor& editor) {
  // Without its bitmap the panels are still their colour, so that what the
  // status line says (that res/ is missing) can be read.
  if (!editor.images.panel.Load(DataFile(editor.folders, "res/screen.bmp"))) {
    editor.images.panel.Pixels() = Bitmap(16, 16, kPanelBackground);
  }
  DrawPanelTiles(editor.images.panel, 40, 0, 10, 25);
  // Two rows more than the designed window had: its client area is a full 600 pixels high.
  DrawPanelTiles(editor.images.panel, 0, 25, 80, 12);
  TextLayer& text = editor.screen.text;
  SetTextColours(text, 0, -1);
  LocateText(text, 81, 27);
  PrintText(editor.screen, Utf8ToSjis(ui::kDrawingColourLabel) + "\r\n");
  LocateText(text, 81, 29);
  PrintText(editor.screen, Utf8ToSjis(ui::kBorderColourLabel) + "\r\n");
  SetTextColours(text, 7, 0);
  PaintColourSelectors(editor);
  PaintTilePalettes(editor);
  PaintKeyGuide(editor);
  editor.images.scratch.Load(DataFile(editor.folders, "res/screen2.bmp"));
  ShowResolutionLabel(editor);
  DrawScrollBars(editor);
}

}  // namespace kumodo
