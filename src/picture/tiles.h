#pragma once
// The three two-colour mixtures of tile paint, as the 8 x 8 tile images the
// fills use as brushes.
#include "platform/bitmap.h"

namespace kumodo {

constexpr int kTileKinds = 3;

// Tile image number of a mixture: kind x 64 + first colour x 8 + second colour.
constexpr int TileImageNumber(int tileKind, int first, int second) { return tileKind * 64 + first * 8 + second; }

// The colour index of tile pixel (x, y). The first colour is the minority:
// kind 0 puts it where x + y is odd (half), kind 1 on one pixel in four,
// kind 2 on one in eight; the second colour fills the rest.
int TilePixelColour(int tileKind, int first, int second, int x, int y);

}  // namespace kumodo
