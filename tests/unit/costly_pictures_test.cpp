// Pictures that are small on disk and honest about their size, but whose
// decoding would cost gigabytes or minutes: each is refused (or read)
// without taking more than a few megabytes.
#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/picture_decode.h"
#include "support/costly_pictures.h"
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
  picture_bombs::ResetPeakMemory();
  const long before = picture_bombs::ResidentKilobytes();
  Decoding decoding{DecodePictureBytes(Bytes(file)), 0};
  decoding.megabytes = (picture_bombs::PeakKilobytes() - before) / 1024;
  return decoding;
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

}  // namespace
}  // namespace kumodo
