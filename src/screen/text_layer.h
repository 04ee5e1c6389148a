#pragma once
// The text layer: a grid of Shift-JIS character cells, each with its own
// foreground and background colour, drawn over the graphics but never into
// the back buffer.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bitmap.h"
#include "platform/glyphs.h"

namespace kumodo {

constexpr int kTextRowCount = 101;  // rows 0 to 100
constexpr int kTextRowBytes = 255;  // including the terminating zero: 254 characters
constexpr std::int32_t kTransparent = -1;

struct TextRow {
  std::array<char, kTextRowBytes> text{};
  std::array<Rgb, kTextRowBytes> foreground{};
  std::array<std::int32_t, kTextRowBytes> background{};  // an RGB value or kTransparent
};

struct TextLayer {
  std::vector<TextRow> rows = std::vector<TextRow>(kTextRowCount);
  int cursorColumn = 0;
  int cursorRow = 0;
  Rgb foreground = 0xFFFFFF;
  std::int32_t background = 0;
};

// Colours by palette index; a background index of -1 is transparent.
void SetTextColours(TextLayer& layer, int foregroundIndex, int backgroundIndex);

// Moves the cursor, clamped to column >= 0 and row 0..100. A row shorter than
// the column is padded with transparent spaces so a later print joins it.
void LocateText(TextLayer& layer, int column, int row);

// Writes Shift-JIS text at the cursor: tab to the next multiple of 8, CR LF
// to the next row, a zero byte ends the text. Characters past the row's 254th
// column are dropped; the grid scrolls rather than grow past row 100. Then the
// text scrolls up until the cursor row fits in visibleHeight pixels.
void PrintText(TextLayer& layer, std::string_view text, int visibleHeight);

// Scrolls the text (never the graphics) up until the cursor row fits.
void ScrollTextToFit(TextLayer& layer, int visibleHeight);

// The row's text up to its first zero byte.
std::string RowText(const TextLayer& layer, int row);

// Draws every visible row over the surface.
void RenderTextRows(const TextLayer& layer, GlyphSource& glyphs, Bitmap& surface);

}  // namespace kumodo
