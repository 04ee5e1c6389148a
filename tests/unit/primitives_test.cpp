#include "screen/primitives.h"

#include <gtest/gtest.h>

#include "platform/headless_platform.h"
#include "screen/palette.h"

namespace kumodo {
namespace {

class PrimitivesTest : public ::testing::Test {
 protected:
  PrimitivesTest() : screen(platform) {}

  int CountColour(const Bitmap& bitmap, Rgb colour) {
    int count = 0;
    for (Rgb pixel : bitmap.pixels) count += pixel == colour;
    return count;
  }

  HeadlessPlatform platform;
  Screen screen;
  Bitmap canvas{640, 400};
};

TEST_F(PrimitivesTest, PaletteMapsBitsToFullChannels) {
  EXPECT_EQ(PaletteColour(1), 0xFF0000u);  // blue in the high byte
  EXPECT_EQ(PaletteColour(2), 0x0000FFu);
  EXPECT_EQ(PaletteColour(6), 0x00FFFFu);
  EXPECT_EQ(PaletteColour(8), 0u);
  EXPECT_EQ(PaletteColour(-1), 0u);
}

TEST_F(PrimitivesTest, BoxesIncludeBothEndsWhateverTheCornerOrder) {
  DrawLine(screen, 10, 10, false, 5, 20, 7, kBoxMode, 0);
  EXPECT_EQ(screen.backBuffer.At(5, 10), PaletteColour(7));
  EXPECT_EQ(screen.backBuffer.At(10, 20), PaletteColour(7));
  EXPECT_EQ(screen.backBuffer.At(7, 15), 0u) << "an outline box has no fill";
  EXPECT_EQ(CountColour(screen.backBuffer, PaletteColour(7)), 2 * 6 + 2 * 9);
  EXPECT_EQ(screen.lastPoint.x, 10);
  EXPECT_EQ(screen.lastPoint.y, 20);

  DrawLine(screen, 100, 100, false, 103, 102, 1, kFilledBoxMode, 4);
  EXPECT_EQ(screen.backBuffer.At(101, 101), PaletteColour(4));
  EXPECT_EQ(screen.backBuffer.At(103, 102), PaletteColour(1));
}

TEST_F(PrimitivesTest, LinesDrawBothEndsAndCanStartAtTheLastPoint) {
  DrawLine(screen, 0, 0, false, 3, 0, 2, kLineMode, 0);
  EXPECT_EQ(CountColour(screen.backBuffer, PaletteColour(2)), 4);
  PlotPixel(screen, 7, 9, 3);
  DrawLine(screen, kFromLastPoint, kFromLastPoint, false, 7, 12, 4, kLineMode, 0);
  EXPECT_EQ(screen.backBuffer.At(7, 9), PaletteColour(4));
  EXPECT_EQ(screen.backBuffer.At(7, 12), PaletteColour(4));
  DrawLine(screen, kFromLastPoint, kFromLastPoint, true, 2, 0, 5, kLineMode, 0);  // relative
  EXPECT_EQ(screen.backBuffer.At(9, 12), PaletteColour(5));
}

TEST_F(PrimitivesTest, CanvasDrawingLeavesTheScreenAloneButMovesTheLastPoint) {
  DrawLineRgb(screen, &canvas, 1, 1, false, 30, 40, PaletteColour(6), kLineMode, 0);
  EXPECT_EQ(canvas.At(30, 40), PaletteColour(6));
  EXPECT_EQ(CountColour(screen.backBuffer, PaletteColour(6)), 0);
  EXPECT_EQ(screen.lastPoint.x, 30);
  PlotPixelRgb(screen, &canvas, 5, 5, PaletteColour(1));
  EXPECT_EQ(screen.lastPoint.x, 30) << "a canvas pixel keeps the last point";
  EXPECT_EQ(canvas.At(5, 5), PaletteColour(1));
}

TEST_F(PrimitivesTest, PaintAreaStopsAtTheBorderOnly) {
  DrawLineRgb(screen, &canvas, 10, 10, false, 20, 20, PaletteColour(7), kBoxMode, 0);
  PlotPixelRgb(screen, &canvas, 15, 15, PaletteColour(2));  // another colour inside is painted over
  EXPECT_TRUE(PaintArea(screen, &canvas, 12, 12, Brush::Solid(PaletteColour(4)), 7));
  EXPECT_EQ(canvas.At(15, 15), PaletteColour(4));
  EXPECT_EQ(canvas.At(11, 19), PaletteColour(4));
  EXPECT_EQ(canvas.At(0, 0), 0u);
  EXPECT_FALSE(PaintArea(screen, &canvas, 10, 10, Brush::Solid(PaletteColour(4)), 7));
}

TEST_F(PrimitivesTest, PointColourCountsOnlyFullChannelsAndNeedsThePointerOnThePicture) {
  canvas.At(3, 4) = 0xFF80FF;  // blue 255, green 128, red 255
  EXPECT_EQ(PointColour(canvas, {100, 100}, 3, 4), 3);
  EXPECT_EQ(PointColour(canvas, {640, 100}, 3, 4), 0);
  EXPECT_EQ(PointColour(canvas, {100, 400}, 3, 4), 0);
  canvas.At(0, 0) = PaletteColour(6);
  EXPECT_EQ(PointColour(canvas, {0, 0}, 0, 0), 6);
}

}  // namespace
}  // namespace kumodo
