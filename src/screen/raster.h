#pragma once
// The pixel rules every picture is drawn by. They reproduce the desktop
// graphics layer the program was designed on, pixel for pixel, so that a
// picture looks the same here as there.
#include <array>
#include <optional>

#include "platform/bitmap.h"

namespace kumodo {

// A fill brush: one colour, or an 8 x 8 tile repeated from the bitmap's origin.
struct Brush {
  bool tiled = false;
  Rgb colour = 0;
  std::array<Rgb, 64> tile{};  // row-major, row 0 on top

  static Brush Solid(Rgb colour) { return Brush{false, colour, {}}; }
  static Brush Tile(const Bitmap& tile8x8);
  Rgb At(int x, int y) const { return tiled ? tile[(y & 7) * 8 + (x & 7)] : colour; }
};

// Sets a pixel; positions outside the bitmap are ignored.
void SetPixel(Bitmap& bitmap, int x, int y, Rgb colour);

// A one-pixel line from (x1, y1) towards (x2, y2) that leaves out its end point.
void DrawLineSegment(Bitmap& bitmap, int x1, int y1, int x2, int y2, Rgb colour);

// A rectangle with corners (left, top) and (right, bottom), right and bottom
// exclusive: one-pixel outline in the pen colour, inside filled when a fill is given.
void DrawRectangle(Bitmap& bitmap, int left, int top, int right, int bottom, Rgb pen, std::optional<Rgb> fill);

// Fills every pixel reachable from (x, y) through the four direct neighbours
// without stepping on the border colour. False, painting nothing, when the
// start lies outside the bitmap or already has the border colour.
bool FloodFillToBorder(Bitmap& bitmap, int x, int y, Rgb border, const Brush& brush);

// Copies the source rectangle onto the destination rectangle, stretching or
// shrinking by pixel replication; parts outside either bitmap are left out.
void StretchCopy(const Bitmap& source, int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                 Bitmap& destination, int destX, int destY, int destWidth, int destHeight);

}  // namespace kumodo
