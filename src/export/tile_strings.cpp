#include "export/tile_strings.h"

#include <cstdio>

namespace kumodo {
namespace {

// The rows of the majority colour's dot mask, leftmost dot in the top bit.
const std::vector<unsigned> kMasks[3] = {{0xAA, 0x55}, {0x77, 0xDD}, {0x77, 0xFF, 0xDD, 0xFF}};

std::string Term(unsigned byte) {
  char text[16];
  std::snprintf(text, sizeof text, "CHR$(&H%02X)", byte & 0xFF);
  return text;
}

}  // namespace

std::vector<std::array<unsigned char, 3>> TilePlaneRows(int kind, int majority, int minority) {
  std::vector<std::array<unsigned char, 3>> rows;
  for (const unsigned mask : kMasks[kind]) {
    std::array<unsigned char, 3> planes{};
    for (int plane = 0; plane < 3; ++plane) {  // blue, red, green
      const bool inA = majority & (1 << plane);
      const bool inB = minority & (1 << plane);
      planes[static_cast<std::size_t>(plane)] =
          static_cast<unsigned char>(inA && inB ? 0xFF : inA ? mask : inB ? ~mask & 0xFF : 0x00);
    }
    rows.push_back(planes);
  }
  return rows;
}

TileStringTable BuildTileStringTable() {
  TileStringTable table;
  for (int kind = 0; kind < 3; ++kind) {
    for (int a = 0; a < 8; ++a) {
      for (int b = 0; b < 8; ++b) {
        std::string text;
        for (const auto& planes : TilePlaneRows(kind, a, b)) {
          for (const unsigned char byte : planes) {
            if (!text.empty()) text += "+";
            text += Term(byte);
          }
        }
        table[kind][a][b] = text;
      }
    }
  }
  return table;
}

const std::string& LookUpTileString(const TileStringTable& table, int kind, int majority, int minority) {
  static const std::string kNone;
  if (kind < 0 || kind > 2 || majority < 0 || majority > 7 || minority < 0 || minority > 7) return kNone;
  return table[kind][majority][minority];
}

}  // namespace kumodo
