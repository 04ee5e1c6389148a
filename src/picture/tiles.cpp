#include "picture/tiles.h"

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

}  // namespace kumodo
