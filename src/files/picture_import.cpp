#include "files/picture_import.h"

#include <algorithm>
#include <cmath>

#include "picture/replay.h"
#include "picture/view.h"
#include "screen/palette.h"
#include "screen/primitives.h"

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

void ReducePicture(Editor& editor, bool digital) {
  Bitmap& screen = editor.screen.backBuffer;
  Bitmap& dimmed = editor.images.work[1].Pixels();
  Bitmap& reduced = editor.images.work[2].Pixels();
  ColourGrid& grid = editor.colourGrid;
  for (int x = 0; x < 640; ++x) {
    for (int y = 0; y < 400; ++y) {
      const Rgb pixel = screen.At(x, y);
      const ReducedPixel level = ReducePixel(pixel);
      grid.Set(x, y, static_cast<std::int8_t>(level.level));
      const Rgb shown = digital ? DimmedLevelColour(level.level) : Compose(level.grey, level.grey, level.grey);
      screen.At(x, y) = shown;
      SetPixel(reduced, x, y, shown);
      SetPixel(dimmed, x, y, DimmedSource(pixel));
    }
  }
  grid.Frame(PictureHeight(editor.settings));
  grid.filled = true;
  MarkScreenChanged(editor.screen);
}

void ImportPicture(Editor& editor) {
  Image& picture = editor.images.import;
  // The size the file states: a picture too large was never decoded.
  if (PictureTooLarge(picture.LoadedWidth(), picture.LoadedHeight())) {
    editor.platform.ShowMessageBox(editor.texts.pictureTooLarge, editor.texts.pictureTooLargeCaption,
                                   MessageBoxButtons::Ok, MessageBoxIcon::Warning);
    return;
  }
  const bool digital = editor.platform.ShowMessageBox(editor.texts.reductionQuestion, editor.texts.reductionCaption,
                                                      MessageBoxButtons::OkCancel,
                                                      MessageBoxIcon::None) == MessageBoxAnswer::Ok;
  DrawLine(editor.screen, 0, 0, false, 639, 399, 0, kFilledBoxMode, 0);
  picture.Draw(0, 0);
  ReducePicture(editor, digital);
  editor.undone.groups.clear();
  ReplayPicture(editor, kNoProbe);
}

}  // namespace kumodo
