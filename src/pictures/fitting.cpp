#include "pictures/fitting.h"

namespace kumodo {

Bitmap RowsTwoAtATime(const Bitmap& picture) {
  Bitmap halved(picture.width, picture.height / 2);
  for (int y = 0; y < halved.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgb upper = picture.At(x, 2 * y), lower = picture.At(x, 2 * y + 1);
      Rgb average = 0;
      for (int c = 0; c < 3; ++c) {
        average |= ((((upper >> (8 * c)) & 0xFF) + ((lower >> (8 * c)) & 0xFF) + 1) / 2) << (8 * c);
      }
      halved.At(x, y) = average;
    }
  }
  return halved;
}

}  // namespace kumodo
