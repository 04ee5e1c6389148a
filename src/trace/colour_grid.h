#pragma once
// The imported picture reduced to colour indices, for the outline tracer.
#include <cstdint>
#include <vector>

namespace kumodo {

constexpr int kGridColumns = 642;  // picture columns 0..639 at 1..640, a border column each side
constexpr int kGridRows = 481;
constexpr std::int8_t kGridBorder = 99;  // no colour has it, so a trace never leaves the picture

struct ColourGrid {
  std::vector<std::int8_t> cells = std::vector<std::int8_t>(kGridColumns * kGridRows, 0);
  bool filled = false;  // false until a picture has been imported

  std::int8_t& At(int column, int row) { return cells[static_cast<std::size_t>(column) * kGridRows + row]; }
  std::int8_t At(int column, int row) const { return cells[static_cast<std::size_t>(column) * kGridRows + row]; }
};

}  // namespace kumodo
