// The colour reduction on bitmaps alone, no editor started.
#include "pictures/colour_reduction.h"

#include <gtest/gtest.h>

#include "screen/palette.h"

namespace kumodo {
namespace {

constexpr Rgb Channels(int red, int green, int blue) {
  return static_cast<Rgb>(red) | static_cast<Rgb>(green) << 8 | static_cast<Rgb>(blue) << 16;
}

TEST(Reduction, LevelsOfTheListedPixels) {
  EXPECT_EQ(ReducePixel(Channels(255, 255, 0)).level, 6) << "yellow";
  EXPECT_EQ(DimmedLevelColour(6), Channels(153, 153, 1));
  EXPECT_EQ(ReducePixel(Channels(255, 255, 0)).grey, 225);
  EXPECT_EQ(ReducePixel(0).level, 0);
  EXPECT_EQ(DimmedLevelColour(0), Channels(1, 1, 1));
  EXPECT_EQ(ReducePixel(0).grey, 1);
  EXPECT_EQ(DimmedSource(Channels(255, 255, 255)), Channels(242, 242, 242));
  EXPECT_EQ(DimmedSource(0), Channels(1, 1, 1));
  EXPECT_EQ(ReducePixel(Channels(255, 255, 255)).grey, 254);
  for (int colour = 0; colour < 8; ++colour) {
    EXPECT_EQ(ReducePixel(PaletteColour(colour)).level, colour) << "each digital colour keeps its level";
  }
}

// 0.114 * 41 + (0.587 * 147 + 0.299 * 48) rounded step by step lies just
// above 105.315; a fused multiply-add would put it on or below the threshold.
TEST(Reduction, TheLuminanceIsRoundedStepByStep) {
  EXPECT_EQ(ReducePixel(Channels(48, 147, 41)).level, 4);
}

TEST(Reduction, ThresholdsBelongToTheLowerLevel) {
  EXPECT_EQ(LevelOfLuminance(10).level, 0);
  EXPECT_EQ(LevelOfLuminance(10.01).level, 1);
  EXPECT_EQ(LevelOfLuminance(29.07).level, 1);
  EXPECT_EQ(LevelOfLuminance(29.08).level, 2);
  EXPECT_EQ(LevelOfLuminance(225.93).level, 6);
  EXPECT_EQ(LevelOfLuminance(226).level, 7);
}

// A source as large as the window: only its 640 x 400 picture area counts,
// every point reduced into the grid and both pictures.
TEST(Reduction, ABitmapGivesTheGridAndBothPictures) {
  Bitmap source(800, 600, Channels(255, 255, 255));
  source.At(0, 0) = Channels(255, 255, 0);
  source.At(639, 399) = Channels(0, 0, 255);
  source.At(640, 0) = 0;  // beside the picture area
  const ReducedPicture digital = ReduceBitmap(source, true);
  EXPECT_EQ(digital.grid.At(1, 1), 6);
  EXPECT_EQ(digital.grid.At(640, 400), 1);
  EXPECT_EQ(digital.grid.At(320, 200), 7);
  EXPECT_FALSE(digital.grid.filled) << "the importer marks it filled once it is the editor's";
  EXPECT_EQ(digital.reduced.At(0, 0), DimmedLevelColour(6));
  EXPECT_EQ(digital.reduced.At(639, 399), DimmedLevelColour(1));
  EXPECT_EQ(digital.dimmed.At(0, 0), DimmedSource(Channels(255, 255, 0)));
  EXPECT_EQ(digital.dimmed.width, 640);
  EXPECT_EQ(digital.dimmed.height, 400);
  const ReducedPicture grey = ReduceBitmap(source, false);
  EXPECT_EQ(grey.grid.levels, digital.grid.levels) << "the levels do not depend on the mode";
  EXPECT_EQ(grey.reduced.At(0, 0), Channels(225, 225, 225));
  EXPECT_EQ(grey.reduced.At(639, 399), Channels(29, 29, 29));
}

}  // namespace
}  // namespace kumodo
