// The BASIC program text, byte for byte.
#include "export/basic_program.h"
#include "app/document_files.h"
#include "export/machine_program.h"
#include "export/program_memory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/text_file.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

// One record of every kind, and the awkward ones: negative coordinates, odd
// rows for kinds 5 to 7, a blank record.
OperationList EveryKind() {
  const OperationRecord records[] = {
      {1, 10, 399, 20, 0, 2, 0, 1}, {3, 5, 6, 0, 0, 4, 7, 1},  {4, 100, 50, 1, 6, 1, 7, 1},
      {8, 0, -5, 0, 0, 0, 0, 1},    {5, 1, 7, 9, 0, 3, 4, 1},  {6, 2, 8, 10, 0, 5, 6, 1},
      {10, 1, 2, 3, 4, 6, 2, 3},    {0, 0, 0, 0, 0, 0, 0, 0},  {7, -3, -3, 5, -1, 1, 2, 1},
  };
  OperationList list;
  for (const OperationRecord& record : records) list.slots[list.count++] = record;
  return list;
}

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

class CommandFiles : public ::testing::Test {
 protected:
  CommandFiles() : directory(fs::temp_directory_path() / ("kumodo-basic-" + std::to_string(::getpid()))) {
    fs::create_directories(directory);
  }
  ~CommandFiles() override { fs::remove_all(directory); }

  BasicCommands Load(const std::string& entries) {
    const std::string path = (directory / "commands.txt").string();
    std::ofstream(path, std::ios::binary) << entries;
    return LoadBasicCommandFile(path);
  }
  std::string Program(const BasicCommands& commands, int outputResolution, int tiling,
                      const OperationList& list = EveryKind()) {
    Settings settings;
    settings.outputResolution = static_cast<std::uint8_t>(outputResolution);
    settings.tiling = static_cast<std::uint8_t>(tiling);
    return BasicProgramText(list, settings, commands, tiles);
  }

  fs::path directory;
  TileStringTable tiles = BuildTileStringTable();
};

// Markers instead of BASIC keywords, so that every piece and value shows.
const std::string kHandMade =
    "\"L *|*|*|*|*\"\r\n\"P *,*,*,*\"\r\n\"T *,*,*,*;\"\r\n\"D *,*,*\"\r\n\"A *,*,*,*,*\"\r\n\"B *,*,*,*,*\"\r\n"
    "\"C *,*,*,*,*\"\r\n\"W *,*,*,*,*,*\"\r\n"
    "\"S1\"\r\n\"S2\"\r\n\"S3\"\r\n\"S4\"\r\n\"S5\"\r\n\"S6\"\r\n\"S7\"\r\n\"S8\"\r\n\"S9\"\r\n\"S10\"\r\n"
    "\"S11\"\r\n\"S12\"\r\n\"S13\"\r\n\"S14\"\r\n\"\"\r\n\"S16, with a comma\"\r\n";

const std::string kSubroutinesAfterS4 =
    Lines({"S4", "60320 RETURN", "S5", "S6", "S7", "S8", "S9", "S10", "S11", "S12", "S13", "S14", "", "S16, with a comma"});

TEST_F(CommandFiles, AsDrawnWithTiling) {
  const std::string tile = tiles[1][6][1];
  EXPECT_EQ(Program(Load(kHandMade), 1, 1),
            Lines({"10000 L 10|399|20|0|2", "10001 P 5,6,4,7", "10002 T 100,50," + tile + ",7;", "10003 D 0,-5,0",
                   "10004 A 1,7,9,3,4", "10005 B 2,8,10,5,6", "10006 W 1,2,3,4,6,2", "10007 00000",
                   "10008 C -3,-3,5,1,2", "59999 END", "S1", "60020 RETURN", "S2", "60120 RETURN", "S3",
                   "60220 RETURN"}) +
                kSubroutinesAfterS4);
}

TEST_F(CommandFiles, HalvedWithTilingDropsOddRowsOfTheMixtures) {
  const std::string tile = tiles[1][6][1];
  EXPECT_EQ(Program(Load(kHandMade), 0, 1),
            Lines({"10000 L 10|199|20|0|2", "10001 P 5,3,4,7", "10002 T 100,25," + tile + ",7;", "10003 D 0,-3,0",
                   "10005 B 2,4,10,5,6", "10006 W 1,1,3,2,6,2", "10007 00000", "59999 END", "S1", "60020 RETURN",
                   "S2", "60120 RETURN", "S3", "60220 RETURN"}) +
                kSubroutinesAfterS4);
}

TEST_F(CommandFiles, AsDrawnWithoutTilingWritesRemarksAndNoMixtures) {
  EXPECT_EQ(Program(Load(kHandMade), 1, 0),
            Lines({"10000 L 10|399|20|0|2", "10001 P 5,6,4,7", "10002 ' TILE-PAINTT ,,,;", "10003 D 0,-5,0",
                   "10006 W 1,2,3,4,6,2", "10007 00000", "59999 END"}) +
                kSubroutinesAfterS4);
}

TEST_F(CommandFiles, HalvedWithoutTiling) {
  EXPECT_EQ(Program(Load(kHandMade), 0, 0),
            Lines({"10000 L 10|199|20|0|2", "10001 P 5,3,4,7", "10002 ' TILE-PAINTT ,,,;", "10003 D 0,-3,0",
                   "10006 W 1,1,3,2,6,2", "10007 00000", "59999 END"}) +
                kSubroutinesAfterS4);
}

TEST_F(CommandFiles, AShortFileRepeatsItsLastEntry) {
  const BasicCommands commands = Load("\"L *-*\"\r\n\"P *\"\r\n");
  EXPECT_EQ(commands.templates[1][0], "L ");
  EXPECT_EQ(commands.templates[3][0], "P ");
  EXPECT_EQ(commands.templates[10][0], "P ");
  for (const std::string& line : commands.subroutines) EXPECT_EQ(line, "P *");
}

TEST_F(CommandFiles, AMissingFileGivesEmptyTemplatesAndSubroutines) {
  const BasicCommands commands = LoadBasicCommandFile((directory / "none.txt").string());
  OperationList list;
  list.slots[0] = {8, 3, 4, 0, 0, 5, 0, 1};
  list.count = 1;
  EXPECT_EQ(Program(commands, 1, 1, list),
            Lines({"10000 345", "59999 END", "", "60020 RETURN", "", "60120 RETURN", "", "60220 RETURN", "",
                   "60320 RETURN", "", "", "", "", "", "", "", "", "", "", "", ""}));
}

TEST_F(CommandFiles, ExtraPiecesAndOverlongLinesAreCut) {
  std::string entries = "\"" + std::string(20, '*') + "\"\r\n";  // 21 pieces for kind 1
  entries += "\"" + std::string(240, 'P') + "*\"\r\n";
  const BasicCommands commands = Load(entries);
  OperationList list;
  list.slots[0] = {3, 12345, 12345, 0, 0, 1, 2, 1};
  list.count = 1;
  const std::string text = Program(commands, 1, 1, list);
  EXPECT_EQ(text.substr(0, text.find("\r\n")).size(), kMaxBasicLineBytes);
}

TEST_F(CommandFiles, LinesAreNumberedByTheirRecordIndex) {
  OperationList list;
  for (int i = 0; i < kMaxOperations; ++i) list.slots[list.count++] = {8, 1, 1, 0, 0, 1, 0, 1};
  const std::string text = Program(Load(kHandMade), 1, 1, list);
  EXPECT_EQ(text.substr(0, 11), "10000 D 1,1");
  EXPECT_NE(text.find("\r\n39999 D 1,1,1\r\n59999 END\r\n"), std::string::npos);
}

// The command files shipped with the program.
class ShippedCommandFile : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedCommandFile, GivesTheReviewedProgramsAndLinesWithinBasicsLimit) {
  const BasicCommands commands = LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/" + GetParam());
  const TileStringTable tiles = BuildTileStringTable();
  for (int outputResolution : {0, 1}) {
    for (int tiling : {0, 1}) {
      Settings settings;
      settings.outputResolution = static_cast<std::uint8_t>(outputResolution);
      settings.tiling = static_cast<std::uint8_t>(tiling);
      const std::string text = BasicProgramText(EveryKind(), settings, commands, tiles);
      const std::string expectedName = std::string(KUMODO_TEST_DATA) + "/basic/" + GetParam() + "." +
                                       std::to_string(outputResolution) + std::to_string(tiling);
      EXPECT_EQ(text, ReadWholeFile(expectedName).value_or("<missing " + expectedName + ">"));
    }
  }
  // The widest values: five-digit negatives and the longest tiles.
  OperationList extreme;
  for (int kind : {1, 3, 4, 8, 5, 6, 7, 10}) {
    extreme.slots[extreme.count++] = {static_cast<std::int16_t>(kind), -32768, -32768, 2, -32768, 7, -32768, 30000};
  }
  Settings settings;
  const std::string text = BasicProgramText(extreme, settings, commands, tiles);
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), kMaxBasicLineBytes + 1) << line;
}

INSTANTIATE_TEST_SUITE_P(BothScreens, ShippedCommandFile,
                         ::testing::Values("kumodo-basic-cmd.txt", "kumodo-basic-cmd-200.txt"));

// What the save asks before writing over a file (and the converter about a
// part left by an earlier run): every program this editor or the converter
// writes is one of ours, told from its whole text or from its two ends;
// nothing else is.
TEST(ProgramsOfOurs, AreToldByTheirOpeningAndClosingLines) {
  const TileStringTable tiles = BuildTileStringTable();
  std::vector<OperationRecord> many;
  for (int n = 0; n < kMaxOperations; ++n) {
    many.push_back({static_cast<std::int16_t>(n % 3 == 0 ? 10 : 1), static_cast<std::int16_t>(n % 600), 5,
                    static_cast<std::int16_t>(n % 600 + 40), 150, static_cast<std::int16_t>(n % 8), 3, 1});
  }
  const OperationList long30000 = ListOfRecords(many);
  std::vector<std::string> ours;
  for (const char* file : {"kumodo-basic-cmd.txt", "kumodo-basic-cmd-200.txt"}) {
    const BasicCommands commands = LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/" + file);
    for (std::uint8_t tiling : {0, 1}) {
      Settings settings;
      settings.tiling = tiling;
      ours.push_back(BasicProgramText(EveryKind(), settings, commands, tiles));
      ours.push_back(BasicProgramText(OperationList(), settings, commands, tiles));
      const MachineProgram parts =
          MachineProgramParts(std::span(many).first(300), settings, commands, tiles, 2500, "parts");
      ASSERT_GE(parts.parts.size(), 3u);
      ours.insert(ours.end(), parts.parts.begin(), parts.parts.end());
    }
    ours.push_back(BasicProgramText(long30000, Settings(), commands, tiles));
  }
  for (const std::string& text : ours) {
    EXPECT_TRUE(IsProgramOfOurs(text, text)) << text.substr(0, 200);
    const std::string_view view = text;
    const std::string_view start = view.substr(0, 4096);
    const std::string_view end = view.substr(view.size() - std::min<std::size_t>(view.size(), 16384));
    EXPECT_TRUE(IsProgramOfOurs(start, end)) << text.substr(0, 200);
  }
  const std::string& program = ours.front();
  const std::string noClosing = program.substr(0, program.find("59999 END"));
  std::string lfOnly = program;
  for (std::size_t at; (at = lfOnly.find("\r\n")) != std::string::npos;) lfOnly.erase(at, 1);
  const std::vector<std::string> others = {
      "",
      "shopping: eggs, milk\r\n",
      "Notes\r\n10 PRINT\r\n59999 END\r\n",
      noClosing,
      lfOnly,
      program.substr(0, program.rfind("60318") + 10),  // cut short in its last line
      "REM mine\r\n" + program,
      program + "and my notes after it\r\n",
      "10 PRINT \"the program ends at 59999 END\"\r\n",
  };
  for (const std::string& text : others) EXPECT_FALSE(IsProgramOfOurs(text, text)) << text.substr(0, 200);
}

TEST(GenerateBasicProgram, WritesBesideTheDocumentWithATxtExtension) {
  scripted::ScriptedEditor s;
  const fs::path directory = fs::temp_directory_path() / ("kumodo-gen-" + std::to_string(::getpid()));
  fs::create_directories(directory / "my.pictures");
  s.editor.documentPath = (directory / "my.pictures" / "cat.csv").string();
  s.editor.operations.slots[0] = {8, 1, 2, 0, 0, 3, 0, 1};
  s.editor.operations.count = 1;
  ASSERT_TRUE(GenerateBasicProgram(s.editor).written.ok);
  const auto text = ReadWholeFile((directory / "my.pictures" / "cat.txt").string());
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->substr(0, 6), "10000 ");
  EXPECT_EQ(text->substr(text->size() - 2), "\r\n");
  EXPECT_TRUE(IsProgramFileOfOurs((directory / "my.pictures" / "cat.txt").string()));
  EXPECT_FALSE(IsProgramFileOfOurs((directory / "my.pictures" / "cat.csv").string())) << "missing";
  fs::remove_all(directory);
}

}  // namespace
}  // namespace kumodo
