// The text layer: cells, colours, tabs, line ends, clamping and scrolling.
#include "screen/text_layer.h"

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "screen/palette.h"

namespace kumodo {
namespace {

constexpr int kVisible = 600;  // 37 rows of 16 pixels fit

TEST(TextLayer, TabAdvancesToTheNextMultipleOfEight) {
  TextLayer layer;
  PrintText(layer, "A\tB", kVisible);
  EXPECT_EQ(RowText(layer, 0), "A       B");
  EXPECT_EQ(layer.cursorColumn, 9);
}

TEST(TextLayer, CrLfStartsTheNextRowButALoneCrIsACharacter) {
  TextLayer layer;
  PrintText(layer, "ab\r\ncd\rx", kVisible);
  EXPECT_EQ(RowText(layer, 0), "ab");
  EXPECT_EQ(RowText(layer, 1), "cd\rx");
  EXPECT_EQ(layer.cursorRow, 1);
}

TEST(TextLayer, LocateClampsAndPadsWithTransparentSpaces) {
  TextLayer layer;
  LocateText(layer, -5, 200);
  EXPECT_EQ(layer.cursorColumn, 0);
  EXPECT_EQ(layer.cursorRow, 100);

  LocateText(layer, 10, 3);
  EXPECT_EQ(RowText(layer, 3), std::string(10, ' '));
  EXPECT_EQ(layer.rows[3].background[9], kTransparent);
  PrintText(layer, "X", kVisible);
  EXPECT_EQ(RowText(layer, 3), std::string(10, ' ') + "X");
}

TEST(TextLayer, DoubleByteCharacterTakesTwoCellsWithItsColoursAtTheFirst) {
  TextLayer layer;
  SetTextColours(layer, 6, 1);
  LocateText(layer, 4, 0);
  const std::string kanji = Utf8ToSjis("点");
  ASSERT_EQ(kanji.size(), 2u);
  PrintText(layer, kanji + "Z", kVisible);
  EXPECT_EQ(layer.cursorColumn, 7);
  EXPECT_EQ(RowText(layer, 0).substr(4), kanji + "Z");
  EXPECT_EQ(layer.rows[0].foreground[4], PaletteColour(6));
  EXPECT_EQ(layer.rows[0].background[4], static_cast<std::int32_t>(PaletteColour(1)));
}

TEST(TextLayer, PrintingPastTheVisibleRowsScrollsOnlyTheText) {
  TextLayer layer;
  PrintText(layer, "top", kVisible);
  LocateText(layer, 0, 36);  // the last row that fits in 600 pixels
  PrintText(layer, "last\r\n", kVisible);
  EXPECT_EQ(layer.cursorRow, 36);
  EXPECT_EQ(RowText(layer, 35), "last");
  EXPECT_EQ(RowText(layer, 0), "");  // "top" scrolled away
}

TEST(TextLayer, NothingIsWrittenOutsideARowOrTheGrid) {
  TextLayer layer;
  PrintText(layer, std::string(300, 'x'), kVisible);
  EXPECT_EQ(RowText(layer, 0).size(), 254u);
  std::string manyLines;
  for (int i = 0; i < 150; ++i) manyLines += "line\r\n";
  LocateText(layer, 0, 0);
  PrintText(layer, manyLines, 100000);  // a tall area: the grid's own 101 rows bound it
  EXPECT_EQ(layer.cursorRow, 100);
  EXPECT_EQ(RowText(layer, 99), "line");
}

TEST(TextLayer, RenderingDrawsGlyphsAndOpaqueCellsOnly) {
  GlyphSource glyphs;
  ASSERT_TRUE(glyphs.HasFont()) << "the Japanese Gothic font is missing";
  TextLayer layer;
  Bitmap surface(64, 32, PaletteColour(2));
  SetTextColours(layer, 7, -1);
  PrintText(layer, "W", kVisible);
  SetTextColours(layer, 6, 1);
  PrintText(layer, " ", kVisible);
  RenderTextRows(layer, glyphs, surface);

  int white = 0;
  int red = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 8; ++x) {
      white += surface.At(x, y) == PaletteColour(7);
      red += surface.At(x, y) == PaletteColour(2);
    }
  }
  EXPECT_GT(white, 10);  // the glyph's ink
  EXPECT_GT(red, 40);    // the transparent background shows the graphics
  for (int y = 0; y < 16; ++y) {
    for (int x = 8; x < 16; ++x) ASSERT_EQ(surface.At(x, y), PaletteColour(1));  // opaque blank cell
  }
  EXPECT_EQ(surface.At(20, 5), PaletteColour(2));
}

TEST(TextLayer, WideGlyphsSpanTwoCells) {
  GlyphSource glyphs;
  ASSERT_TRUE(glyphs.HasFont());
  const GlyphMask& wide = glyphs.Glyph(0x93'5F);  // 点 in Shift-JIS
  EXPECT_EQ(wide.width, 16);
  int rightHalfInk = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 8; x < 16; ++x) rightHalfInk += wide.InkAt(x, y);
  }
  EXPECT_GT(rightHalfInk, 5);
  EXPECT_EQ(glyphs.Glyph('A').width, 8);
}

}  // namespace
}  // namespace kumodo
