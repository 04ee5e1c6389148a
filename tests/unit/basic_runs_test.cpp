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
#include <random>
#include <set>
#include <sstream>

#include "export/basic_program.h"
#include "export/program_memory.h"
#include "files/text_file.h"
#include "picture/replay.h"
#include "picture/tiles.h"
#include "screen/palette.h"
#include "support/pc_basic.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

constexpr int kDumpWidth = 160;
constexpr int kDumpHeight = 100;
constexpr int kDotColour = 6;
constexpr int kLineColour = 1;

using Pixels = std::map<std::pair<int, int>, int>;

// Types the input into the interpreter started in the folder and returns
// what it printed. Its settings and state go in the folder too: on a new
// machine two first runs at once both made them in the home folder, and the
// loser stopped at once, having printed nothing.
std::string Interpret(const fs::path& folder, const std::string& input) {
  std::ofstream(folder / "input.txt", std::ios::binary) << input;
  const std::string command = "cd '" + folder.string() + "' && XDG_CONFIG_HOME=.home XDG_DATA_HOME=.home " +
                              KUMODO_PCBASIC + " --interface=none < input.txt > output.txt 2>/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0);
  return ReadWholeFile((folder / "output.txt").string()).value_or("");
}

// Runs the program and returns every pixel of the dump area that is not black.
Pixels RunInInterpreter(const std::string& program) {
  const fs::path directory = pc_basic::Folder("pcbasic");
  std::ostringstream dump;
  dump << "59000 OPEN \"O\",#1,\"POINTS.TXT\"\r\n"
       << "59010 FOR Y=0 TO " << kDumpHeight - 1 << ":FOR X=0 TO " << kDumpWidth - 1
       << ":C=POINT(X,Y):IF C>0 THEN PRINT #1,X;Y;C\r\n"
       << "59020 NEXT X:NEXT Y:PRINT #1,-1:CLOSE #1:SYSTEM\r\nRUN\r\n";
  Interpret(directory, program + dump.str());
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
    s.editor.drawing.x1 = record[field::X1], s.editor.drawing.y1 = record[field::Y1];
    s.editor.drawing.x2 = record[field::X2], s.editor.drawing.y2 = record[field::Y2];
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
    const int dx = r[field::X2] - r[field::X1];
    const int dy = r[field::Y2] - r[field::Y1];
    const bool alongX = std::abs(dx) > std::abs(dy);
    const int steps = alongX ? std::abs(dx) : std::abs(dy);
    const int across = alongX ? dy : dx;
    for (int k = 0; k <= steps && steps > 0; ++k) {
      const int remainder = std::abs(k * across) % steps;
      if (2 * remainder != steps) continue;
      const int major = (alongX ? r[field::X1] : r[field::Y1]) + k * ((alongX ? dx : dy) < 0 ? -1 : 1);
      const int minor =
          (alongX ? r[field::Y1] : r[field::X1]) + (k * across - (across < 0 ? -steps : steps) / 2) / steps;
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
    const int y = record[field::Y1];
    for (int x = std::min(record[field::X1], record[field::X2]); x <= std::max(record[field::X1], record[field::X2]);
         ++x) {
      const auto found = drawn.find({x, y});
      const int colour = found == drawn.end() ? 0 : found->second;
      ASSERT_EQ(colour, TilePixelColour(record[field::Kind] - kind::MixtureRow, record[field::Colour],
                                        record[field::LineColour], x, y))
          << "kind " << record[field::Kind] << " at " << x << "," << y;
    }
  }
}


// Random records of one kind, as the tools make them, in a picture of the height.
OperationList RandomDocument(int kindNumber, int height, std::mt19937& random) {
  const bool chained = kindNumber == kind::Polyline;
  auto below = [&](int n) { return static_cast<std::int16_t>(std::uniform_int_distribution<int>(0, n - 1)(random)); };
  OperationList list;
  std::int16_t x = below(640), y = below(height);
  for (std::int16_t position = 1; list.count < 50; ++position) {
    if (!chained || below(6) == 0) position = 1, x = below(640), y = below(height);
    const std::int16_t x2 = below(640), y2 = below(height);
    OperationRecord& record = list.slots[list.count++];
    switch (kindNumber) {
      case kind::Paint: record = {3, x, y, 0, 0, below(8), below(8), 1}; break;
      case kind::TilePaint: record = {4, x, y, below(3), below(8), below(8), below(8), 1}; break;
      case kind::Dot: record = {8, x, y, 0, 0, below(8), 0, 1}; break;
      case kind::TwoColourLine: record = {10, x, y, x2, y2, below(8), below(8), 1}; break;
      default: record = {1, x, y, x2, y2, below(8), 0, position}; break;
    }
    x = x2, y = y2;
  }
  return list;
}

std::vector<int> PrintedNumbers(const std::string& output) {
  std::vector<int> numbers;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.find_first_not_of(" \r0123456789") == std::string::npos &&
        line.find_first_of("0123456789") != std::string::npos) {
      numbers.push_back(std::stoi(line));
    }
  }
  return numbers;
}

// Whatever the home folder holds (here a file where the interpreter would
// make its folders), a run prints what it is asked to.
TEST(ShippedBasicProgram, RunsWhateverTheHomeFolderHolds) {
  const fs::path folder = pc_basic::Folder("pcbasic");
  const fs::path home = folder / "home";
  fs::create_directories(home);
  std::ofstream(home / ".local") << "not a folder";
  std::ofstream(home / ".config") << "not a folder";
  const char* realHome = std::getenv("HOME");
  const std::string kept = realHome ? realHome : "";
  ::setenv("HOME", home.c_str(), 1);
  const std::string printed = Interpret(folder, "PRINT 6*7\r\nSYSTEM\r\n");
  if (realHome) ::setenv("HOME", kept.c_str(), 1); else ::unsetenv("HOME");
  fs::remove_all(folder);
  EXPECT_NE(printed.find("42"), std::string::npos) << printed;
}

// FRE(0) after LOAD: the program of no record leaves the free area, and the
// records take what the estimate says, for every kind and both command files.
TEST(ShippedBasicProgram, LoadTakesTheMemoryEstimated) {
  const std::vector<std::pair<const char*, int>> kinds = {
      {"lines", kind::Line},  {"polylines", kind::Polyline}, {"paints", kind::Paint},
      {"tile paints", kind::TilePaint}, {"dots", kind::Dot}, {"two-colour lines", kind::TwoColourLine}};
  const fs::path folder = pc_basic::Folder("pcbasic");
  std::mt19937 random(21);
  std::string input;
  std::vector<std::pair<std::string, std::size_t>> loads;  // what each LOAD is and the records' estimate
  for (const char* file : {"kumodo-basic-cmd.txt", "kumodo-basic-cmd-200.txt"}) {
    const BasicCommands commands = LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/" + file);
    const int height = loads.empty() ? 400 : 200;
    for (std::size_t k = 0; k <= kinds.size(); ++k) {
      const OperationList list = k == 0 ? OperationList() : RandomDocument(kinds[k - 1].second, height, random);
      const std::string text = BasicProgramText(list, Settings(), commands, BuildTileStringTable());
      const std::string name = "P" + std::to_string(loads.size()) + ".BAS";
      std::ofstream(folder / name, std::ios::binary) << text;
      input += "LOAD \"" + name + "\"\r\nPRINT FRE(0)\r\n";
      loads.emplace_back(std::string(file) + ", " + (k == 0 ? "no record" : kinds[k - 1].first),
                         EstimateProgramMemory(text).records);
    }
  }
  const std::vector<int> free = PrintedNumbers(Interpret(folder, input + "SYSTEM\r\n"));
  fs::remove_all(folder);
  ASSERT_EQ(free.size(), loads.size());
  const std::size_t perFile = kinds.size() + 1;
  for (std::size_t at = 0; at < loads.size(); ++at) {
    const int freeArea = free[at - at % perFile];
    if (at % perFile == 0) {
      // The 400-line file is the one the free area was measured with.
      if (at == 0) {
        EXPECT_EQ(freeArea, static_cast<int>(kFreeAreaBytes)) << loads[at].first;
      } else {
        EXPECT_GE(freeArea, static_cast<int>(kFreeAreaBytes)) << loads[at].first;
      }
      continue;
    }
    const double taken = freeArea - free[at];
    EXPECT_NEAR(static_cast<double>(loads[at].second), taken, taken / 100) << loads[at].first;
  }
}

// A program whose records and run take the whole free area runs to its end
// in it; with a byte more it stops for want of memory (or of string space). Every kind is run,
// in small boxes so that the fills are quick; the screen line is one of the
// interpreter's of the same stored size.
// A machine program keeps its tile strings in variables: what they take once
// set is what the interpreter's FRE("") (which first gathers the strings'
// space) says, for names of two to four characters and strings of six to
// twelve bytes.
TEST(ShippedBasicProgram, TileVariablesTakeTheMemoryEstimated) {
  const fs::path folder = pc_basic::Folder("variables");
  std::string program = "10 PRINT FRE(\"\")\r\n";
  std::vector<std::size_t> estimated;
  int number = 20;
  for (const std::string stem : {"T", "T1", "T14"}) {
    for (const int terms : {6, 9, 12}) {
      const std::string name = stem + std::to_string(terms % 10);
      std::string line = std::to_string(number++) + " " + name + "$=CHR$(&H11)";
      for (int k = 1; k < terms; ++k) line += "+CHR$(&H" + std::to_string(10 + k) + ")";
      estimated.push_back(EstimateProgramMemory(line + "\r\n").variables);
      program += line + "\r\n" + std::to_string(number++) + " PRINT FRE(\"\")\r\n";
    }
  }
  std::ofstream(folder / "V.BAS", std::ios::binary) << program;
  const std::vector<int> free = PrintedNumbers(Interpret(folder, "RUN \"V.BAS\"\r\nSYSTEM\r\n"));
  fs::remove_all(folder);
  ASSERT_EQ(free.size(), estimated.size() + 1);
  for (std::size_t k = 0; k < estimated.size(); ++k) {
    EXPECT_EQ(static_cast<std::size_t>(free[k] - free[k + 1]), estimated[k]) << "variable " << k;
  }
}

TEST(ShippedBasicProgram, AProgramThatFitsRunsAndOneLargerDoesNot) {
  const BasicCommands shipped = LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/kumodo-basic-cmd.txt");
  BasicCommands commands = shipped;
  ASSERT_EQ(commands.subroutines[4].rfind("1000 SCREEN", 0), 0u);
  commands.subroutines[4] = "1000 SCREEN 9,0,0,0:CLS 0";
  const std::vector<OperationRecord> records = {
      {1, 10, 10, 60, 10, 7, 0, 1},    {1, 60, 10, 60, 40, 7, 0, 2},   {1, 60, 40, 10, 40, 7, 0, 3},
      {1, 10, 40, 10, 10, 7, 0, 4},    {3, 20, 20, 0, 0, 2, 7, 1},     {1, 100, 10, 150, 10, 7, 0, 1},
      {1, 150, 10, 150, 40, 7, 0, 2},  {1, 150, 40, 100, 40, 7, 0, 3}, {1, 100, 40, 100, 10, 7, 0, 4},
      {8, 5, 5, 0, 0, 4, 0, 1},        {10, 200, 10, 230, 30, 6, 1, 1}, {10, 240, 30, 200, 10, 6, 1, 1},
      {5, 10, 80, 40, 0, 2, 5, 1},     {6, 40, 81, 10, 0, 2, 5, 1},    {7, 10, 82, 40, 0, 2, 5, 1},
      {4, 120, 20, 2, 5, 3, 7, 1}};
  OperationList list;
  for (const OperationRecord& record : records) list.slots[list.count++] = record;
  std::string program = BasicProgramText(list, Settings(), commands, BuildTileStringTable());
  const std::string end = "59999 END\r\n";
  program.replace(program.find(end), end.size(), "59999 PRINT \"AT THE END\":END\r\n");
  // The opening and closing lines changed (the screen, the sentinel): the
  // free area for the records changes by as much.
  const ProgramMemory asShipped =
      EstimateProgramMemory(BasicProgramText(list, Settings(), shipped, BuildTileStringTable()));
  const ProgramMemory run = EstimateProgramMemory(program);
  const std::size_t freeArea = kFreeAreaBytes + (asShipped.program - asShipped.records) - (run.program - run.records);

  // Remarks among the records fill the rest: each line takes 7 bytes and its text.
  for (const std::size_t more : {0, 1}) {
    std::string padded = program;
    std::size_t missing = freeArea - kRunNeedsBytes - run.records + more;
    for (int number = 20000; missing > 0; ++number) {
      std::size_t text = std::min<std::size_t>(missing - 7, 200);
      if (missing - 7 - text > 0 && missing - 7 - text < 7) text -= 7;  // no remainder too short for a line
      padded += std::to_string(number) + " REM " + std::string(text, 'X') + "\r\n";
      missing -= 7 + text;
    }
    const ProgramMemory memory = EstimateProgramMemory(padded);
    ASSERT_EQ(ProgramFits(memory.program - (asShipped.program - asShipped.records), kFreeAreaBytes), more == 0);
    const fs::path folder = pc_basic::Folder("pcbasic");
    std::ofstream(folder / "P.BAS", std::ios::binary) << padded;
    const std::string output = Interpret(folder, "LOAD \"P.BAS\"\r\nPRINT FRE(0)\r\nRUN\r\nSYSTEM\r\n");
    fs::remove_all(folder);
    EXPECT_EQ(output.find("AT THE END") != std::string::npos, more == 0) << output;
    EXPECT_EQ(output.find("Out of") != std::string::npos, more == 1) << output;
  }
}

}  // namespace
}  // namespace kumodo
