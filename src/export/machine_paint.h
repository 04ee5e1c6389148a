#pragma once
// What the machine's BASIC draws, modelled on a picture of the eight colours:
// its PAINT above all. A Microsoft-family PAINT is a scanline fill that does
// not carry the fill into a row whose stretch between borders already holds
// the paint colour (for a tile: that row of the tile), so it can stop short
// of what the editor's fill reaches.
#include <array>
#include <vector>

#include "platform/bitmap.h"

namespace kumodo {

// What PAINT paints with: one row for a colour, else the tile's rows (two
// or four), each of eight pixels, repeating from the screen's origin.
struct PaintPattern {
  std::vector<std::array<Rgb, 8>> rows;
  bool solid = true;

  Rgb At(int x, int y) const {
    return rows[static_cast<std::size_t>(y) % rows.size()][static_cast<std::size_t>(x) % 8];
  }
};

PaintPattern SolidPattern(int colour);

// The pattern of a tile string: per row one byte for each of the blue, red
// and green planes, the leftmost pixel in the top bit.
PaintPattern TilePattern(const std::vector<std::array<unsigned char, 3>>& planeRows);

// PAINT (x, y) with the pattern up to the border colour, as the
// interpreter does it, on the whole of `screen`. Nothing when the point is
// off the screen or on the border colour. False when it would never end: a
// tile with a row all of colour 0 never counts as held, and the fill can
// then go back and forth between rows for ever. It is taken as endless once
// it has queued more than `stretches` stretches of rows; a fill that ends
// queues about twice as many as its area has, never more than three times
// in thousands of random fills.
bool MachinePaint(Bitmap& screen, int x, int y, const PaintPattern& pattern, Rgb border, long long stretches);

// LINE (x1, y1)-(x2, y2): the end points are first moved onto the screen,
// then the line is drawn from the upper one down.
void MachineLine(Bitmap& screen, int x1, int y1, int x2, int y2, Rgb colour);

}  // namespace kumodo
