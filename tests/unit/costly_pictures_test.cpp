// Pictures that are small on disk and honest about their size, but whose
// decoding would cost gigabytes or minutes: each is refused (or read)
// without taking more than a few megabytes; and pictures of 8192 x 8192,
// the largest the converter takes, read into its 640 x 400 area without
// being held whole.
#include <gtest/gtest.h>

#include <unistd.h>

#include "converter/conversion.h"
#include "pictures/fitting.h"
#include "pictures/picture_decode.h"
#include "screen/layout.h"
#include "support/costly_pictures.h"
#include "support/hand_made_jpeg.h"
#include "support/peak_memory.h"
#include "support/picture_bombs.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

std::span<const std::uint8_t> Bytes(const std::string& file) {
  return {reinterpret_cast<const std::uint8_t*>(file.data()), file.size()};
}

// The decoding and the peak memory it took above what was resident, in MB.
struct Decoding {
  DecodedPicture picture;
  long megabytes;
};
Decoding Decode(const std::string& file) {
  peak_memory::Reset();
  const long before = peak_memory::ResidentKilobytes();
  Decoding decoding{DecodePictureBytes(Bytes(file)), 0};
  decoding.megabytes = (peak_memory::PeakKilobytes() - before) / 1024;
  return decoding;
}

// The same, as the converter reads it: into the 640 x 400 area.
struct AreaDecoding {
  DecodedPicture picture;
  long megabytes;
  Bitmap area;
};
AreaDecoding DecodeIntoArea(const std::string& file) {
  peak_memory::Reset();
  const long before = peak_memory::ResidentKilobytes();
  PictureInArea receiver(kPictureHeight);
  AreaDecoding decoding{DecodePictureBytes(Bytes(file), receiver, kLargePictureLimit), 0, receiver.Area()};
  decoding.megabytes = (peak_memory::PeakKilobytes() - before) / 1024;
  return decoding;
}

std::string ProgressiveJpeg(int width, int height, int acScans) {
  hand_made_jpeg::Layout layout = hand_made_jpeg::Grey(width, height, 100, true);
  layout.progressive = true;
  layout.acScans = acScans;
  return hand_made_jpeg::Make(layout);
}

class CostlyPictures : public ::testing::Test {
 protected:
  // The decoder once, so that its own first use costs nothing below.
  static void SetUpTestSuite() {
    using namespace costly_pictures;
    const std::string small = PngStart(9, 7) + PngChunk("IDAT", Deflated(GreyRows(9, 7))) + PngChunk("IEND", "");
    ASSERT_TRUE(DecodePictureBytes(Bytes(small)).loaded);
  }
};

TEST_F(CostlyPictures, AChunkStatingMoreThanTheFileHoldsIsBrokenAtOnce) {
  for (const char* type : {"tEXt", "zTXt", "IDAT", "PLTE"}) {
    const std::string file = costly_pictures::PngWithLyingLength(type);
    ASSERT_EQ(file.size(), 46u);
    const Decoding decoding = Decode(file);
    EXPECT_FALSE(decoding.picture.loaded) << type;
    EXPECT_FALSE(PictureTooLarge(decoding.picture.width, decoding.picture.height)) << type << ": broken, not too large";
    EXPECT_LT(decoding.megabytes, 4) << type;
  }
}

// The program shows no text: text chunks are skipped unread, however many,
// and the picture after them is read as ever.
TEST_F(CostlyPictures, CompressedTextChunksAreSkippedUnread) {
  const Decoding decoding = Decode(costly_pictures::PngWithTextChunks(12));
  ASSERT_TRUE(decoding.picture.loaded);
  EXPECT_EQ(decoding.picture.bitmap.At(3, 2), 0x8A8A8Au) << "grey (3 * 40 + 2 * 9)";
  EXPECT_LT(decoding.megabytes, 4) << "twelve chunks of 8 MB each were inflated";
}

// Image data going on to inflate to a gigabyte past the 640 x 400 picture
// it declares: only the picture and a little more are inflated.
TEST_F(CostlyPictures, ImageDataPastThePictureIsNotInflated) {
  const Decoding decoding = Decode(costly_pictures::PngWithEndlessData(1024));
  EXPECT_FALSE(decoding.picture.loaded);
  EXPECT_EQ(decoding.picture.width, 640);
  EXPECT_LT(decoding.megabytes, 8);
}

TEST_F(CostlyPictures, AJpegOfThousandsOfScansIsRefused) {
  const fs::path folder = fs::temp_directory_path() / ("kumodo-scans-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string few = costly_pictures::JpegWithRepeatedScan(folder, 20);
  const std::string many = costly_pictures::JpegWithRepeatedScan(folder, kMaxJpegScans);
  fs::remove_all(folder);
  ASSERT_FALSE(few.empty());
  EXPECT_LE(JpegScanCount(Bytes(few)), 40);
  EXPECT_GT(JpegScanCount(Bytes(many)), kMaxJpegScans);
  EXPECT_TRUE(DecodePictureBytes(Bytes(few)).loaded) << "a few repeated scans still make a picture";
  const DecodedPicture refused = DecodePictureBytes(Bytes(many));
  EXPECT_FALSE(refused.loaded);
  EXPECT_FALSE(PictureTooLarge(refused.width, refused.height));
}

// Each once took 256 MB or more as a bitmap of the whole picture; read row
// by row into the area, each takes a few MB: the area's sums and a row or
// two, a JPEG decoded at an eighth of its size. Each point of the area is
// the average of the 20 x 20 pixels it covers (8192 / 400 = 20.48).
TEST_F(CostlyPictures, PicturesOf8192By8192AreReadIntoTheAreaWithinAFewMegabytes) {
  const struct {
    const char* name;
    std::string file;
    Rgb topLeft;  // (399, 399) is the rest's colour
    Rgb rest;
  } pictures[] = {
      {"a 35-byte GIF screen, one white pixel", picture_bombs::LargeGif(), 0x010101, 0x000000},  // 255 / 400
      {"a 28 KB GIF, all white", picture_bombs::LargeFlatGif(), 0xFFFFFF, 0xFFFFFF},
      {"a 64-byte run-length BMP, all black", picture_bombs::LargeRunLengthBmp(), 0x000000, 0x000000},
      {"a JPEG, one grey", hand_made_jpeg::Make(hand_made_jpeg::Grey(8192, 8192, 100, true)), 0x646464, 0x646464},
  };
  for (const auto& [name, file, topLeft, rest] : pictures) {
    const AreaDecoding decoding = DecodeIntoArea(file);
    ASSERT_TRUE(decoding.picture.loaded) << name;
    EXPECT_LT(decoding.megabytes, 12) << name;
    EXPECT_EQ(decoding.area.At(0, 0), topLeft) << name;
    EXPECT_EQ(decoding.area.At(399, 399), rest) << name;
    EXPECT_EQ(decoding.area.At(400, 0), 0u) << name << ": right of the picture, the area stays black";
  }
  // The grey PNG, plain and interlaced: the same area from pixels that come
  // in another order.
  std::uint32_t sum = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) sum += static_cast<std::uint32_t>(costly_pictures::Grey(x, y));
  }
  const Rgb average = (sum + 200) / 400 * 0x010101;
  const AreaDecoding plain = DecodeIntoArea(costly_pictures::GreyPng(8192, 8192));
  const AreaDecoding interlaced = DecodeIntoArea(costly_pictures::GreyPng(8192, 8192, true));
  ASSERT_TRUE(plain.picture.loaded && interlaced.picture.loaded);
  EXPECT_EQ(plain.area.At(0, 0), average);
  EXPECT_TRUE(plain.area.pixels == interlaced.area.pixels);
  EXPECT_LT(plain.megabytes, 12);
  EXPECT_LT(interlaced.megabytes, 12);
}

// Data that cannot fill the 8192 x 8192 its header states: GIF codes that
// end after one pixel, run-length data without its end code. Refused
// having taken no more than the area.
TEST_F(CostlyPictures, DataThatCannotFillItsSizeIsRefusedWithinAFewMegabytes) {
  std::string runLength;
  for (int i = 0; i < 20; ++i) runLength += std::string("\xFF\x01", 2);
  for (const std::string& file : {picture_bombs::Gif(), picture_bombs::RunLengthBmp(8192, runLength)}) {
    const AreaDecoding decoding = DecodeIntoArea(file);
    EXPECT_FALSE(decoding.picture.loaded);
    EXPECT_EQ(decoding.picture.width, 8192);
    EXPECT_LT(decoding.megabytes, 8);
  }
}

// A progressive JPEG of 1,000 scans of 8192 x 8192 once took 41 s and 650
// MB. Its coefficients alone would take 192 MB: refused unread. The most
// that is read (36 MB of coefficients, as many scans as the bound on work
// allows) takes little more than its coefficients.
TEST_F(CostlyPictures, ProgressiveJpegsAreBoundedByScansTimesSize) {
  const AreaDecoding large = DecodeIntoArea(ProgressiveJpeg(8192, 8192, 999));
  EXPECT_FALSE(large.picture.loaded);
  EXPECT_FALSE(large.picture.reason.empty());
  EXPECT_LT(large.megabytes, 4);
  const AreaDecoding bound = DecodeIntoArea(ProgressiveJpeg(4000, 3000, 147));
  ASSERT_TRUE(bound.picture.loaded) << bound.picture.reason;
  EXPECT_EQ(bound.area.At(100, 100), 0x646464u);
  EXPECT_LT(bound.megabytes, 48);
  EXPECT_FALSE(DecodeIntoArea(ProgressiveJpeg(4000, 3000, 150)).picture.loaded) << "past the bound on work";
}

// A receiver wanting less gets a JPEG decoded at the smallest eighth that
// still gives it as much: libjpeg's work falls with the scale.
TEST_F(CostlyPictures, AJpegComesAtTheSmallestEighthThatServes) {
  class Wanting final : public PictureReceiver {
   public:
    PictureSize SmallestUseful(PictureSize) const override { return {600, 300}; }
    PictureSize delivered{0, 0};

   protected:
    bool Begin(PictureSize, PictureSize size) override {
      delivered = size;
      return true;
    }
    void Take(int, int, int, std::span<const Rgb>) override {}
  };
  Wanting receiver;
  const std::string jpeg = hand_made_jpeg::Make(hand_made_jpeg::Grey(2000, 1000, 90, true));
  ASSERT_TRUE(DecodePictureBytes(Bytes(jpeg), receiver, kLargePictureLimit).loaded);
  EXPECT_EQ(receiver.delivered.width, 750) << "3/8: 2/8 would be 500 wide";
  EXPECT_EQ(receiver.delivered.height, 375);
}

}  // namespace
}  // namespace kumodo
