// Pictures reduced for the eye: each area takes the apparent colour (one of
// the eight, or a tile's mixture of two) nearest it in Oklab, and is drawn
// with lines and a fill or tile fill; the drawing chosen within a budget is
// the one that looks closest, and more budget never looks worse.
#include <gtest/gtest.h>

#include <cmath>

#include "export/basic_program.h"
#include "export/picture_records.h"
#include "export/tile_strings.h"
#include "picture/record_drawing.h"
#include "pictures/apparent_colours.h"
#include "pictures/closeness.h"
#include "screen/palette.h"

namespace kumodo {
namespace {

BasicCommands Commands() { return LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/kumodo-basic-cmd.txt"); }

Rgb Grey(int level) { return static_cast<Rgb>(level) * 0x010101u; }

// A picture that changes colour slowly from one corner to the other, with
// shapes of flat colour on it.
Bitmap Gradient(int height) {
  Bitmap picture(640, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < 640; ++x) {
      const int red = x * 255 / 639, green = y * 255 / (height - 1), blue = 255 - (x + y) * 255 / (639 + height - 1);
      picture.At(x, y) = static_cast<Rgb>(red | green << 8 | blue << 16);
    }
  }
  for (int y = height / 4; y < height / 2; ++y) {
    for (int x = 100; x < 220; ++x) picture.At(x, y) = 0x2850C8;  // brick orange
  }
  return picture;
}

TEST(EyePictures, AFlatPictureOfAnApparentColourIsOneFillOfAColourThatLooksTheSame) {
  const BasicCommands commands = Commands();
  const TileStringTable tiles = BuildTileStringTable();
  const Settings settings;
  for (const ApparentColour& colour : ApparentColours()) {
    if (colour.kind == 2 && colour.second == 0) continue;  // never chosen
    const Bitmap flat(640, 16, colour.mean);
    const PictureRecords made = RecordsForPictureByEye(flat, settings, commands, tiles, 0);
    if (colour.mean == 0) {
      EXPECT_TRUE(made.records.empty()) << "the screen starts black";
      continue;
    }
    ASSERT_EQ(made.records.size(), 1u) << colour.kind << " " << colour.first << " " << colour.second;
    const OperationRecord& fill = made.records[0];
    if (colour.Solid()) {
      EXPECT_EQ(fill[field::Kind], kind::Paint);
      EXPECT_EQ(fill[field::Colour], colour.first);
      continue;
    }
    ASSERT_EQ(fill[field::Kind], kind::TilePaint) << colour.kind << " " << colour.first << " " << colour.second;
    // Mixtures of different colours may have one mean (grey four ways): the
    // fill's must be this one's.
    for (const ApparentColour& chosen : ApparentColours()) {
      if (chosen.kind == fill[field::TileKind] && chosen.first == fill[field::Colour] &&
          chosen.second == fill[field::Second]) {
        EXPECT_EQ(chosen.mean, colour.mean) << colour.kind << " " << colour.first << " " << colour.second;
      }
    }
  }
}

TEST(EyePictures, AGreyRampKeepsTheOrderOfItsTonesAndStaysGrey) {
  Bitmap ramp(640, 40);
  for (int x = 0; x < 640; ++x) {
    for (int y = 0; y < 40; ++y) ramp.At(x, y) = Grey(x * 255 / 639);
  }
  const PictureRecords made = RecordsForPictureByEye(ramp, Settings(), Commands(), BuildTileStringTable(), 0);
  const Bitmap drawn = RenderPicture(ListOfRecords(made.records), 40, true, RuleTiles());
  // The drawing's tones, each column's averaged over its rows and eight
  // columns around (a tile's width), rise from left to right.
  double last = -1;
  int steps = 0;
  for (int x = 8; x < 632; x += 8) {
    double sum = 0;
    for (int dx = -4; dx < 4; ++dx) {
      for (int y = 4; y < 36; ++y) {
        const Rgb pixel = drawn.At(x + dx, y);
        sum += 0.299 * (pixel & 0xFF) + 0.587 * ((pixel >> 8) & 0xFF) + 0.114 * ((pixel >> 16) & 0xFF);
      }
    }
    const double tone = sum / (8 * 32);
    EXPECT_GE(tone, last - 12) << "at x " << x;  // a region's edge may darken its dots a little
    steps += tone > last + 12;
    last = std::max(last, tone);
  }
  EXPECT_GE(steps, 5) << "the ramp keeps its tones, not two or three";
  EXPECT_LE(made.closeness.luminance, 15.0);
}

TEST(EyePictures, TheReplayIsWhatTheDrawingWasSimulatedAs) {
  const Bitmap picture = Gradient(200);
  Settings settings;
  settings.editingResolution = 2;
  const PictureRecords made = RecordsForPictureByEye(picture, settings, Commands(), BuildTileStringTable(), 0);
  const Bitmap drawn = RenderPicture(ListOfRecords(made.records), 200, true, RuleTiles());
  const Closeness replay = BlurredCloseness(picture, drawn);
  EXPECT_NEAR(replay.rgb, made.closeness.rgb, 1e-6);
  EXPECT_LE(made.closeness.rgb, 30.0);
  EXPECT_TRUE(std::any_of(made.records.begin(), made.records.end(),
                          [](const OperationRecord& r) { return r[field::Kind] == kind::TilePaint; }));
}

TEST(EyePictures, MoreBudgetNeverLooksWorseAndEveryBudgetIsKept) {
  const Bitmap picture = Gradient(400);
  const BasicCommands commands = Commands();
  const TileStringTable tiles = BuildTileStringTable();
  double last = 1e9;
  for (const std::size_t budget : {100u, 2000u, 6000u, 15000u, 40000u, 0u}) {
    const PictureRecords made = RecordsForPictureByEye(picture, Settings(), commands, tiles, budget);
    if (budget > 0) {
      EXPECT_LE(made.bytes, budget);
    }
    EXPECT_LE(made.closeness.rgb, last) << "budget " << budget;
    last = made.closeness.rgb;
  }
}

}  // namespace
}  // namespace kumodo
