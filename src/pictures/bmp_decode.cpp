// BMP files, read by our own code on every system, row by row: every depth,
// colour tables, bit fields of any width (with alpha, shown over black),
// run-length coding, either row order. Nothing is taken before a row is
// whole, so run-length data that never fills the size it claims costs no
// more than a row.
#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "pictures/picture_decode.h"

namespace kumodo {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kMasksAt = kFileHeaderBytes + 40;

enum Compression : std::uint32_t { kPlain = 0, kRunLength8 = 1, kRunLength4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// One channel of a bit-field pixel.
class Channel {
 public:
  Channel() = default;
  explicit Channel(std::uint32_t mask)
      : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), bits_(std::popcount(mask)) {}
  bool Present() const { return mask_ != 0; }
  // A mask of one run of bits; others make no channel.
  bool Sound() const { return mask_ == 0 || ((mask_ >> shift_) & ((mask_ >> shift_) + 1)) == 0; }

  // The channel's value widened to 8 bits: fewer bits repeated from the top,
  // as the system's decoders and ImageMagick do (5 bits of 28 give 231,
  // where cutting 28 * 255 / 31 = 230.3 short would give 230); more bits
  // rounded to the nearest.
  std::uint8_t Of(std::uint32_t pixel) const {
    const std::uint32_t value = (pixel & mask_) >> shift_;
    if (bits_ == 0) return 0;
    if (bits_ > 8) {
      const std::uint64_t most = (std::uint64_t{1} << bits_) - 1;
      return static_cast<std::uint8_t>((value * std::uint64_t{255} + most / 2) / most);
    }
    std::uint32_t widened = 0;
    int filled = 0;
    for (; filled < 8; filled += bits_) widened = (widened << bits_) | value;
    return static_cast<std::uint8_t>(widened >> (filled - 8));
  }

 private:
  std::uint32_t mask_ = 0;
  int shift_ = 0;
  int bits_ = 0;
};

struct Layout {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bitsPerPixel = 0;
  std::uint32_t compression = kPlain;
  std::array<Rgb, 256> palette{};  // entries the file does not hold are black
  Channel red, green, blue, alpha;
  std::size_t pixelsAt = 0;
};

// The header, bit masks and colour table; nothing for a layout no BMP has
// or one the bytes do not hold.
std::optional<Layout> ReadLayout(std::span<const std::uint8_t> b, PictureLimit limit) {
  if (b.size() < kFileHeaderBytes + 12) return std::nullopt;
  Layout layout;
  const std::uint32_t headerSize = Le32(b, kFileHeaderBytes);
  std::size_t paletteAt = kFileHeaderBytes + headerSize;
  std::size_t entryBytes = 4;
  std::uint32_t coloursUsed = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  if (headerSize == 12) {  // the oldest header: 16-bit sizes, three-byte colour entries
    width = Le16(b, 18);
    height = Le16(b, 20);
    layout.bitsPerPixel = Le16(b, 24);
    entryBytes = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
    if (b.size() < kFileHeaderBytes + 40) return std::nullopt;
    width = static_cast<std::int32_t>(Le32(b, 18));
    height = static_cast<std::int32_t>(Le32(b, 22));
    layout.topDown = height < 0;
    layout.bitsPerPixel = Le16(b, 28);
    layout.compression = Le32(b, 30);
    coloursUsed = Le32(b, 46);
    // The masks follow the first 40 bytes, inside a longer header or after
    // a short one; only bit-field pixels use them.
    const bool bitFields = layout.compression == kBitFields || layout.compression == kAlphaBitFields;
    const std::size_t maskBytes = layout.compression == kAlphaBitFields ? 16 : bitFields ? 12 : 0;
    const std::size_t headerMaskBytes = std::min<std::size_t>(headerSize - 40, 16);
    if (maskBytes > headerMaskBytes) paletteAt += maskBytes - headerMaskBytes;
    if (bitFields) {
      if (b.size() < kMasksAt + maskBytes) return std::nullopt;
      layout.red = Channel(Le32(b, kMasksAt));
      layout.green = Channel(Le32(b, kMasksAt + 4));
      layout.blue = Channel(Le32(b, kMasksAt + 8));
      if (std::max(maskBytes, headerMaskBytes) >= 16) layout.alpha = Channel(Le32(b, kMasksAt + 12));
    }
  } else {
    return std::nullopt;
  }
  if (height < 0) height = -height;
  if (!PictureSizeAllowed(width, height, limit)) return std::nullopt;
  layout.width = static_cast<int>(width);
  layout.height = static_cast<int>(height);

  const int depth = layout.bitsPerPixel;
  switch (layout.compression) {
    case kPlain:
      if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return std::nullopt;
      // Without bit fields: five bits a channel at 16 bits, bytes at 32 (the
      // fourth unused).
      if (depth == 16) layout.red = Channel(0x7C00), layout.green = Channel(0x03E0), layout.blue = Channel(0x001F);
      if (depth == 32) layout.red = Channel(0xFF0000), layout.green = Channel(0xFF00), layout.blue = Channel(0xFF);
      break;
    case kRunLength8:
    case kRunLength4:
      if (depth != (layout.compression == kRunLength8 ? 8 : 4)) return std::nullopt;
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (depth != 16 && depth != 32) return std::nullopt;
      if (!layout.red.Sound() || !layout.green.Sound() || !layout.blue.Sound() || !layout.alpha.Sound()) {
        return std::nullopt;
      }
      break;
    default:
      return std::nullopt;
  }
  if (depth <= 8) {
    const std::size_t most = std::size_t{1} << depth;
    const std::size_t entries = coloursUsed > 0 && coloursUsed < most ? coloursUsed : most;
    for (std::size_t i = 0; i < entries && paletteAt + (i + 1) * entryBytes <= b.size(); ++i) {
      const std::size_t at = paletteAt + i * entryBytes;
      layout.palette[i] = b[at + 2] | (b[at + 1] << 8) | (static_cast<Rgb>(b[at]) << 16);  // blue, green, red
    }
  }
  layout.pixelsAt = Le32(b, 10);
  if (layout.pixelsAt > b.size()) return std::nullopt;
  return layout;
}

// A bit-field pixel drawn over black, as the other kinds' transparency shows.
Rgb FieldPixel(const Layout& layout, std::uint32_t pixel) {
  const std::uint32_t alpha = layout.alpha.Present() ? layout.alpha.Of(pixel) : 255;
  auto over = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
  return over(layout.red.Of(pixel)) | (over(layout.green.Of(pixel)) << 8) | (over(layout.blue.Of(pixel)) << 16);
}

bool DecodeRows(std::span<const std::uint8_t> b, const Layout& layout, PictureReceiver& receiver) {
  const std::int64_t rowBytes = (static_cast<std::int64_t>(layout.width) * layout.bitsPerPixel + 31) / 32 * 4;
  if (static_cast<std::int64_t>(layout.pixelsAt) + rowBytes * layout.height > static_cast<std::int64_t>(b.size())) {
    return false;  // cut short
  }
  std::vector<Rgb> row(static_cast<std::size_t>(layout.width));
  const int depth = layout.bitsPerPixel;
  for (int fileRow = 0; fileRow < layout.height; ++fileRow) {
    const std::uint8_t* bytes = b.data() + layout.pixelsAt + fileRow * rowBytes;
    for (int x = 0; x < layout.width; ++x) {
      Rgb& pixel = row[static_cast<std::size_t>(x)];
      switch (depth) {
        case 1:
        case 4:
        case 8: {
          const int bit = x * depth;
          const int index = (bytes[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
          pixel = layout.palette[static_cast<std::size_t>(index)];
          break;
        }
        case 16:
          pixel = FieldPixel(layout, bytes[2 * x] | (bytes[2 * x + 1] << 8));
          break;
        case 24:
          pixel = bytes[3 * x + 2] | (bytes[3 * x + 1] << 8) | (static_cast<Rgb>(bytes[3 * x]) << 16);
          break;
        default:
          pixel = FieldPixel(layout, Le32(b, layout.pixelsAt + fileRow * rowBytes + 4 * x));
          break;
      }
    }
    receiver.Put(layout.topDown ? fileRow : layout.height - 1 - fileRow, 0, 1, row);
  }
  return true;
}

// Run-length coded indices: runs of one index (two alternating at 4 bits),
// literal indices, and codes that end a row, jump ahead or end the picture.
// Pixels jumped over and never coded are black; pixels past the picture's
// edges are dropped, and coding that ends before its end code is a file cut
// short.
bool DecodeRunLength(std::span<const std::uint8_t> b, const Layout& layout, PictureReceiver& receiver) {
  const bool fourBit = layout.compression == kRunLength4;
  std::vector<Rgb> row(static_cast<std::size_t>(layout.width));
  bool touched = false;
  int x = 0;
  int fileRow = 0;  // clamped at the height: rows past it are dropped
  auto set = [&](int index) {
    if (x < layout.width && fileRow < layout.height) {
      row[static_cast<std::size_t>(x)] = layout.palette[static_cast<std::size_t>(index)];
      touched = true;
    }
    x = std::min(x + 1, layout.width);
  };
  auto endRow = [&](int rows) {
    if (touched) receiver.Put(layout.topDown ? fileRow : layout.height - 1 - fileRow, 0, 1, row);
    std::fill(row.begin(), row.end(), 0);
    touched = false;
    fileRow = std::min(fileRow + rows, layout.height);
  };
  for (std::size_t at = layout.pixelsAt; at + 2 <= b.size();) {
    const int count = b[at];
    const int code = b[at + 1];
    at += 2;
    if (count > 0) {
      // Past the row's end the run changes nothing, however long.
      const int inside = std::min(count, layout.width - x);
      for (int i = 0; i < inside; ++i) set(fourBit ? (i % 2 == 0 ? code >> 4 : code & 15) : code);
      continue;
    }
    if (code == 0) {
      endRow(1);
      x = 0;
    } else if (code == 1) {
      endRow(0);
      return true;
    } else if (code == 2) {
      if (at + 2 > b.size()) return false;
      if (b[at + 1] > 0) endRow(b[at + 1]);
      x = std::min(x + b[at], layout.width);
      at += 2;
    } else {
      const std::size_t bytes = fourBit ? (code + 1) / 2 : code;
      const std::size_t padded = (bytes + 1) & ~std::size_t{1};  // to a whole number of 16-bit words
      if (at + padded > b.size()) return false;
      for (int i = 0; i < code; ++i) set(fourBit ? (i % 2 == 0 ? b[at + i / 2] >> 4 : b[at + i / 2] & 15) : b[at + i]);
      at += padded;
    }
  }
  return false;
}

}  // namespace

bool DecodeBmp(std::span<const std::uint8_t> bytes, PictureReceiver& receiver, PictureLimit limit) {
  const std::optional<Layout> layout = ReadLayout(bytes, limit);
  if (!layout) return false;
  const PictureSize size{layout->width, layout->height};
  if (!receiver.Start(size, size)) return false;
  const bool runLength = layout->compression == kRunLength8 || layout->compression == kRunLength4;
  return runLength ? DecodeRunLength(bytes, *layout, receiver) : DecodeRows(bytes, *layout, receiver);
}

}  // namespace kumodo
