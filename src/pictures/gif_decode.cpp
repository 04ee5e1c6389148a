#include <algorithm>
#include <array>
#include <vector>

#include "pictures/picture_decode.h"

namespace kumodo {
namespace {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Has(std::size_t n) const { return position_ + n <= bytes_.size(); }
  std::uint8_t Byte() { return bytes_[position_++]; }
  std::uint16_t Le16() {
    std::uint16_t value = static_cast<std::uint16_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
    position_ += 2;
    return value;
  }
  void Skip(std::size_t n) { position_ += n; }

  // Reads a chain of data sub-blocks up to its terminator; false if the file ends first.
  bool SubBlocks(std::vector<std::uint8_t>* collected) {
    for (;;) {
      if (!Has(1)) return false;
      const std::uint8_t length = Byte();
      if (length == 0) return true;
      if (!Has(length)) return false;
      if (collected) collected->insert(collected->end(), bytes_.begin() + position_, bytes_.begin() + position_ + length);
      position_ += length;
    }
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

bool ReadColourTable(ByteReader& reader, std::uint8_t packed, std::array<Rgb, 256>& table) {
  const int entries = 2 << (packed & 7);
  if (!reader.Has(static_cast<std::size_t>(entries) * 3)) return false;
  for (int i = 0; i < entries; ++i) {
    const std::uint32_t r = reader.Byte();
    const std::uint32_t g = reader.Byte();
    const std::uint32_t b = reader.Byte();
    table[i] = r | (g << 8) | (b << 16);
  }
  return true;
}

// The codes of LZW data, least significant bit first, read across the
// sub-blocks that carry them.
class CodeReader {
 public:
  explicit CodeReader(ByteReader& reader) : reader_(reader) {}

  // The next code of `size` bits; false once the data has ended.
  bool Next(int size, int& code) {
    while (bitCount_ < size) {
      if (blockLeft_ == 0) {
        if (ended_ || !reader_.Has(1)) return false;
        blockLeft_ = reader_.Byte();
        if (blockLeft_ == 0) {
          ended_ = true;
          return false;
        }
      }
      if (!reader_.Has(1)) return false;
      bitBuffer_ |= static_cast<std::uint32_t>(reader_.Byte()) << bitCount_;
      bitCount_ += 8;
      --blockLeft_;
    }
    code = static_cast<int>(bitBuffer_ & ((1u << size) - 1));
    bitBuffer_ >>= size;
    bitCount_ -= size;
    return true;
  }

  // Passes over what is left of the data, up to its terminator; false if
  // the file ends first.
  bool Finish() {
    if (ended_) return true;
    if (!reader_.Has(blockLeft_)) return false;
    reader_.Skip(blockLeft_);
    return reader_.SubBlocks(nullptr);
  }

 private:
  ByteReader& reader_;
  std::size_t blockLeft_ = 0;
  bool ended_ = false;
  std::uint32_t bitBuffer_ = 0;
  int bitCount_ = 0;
};

// The string table of an LZW stream: each code it defines is an earlier
// code's string and one index more. Codes grow a bit wide as it fills.
class LzwTable {
 public:
  explicit LzwTable(int minimumCodeSize)
      : minimumCodeSize_(minimumCodeSize), clearCode_(1 << minimumCodeSize), endCode_(clearCode_ + 1) {
    for (int i = 0; i < clearCode_; ++i) suffix_[i] = static_cast<std::uint8_t>(i);
    Restart();
  }

  int CodeSize() const { return codeSize_; }

  // Takes one code, appending at most `room` of its indices to `indices`;
  // false if the data is corrupt.
  bool Take(int code, std::size_t room, std::vector<std::uint8_t>& indices) {
    if (code == clearCode_) {
      Restart();
      return true;
    }
    if (code == endCode_) return false;
    if (previous_ < 0) {
      if (code >= clearCode_) return false;
      if (room > 0) indices.push_back(static_cast<std::uint8_t>(code));
      previous_ = code;
      firstOfPrevious_ = static_cast<std::uint8_t>(code);
      return true;
    }
    const int first = Unwind(code, room, indices);
    if (first < 0) return false;
    Define(static_cast<std::uint8_t>(first));
    previous_ = code;
    firstOfPrevious_ = static_cast<std::uint8_t>(first);
    return true;
  }

 private:
  static constexpr int kMaxCodes = 4096;

  void Restart() {
    codeSize_ = minimumCodeSize_ + 1;
    nextCode_ = endCode_ + 1;
    previous_ = -1;
  }

  // Appends the string of `code` (the one being defined right now too) and
  // returns its first index; -1 for a code not defined yet or a loop.
  int Unwind(int code, std::size_t room, std::vector<std::uint8_t>& indices) {
    int walk = code;
    int depth = 0;
    if (code > nextCode_) return -1;
    if (code == nextCode_) {
      stack_[depth++] = firstOfPrevious_;
      walk = previous_;
    }
    while (walk >= clearCode_) {
      if (depth >= kMaxCodes - 1) return -1;
      stack_[depth++] = suffix_[walk];
      walk = prefix_[walk];
    }
    stack_[depth++] = suffix_[walk];
    for (; depth > 0 && room > 0; --room) indices.push_back(stack_[--depth]);
    return suffix_[walk];
  }

  // The previous code's string and `first` becomes the next code.
  void Define(std::uint8_t first) {
    if (nextCode_ >= kMaxCodes) return;
    prefix_[nextCode_] = static_cast<std::uint16_t>(previous_);
    suffix_[nextCode_] = first;
    ++nextCode_;
    if (nextCode_ == (1 << codeSize_) && codeSize_ < 12) ++codeSize_;
  }

  const int minimumCodeSize_;
  const int clearCode_;
  const int endCode_;
  int codeSize_ = 0;
  int nextCode_ = 0;
  int previous_ = -1;
  std::uint8_t firstOfPrevious_ = 0;
  std::array<std::uint16_t, kMaxCodes> prefix_{};
  std::array<std::uint8_t, kMaxCodes> suffix_{};
  std::array<std::uint8_t, kMaxCodes> stack_{};
};

// Row order of an interlaced picture: every 8th from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(height);
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  }
  return rows;
}

}  // namespace

// The first frame of a GIF on a canvas of its logical screen size, each of
// its rows put as soon as its indices are expanded. Pixels the frame does
// not cover, and transparent ones, are black.
bool DecodeGif(std::span<const std::uint8_t> bytes, PictureReceiver& receiver, PictureLimit limit) {
  ByteReader reader(bytes);
  if (!reader.Has(13)) return false;
  reader.Skip(6);
  const int screenWidth = reader.Le16();
  const int screenHeight = reader.Le16();
  const std::uint8_t screenPacked = reader.Byte();
  reader.Skip(2);
  if (!PictureSizeAllowed(screenWidth, screenHeight, limit)) return false;
  std::array<Rgb, 256> globalTable{};
  if ((screenPacked & 0x80) && !ReadColourTable(reader, screenPacked, globalTable)) return false;

  int transparentIndex = -1;
  for (;;) {
    if (!reader.Has(1)) return false;
    const std::uint8_t introducer = reader.Byte();
    if (introducer == 0x21) {  // extension
      if (!reader.Has(1)) return false;
      const std::uint8_t label = reader.Byte();
      const bool control = label == 0xF9;  // the only one read: it names the transparent index
      std::vector<std::uint8_t> body;
      if (!reader.SubBlocks(control ? &body : nullptr)) return false;
      if (control && body.size() >= 4) transparentIndex = (body[0] & 1) ? body[3] : -1;
      continue;
    }
    if (introducer != 0x2C) return false;  // trailer or garbage before any frame

    if (!reader.Has(9)) return false;
    const int left = reader.Le16();
    const int top = reader.Le16();
    const int width = reader.Le16();
    const int height = reader.Le16();
    const std::uint8_t packed = reader.Byte();
    if (!PictureSizeAllowed(width, height, limit)) return false;
    std::array<Rgb, 256> localTable{};
    const std::array<Rgb, 256>* table = &globalTable;
    if (packed & 0x80) {
      if (!ReadColourTable(reader, packed, localTable)) return false;
      table = &localTable;
    }
    if (!reader.Has(1)) return false;
    const int minimumCodeSize = reader.Byte();
    if (minimumCodeSize < 1 || minimumCodeSize > 11) return false;
    const PictureSize screen{screenWidth, screenHeight};
    if (!receiver.Start(screen, screen)) return false;

    // The frame's columns on the screen.
    const int shown = std::max(0, std::min(left + width, screenWidth) - left);
    std::vector<Rgb> row(static_cast<std::size_t>(shown));
    const std::vector<int> rows = RowOrder(height, (packed & 0x40) != 0);
    LzwTable lzw(minimumCodeSize);
    CodeReader codes(reader);
    std::vector<std::uint8_t> indices;  // expanded, not yet put: less than a row and one code's string
    std::size_t room = static_cast<std::size_t>(width) * height;
    for (std::size_t next = 0; next < rows.size();) {
      int code = 0;
      const std::size_t before = indices.size();
      if (!codes.Next(lzw.CodeSize(), code) || !lzw.Take(code, room, indices)) return false;
      room -= indices.size() - before;
      std::size_t used = 0;
      for (; next < rows.size() && indices.size() - used >= static_cast<std::size_t>(width); ++next) {
        const int y = top + rows[next];
        if (y < screenHeight && shown > 0) {
          for (int x = 0; x < shown; ++x) {
            const int index = indices[used + static_cast<std::size_t>(x)];
            row[static_cast<std::size_t>(x)] = index == transparentIndex ? 0 : (*table)[index];
          }
          receiver.Put(y, left, 1, row);
        }
        used += static_cast<std::size_t>(width);
      }
      indices.erase(indices.begin(), indices.begin() + static_cast<std::ptrdiff_t>(used));
    }
    return codes.Finish();
  }
}

}  // namespace kumodo
