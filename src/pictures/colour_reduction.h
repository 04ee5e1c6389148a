#pragma once
// A picture reduced to the eight digital colours (or eight grey levels): the
// colour grid the outline tracer reads and the two pictures shown under the
// drawing. Pure arithmetic on pixels, with no window.
#include "platform/bitmap.h"
#include "trace/colour_grid.h"

namespace kumodo {

struct ReducedPixel {
  int level;    // 0..7, also the colour index of the digital colour of that brightness
  int grey;     // the grey value of the level: 1, 29, 76, 105, 149, 178, 225, 254
};

// The level of a luminance: the digital colour whose luminance it does not exceed.
ReducedPixel LevelOfLuminance(double luminance);
// The level of one pixel (0x00BBGGRR) by its luminance 0.114 B + 0.587 G + 0.299 R.
ReducedPixel ReducePixel(Rgb pixel);
// Each channel at 95 %, at least 1.
Rgb DimmedSource(Rgb pixel);
// The level's digital colour at 60 % (153 for a full channel), each channel at least 1.
Rgb DimmedLevelColour(int level);

struct ReducedPicture {
  ColourGrid grid;  // each point's level; framed at 400 rows, not yet marked filled
  Bitmap reduced;   // each point as its level shows: the dimmed digital colour, or its grey
  Bitmap dimmed;    // the source at 95 %
};

// Reduces the 640 x 400 area at the top left of the source (which must be at
// least that large); digital chooses the digital colours over grey levels.
ReducedPicture ReduceBitmap(const Bitmap& source, bool digital);

}  // namespace kumodo
