// A picture becomes records: with no limit their replay is the picture to
// the pixel, in far fewer bytes than a line for each run of a colour; within
// a budget the program fits it, and a larger budget buys no fewer pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "export/basic_program.h"
#include "export/machine_program.h"
#include "export/picture_records.h"
#include "export/program_memory.h"
#include "picture/record_drawing.h"
#include "screen/palette.h"
#include "support/colour_pictures.h"

namespace kumodo {
namespace {

using colour_pictures::Put;

BasicCommands Commands() { return LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/kumodo-basic-cmd.txt"); }

Settings ForHeight(int height) {
  Settings settings;
  settings.editingResolution = height == 200 ? 2 : 1;
  return settings;
}

// The pixels of the records' replay that differ from the picture.
int Differences(const std::vector<OperationRecord>& records, const ColourPicture& picture) {
  const Bitmap drawn = RenderPicture(ListOfRecords(records), picture.height, true, RuleTiles());
  int differing = 0;
  for (std::size_t p = 0; p < picture.colours.size(); ++p)
    differing += drawn.pixels[p] != PaletteColour(picture.colours[p]);
  return differing;
}

// Squares inside the holes of squares, some of the colour around their
// ring; a ring open to the picture's edge; stripes a pixel wide of every
// colour; a patch of noise.
ColourPicture NestedAndThin(int height) {
  ColourPicture picture{height, std::vector<std::uint8_t>(static_cast<std::size_t>(640) * height, 2)};
  const int colours[] = {5, 2, 5, 7, 0, 7, 3};
  for (int ring = 0; ring < 7; ++ring) {
    for (int y = 10 + ring * 8; y < height - 10 - ring * 8; ++y) {
      for (int x = 10 + ring * 8; x < 250 - ring * 8; ++x) Put(picture, x, y, colours[ring]);
    }
  }
  for (int y = height - 60; y < height; ++y) {
    for (int x = 300; x < 400; ++x) Put(picture, x, y, x < 310 || x >= 390 || y < height - 50 ? 6 : 1);
  }
  for (int x = 420; x < 640; ++x) {
    for (int y = 0; y < 60; ++y) Put(picture, x, y, x % 8);
    Put(picture, x, 70 + (x - 420) / 3, 4);
    Put(picture, x, 70 + (x - 420) / 2, 3);
  }
  colour_pictures::Noise(picture, 3, 560, height - 40, 40, 40);
  return picture;
}

TEST(PictureRecords, ReplayIsThePictureWithNoLimit) {
  const BasicCommands commands = Commands();
  const TileStringTable tiles = BuildTileStringTable();
  std::vector<ColourPicture> pictures = {NestedAndThin(400), NestedAndThin(200)};
  for (unsigned seed = 1; seed <= 4; ++seed)
    pictures.push_back(colour_pictures::Shapes(seed, seed % 2 ? 400 : 200, 40));
  for (std::size_t n = 0; n < pictures.size(); ++n) {
    const ColourPicture& picture = pictures[n];
    const Settings settings = ForHeight(picture.height);
    const PictureRecords made = RecordsForPicture(picture, settings, commands, tiles, 0);
    EXPECT_EQ(made.equalPixels, picture.colours.size()) << "picture " << n;
    EXPECT_EQ(Differences(made.records, picture), 0) << "picture " << n;
    // The machine's LINE and PAINT draw the same: its lines' dots are where
    // the editor puts them, and no fill stops short or runs over.
    EXPECT_TRUE(MachinePicture(made.records, settings, tiles).pixels ==
                RenderPicture(ListOfRecords(made.records), picture.height, true, RuleTiles()).pixels)
        << "picture " << n;
    // Records as the editor's tools make them: each its own group, fills to their own colour.
    for (const OperationRecord& record : made.records) {
      ASSERT_TRUE(record[field::Kind] == kind::Line || record[field::Kind] == kind::Dot ||
                  (record[field::Kind] == kind::Paint && record[field::Border] == record[field::Colour]));
      ASSERT_EQ(record[field::Chain], 1);
    }
    // Drawn shapes take a small part of the runs' bytes; noise inside the ellipses takes more.
    const double runsPerByte = static_cast<double>(colour_pictures::RunPerLineBytes(picture, settings, commands)) / made.bytes;
    EXPECT_GT(runsPerByte, n < 2 ? 8.0 : 1.5) << "picture " << n;
  }
}

TEST(PictureRecords, ProgramFitsTheBudgetAndMoreBudgetBuysNoLess) {
  const BasicCommands commands = Commands();
  const TileStringTable tiles = BuildTileStringTable();
  const Settings settings = ForHeight(200);
  ColourPicture picture = colour_pictures::Shapes(7, 200, 60);
  colour_pictures::Noise(picture, 8, 100, 50, 60, 60);
  const std::size_t pixels = picture.colours.size();
  std::array<std::size_t, 8> counts{};
  for (const std::uint8_t colour : picture.colours) ++counts[colour];
  std::size_t lastEqual = 0;
  // Too small for one PAINT: nothing; then at least the picture in its most common colour; then more of it.
  for (const std::size_t budget : {5, 40, 1500, 4000, 12000}) {
    const PictureRecords made = RecordsForPicture(picture, settings, commands, tiles, budget);
    if (budget == 5) {
      EXPECT_TRUE(made.records.empty());
    } else {
      EXPECT_GE(made.equalPixels, *std::max_element(counts.begin(), counts.end())) << budget;
    }
    EXPECT_LT(made.equalPixels, pixels) << budget;
    EXPECT_LE(made.bytes, budget);
    EXPECT_GE(made.equalPixels, lastEqual) << budget;
    lastEqual = made.equalPixels;
    EXPECT_EQ(static_cast<std::size_t>(Differences(made.records, picture)), pixels - made.equalPixels);
    // The machine's program of them: its records' lines, over all its parts.
    const CompletedFills completed = CompleteFills(made.records, settings, commands, tiles);
    const MachineProgram program =
        MachineProgramParts(completed.records, settings, commands, tiles, kFreeAreaBytes, "part");
    ASSERT_TRUE(program.ok);
    std::size_t programBytes = 0;
    for (const std::string& part : program.parts) programBytes += EstimateProgramMemory(part).records;
    EXPECT_EQ(programBytes, made.bytes) << budget;
  }
  // The document's capacity bounds the records as a budget does.
  const PictureRecords capped = RecordsForPicture(picture, settings, commands, tiles, 0, 300);
  EXPECT_LE(capped.records.size(), 300u);
  EXPECT_GT(capped.equalPixels, pixels / 2);
  EXPECT_LT(capped.equalPixels, pixels);
}

}  // namespace
}  // namespace kumodo
