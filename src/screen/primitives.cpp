#include "screen/primitives.h"

#include <utility>

#include "screen/layout.h"
#include "screen/palette.h"

namespace kumodo {

void DrawLineRgb(Screen& screen, Bitmap* canvas, int x1, int y1, bool relative, int x2, int y2, Rgb pen, int mode,
                 Rgb fill) {
  if (x1 == kFromLastPoint && y1 == kFromLastPoint) {
    x1 = screen.lastPoint.x;
    y1 = screen.lastPoint.y;
  }
  if (relative) {
    x2 += x1;
    y2 += y1;
  } else if (mode != kLineMode) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
  }
  Bitmap& target = canvas ? *canvas : screen.backBuffer;
  if (mode == kLineMode) {
    DrawLineSegment(target, x1, y1, x2, y2, pen);
    SetPixel(target, x2, y2, pen);
  } else {
    DrawRectangle(target, x1, y1, x2 + 1, y2 + 1, pen,
                  mode == kFilledBoxMode ? std::optional<Rgb>(fill) : std::nullopt);
  }
  screen.lastPoint = {x2, y2};
  if (!canvas) MarkScreenChanged(screen);
}

void DrawLine(Screen& screen, int x1, int y1, bool relative, int x2, int y2, int penIndex, int mode, int fillIndex) {
  DrawLineRgb(screen, nullptr, x1, y1, relative, x2, y2, PaletteColour(penIndex), mode, PaletteColour(fillIndex));
}

bool PaintArea(Screen& screen, Bitmap* canvas, int x, int y, const Brush& brush, int borderIndex) {
  const bool painted = FloodFillToBorder(canvas ? *canvas : screen.backBuffer, x, y, PaletteColour(borderIndex), brush);
  if (!canvas && painted) MarkScreenChanged(screen);
  return painted;
}

void PlotPixel(Screen& screen, int x, int y, int colourIndex) {
  PlotPixelRgb(screen, nullptr, x, y, PaletteColour(colourIndex));
}

void PlotPixelRgb(Screen& screen, Bitmap* canvas, int x, int y, Rgb colour) {
  if (canvas) {
    SetPixel(*canvas, x, y, colour);
    return;
  }
  SetPixel(screen.backBuffer, x, y, colour);
  screen.lastPoint = {x, y};
  MarkScreenChanged(screen);
}

int PointColour(const Bitmap& canvas, PointerPosition pointer, int x, int y) {
  if (pointer.x < kView.left || pointer.x > kView.right || pointer.y < kView.top || pointer.y > kView.bottom) return 0;
  if (!canvas.Contains(x, y)) return 0;
  const Rgb pixel = canvas.At(x, y);
  const int red = pixel & 0xFF;
  const int green = (pixel >> 8) & 0xFF;
  const int blue = (pixel >> 16) & 0xFF;
  return (blue == 255 ? 1 : 0) + (red == 255 ? 2 : 0) + (green == 255 ? 4 : 0);
}

}  // namespace kumodo
