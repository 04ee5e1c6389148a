#include "screen/text_layer.h"

#include <algorithm>
#include <cstring>

#include "platform/text_encoding.h"
#include "screen/palette.h"

namespace kumodo {
namespace {

constexpr int kLastColumn = kTextRowBytes - 2;  // the last byte stays the terminator

int RowLength(const TextRow& row) {
  return static_cast<int>(strnlen(row.text.data(), kTextRowBytes));
}

void ScrollOneRow(TextLayer& layer) {
  layer.rows.erase(layer.rows.begin());
  layer.rows.emplace_back();
}

void StoreCell(TextLayer& layer, char byte) {
  if (layer.cursorColumn <= kLastColumn) {
    TextRow& row = layer.rows[layer.cursorRow];
    row.text[layer.cursorColumn] = byte;
    row.foreground[layer.cursorColumn] = layer.foreground;
    row.background[layer.cursorColumn] = layer.background;
  }
  ++layer.cursorColumn;
}

}  // namespace

void SetTextColours(TextLayer& layer, int foregroundIndex, int backgroundIndex) {
  layer.foreground = PaletteColour(foregroundIndex);
  layer.background = backgroundIndex == -1 ? kTransparent : static_cast<std::int32_t>(PaletteColour(backgroundIndex));
}

void LocateText(TextLayer& layer, int column, int row) {
  layer.cursorColumn = std::max(column, 0);
  layer.cursorRow = std::clamp(row, 0, kTextRowCount - 1);
  TextRow& target = layer.rows[layer.cursorRow];
  const int end = std::min(layer.cursorColumn, kLastColumn + 1);
  for (int c = RowLength(target); c < end; ++c) {
    target.text[c] = ' ';
    target.background[c] = kTransparent;
  }
}

void PrintText(TextLayer& layer, std::string_view text, int visibleHeight) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char byte = text[i];
    if (byte == '\0') break;
    if (byte == '\t') {
      // The tab's spaces keep the colours their cells already had.
      const int spaces = 8 - layer.cursorColumn % 8;
      for (int k = 0; k < spaces; ++k, ++layer.cursorColumn) {
        if (layer.cursorColumn <= kLastColumn) layer.rows[layer.cursorRow].text[layer.cursorColumn] = ' ';
      }
      continue;
    }
    if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      layer.cursorColumn = 0;
      if (layer.cursorRow == kTextRowCount - 1) {
        ScrollOneRow(layer);
      } else {
        ++layer.cursorRow;
      }
      continue;
    }
    StoreCell(layer, byte);
  }
  ScrollTextToFit(layer, visibleHeight);
}

void ScrollTextToFit(TextLayer& layer, int visibleHeight) {
  while ((layer.cursorRow + 1) * kCellHeight > visibleHeight && layer.cursorRow > 0) {
    ScrollOneRow(layer);
    --layer.cursorRow;
  }
}

std::string RowText(const TextLayer& layer, int row) {
  const TextRow& r = layer.rows[row];
  return std::string(r.text.data(), RowLength(r));
}

void RenderTextRows(const TextLayer& layer, GlyphSource& glyphs, Bitmap& surface) {
  for (int r = 0; r < kTextRowCount && r * kCellHeight < surface.height; ++r) {
    const TextRow& row = layer.rows[r];
    const int length = RowLength(row);
    for (int j = 0; j < length; ++j) {
      const auto lead = static_cast<unsigned char>(row.text[j]);
      std::uint16_t code = lead;
      if (IsSjisLeadByte(lead) && j + 1 < length) {
        code = static_cast<std::uint16_t>(lead << 8 | static_cast<unsigned char>(row.text[j + 1]));
      }
      const GlyphMask& glyph = glyphs.Glyph(code);
      const int left = j * kCellWidth;
      const int top = r * kCellHeight;
      for (int y = 0; y < kCellHeight && top + y < surface.height; ++y) {
        for (int x = 0; x < glyph.width && left + x < surface.width; ++x) {
          Rgb& pixel = surface.At(left + x, top + y);
          if (glyph.InkAt(x, y)) {
            pixel = row.foreground[j];
          } else if (row.background[j] != kTransparent) {
            pixel = static_cast<Rgb>(row.background[j]);
          }
        }
      }
      if (code > 0xFF) ++j;
    }
  }
}

}  // namespace kumodo
