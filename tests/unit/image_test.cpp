// Image objects: drawing sizes, captures, and what a failed load leaves.
#include "screen/image.h"

#include <gtest/gtest.h>

#include "support/image_magick.h"

#include <cstdlib>
#include <filesystem>

#include "platform/headless_platform.h"
#include "screen/palette.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

class ImageTest : public ::testing::Test {
 protected:
  ImageTest() : screen(platform) { image.BindToScreen(screen); }

  // An image of w x h whose pixel (x, y) is the palette colour (x + y) % 8.
  void FillPattern(Image& target, int w, int h) {
    Bitmap bitmap(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) bitmap.At(x, y) = PaletteColour((x + y) % 8);
    }
    target.Pixels() = bitmap;
  }

  HeadlessPlatform platform;
  Screen screen;
  Image image;
};

TEST_F(ImageTest, DrawSizeFollowsTheAspectRatioWhenOneSideIsMissing) {
  FillPattern(image, 200, 50);
  DrawLine(screen, 0, 0, false, 399, 199, 2, kFilledBoxMode, 2);
  ASSERT_TRUE(image.Draw(0, 0, 100, 0));
  EXPECT_NE(screen.backBuffer.At(99, 24), PaletteColour(2));
  EXPECT_EQ(screen.backBuffer.At(100, 0), PaletteColour(2));
  EXPECT_EQ(screen.backBuffer.At(0, 25), PaletteColour(2));
  // Width and height both below 1: natural size.
  ASSERT_TRUE(image.Draw(0, 100));
  EXPECT_EQ(screen.backBuffer.At(199, 149), PaletteColour((199 + 49) % 8));
  EXPECT_EQ(screen.backBuffer.At(200, 100), PaletteColour(2));
}

TEST_F(ImageTest, StretchingReplicatesPixels) {
  FillPattern(image, 4, 4);
  image.Draw(0, 0, 16, 16);
  EXPECT_EQ(screen.backBuffer.At(7, 3), PaletteColour(1));   // source (1, 0)
  EXPECT_EQ(screen.backBuffer.At(15, 15), PaletteColour(6));  // source (3, 3)
}

TEST_F(ImageTest, EmptyImagesAndSelfDrawingDrawNothing) {
  EXPECT_FALSE(image.Draw(0, 0));
  FillPattern(image, 4, 4);
  EXPECT_FALSE(image.DrawInto(image, 0, 0));
  Image target;
  FillPattern(target, 8, 8);
  EXPECT_TRUE(image.DrawInto(target, 4, 4));
  EXPECT_EQ(target.Pixels().At(5, 4), PaletteColour(1));
  EXPECT_EQ(screen.backBuffer.At(5, 4), 0u);  // the back buffer is not touched
}

TEST_F(ImageTest, CaptureReadsTheBackBufferButNotTheText) {
  DrawLine(screen, 0, 0, false, 15, 15, 5, kFilledBoxMode, 5);
  SetTextColours(screen.text, 7, 1);
  PrintText(screen, "XX");
  ASSERT_TRUE(image.Capture(0, 0, 16, 16));
  EXPECT_EQ(image.Width(), 16);
  for (Rgb pixel : image.Pixels().pixels) ASSERT_EQ(pixel, PaletteColour(5));
}

TEST_F(ImageTest, FailedLoadsEmptyAFileImageButKeepACapture) {
  const fs::path directory = fs::temp_directory_path() / ("kumodo-image-" + std::to_string(::getpid()));
  fs::create_directories(directory);
  const std::string bmp = (directory / "a.bmp").string();
  const std::string unknown = (directory / "a.pcx").string();
  image_magick::RunImageMagick(directory, "-size 3x2 xc:red BMP3:a.bmp");
  image_magick::RunImageMagick(directory, "-size 7x5 xc:blue a.pcx");

  ASSERT_TRUE(image.Load(bmp));
  EXPECT_EQ(image.Width(), 3);
  EXPECT_EQ(image.Pixels().At(2, 1), PaletteColour(2));
  EXPECT_FALSE(image.Load((directory / "missing.bmp").string()));
  EXPECT_EQ(image.Width(), 3) << "a file that cannot be opened changes nothing";
  EXPECT_FALSE(image.Load(unknown));
  EXPECT_FALSE(image.HasBitmap()) << "the earlier picture was released";
  EXPECT_EQ(image.Loaded().kind, PictureKind::Unrecognised);

  image.Capture(0, 0, 5, 5);
  EXPECT_FALSE(image.Load(unknown));
  EXPECT_EQ(image.Width(), 5) << "a captured bitmap survives a failed load";
  fs::remove_all(directory);
}

TEST_F(ImageTest, PanelTilesCoverTheGridInclusively) {
  Image panel;
  panel.BindToScreen(screen);
  panel.Pixels() = Bitmap(16, 16, PaletteColour(6));
  DrawPanelTiles(panel, 13, 10, 13, 5);
  EXPECT_EQ(screen.backBuffer.At(208, 160), PaletteColour(6));
  EXPECT_EQ(screen.backBuffer.At(431, 255), PaletteColour(6));
  EXPECT_EQ(screen.backBuffer.At(432, 255), 0u);
  EXPECT_EQ(screen.backBuffer.At(431, 256), 0u);
}

}  // namespace
}  // namespace kumodo
