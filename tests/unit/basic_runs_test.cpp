// The shipped subroutines run in a Microsoft BASIC interpreter and draw what
// the editor draws: the two-colour line's dots with the editor's rounding,
// and the mixture rows on the tile grid. Only the screen-mode line differs:
// the interpreter here emulates an EGA screen, not the target machine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "export/basic_program.h"
#include "files/text_file.h"
#include "picture/replay.h"
#include "picture/tiles.h"
#include "screen/palette.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

constexpr int kDumpWidth = 160;
constexpr int kDumpHeight = 100;
constexpr int kDotColour = 6;
constexpr int kLineColour = 1;

using Pixels = std::map<std::pair<int, int>, int>;

// Runs the program and returns every pixel of the dump area that is not black.
Pixels RunInInterpreter(const std::string& program) {
  const fs::path directory = fs::temp_directory_path() / ("kumodo-pcbasic-" + std::to_string(::getpid()));
  fs::create_directories(directory);
  std::ostringstream dump;
  dump << "59000 OPEN \"O\",#1,\"POINTS.TXT\"\r\n"
       << "59010 FOR Y=0 TO " << kDumpHeight - 1 << ":FOR X=0 TO " << kDumpWidth - 1
       << ":C=POINT(X,Y):IF C>0 THEN PRINT #1,X;Y;C\r\n"
       << "59020 NEXT X:NEXT Y:PRINT #1,-1:CLOSE #1:SYSTEM\r\nRUN\r\n";
  std::ofstream(directory / "program.bas", std::ios::binary) << program << dump.str();
  const std::string command = "cd '" + directory.string() + "' && " + KUMODO_PCBASIC +
                              " --interface=none < program.bas > /dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  Pixels pixels;
  std::ifstream in(directory / "POINTS.TXT");
  int x = 0;
  bool finished = false;
  while (in >> x) {
    if (x == -1) {
      finished = true;
      break;
    }
    int y = 0, c = 0;
    in >> y >> c;
    pixels[{x, y}] = c;
  }
  EXPECT_TRUE(finished) << "the program did not run to its end";
  fs::remove_all(directory);
  return pixels;
}

TEST(ShippedBasicProgram, SubroutinesDrawWhatTheEditorDraws) {
  BasicCommands commands = LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/kumodo-basic-cmd.txt");
  ASSERT_EQ(commands.subroutines[4].rfind("1000 SCREEN", 0), 0u);
  commands.subroutines[4] = "1000 SCREEN 9:CLS";

  const std::vector<OperationRecord> twoColourLines = {
      {10, 5, 5, 45, 12, kDotColour, kLineColour, 1},   {10, 50, 30, 10, 20, kDotColour, kLineColour, 1},
      {10, 60, 5, 70, 45, kDotColour, kLineColour, 1},  {10, 100, 40, 90, 5, kDotColour, kLineColour, 1},
      {10, 120, 10, 150, 40, kDotColour, kLineColour, 1}, {10, 131, 60, 131, 60, kDotColour, kLineColour, 1},
      {10, 5, 45, 50, 60, kDotColour, kLineColour, 1},  {10, 60, 52, 100, 54, kDotColour, kLineColour, 1},
      {10, 140, 52, 110, 57, kDotColour, kLineColour, 1},
  };
  // Rows of the three mixtures: first colour 2 on second colour 5, both
  // directions, even and odd rows.
  const std::vector<OperationRecord> mixtures = {
      {5, 10, 80, 40, 0, 2, 5, 1}, {6, 40, 81, 10, 0, 2, 5, 1}, {7, 10, 82, 40, 0, 2, 5, 1},
      {7, 10, 83, 40, 0, 2, 5, 1}, {6, 10, 84, 40, 0, 2, 5, 1}, {5, 41, 85, 70, 0, 2, 5, 1},
      {7, 50, 88, 90, 0, 2, 5, 1},
  };
  OperationList list;
  for (const auto& record : twoColourLines) list.slots[list.count++] = record;
  for (const auto& record : mixtures) list.slots[list.count++] = record;
  const Pixels drawn = RunInInterpreter(BasicProgramText(list, Settings(), commands, BuildTileStringTable()));
  ASSERT_FALSE(drawn.empty());

  // The dots: exactly the editor's, line by line.
  scripted::ScriptedEditor s;
  std::set<std::pair<int, int>> editorDots;
  for (const OperationRecord& record : twoColourLines) {
    s.editor.images.canvas.Pixels() = Bitmap(640, 400);
    s.editor.drawing.x1 = record[1], s.editor.drawing.y1 = record[2];
    s.editor.drawing.x2 = record[3], s.editor.drawing.y2 = record[4];
    s.editor.drawing.drawingColour = kDotColour;
    DrawTwoColourDots(s.editor.images.canvas.Pixels(), s.editor.drawing);
    const Bitmap& canvas = s.editor.images.canvas.Pixels();
    for (int y = 0; y < kDumpHeight; ++y) {
      for (int x = 0; x < kDumpWidth; ++x) {
        if (canvas.At(x, y) == PaletteColour(kDotColour)) editorDots.insert({x, y});
      }
    }
  }
  std::set<std::pair<int, int>> basicDots;
  for (const auto& [point, colour] : drawn) {
    if (colour == kDotColour) basicDots.insert(point);
  }
  // Both add up the step in floating point, in formats of different width,
  // so a point whose exact position lies halfway between two pixels may land
  // on either; everywhere else they must agree.
  std::set<std::pair<int, int>> ties;
  for (const OperationRecord& r : twoColourLines) {
    const int dx = r[3] - r[1];
    const int dy = r[4] - r[2];
    const bool alongX = std::abs(dx) > std::abs(dy);
    const int steps = alongX ? std::abs(dx) : std::abs(dy);
    const int across = alongX ? dy : dx;
    for (int k = 0; k <= steps && steps > 0; ++k) {
      const int remainder = std::abs(k * across) % steps;
      if (2 * remainder != steps) continue;
      const int major = (alongX ? r[1] : r[2]) + k * ((alongX ? dx : dy) < 0 ? -1 : 1);
      const int minor = (alongX ? r[2] : r[1]) + (k * across - (across < 0 ? -steps : steps) / 2) / steps;
      for (int candidate : {minor, minor + 1, minor - 1}) {
        ties.insert(alongX ? std::make_pair(major, candidate) : std::make_pair(candidate, major));
      }
    }
  }
  std::set<std::pair<int, int>> differences;
  std::set_symmetric_difference(basicDots.begin(), basicDots.end(), editorDots.begin(), editorDots.end(),
                                std::inserter(differences, differences.end()));
  EXPECT_GT(editorDots.size(), 100u);
  for (const auto& point : differences) {
    EXPECT_TRUE(ties.count(point)) << "dots differ at " << point.first << "," << point.second;
  }

  // The mixtures: every pixel of each row on the tile grid.
  for (const OperationRecord& record : mixtures) {
    const int y = record[2];
    for (int x = std::min(record[1], record[3]); x <= std::max(record[1], record[3]); ++x) {
      const auto found = drawn.find({x, y});
      const int colour = found == drawn.end() ? 0 : found->second;
      ASSERT_EQ(colour, TilePixelColour(record[0] - 5, record[5], record[6], x, y)) << "kind " << record[0] << " at "
                                                                                     << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace kumodo
