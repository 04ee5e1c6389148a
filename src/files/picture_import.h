#pragma once
// Importing a picture as a tracing aid: it is reduced to the eight digital
// colours (or eight grey levels) and kept as two underlays and the colour
// grid the outline tracer reads. It adds nothing to the document.
#include "app/editor.h"

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

// Checks the import image's size, asks for the reduction mode, reduces the
// picture and redraws the editor's picture over the chosen underlay.
void ImportPicture(Editor& editor);

// Reduces the whole 640 x 400 picture area of the screen into the colour
// grid, work image 1 (dimmed) and work image 2 (reduced); digital chooses the
// digital colours over grey levels.
void ReducePicture(Editor& editor, bool digital);

}  // namespace kumodo
