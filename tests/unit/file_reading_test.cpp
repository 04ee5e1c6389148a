// Number reading and the field reader of the small data files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "files/file_channel.h"
#include "files/text_to_number.h"

namespace kumodo {
namespace {

TEST(TextToNumber, DecimalHexadecimalAndOctal) {
  EXPECT_EQ(TextToNumber("&H1F"), 31);
  EXPECT_EQ(TextToNumber("&h1f"), 31);
  EXPECT_EQ(TextToNumber("&O17"), 15);
  EXPECT_EQ(TextToNumber("&o19"), 1) << "the digit run ends at 9";
  EXPECT_EQ(TextToNumber("&X12"), 0);
  EXPECT_EQ(TextToNumber(" -12.9"), -12.9);
  EXPECT_EQ(TextToNumber("\t+7abc"), 7);
  EXPECT_EQ(TextToNumber("abc"), 0);
  EXPECT_EQ(TextToNumber(""), 0);
  EXPECT_EQ(TextToNumber("1e5"), 1) << "no exponent form";
  EXPECT_EQ(TextToNumber("- 5"), 0);
}

TEST(TextToNumber, TruncationTowardZeroLikeTheProcessor) {
  EXPECT_EQ(TruncateToInt32(-12.9), -12);
  EXPECT_EQ(TruncateToInt32(12.9), 12);
  EXPECT_EQ(TruncateToInt32(1e12), INT32_MIN);
  EXPECT_EQ(TruncateToInt32(-1e12), INT32_MIN);
  EXPECT_EQ(static_cast<std::int16_t>(TruncateToInt32(TextToNumber("70000"))), 4464) << "low 16 bits";
}

class FieldReader : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kumodo-fields-" + std::to_string(::getpid()) + "-" + std::to_string(files_++)))
                                 .string();
    std::ofstream(path, std::ios::binary) << bytes;
    paths_.push_back(path);
    return path;
  }
  ~FieldReader() override {
    for (const std::string& path : paths_) std::filesystem::remove(path);
  }
  int files_ = 0;
  std::vector<std::string> paths_;
};

TEST_F(FieldReader, NumbersOnLinesOrSeparatedByCommasAndBlanks) {
  FileChannel channel;
  ASSERT_TRUE(channel.Open(Write("1\r\n0\r\n2\r\n"), ChannelMode::Read));
  std::uint8_t a = 9, b = 9, c = 9;
  EXPECT_EQ(channel.ReadFields({&a, &b, &c}), 3);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(c, 2);

  ASSERT_TRUE(channel.Open(Write("1.9 , &H10\t\t-3,4\n5"), ChannelMode::Read));
  std::int16_t x = 0, y = 0, z = 0, w = 0, v = 0;
  EXPECT_EQ(channel.ReadFields({&x, &y, &z, &w, &v}), 5);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 16);
  EXPECT_EQ(z, -3);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(v, 5);
}

TEST_F(FieldReader, TheEndOfTheFileLeavesTheRestAsTheyWere) {
  FileChannel channel;
  ASSERT_TRUE(channel.Open(Write("7\r\n8\r\n"), ChannelMode::Read));
  std::uint8_t a = 0, b = 0, c = 42;
  EXPECT_EQ(channel.ReadFields({&a, &b, &c}), 2);
  EXPECT_EQ(c, 42);
  FileChannel missing;
  EXPECT_FALSE(missing.Open("/nonexistent/kumodo", ChannelMode::Read));
  EXPECT_EQ(missing.ReadFields({&c}), 0);
  EXPECT_EQ(c, 42);
}

TEST_F(FieldReader, StringsKeepQuotedCommasAndBlanksAndALoneCr) {
  FileChannel channel;
  ASSERT_TRUE(channel.Open(Write("\"LINE(*,*)-(*,*),*\"\r\n  spaced words,next\n\"a\rb\"\r\n"), ChannelMode::Read));
  std::string a, b, c, d;
  EXPECT_EQ(channel.ReadFields({&a, &b, &c, &d}), 4);
  EXPECT_EQ(a, "\"LINE(*,*)-(*,*),*\"");
  EXPECT_EQ(b, "spaced words");
  EXPECT_EQ(c, "next");
  EXPECT_EQ(d, "\"a\rb\"");
}

TEST_F(FieldReader, AnOverlongFieldIsCutAndTheNextFieldStillFound) {
  FileChannel channel;
  ASSERT_TRUE(channel.Open(Write(std::string(10000, 'x') + ",after"), ChannelMode::Read));
  std::string a, b;
  EXPECT_EQ(channel.ReadFields({&a, &b}), 2);
  EXPECT_EQ(a.size(), kMaxFieldBytes);
  EXPECT_EQ(b, "after");
}

TEST_F(FieldReader, WrittenTextIsExactlyTheBytesGiven) {
  const std::string path = Write("");
  FileChannel channel;
  ASSERT_TRUE(channel.Open(path, ChannelMode::Write));
  EXPECT_TRUE(channel.Write("1\r\n"));
  channel.Close();
  ASSERT_TRUE(channel.Open(path, ChannelMode::Append));
  EXPECT_TRUE(channel.Write("2"));
  channel.Close();
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "1\r\n2");
}

}  // namespace
}  // namespace kumodo
