#include "picture/tiles.h"

#include "app/editor.h"
#include "screen/palette.h"

namespace kumodo {

int TilePixelColour(int tileKind, int first, int second, int x, int y) {
  switch (tileKind) {
    case 0:
      return (x + y) % 2 == 0 ? second : first;
    case 1:
      return x % 4 == 2 * (y % 2) ? first : second;
    default:
      return y % 2 == 0 && x % 4 == 2 * ((y / 2) % 2) ? first : second;
  }
}

void BuildTileImages(ImageSet& images) {
  for (int tileKind = 0; tileKind < kTileKinds; ++tileKind) {
    for (int first = 0; first < 8; ++first) {
      for (int second = 0; second < 8; ++second) {
        Bitmap tile(8, 8);
        for (int y = 0; y < 8; ++y) {
          for (int x = 0; x < 8; ++x) tile.At(x, y) = PaletteColour(TilePixelColour(tileKind, first, second, x, y));
        }
        images.tiles[TileImageNumber(tileKind, first, second)].Pixels() = std::move(tile);
      }
    }
  }
}

}  // namespace kumodo
