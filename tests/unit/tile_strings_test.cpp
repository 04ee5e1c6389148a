// The BASIC tile strings against the tiles the editor fills with.
#include "export/tile_strings.h"

#include <gtest/gtest.h>

#include <regex>

#include "picture/tiles.h"

namespace kumodo {
namespace {

std::vector<unsigned> Bytes(const std::string& tile) {
  std::vector<unsigned> bytes;
  static const std::regex term("CHR\\$\\(&H([0-9A-F]{2})\\)");
  for (auto it = std::sregex_iterator(tile.begin(), tile.end(), term); it != std::sregex_iterator(); ++it) {
    bytes.push_back(static_cast<unsigned>(std::stoul((*it)[1].str(), nullptr, 16)));
  }
  return bytes;
}

TEST(TileStrings, EveryTileSpellsTheEditorsTileDotForDot) {
  const TileStringTable table = BuildTileStringTable();
  for (int kind = 0; kind < 3; ++kind) {
    for (int a = 0; a < 8; ++a) {
      for (int b = 0; b < 8; ++b) {
        const std::string& tile = table[kind][a][b];
        const std::size_t rows = kind == 2 ? 4 : 2;
        ASSERT_EQ(tile.size(), kind == 2 ? 131u : 65u) << kind << a << b;
        const std::vector<unsigned> bytes = Bytes(tile);
        ASSERT_EQ(bytes.size(), 3 * rows);
        EXPECT_EQ(std::count(tile.begin(), tile.end(), '+'), static_cast<long>(3 * rows - 1));
        for (std::size_t row = 0; row < rows; ++row) {
          for (int x = 0; x < 8; ++x) {
            const unsigned bit = 0x80u >> x;
            const int colour = (bytes[3 * row] & bit ? 1 : 0) | (bytes[3 * row + 1] & bit ? 2 : 0) |
                               (bytes[3 * row + 2] & bit ? 4 : 0);
            // The majority colour A is the tile's second colour, B its first.
            ASSERT_EQ(colour, TilePixelColour(kind, b, a, x, static_cast<int>(row)))
                << "kind " << kind << " A " << a << " B " << b << " at " << x << "," << row;
          }
        }
      }
    }
  }
}

TEST(TileStrings, TheExamples) {
  const TileStringTable table = BuildTileStringTable();
  EXPECT_EQ(table[0][2][1], "CHR$(&H55)+CHR$(&HAA)+CHR$(&H00)+CHR$(&HAA)+CHR$(&H55)+CHR$(&H00)");
  EXPECT_EQ(table[1][7][0], "CHR$(&H77)+CHR$(&H77)+CHR$(&H77)+CHR$(&HDD)+CHR$(&HDD)+CHR$(&HDD)");
  EXPECT_EQ(table[2][4][4], "CHR$(&H00)+CHR$(&H00)+CHR$(&HFF)+CHR$(&H00)+CHR$(&H00)+CHR$(&HFF)+"
                            "CHR$(&H00)+CHR$(&H00)+CHR$(&HFF)+CHR$(&H00)+CHR$(&H00)+CHR$(&HFF)");
  const std::vector<unsigned> blackOnBlue = Bytes(table[2][0][1]);
  EXPECT_EQ(blackOnBlue, (std::vector<unsigned>{0x88, 0, 0, 0, 0, 0, 0x22, 0, 0, 0, 0, 0}));
}

TEST(TileStrings, LookUpOutsideTheTableIsEmpty) {
  const TileStringTable table = BuildTileStringTable();
  EXPECT_EQ(LookUpTileString(table, 3, 0, 0), "");
  EXPECT_EQ(LookUpTileString(table, 0, 8, 0), "");
  EXPECT_EQ(LookUpTileString(table, 0, 0, -1), "");
  EXPECT_EQ(LookUpTileString(table, 2, 7, 7), table[2][7][7]);
}

}  // namespace
}  // namespace kumodo
