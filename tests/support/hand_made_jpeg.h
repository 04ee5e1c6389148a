#pragma once
// JPEG files of one flat colour, made by hand at any size: every block holds
// its component's level alone, coded in two bits, so that a picture of
// 8192 x 8192 takes a few hundred kilobytes. Baseline, or progressive (one
// DC scan, then as many AC scans of end-of-band runs as asked, which a
// decoder accepts with a warning once each band has been sent), of one to
// four components, with the Adobe marker that makes four of them CMYK or YCCK.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kumodo::hand_made_jpeg {

struct Component {
  int level;  // every sample's value, 0 to 255
  int horizontal = 1;
  int vertical = 1;  // sampling factors
};

struct Layout {
  int width = 0;
  int height = 0;
  std::vector<Component> components;
  bool progressive = false;
  int acScans = 0;          // progressive: each over every block of one component, in turn
  int adobeTransform = -1;  // the Adobe marker's: 0 CMYK, 2 YCCK; none when negative
};

// Entropy-coded bits, most significant first, with a 0 after every 0xFF byte.
class BitWriter {
 public:
  void Put(std::uint32_t bits, int count) {
    for (int i = count - 1; i >= 0; --i) {
      byte_ = static_cast<std::uint8_t>((byte_ << 1) | ((bits >> i) & 1));
      if (++filled_ == 8) Flush();
    }
  }
  // Padded with 1 bits to a whole byte.
  std::string Finish() {
    while (filled_ != 0) Put(1, 1);
    return std::move(out_);
  }

 private:
  void Flush() {
    out_ += static_cast<char>(byte_);
    if (byte_ == 0xFF) out_ += '\0';
    byte_ = 0;
    filled_ = 0;
  }
  std::string out_;
  std::uint8_t byte_ = 0;
  int filled_ = 0;
};

inline void PutBe16(std::string& out, int value) {
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

inline std::string Segment(std::uint8_t marker, const std::string& body) {
  std::string segment = {'\xFF', static_cast<char>(marker)};
  PutBe16(segment, static_cast<int>(body.size()) + 2);
  return segment + body;
}

// One Huffman table: symbol `first` in one bit ("0"), then the others in five
// bits each from "10000". Both tables are built so: the DC table's symbols
// are the difference categories 0 to 11, the AC table's the end-of-band runs
// 0x00 (one block), 0x10, ... 0xE0.
inline std::string HuffmanTable(int classAndId, const std::vector<int>& symbols) {
  std::string body(1, static_cast<char>(classAndId));
  std::string counts(16, '\0');
  counts[0] = 1;
  counts[4] = static_cast<char>(symbols.size() - 1);
  body += counts;
  for (int symbol : symbols) body += static_cast<char>(symbol);
  return Segment(0xC4, body);
}
inline void PutSymbol(BitWriter& bits, int index) {
  if (index == 0) {
    bits.Put(0, 1);
  } else {
    bits.Put(0x10 + static_cast<std::uint32_t>(index - 1), 5);
  }
}

// A DC difference: its category's code, then its bits (one less for a negative value).
inline void PutDifference(BitWriter& bits, int difference) {
  int category = 0;
  for (int magnitude = difference < 0 ? -difference : difference; magnitude > 0; magnitude >>= 1) ++category;
  PutSymbol(bits, category);
  if (category > 0) bits.Put(static_cast<std::uint32_t>(difference < 0 ? difference - 1 : difference), category);
}

// `blocks` blocks of no AC coefficient, in end-of-band runs of up to 32767.
inline void PutEndOfBandRuns(BitWriter& bits, long long blocks) {
  while (blocks > 0) {
    const int run = static_cast<int>(std::min<long long>(blocks, 32767));
    int size = 0;
    while ((2 << size) <= run) ++size;
    PutSymbol(bits, size);
    if (size > 0) bits.Put(static_cast<std::uint32_t>(run - (1 << size)), size);
    blocks -= run;
  }
}

inline std::string Make(const Layout& layout) {
  const int count = static_cast<int>(layout.components.size());
  int maxH = 1, maxV = 1;
  for (const Component& c : layout.components) maxH = std::max(maxH, c.horizontal), maxV = std::max(maxV, c.vertical);
  std::string jpeg = "\xFF\xD8";
  if (layout.adobeTransform >= 0) {
    jpeg += Segment(0xEE, std::string("Adobe\0\x64\0\0\0\0", 11) + static_cast<char>(layout.adobeTransform));
  }
  jpeg += Segment(0xDB, std::string(1, '\0') + std::string(64, '\1'));  // every step 1
  std::string frame(1, '\x08');
  PutBe16(frame, layout.height);
  PutBe16(frame, layout.width);
  frame += static_cast<char>(count);
  for (int i = 0; i < count; ++i) {
    const Component& c = layout.components[static_cast<std::size_t>(i)];
    frame += {static_cast<char>(i + 1), static_cast<char>((c.horizontal << 4) | c.vertical), '\0'};
  }
  jpeg += Segment(layout.progressive ? 0xC2 : 0xC0, frame);
  jpeg += HuffmanTable(0x00, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  jpeg +=
      HuffmanTable(0x10, {0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0});

  auto scanHeader = [&](const std::vector<int>& members, int start, int end) {
    std::string body(1, static_cast<char>(members.size()));
    for (int i : members) body += {static_cast<char>(i + 1), '\0'};
    body += {static_cast<char>(start), static_cast<char>(end), '\0'};
    return Segment(0xDA, body);
  };
  std::vector<int> all;
  for (int i = 0; i < count; ++i) all.push_back(i);
  // The first scan: every component's blocks, interleaved by MCU when more than one.
  {
    BitWriter bits;
    std::vector<bool> first(static_cast<std::size_t>(count), true);
    auto block = [&](int i) {
      const int dc = (layout.components[static_cast<std::size_t>(i)].level - 128) * 8;
      PutDifference(bits, first[static_cast<std::size_t>(i)] ? dc : 0);
      first[static_cast<std::size_t>(i)] = false;
      if (!layout.progressive) PutSymbol(bits, 0);  // no AC coefficient
    };
    if (count == 1) {
      const long long blocks = static_cast<long long>((layout.width + 7) / 8) * ((layout.height + 7) / 8);
      for (long long b = 0; b < blocks; ++b) block(0);
    } else {
      const long long mcus = static_cast<long long>((layout.width + 8 * maxH - 1) / (8 * maxH)) *
                             ((layout.height + 8 * maxV - 1) / (8 * maxV));
      for (long long m = 0; m < mcus; ++m) {
        for (int i = 0; i < count; ++i) {
          const Component& c = layout.components[static_cast<std::size_t>(i)];
          for (int b = 0; b < c.horizontal * c.vertical; ++b) block(i);
        }
      }
    }
    jpeg += scanHeader(all, 0, layout.progressive ? 0 : 63) + bits.Finish();
  }
  for (int scan = 0; layout.progressive && scan < layout.acScans; ++scan) {
    const int i = scan % count;
    const Component& c = layout.components[static_cast<std::size_t>(i)];
    const int columns = (layout.width * c.horizontal + maxH - 1) / maxH;
    const int rows = (layout.height * c.vertical + maxV - 1) / maxV;
    BitWriter bits;
    PutEndOfBandRuns(bits, static_cast<long long>((columns + 7) / 8) * ((rows + 7) / 8));
    jpeg += scanHeader({i}, 1, 63) + bits.Finish();
  }
  return jpeg + "\xFF\xD9";
}

// Grey, or YCbCr 4:2:0 of one grey, the usual photograph's layout.
inline Layout Grey(int width, int height, int level, bool colour) {
  Layout layout{width, height, {{level}}};
  if (colour) layout.components = {{level, 2, 2}, {128}, {128}};
  return layout;
}

}  // namespace kumodo::hand_made_jpeg
