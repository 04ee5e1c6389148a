// Picture files of every supported variant, made at test time by an
// independent encoder and compared with that encoder's own reading of them.
#include "platform/picture_decode.h"

#include <gtest/gtest.h>

#include "support/image_magick.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace kumodo {
namespace {

namespace fs = std::filesystem;

class PictureFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    directory_ = fs::temp_directory_path() / ("kumodo-pictures-" + std::to_string(::getpid()));
    fs::create_directories(directory_);
    // Many colours, sharp edges and a white block: every decoder path shows.
    Convert("-size 40x30 gradient:red-blue -fill white -draw 'rectangle 5,5 20,15' -fill lime "
            "-draw 'rectangle 25,18 38,28'",
            "source.png");
  }
  static void TearDownTestSuite() { fs::remove_all(directory_); }

  // Names are relative to the folder; the output may carry the encoder's
  // format prefix ("BMP3:a.bmp").
  static void Convert(const std::string& arguments, const std::string& output) {
    image_magick::RunImageMagick(directory_, arguments + " " + output);
  }
  static std::string Path(const std::string& name) { return (directory_ / image_magick::FileOf(name)).string(); }

  // The encoder's own reading of the file, as RGB values, drawn over black.
  static Bitmap Reference(const std::string& name, int width, int height) {
    Convert(name + " -background black -alpha remove -depth 8", "rgb:" + name + ".rgb");
    std::ifstream in(directory_ / (name + ".rgb"), std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Bitmap bitmap(width, height);
    for (int i = 0; i < width * height && static_cast<std::size_t>(3 * i + 2) < bytes.size(); ++i) {
      bitmap.pixels[i] = bytes[3 * i] | (bytes[3 * i + 1] << 8) | (bytes[3 * i + 2] << 16);
    }
    return bitmap;
  }

  static int LargestChannelDifference(const Bitmap& a, const Bitmap& b) {
    int largest = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
      for (int shift : {0, 8, 16}) {
        const int difference = std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) -
                                        static_cast<int>((b.pixels[i] >> shift) & 0xFF));
        largest = std::max(largest, difference);
      }
    }
    return largest;
  }

  // The file read whole, as the encoder reads it.
  static void ExpectReadAsMade(const std::string& file, PictureKind kind, int width, int height, int tolerance,
                               PictureLimit limit = kImportLimit) {
    const DecodedPicture picture = DecodePictureFile(Path(file), limit);
    ASSERT_TRUE(picture.opened);
    EXPECT_EQ(picture.kind, kind) << file;
    ASSERT_TRUE(picture.loaded) << file;
    EXPECT_EQ(picture.width, width);
    EXPECT_EQ(picture.height, height);
    EXPECT_LE(LargestChannelDifference(picture.bitmap, Reference(file, width, height)), tolerance) << file;
  }

  void ExpectDecodes(const std::string& convertArguments, const std::string& name, PictureKind kind,
                     int tolerance = 0) {
    Convert("source.png " + convertArguments, name);
    ExpectReadAsMade(image_magick::FileOf(name), kind, 40, 30, tolerance);
  }

  static std::vector<std::uint8_t> ReadBytes(const std::string& name) {
    std::ifstream in(directory_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static fs::path directory_;
};

fs::path PictureFiles::directory_;

TEST_F(PictureFiles, BmpOfEveryDepth) {
  ExpectDecodes("-colors 2 -type palette -compress none", "BMP3:depth1.bmp", PictureKind::Bmp);
  ExpectDecodes("-colors 12 -type palette -compress none", "BMP3:depth4.bmp", PictureKind::Bmp);
  ExpectDecodes("-colors 200 -type palette -compress none", "BMP3:depth8.bmp", PictureKind::Bmp);
  // Decoders widen 5- and 6-bit channels with roundings one apart.
  ExpectDecodes("-define bmp:subtype=RGB565", "BMP:depth16.bmp", PictureKind::Bmp, 1);
  ExpectDecodes("-type truecolor", "BMP3:depth24.bmp", PictureKind::Bmp);
  ExpectDecodes("-alpha on", "BMP:depth32.bmp", PictureKind::Bmp);
}

TEST_F(PictureFiles, RunLengthEncodedBmp) {
  ExpectDecodes("-colors 200 -type palette -compress RLE", "BMP3:rle8.bmp", PictureKind::Bmp);
}

TEST_F(PictureFiles, JpegBaselineAndProgressive) {
  // Same library underneath; allow for a different choice of IDCT.
  ExpectDecodes("-quality 90", "baseline.jpg", PictureKind::Jpeg, 4);
  ExpectDecodes("-interlace JPEG", "progressive.jpg", PictureKind::Jpeg, 4);
}

TEST_F(PictureFiles, GifPlainAndInterlaced) {
  ExpectDecodes("", "plain.gif", PictureKind::Gif);
  ExpectDecodes("-interlace GIF", "interlaced.gif", PictureKind::Gif);
}

TEST_F(PictureFiles, KindComesFromTheBytesNotTheName) {
  Convert("source.png", "JPEG:looks-like.bmp");
  EXPECT_EQ(DecodePictureFile(Path("looks-like.bmp")).kind, PictureKind::Jpeg);
  Convert("source.png", "BMP3:looks-like.jpg");
  EXPECT_EQ(DecodePictureFile(Path("looks-like.jpg")).kind, PictureKind::Bmp);
}

// Grey and 16-bit values the encoder reads back one step apart from libpng
// (its own conversion of grey and of 16 bits to 8 rounds differently).
TEST_F(PictureFiles, PngOfEveryColourTypeAndDepth) {
  ExpectDecodes("-colors 200", "PNG8:palette.png", PictureKind::Png);
  ExpectDecodes("-colorspace Gray -define png:color-type=0", "PNG:grey.png", PictureKind::Png, 1);
  ExpectDecodes("-colorspace Gray -depth 16 -define png:color-type=0", "PNG:grey16.png", PictureKind::Png, 1);
  ExpectDecodes("", "PNG24:rgb.png", PictureKind::Png);
  ExpectDecodes("-depth 16", "PNG48:rgb16.png", PictureKind::Png, 1);
  ExpectDecodes("-interlace PNG", "PNG24:interlaced.png", PictureKind::Png);
}

// Transparent pixels show black; partly transparent ones as if drawn over
// black (one step apart where the two round differently).
TEST_F(PictureFiles, PngTransparencyShowsBlack) {
  const std::string clear = "-alpha set -region 12x9+3+4 -alpha transparent +region";
  ExpectDecodes(clear, "PNG32:rgba.png", PictureKind::Png);
  ExpectDecodes(clear + " -depth 16", "PNG64:rgba16.png", PictureKind::Png, 1);
  ExpectDecodes(clear + " -colors 64", "PNG8:palette-transparent.png", PictureKind::Png);
  ExpectDecodes("-colorspace Gray " + clear + " -define png:color-type=4", "PNG:grey-alpha.png", PictureKind::Png, 1);
  ExpectDecodes("-alpha set -channel A -evaluate set 40% +channel", "PNG32:half.png", PictureKind::Png, 1);
}

TEST_F(PictureFiles, TruncatedFilesFailCleanly) {
  Convert("source.png -type truecolor", "BMP3:whole.bmp");
  Convert("source.png -colors 200 -compress RLE", "BMP3:whole-rle.bmp");
  Convert("source.png -interlace JPEG", "whole.jpg");
  Convert("source.png", "whole.gif");
  Convert("source.png", "PNG24:whole.png");
  for (const char* name : {"whole.bmp", "whole-rle.bmp", "whole.jpg", "whole.gif", "whole.png"}) {
    const std::vector<std::uint8_t> bytes = ReadBytes(name);
    for (std::size_t keep : {bytes.size() / 2, bytes.size() - 10, std::size_t{20}, std::size_t{3}}) {
      const DecodedPicture picture = DecodePictureBytes(std::span(bytes).first(keep));
      EXPECT_FALSE(picture.loaded) << name << " cut to " << keep;
      EXPECT_TRUE(picture.bitmap.Empty());
    }
  }
}

// Over the import's 640 x 400: refused with its size read (the import's
// warning), unless the caller takes larger pictures (the converter, which
// scales them down).
TEST_F(PictureFiles, LargerPicturesOnlyUpToALargerLimit) {
  Convert("-size 1280x800 gradient:red-blue -fill white -draw 'rectangle 100,100 700,500'", "large-source.png");
  const struct {
    const char* convertArguments;
    const char* name;
    PictureKind kind;
    int tolerance;
  } pictures[] = {{"-type truecolor", "BMP3:large.bmp", PictureKind::Bmp, 0},
                  {"-interlace JPEG", "large.jpg", PictureKind::Jpeg, 4},
                  {"", "large.gif", PictureKind::Gif, 0},
                  {"", "PNG24:large.png", PictureKind::Png, 0}};
  for (const auto& made : pictures) {
    Convert(std::string("large-source.png ") + made.convertArguments, made.name);
    const std::string file = image_magick::FileOf(made.name);
    const DecodedPicture refused = DecodePictureFile(Path(file));
    EXPECT_FALSE(refused.loaded) << file;
    EXPECT_EQ(refused.width, 1280) << file;
    EXPECT_EQ(refused.height, 800) << file;
    ExpectReadAsMade(file, made.kind, 1280, 800, made.tolerance, kLargePictureLimit);
  }
}

// A PNG whose checksum does not match its data, and one stating a size too large.
TEST_F(PictureFiles, HostilePngsAreRefused) {
  Convert("source.png", "PNG24:checked.png");
  std::vector<std::uint8_t> bytes = ReadBytes("checked.png");
  std::vector<std::uint8_t> corrupt = bytes;
  corrupt[corrupt.size() / 2] ^= 0x5A;  // inside the picture data
  EXPECT_FALSE(DecodePictureBytes(corrupt).loaded);
  std::vector<std::uint8_t> huge = bytes;
  huge[16] = 0, huge[17] = 0, huge[18] = 0x20, huge[19] = 0;  // 8192 wide
  const DecodedPicture refused = DecodePictureBytes(huge);
  EXPECT_FALSE(refused.loaded);
  EXPECT_EQ(refused.width, 8192);
}

TEST(PictureDecode, MissingFileIsNotOpened) {
  EXPECT_FALSE(DecodePictureFile("/nonexistent/picture.bmp").opened);
}

TEST(PictureDecode, AbsurdSizesAreRefusedBeforeDecoding) {
  // A GIF header claiming 30000 x 30000 with a tiny body.
  std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0x30, 0x75, 0x30, 0x75, 0, 0, 0,
                                   0x2C, 0, 0, 0, 0, 0x30, 0x75, 0x30, 0x75, 0, 2, 2, 0x4C, 0x01, 0, 0x3B};
  EXPECT_FALSE(DecodePictureBytes(gif).loaded);
  // A BMP header claiming 16000 x 16000 at 32 bits with no pixel data.
  std::vector<std::uint8_t> bmp(54, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  bmp[10] = 54;
  bmp[14] = 40;
  bmp[18] = 0x80;
  bmp[19] = 0x3E;
  bmp[22] = 0x80;
  bmp[23] = 0x3E;
  bmp[26] = 1;
  bmp[28] = 32;
  EXPECT_FALSE(DecodePictureBytes(bmp).loaded);
  EXPECT_FALSE(PictureSizeAllowed(16385, 1));
  EXPECT_FALSE(PictureSizeAllowed(16384, 16384));  // too many pixels in all
  EXPECT_FALSE(PictureSizeAllowed(16384, 16384, kLargePictureLimit));
  EXPECT_TRUE(PictureSizeAllowed(640, 400));
}

// BMP forms the encoder above never writes, built by hand.
std::vector<std::uint8_t> BmpHeader(int width, int height, int bitsPerPixel, int compression,
                                    const std::vector<std::uint32_t>& palette, std::size_t dataSize) {
  const std::size_t offset = 14 + 40 + 4 * palette.size();
  std::vector<std::uint8_t> bytes(offset, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, static_cast<std::uint32_t>(offset + dataSize));
  put32(10, static_cast<std::uint32_t>(offset));
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = static_cast<std::uint8_t>(bitsPerPixel);
  put32(30, static_cast<std::uint32_t>(compression));
  put32(34, static_cast<std::uint32_t>(dataSize));
  put32(46, static_cast<std::uint32_t>(palette.size()));
  for (std::size_t i = 0; i < palette.size(); ++i) put32(54 + 4 * i, palette[i]);  // 0x00RRGGBB
  return bytes;
}

TEST(PictureDecode, TopDownBmpKeepsItsRowOrder) {
  // 2 x 2 at 24 bits, negative height: the first row in the file is the top.
  std::vector<std::uint8_t> bytes = BmpHeader(2, -2, 24, 0, {}, 16);
  const std::uint8_t rows[16] = {0, 0, 255, 0, 255, 0, 0, 0,   // top: red, green
                                 255, 0, 0, 255, 255, 255, 0, 0};  // bottom: blue, white
  bytes.insert(bytes.end(), rows, rows + 16);
  const DecodedPicture picture = DecodePictureBytes(bytes);
  ASSERT_TRUE(picture.loaded);
  EXPECT_EQ(picture.bitmap.At(0, 0), 0x0000FFu);
  EXPECT_EQ(picture.bitmap.At(1, 0), 0x00FF00u);
  EXPECT_EQ(picture.bitmap.At(0, 1), 0xFF0000u);
  EXPECT_EQ(picture.bitmap.At(1, 1), 0xFFFFFFu);
}

TEST(PictureDecode, Rle4Bmp) {
  // 6 x 2, bottom-up. Bottom row: a run of 6 pixels alternating indices 1
  // and 2; top row: a run of 3 pixels of index 3, then the absolute pixels 1, 2, 1.
  const std::vector<std::uint8_t> data = {6, 0x12, 0, 0,                 // run, end of line
                                          3, 0x33, 0, 3, 0x12, 0x10, 0, 1};  // run, absolute, end
  std::vector<std::uint8_t> bytes = BmpHeader(6, 2, 4, 2, {0x000000, 0xFF0000, 0x0000FF, 0x00FF00}, data.size());
  bytes.insert(bytes.end(), data.begin(), data.end());
  const DecodedPicture picture = DecodePictureBytes(bytes);
  ASSERT_TRUE(picture.loaded);
  const Rgb one = 0x0000FF;  // red
  const Rgb two = 0xFF0000;  // blue
  const Rgb three = 0x00FF00;
  EXPECT_EQ(picture.bitmap.At(0, 1), one);
  EXPECT_EQ(picture.bitmap.At(1, 1), two);
  EXPECT_EQ(picture.bitmap.At(5, 1), two);
  EXPECT_EQ(picture.bitmap.At(2, 0), three);
  EXPECT_EQ(picture.bitmap.At(3, 0), one);
  EXPECT_EQ(picture.bitmap.At(4, 0), two);
  EXPECT_EQ(picture.bitmap.At(5, 0), one);
}

}  // namespace
}  // namespace kumodo
