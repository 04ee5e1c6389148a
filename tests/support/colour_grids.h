#pragma once
// Colour grids as an import leaves them, for the tracer's tests.
#include "trace/colour_grid.h"

namespace kumodo {

// A grid as an import leaves it, with one rectangle of colour 3 on colour 0.
inline ColourGrid GridWithRectangle(int left, int top, int right, int bottom) {
  ColourGrid grid;
  for (int x = 0; x < 640; ++x) {
    for (int y = 0; y < 400; ++y) grid.Set(x, y, x >= left && x <= right && y >= top && y <= bottom ? 3 : 0);
  }
  grid.filled = true;
  return grid;
}

}  // namespace kumodo
