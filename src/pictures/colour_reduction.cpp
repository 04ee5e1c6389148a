#include "pictures/colour_reduction.h"

#include <algorithm>
#include <cmath>

#include "screen/palette.h"

namespace kumodo {
namespace {

struct Threshold {
  double limit;
  ReducedPixel below;
};

// The luminances of the digital colours, from the top; the last one that L
// does not exceed wins.
constexpr Threshold kThresholds[] = {
    {225.93, {6, 225}}, {178.755, {5, 178}}, {149.685, {4, 149}}, {105.315, {3, 105}},
    {76.245, {2, 76}},  {29.07, {1, 29}},    {10, {0, 1}},
};

constexpr int Red(Rgb pixel) { return pixel & 0xFF; }
constexpr int Green(Rgb pixel) { return (pixel >> 8) & 0xFF; }
constexpr int Blue(Rgb pixel) { return (pixel >> 16) & 0xFF; }
constexpr Rgb Compose(int red, int green, int blue) {
  return static_cast<Rgb>(red) | (static_cast<Rgb>(green) << 8) | (static_cast<Rgb>(blue) << 16);
}

int Scaled(int channel, double factor) { return std::max(1, static_cast<int>(std::floor(channel * factor))); }

}  // namespace

ReducedPixel ReducePixel(Rgb pixel) {
  return LevelOfLuminance(0.114 * Blue(pixel) + (0.587 * Green(pixel) + 0.299 * Red(pixel)));
}

ReducedPixel LevelOfLuminance(double luminance) {
  ReducedPixel reduced{7, 254};
  for (const Threshold& threshold : kThresholds) {
    if (luminance <= threshold.limit) reduced = threshold.below;
  }
  return reduced;
}

Rgb DimmedSource(Rgb pixel) {
  return Compose(Scaled(Red(pixel), 0.95), Scaled(Green(pixel), 0.95), Scaled(Blue(pixel), 0.95));
}

Rgb DimmedLevelColour(int level) {
  const Rgb colour = PaletteColour(level);
  return Compose(Scaled(Red(colour), 0.6), Scaled(Green(colour), 0.6), Scaled(Blue(colour), 0.6));
}

ReducedPicture ReduceBitmap(const Bitmap& source, bool digital) {
  ReducedPicture result{ColourGrid(), Bitmap(kGridPictureWidth, kGridPictureRows),
                        Bitmap(kGridPictureWidth, kGridPictureRows)};
  for (int x = 0; x < kGridPictureWidth; ++x) {
    for (int y = 0; y < kGridPictureRows; ++y) {
      const Rgb pixel = source.At(x, y);
      const ReducedPixel level = ReducePixel(pixel);
      result.grid.Set(x, y, static_cast<std::int8_t>(level.level));
      result.reduced.At(x, y) = digital ? DimmedLevelColour(level.level) : Compose(level.grey, level.grey, level.grey);
      result.dimmed.At(x, y) = DimmedSource(pixel);
    }
  }
  return result;
}

}  // namespace kumodo
