#pragma once
// Small files that declare huge pictures ("picture bombs"): a 38-byte GIF of
// an 8192 x 8192 screen, a run-length BMP of 12000 x 12000 in about 1 KB, and
// a real JPEG whose frame size is patched to 15000 x 15000; and sound
// pictures of 8192 x 8192 in a few bytes. A decoder that believes them, or
// holds them whole, takes hundreds of megabytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kumodo::picture_bombs {

inline void Put16(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
inline void Put32(std::string& out, std::uint32_t value) {
  Put16(out, static_cast<int>(value & 0xFFFF));
  Put16(out, static_cast<int>(value >> 16));
}

inline std::string Gif() {
  std::string gif = "GIF89a";
  Put16(gif, 8192);
  Put16(gif, 8192);
  gif += std::string("\x80\x00\x00", 3);          // a global table of two colours
  gif += std::string("\x00\x00\x00\xFF\xFF\xFF", 6);
  gif += '\x2C';
  Put32(gif, 0);                                   // at (0, 0)
  Put16(gif, 8192);
  Put16(gif, 8192);
  gif += std::string("\x00\x02\x02\x4C\x01\x00\x3B", 7);  // code size 2, one block, trailer
  return gif;
}

// A run-length BMP of `size` x `size` holding `data` after its header and
// a palette of black and white.
inline std::string RunLengthBmp(int size, const std::string& data) {
  std::string bmp = "BM";
  Put32(bmp, static_cast<std::uint32_t>(14 + 40 + 8 + data.size()));
  Put32(bmp, 0);
  Put32(bmp, 14 + 40 + 8);
  Put32(bmp, 40);
  Put32(bmp, static_cast<std::uint32_t>(size));
  Put32(bmp, static_cast<std::uint32_t>(size));
  Put16(bmp, 1);
  Put16(bmp, 8);
  Put32(bmp, 1);  // RLE8
  Put32(bmp, static_cast<std::uint32_t>(data.size()));
  Put32(bmp, 2835);
  Put32(bmp, 2835);
  Put32(bmp, 2);
  Put32(bmp, 0);
  Put32(bmp, 0x000000);
  Put32(bmp, 0xFFFFFF);
  return bmp + data;
}

inline std::string RunLengthBmp() {
  std::string data;
  for (int i = 0; i < 500; ++i) data += std::string("\xFF\x01", 2);  // runs of 255 pixels
  data += std::string("\x00\x01", 2);                                // end of the picture
  return RunLengthBmp(12000, data);
}

// Pictures of 8192 x 8192 that are sound, all but a few pixels black: the
// 64-byte run-length BMP that ends at once, and a 41-byte GIF whose one
// frame is a single white pixel. A reader that takes the whole picture into
// memory takes 256 MB for each.
inline std::string LargeRunLengthBmp() { return RunLengthBmp(8192, std::string("\x00\x01", 2)); }

inline std::string LargeGif() {
  std::string gif = "GIF89a";
  Put16(gif, 8192);
  Put16(gif, 8192);
  gif += std::string("\x80\x00\x00", 3);
  gif += std::string("\x00\x00\x00\xFF\xFF\xFF", 6);
  gif += '\x2C';
  Put32(gif, 0);
  Put16(gif, 1);
  Put16(gif, 1);
  // Code size 2: clear (4), index 1, end (5), three bits each.
  gif += std::string("\x00\x02\x02\x4C\x01\x00\x3B", 7);
  return gif;
}

// A GIF of `size` x `size` whose one frame is white throughout, coded as an
// LZW coder codes it: strings of white one longer each time, up to the
// longest the table holds (4,091 pixels), then that string over and over.
// At 8192 x 8192, some 28 KB that a reader must expand to 67 million pixels.
inline std::string LargeFlatGif(int size = 8192) {
  constexpr int kWhite = 1, kClear = 4, kEnd = 5;
  std::string data;  // the codes, least significant bit first
  std::uint32_t bits = 0;
  int bitCount = 0;
  int codeSize = 3;
  int decoderNext = kEnd + 1;  // the code the reader defines next, which sets its code size
  int codesSinceClear = -1;
  auto put = [&](int code) {
    bits |= static_cast<std::uint32_t>(code) << bitCount;
    for (bitCount += codeSize; bitCount >= 8; bitCount -= 8, bits >>= 8) data += static_cast<char>(bits & 0xFF);
    // The reader defines a code on every code after the clear but the first.
    if (++codesSinceClear >= 2 && decoderNext < 4096 && ++decoderNext == (1 << codeSize) && codeSize < 12) ++codeSize;
  };
  put(kClear);
  long long left = static_cast<long long>(size) * size;
  int longest = 1;  // the longest string of white the table holds; a string of n > 1 is code n + 4
  for (int next = kEnd + 1; left > 0;) {
    const int length = static_cast<int>(std::min<long long>(left, longest));
    put(length == 1 ? kWhite : length + 4);
    left -= length;
    if (next < 4096 && length == longest) ++next, ++longest;
  }
  put(kEnd);
  if (bitCount > 0) data += static_cast<char>(bits & 0xFF);

  std::string gif = "GIF89a";
  Put16(gif, size);
  Put16(gif, size);
  gif += std::string("\x80\x00\x00", 3);
  gif += std::string("\x00\x00\x00\xFF\xFF\xFF", 6);
  gif += '\x2C';
  Put32(gif, 0);
  Put16(gif, size);
  Put16(gif, size);
  gif += std::string("\x00\x02", 2);  // no local table, code size 2
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t block = std::min<std::size_t>(255, data.size() - at);
    gif += static_cast<char>(block);
    gif += data.substr(at, block);
  }
  return gif + std::string("\x00\x3B", 2);
}

// A small JPEG made by ImageMagick, its start-of-frame size patched.
inline std::string Jpeg(const std::filesystem::path& folder) {
  const std::filesystem::path small = folder / "bomb-source.jpg";
  const std::string command = "/usr/bin/convert -size 64x48 plasma: -quality 90 '" + small.string() + "'";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream in(small, std::ios::binary);
  std::string jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (std::size_t at = 2; at + 9 < jpeg.size(); ++at) {
    if (static_cast<unsigned char>(jpeg[at]) == 0xFF && static_cast<unsigned char>(jpeg[at + 1]) == 0xC0) {
      jpeg[at + 5] = static_cast<char>(15000 >> 8), jpeg[at + 6] = static_cast<char>(15000 & 0xFF);
      jpeg[at + 7] = static_cast<char>(15000 >> 8), jpeg[at + 8] = static_cast<char>(15000 & 0xFF);
      break;
    }
  }
  return jpeg;
}

// The three, written into the folder; their paths.
inline std::vector<std::string> Write(const std::filesystem::path& folder) {
  const std::pair<const char*, std::string> bombs[] = {
      {"bomb.gif", Gif()}, {"bomb.bmp", RunLengthBmp()}, {"bomb.jpg", Jpeg(folder)}};
  std::vector<std::string> paths;
  for (const auto& [name, bytes] : bombs) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
    paths.push_back((folder / name).string());
  }
  return paths;
}

}  // namespace kumodo::picture_bombs
