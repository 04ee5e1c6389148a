// Picture files of every supported variant, made at test time by an
// independent encoder and compared with that encoder's own reading of them.
#include "pictures/picture_decode.h"

#include <gtest/gtest.h>

#include "support/hand_made_jpeg.h"
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
  ExpectDecodes("-define bmp:subtype=RGB565", "BMP:depth16.bmp", PictureKind::Bmp);
  ExpectDecodes("-define bmp:subtype=RGB555", "BMP:depth15.bmp", PictureKind::Bmp);
  ExpectDecodes("-type truecolor", "BMP3:depth24.bmp", PictureKind::Bmp);
  ExpectDecodes("-alpha on", "BMP:depth32.bmp", PictureKind::Bmp);
}

// As PNG and GIF transparency: transparent pixels black, partly
// transparent ones as if drawn over black (one step apart where the two
// round differently).
TEST_F(PictureFiles, BmpTransparencyShowsBlack) {
  ExpectDecodes("-alpha set -region 12x9+3+4 -alpha transparent +region", "BMP:alpha.bmp", PictureKind::Bmp);
  ExpectDecodes("-alpha set -channel A -evaluate set 40% +channel", "BMP:half.bmp", PictureKind::Bmp, 1);
}

TEST_F(PictureFiles, RunLengthEncodedBmp) {
  ExpectDecodes("-colors 200 -type palette -compress RLE", "BMP3:rle8.bmp", PictureKind::Bmp);
}

TEST_F(PictureFiles, JpegBaselineAndProgressive) {
  // Same library underneath; allow for a different choice of IDCT.
  ExpectDecodes("-quality 90", "baseline.jpg", PictureKind::Jpeg, 4);
  ExpectDecodes("-interlace JPEG", "progressive.jpg", PictureKind::Jpeg, 4);
}

// The four-component JPEGs of print: YCCK (as ImageMagick writes a CMYK
// picture) and plain CMYK (one colour, made by hand), both stored inverted
// as Adobe's programs write them. Where the system's decoder cannot read
// them, the refusal says they are CMYK.
TEST_F(PictureFiles, CmykAndYcckJpegs) {
  Convert("source.png -colorspace CMYK", "ycck.jpg");
  const std::vector<std::uint8_t> ycck = ReadBytes("ycck.jpg");
  // Raw, inverted: no cyan, half magenta, all yellow, no black: orange.
  const std::string cmyk = hand_made_jpeg::Make({33, 17, {{255}, {128}, {0}, {255}}, false, 0, 0});
  const DecodedPicture orange =
      DecodePictureBytes(std::span(reinterpret_cast<const std::uint8_t*>(cmyk.data()), cmyk.size()));
  if (!JpegDecoderReadsCmyk()) {
    for (const DecodedPicture& refused : {orange, DecodePictureBytes(ycck)}) {
      EXPECT_FALSE(refused.loaded);
      EXPECT_NE(PictureNotReadReason(refused, Path("ycck.jpg")).find("CMYK"), std::string::npos) << refused.reason;
    }
    return;
  }
  ASSERT_TRUE(orange.loaded);
  EXPECT_EQ(orange.bitmap.At(0, 0), 0x0080FFu);
  EXPECT_EQ(orange.bitmap.At(32, 16), 0x0080FFu);
  ExpectReadAsMade("ycck.jpg", PictureKind::Jpeg, 40, 30, 4);
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

// A BMP of bit fields, its masks after a 40-byte header or in a v5 header.
std::vector<std::uint8_t> BitFieldBmp(int width, int bitsPerPixel, const std::vector<std::uint32_t>& masks,
                                      const std::vector<std::uint32_t>& pixels, bool v5 = false) {
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32 * 4;
  std::vector<std::uint8_t> bytes = BmpHeader(width, 1, bitsPerPixel, masks.size() == 4 && !v5 ? 6 : 3, {}, rowBytes);
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  if (v5) {
    bytes[14] = 124;
    bytes.resize(14 + 124, 0);
    for (std::size_t i = 0; i < masks.size(); ++i) {
      for (int b = 0; b < 4; ++b) bytes[54 + 4 * i + b] = static_cast<std::uint8_t>(masks[i] >> (8 * b));
    }
  } else {
    for (std::uint32_t mask : masks) put32(mask);
  }
  bytes[10] = static_cast<std::uint8_t>(bytes.size());
  for (std::uint32_t pixel : pixels) {
    if (bitsPerPixel == 16) {
      bytes.push_back(static_cast<std::uint8_t>(pixel));
      bytes.push_back(static_cast<std::uint8_t>(pixel >> 8));
    } else {
      put32(pixel);
    }
  }
  bytes.resize(bytes[10] + rowBytes, 0);
  return bytes;
}

// Fewer than 8 bits widened by repeating them from the top, as the system
// and ImageMagick do (truncating 28 * 255 / 31 = 230.3 would give 230);
// more than 8 rounded to the nearest.
TEST(PictureDecode, BmpBitFieldsOfAnyWidth) {
  const struct {
    std::vector<std::uint32_t> masks;
    int bitsPerPixel;
    bool v5;
    std::vector<std::uint32_t> pixels;
    std::vector<Rgb> expected;
  } cases[] = {
      {{0xF800, 0x07E0, 0x001F}, 16, false, {(28u << 11) | (56u << 5) | 28u, 0xFFFF}, {0xE7E3E7, 0xFFFFFF}},
      {{0x7C00, 0x03E0, 0x001F}, 16, false, {(28u << 10) | (20u << 5) | 3u, 31u << 10}, {0x18A5E7, 0x0000FF}},
      {{0x0F00, 0x00F0, 0x000F, 0xF000}, 16, false, {0xFF00, 0x0F0F, 0x8F00}, {0x0000FF, 0x000000, 0x000088}},
      // Ten bits a colour and two of alpha, in a v5 header: 1023 is 255, 512
      // is 127.6, 1021 is 254.5.
      {{0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
       32,
       true,
       {0xC0000000u | (1023u << 20) | 512u, 0xC0000000u | (3u << 20) | (2u << 10) | 1u,
        0xC0000000u | (514u << 20) | (1021u << 10) | 257u, (1u << 30) | (1023u << 20), 1023u << 20},
       {0x8000FF, 0x000001, 0x40FF80, 0x000055, 0x000000}},
  };
  for (const auto& c : cases) {
    const std::vector<std::uint8_t> bytes =
        BitFieldBmp(static_cast<int>(c.pixels.size()), c.bitsPerPixel, c.masks, c.pixels, c.v5);
    const DecodedPicture picture = DecodePictureBytes(bytes);
    ASSERT_TRUE(picture.loaded) << c.masks[0];
    for (std::size_t x = 0; x < c.expected.size(); ++x) {
      EXPECT_EQ(picture.bitmap.At(static_cast<int>(x), 0), c.expected[x]) << std::hex << c.masks[0] << " pixel " << x;
    }
  }
  // Masks of split runs of bits make no colour.
  EXPECT_FALSE(DecodePictureBytes(BitFieldBmp(1, 16, {0xF00F, 0x07E0, 0x001F}, {0})).loaded);
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

// Run-length codes that move past rows, run past the row's end, end rows
// early and end the picture before its last row: pixels past the edges are
// dropped, pixels never coded are black. Without its end code the picture
// was cut short.
TEST(PictureDecode, RunLengthBmpEdges) {
  const std::vector<std::uint8_t> data = {
      255, 1,         // a run of 255 on a row of 4: its first 4 show
      0,   0,         // the end of the row
      0,   2, 2, 1,   // move 2 right and 1 row up: row 2 of 4 from the bottom, at x 2
      1,   2,         // one pixel of index 2 there
      0,   2, 0, 9,   // moved past the last row: what follows is dropped
      3,   1, 0, 1};  // the end of the picture
  std::vector<std::uint8_t> bytes = BmpHeader(4, 4, 8, 1, {0x000000, 0xFFFFFF, 0x0000FF}, data.size());
  bytes.insert(bytes.end(), data.begin(), data.end());
  const DecodedPicture picture = DecodePictureBytes(bytes);
  ASSERT_TRUE(picture.loaded);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(picture.bitmap.At(x, 3), 0xFFFFFFu) << x;
  EXPECT_EQ(picture.bitmap.At(2, 1), 0xFF0000u);
  EXPECT_EQ(picture.bitmap.At(1, 1), 0u) << "moved over";
  EXPECT_EQ(picture.bitmap.At(0, 0), 0u) << "never coded";
  bytes.resize(bytes.size() - 2);
  EXPECT_FALSE(DecodePictureBytes(bytes).loaded) << "no end code";
}

// Keeps no pixel: counts them, and the size they came at.
class CountingReceiver final : public PictureReceiver {
 public:
  PictureSize delivered{0, 0};
  std::int64_t pixels = 0;

 protected:
  bool Begin(PictureSize, PictureSize size) override {
    delivered = size;
    return true;
  }
  void Take(int, int, int, std::span<const Rgb> row) override { pixels += static_cast<std::int64_t>(row.size()); }
};

// A JPEG whose scans would take too long, or keep too many coefficients,
// is refused before decoding, saying which; the same layout with fewer
// scans is read.
TEST(PictureDecode, CostlyJpegsAreRefusedSayingWhy) {
  auto decode = [](const hand_made_jpeg::Layout& layout) {
    const std::string jpeg = hand_made_jpeg::Make(layout);
    CountingReceiver receiver;
    DecodedPicture picture = DecodePictureBytes(
        std::span(reinterpret_cast<const std::uint8_t*>(jpeg.data()), jpeg.size()), receiver, kLargePictureLimit);
    EXPECT_EQ(picture.loaded, receiver.pixels > 0);
    return picture;
  };
  hand_made_jpeg::Layout layout = hand_made_jpeg::Grey(2048, 2048, 60, true);
  layout.progressive = true;
  layout.acScans = 3;  // one of each component's AC coefficients, as a progression should
  EXPECT_TRUE(decode(layout).loaded);
  layout.acScans = 500;  // 98,304 blocks 501 times over
  const DecodedPicture slow = decode(layout);
  EXPECT_FALSE(slow.loaded);
  EXPECT_NE(slow.reason.find("501"), std::string::npos) << slow.reason;

  layout = hand_made_jpeg::Grey(8192, 8192, 60, true);
  layout.progressive = true;
  layout.acScans = 3;
  const DecodedPicture large = decode(layout);
  EXPECT_FALSE(large.loaded);
  EXPECT_EQ(large.width, 8192);
  EXPECT_NE(large.reason.find("192 MB"), std::string::npos) << large.reason;
}

}  // namespace
}  // namespace kumodo
