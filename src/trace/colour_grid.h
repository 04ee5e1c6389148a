#pragma once
// The imported picture reduced to colour indices, for the outline tracer.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "screen/layout.h"

namespace kumodo {

constexpr std::int8_t kGridBorder = 99;  // no colour has it, so a trace never leaves the picture
constexpr int kGridPictureWidth = kPictureWidth;
constexpr int kGridPictureRows = kPictureHeight;

// Cell (x + 1, y + 1) holds picture point (x, y). The frame is not stored:
// every cell outside the picture of the height framed last reads as the
// border, so a trace after a change of editing resolution, or over a grid
// holding anything, stays inside the picture and never reads past the grid.
struct ColourGrid {
  std::vector<std::int8_t> levels = std::vector<std::int8_t>(kGridPictureWidth * kGridPictureRows, 0);
  int pictureHeight = kGridPictureRows;
  bool filled = false;  // false until a picture has been imported

  std::int8_t At(int column, int row) const {
    if (column < 1 || column > kGridPictureWidth || row < 1 || row > pictureHeight) return kGridBorder;
    return levels[static_cast<std::size_t>(column - 1) * kGridPictureRows + static_cast<std::size_t>(row - 1)];
  }
  // The level of picture point (x, y); points outside the grid are left alone.
  void Set(int x, int y, std::int8_t level) {
    if (x < 0 || x >= kGridPictureWidth || y < 0 || y >= kGridPictureRows) return;
    levels[static_cast<std::size_t>(x) * kGridPictureRows + static_cast<std::size_t>(y)] = level;
  }
  // Puts the frame's bottom row below a picture of this height (200 or 400).
  void Frame(int height) { pictureHeight = std::clamp(height, 0, kGridPictureRows); }
};

}  // namespace kumodo
