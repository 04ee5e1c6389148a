#pragma once
// Pictures fitted to the screen as the machine shows them.
#include "platform/bitmap.h"

namespace kumodo {

// The picture's rows two at a time, each pair's average: 640 x 400 as the
// screen shows it made into the rows of a 200-line picture, which the
// screen shows each twice.
Bitmap RowsTwoAtATime(const Bitmap& picture);

}  // namespace kumodo
