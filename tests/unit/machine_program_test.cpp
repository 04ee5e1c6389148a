// The program for the machine: its tiles are the editor's, the fills the
// machine would leave short are completed, and a program too large for the
// free area is split into parts that each fit and chain to the next.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "export/basic_program.h"
#include "export/machine_program.h"
#include "export/program_memory.h"
#include "picture/record_drawing.h"
#include "screen/palette.h"
#include "support/hard_documents.h"

namespace kumodo {
namespace {

Settings TwoHundredLines() {
  Settings settings;
  settings.editingResolution = 2;
  return settings;
}

BasicCommands Commands(const char* file = "kumodo-basic-cmd-200.txt") {
  return LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/" + file);
}

std::vector<OperationRecord> Box(int left, int top, int right, int bottom, int colour) {
  return {{1, static_cast<std::int16_t>(left), static_cast<std::int16_t>(top), static_cast<std::int16_t>(right),
           static_cast<std::int16_t>(top), static_cast<std::int16_t>(colour), 0, 1},
          {1, static_cast<std::int16_t>(right), static_cast<std::int16_t>(top), static_cast<std::int16_t>(right),
           static_cast<std::int16_t>(bottom), static_cast<std::int16_t>(colour), 0, 2},
          {1, static_cast<std::int16_t>(right), static_cast<std::int16_t>(bottom), static_cast<std::int16_t>(left),
           static_cast<std::int16_t>(bottom), static_cast<std::int16_t>(colour), 0, 3},
          {1, static_cast<std::int16_t>(left), static_cast<std::int16_t>(bottom), static_cast<std::int16_t>(left),
           static_cast<std::int16_t>(top), static_cast<std::int16_t>(colour), 0, 4}};
}

// Fills across rows already in the paint colour: a line across a box, a
// cross, and a row of the tile, each painted in the line's colour or tile.
std::vector<std::vector<OperationRecord>> FillsStoppingShort() {
  constexpr int kWhite = 7, kGreen = 4;
  std::vector<OperationRecord> across = Box(100, 20, 300, 150, kWhite);
  across.push_back({1, 101, 80, 299, 80, kGreen, 0, 1});
  across.push_back({3, 200, 40, 0, 0, kGreen, kWhite, 1});
  std::vector<OperationRecord> cross = Box(100, 20, 300, 150, kWhite);
  cross.push_back({1, 101, 80, 299, 80, kGreen, 0, 1});
  cross.push_back({1, 200, 21, 200, 149, kGreen, 0, 1});
  cross.push_back({3, 150, 40, 0, 0, kGreen, kWhite, 1});
  // Kind 2's second and fourth rows are its majority colour alone.
  std::vector<OperationRecord> tileRow = Box(100, 20, 300, 150, kWhite);
  tileRow.push_back({1, 101, 81, 299, 81, kGreen, 0, 1});
  tileRow.push_back({4, 200, 40, 2, kGreen, 1, kWhite, 1});
  return {across, cross, tileRow};
}

// The completed program of 200-line records ends, leaves no dot short and
// draws the editor's picture.
void ExpectTheEditorsPicture(const std::vector<OperationRecord>& records, const CompletedFills& completed,
                             const TileStringTable& tiles) {
  const MachineVerdict verdict = CheckOnTheMachine(completed.records, TwoHundredLines(), tiles);
  EXPECT_FALSE(verdict.neverEnds);
  EXPECT_EQ(verdict.differingDots, 0);
  EXPECT_TRUE(MachinePicture(completed.records, TwoHundredLines(), tiles).pixels ==
              RenderPicture(ListOfRecords(records), 200, true, RuleTiles()).pixels);
}

TEST(MachineProgram, FillsStoppingShortAreCompletedToTheEditorsPicture) {
  const TileStringTable tiles = BuildTileStringTable();
  for (const auto& records : FillsStoppingShort()) {
    EXPECT_GT(CheckOnTheMachine(records, TwoHundredLines(), tiles).differingDots, 0);
    const CompletedFills completed = CompleteFills(records, TwoHundredLines(), Commands(), tiles);
    EXPECT_EQ(completed.fillsCompleted, 1);
    EXPECT_GT(completed.records.size(), records.size());
    ExpectTheEditorsPicture(records, completed, tiles);
  }
  // Halved, the machine's rows are every other row of the picture.
  Settings halved;
  halved.outputResolution = 0;
  std::vector<OperationRecord> across = Box(100, 40, 300, 300, 7);
  across.push_back({1, 101, 160, 299, 160, 4, 0, 1});
  across.push_back({3, 200, 80, 0, 0, 4, 7, 1});
  const Bitmap plain = MachinePicture(across, halved, tiles);
  ASSERT_EQ(plain.height, 200);
  EXPECT_GT(CheckOnTheMachine(across, halved, tiles).differingDots, 0);
  EXPECT_NE(plain.At(200, 120), PaletteColour(4));
  const CompletedFills completed = CompleteFills(across, halved, Commands("kumodo-basic-cmd.txt"), tiles);
  EXPECT_EQ(MachinePicture(completed.records, halved, tiles).At(200, 120), PaletteColour(4));
}

// What the save says: the dots the machine's final picture has otherwise,
// not the fills that stop short; those a later fill paints over are none.
TEST(MachineProgram, TheCheckCountsTheDotsTheFinalPictureHasOtherwise) {
  const TileStringTable tiles = BuildTileStringTable();
  std::vector<OperationRecord> across = FillsStoppingShort().front();
  // The box's inside below the green line: 199 dots in each of 69 rows.
  EXPECT_EQ(CheckOnTheMachine(across, TwoHundredLines(), tiles).differingDots, 199 * 69);
  // A magenta fill from below the line: no row holds magenta, so it fills the box whole.
  across.push_back({3, 200, 100, 0, 0, 3, 7, 1});
  const MachineVerdict covered = CheckOnTheMachine(across, TwoHundredLines(), tiles);
  EXPECT_FALSE(covered.neverEnds);
  EXPECT_EQ(covered.differingDots, 0);
  // Drawn over again with a dot of another colour in the part left: still the dots left.
  std::vector<OperationRecord> dotted = FillsStoppingShort().front();
  dotted.push_back({8, 200, 120, 0, 0, 4, 0, 1});
  EXPECT_EQ(CheckOnTheMachine(dotted, TwoHundredLines(), tiles).differingDots, 199 * 69 - 1);
}

// The save's check in steps gives what the whole check gives, from its own
// copy of the records.
TEST(MachineProgram, TheCheckGoesOnInStepsOverItsOwnCopy) {
  const TileStringTable tiles = BuildTileStringTable();
  std::vector<OperationRecord> records = FillsStoppingShort().front();
  for (int n = 0; n < 40; ++n) records.push_back({1, 0, static_cast<std::int16_t>(n), 639, 0, 5, 0, 1});
  const MachineVerdict whole = CheckOnTheMachine(records, TwoHundredLines(), tiles);
  MachineCheck check(records, TwoHundredLines(), tiles);
  const std::size_t count = records.size();
  records.clear();
  std::size_t steps = 0;
  for (bool done = false; !done; ++steps) {
    EXPECT_FALSE(check.Done());
    int asked = 0;
    done = check.Advance([&] { return asked++ == 5; });
  }
  EXPECT_EQ(steps, (count + 1 + 4) / 5) << "five records a step, then the end";
  EXPECT_TRUE(check.Done());
  EXPECT_EQ(check.Verdict().differingDots, whole.differingDots);
  EXPECT_EQ(check.Verdict().neverEnds, whole.neverEnds);
}

// A tile of colour 0 alone around a hole of one dot: from any point the
// machine's fill goes back and forth for ever. Its dots are all black, as a
// plain black PAINT paints them, which ends.
TEST(MachineProgram, ATileOfBlackAloneIsFilledAsPlainBlack) {
  std::vector<OperationRecord> records = Box(146, 65, 239, 80, 1);
  records.push_back({8, 198, 77, 0, 0, 1, 0, 1});
  records.push_back({3, 150, 70, 0, 0, 2, 1, 1});
  records.push_back({4, 235, 78, 0, 0, 0, 1, 1});
  const TileStringTable tiles = BuildTileStringTable();
  EXPECT_TRUE(CheckOnTheMachine(records, TwoHundredLines(), tiles).neverEnds);
  const CompletedFills completed = CompleteFills(records, TwoHundredLines(), Commands(), tiles);
  EXPECT_EQ(completed.fillsCompleted, 1);
  ASSERT_EQ(completed.records.size(), records.size());
  EXPECT_EQ(completed.records.back(), (OperationRecord{3, 235, 78, 0, 0, 0, 1, 1}));
  ExpectTheEditorsPicture(records, completed, tiles);
}

// Kind 2 of a black majority over a lattice of holes: the machine's fill
// goes back and forth so long that it counts as never ending. After a plain
// black fill of the same area it ends.
TEST(MachineProgram, AFillTheMachineWouldTakeForeverOverGetsABlackFillFirst) {
  const std::vector<OperationRecord> records = hard_documents::BlackMajorityOverALattice();
  const TileStringTable tiles = BuildTileStringTable();
  EXPECT_TRUE(CheckOnTheMachine(records, TwoHundredLines(), tiles).neverEnds);
  const CompletedFills completed = CompleteFills(records, TwoHundredLines(), Commands(), tiles);
  const auto blackFirst = std::adjacent_find(
      completed.records.begin(), completed.records.end(), [](const OperationRecord& a, const OperationRecord& b) {
        return a[0] == kind::Paint && a[5] == 0 && b[0] == kind::TilePaint && a[1] == b[1] && a[2] == b[2];
      });
  EXPECT_NE(blackFirst, completed.records.end());
  ExpectTheEditorsPicture(records, completed, tiles);
}

// Each hard document, small: the completed program ends, draws what its
// fills draw whole, and takes at most twice the plain program's memory and
// one part more. The comb's fills stop at a line in each of its 240 slots:
// a seed for each made its program over a hundred times the plain one's.
TEST(MachineProgram, CompletedProgramsOfHardDocumentsStayWithinTwiceThePlainOnePlusOnePart) {
  const TileStringTable tiles = BuildTileStringTable();
  const BasicCommands commands = Commands("kumodo-basic-cmd.txt");
  Settings settings;
  const std::vector<std::pair<const char*, std::vector<OperationRecord>>> documents = {
      {"whole-screen fills", hard_documents::WholeScreenFills(400, 400)},
      {"never-ending tile fills", hard_documents::NeverEndingTileFills(400, 400)},
      {"black-majority tile fills", hard_documents::BlackMajorityTileFills(2000, 400)},
      {"comb", hard_documents::Comb(3000, 400)},
      {"random records", hard_documents::RandomRecords(1000, 400)}};
  for (const auto& [name, records] : documents) {
    const CompletedFills completed = CompleteFills(records, settings, commands, tiles);
    const MachineVerdict verdict = CheckOnTheMachine(completed.records, settings, tiles);
    EXPECT_FALSE(verdict.neverEnds) << name;
    EXPECT_EQ(verdict.differingDots, 0) << name;
    const std::size_t plain =
        EstimateProgramMemory(BasicProgramText(ListOfRecords(records), settings, commands, tiles)).records;
    const MachineProgram program =
        MachineProgramParts(completed.records, settings, commands, tiles, kFreeAreaBytes, "x");
    ASSERT_TRUE(program.ok) << name;
    std::size_t bytes = 0;
    for (const std::string& part : program.parts) bytes += EstimateProgramMemory(part).records;
    EXPECT_LE(bytes, 2 * plain + kFreeAreaBytes) << name;
  }
  EXPECT_GT(CheckOnTheMachine(documents[3].second, settings, tiles).differingDots, 0) << "the comb's fills stop short";
}

// Random documents of level lines, boxes, fills of every colour and tile
// (black tiles among them) and dots, where the machine's lines are the
// editor's: the completed program's picture is the editor's to the pixel.
TEST(MachineProgram, CompletedProgramsOfRandomDocumentsDrawTheEditorsPicture) {
  std::mt19937 random(77);
  auto between = [&](int low, int high) {
    return static_cast<std::int16_t>(std::uniform_int_distribution<int>(low, high)(random));
  };
  const TileStringTable tiles = BuildTileStringTable();
  for (int document = 0; document < 80; ++document) {
    std::vector<OperationRecord> records;
    for (int n = between(5, 30); n > 0; --n) {
      const std::int16_t x = between(0, 639), y = between(0, 199), colour = between(0, 7);
      switch (between(0, 4)) {
        case 0: {
          const auto box = Box(x, y, between(x, 639), between(y, 199), colour);
          records.insert(records.end(), box.begin(), box.end());
          break;
        }
        case 1:
          records.push_back(between(0, 1) ? OperationRecord{1, x, y, between(0, 639), y, colour, 0, 1}
                                          : OperationRecord{1, x, y, x, between(0, 199), colour, 0, 1});
          break;
        case 2:
          records.push_back({3, x, y, 0, 0, colour, between(0, 7), 1});
          break;
        case 3:
          records.push_back(
              {4, x, y, between(0, 2), between(0, 1) ? std::int16_t{0} : between(0, 7), colour, between(0, 7), 1});
          break;
        default:
          records.push_back({8, x, y, 0, 0, colour, 0, 1});
      }
    }
    const CompletedFills completed = CompleteFills(records, TwoHundredLines(), Commands(), tiles);
    const Bitmap machine = MachinePicture(completed.records, TwoHundredLines(), tiles);
    ASSERT_TRUE(machine.pixels == RenderPicture(ListOfRecords(records), 200, true, RuleTiles()).pixels)
        << "document " << document;
  }
}

// Hand-edited documents hold any field values: kinds, colours and tile
// kinds outside their range, points far off the screen, in every setting.
TEST(MachineProgram, RecordsOfAnyValuesMakeAProgram) {
  std::mt19937 random(5);
  auto any = [&]() {
    const int choices[] = {-32768, -1, 0, 1, 2, 3, 7, 8, 199, 200, 399, 400, 639, 640, 32767};
    return static_cast<std::int16_t>(random() % 2 ? choices[random() % 15] : static_cast<int>(random() % 700) - 30);
  };
  const BasicCommands commands = LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/kumodo-basic-cmd.txt");
  const TileStringTable tiles = BuildTileStringTable();
  for (int round = 0; round < 40; ++round) {
    Settings settings;
    settings.outputResolution = static_cast<std::uint8_t>(round % 2);
    settings.tiling = static_cast<std::uint8_t>((round / 2) % 2);
    settings.editingResolution = static_cast<std::uint8_t>(1 + (round / 4) % 2);
    std::vector<OperationRecord> records;
    for (int n = 0; n < 60; ++n) {
      const std::int16_t kinds[] = {1, 3, 4, 5, 6, 7, 8, 10, 0, 99};
      records.push_back({kinds[random() % 10], any(), any(), any(), any(), any(), any(), 1});
    }
    const CompletedFills completed = CompleteFills(records, settings, commands, tiles);
    const auto fills = std::count_if(records.begin(), records.end(), [](const OperationRecord& r) {
      return r[0] == kind::Paint || r[0] == kind::TilePaint;
    });
    EXPECT_LE(completed.fillsCompleted, fills);

    EXPECT_EQ(MachinePicture(completed.records, settings, tiles).height,
              settings.outputResolution == 0 || settings.editingResolution == 2 ? 200 : 400);
    const MachineProgram program = MachineProgramParts(completed.records, settings, commands, tiles, 2000, "x");
    EXPECT_TRUE(program.ok) << program.reason;
  }
}

TEST(MachineProgram, FillsTheMachineCompletesGetNoSeed) {
  std::vector<OperationRecord> records = Box(10, 10, 60, 60, 7);
  records.push_back({3, 20, 20, 0, 0, 2, 7, 1});
  records.push_back({3, 20, 20, 0, 0, 2, 7, 1});  // again, in an area already filled
  records.push_back({3, 10, 10, 0, 0, 2, 7, 1});  // on the border: nothing
  const CompletedFills completed = CompleteFills(records, TwoHundredLines(), Commands(), BuildTileStringTable());
  EXPECT_EQ(completed.fillsCompleted, 0);
  EXPECT_EQ(completed.records, records);
}

TEST(MachineProgram, AProgramTooLargeIsSplitIntoPartsThatFitAndChain) {
  const BasicCommands commands = LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/kumodo-basic-cmd-200.txt");
  const TileStringTable tiles = BuildTileStringTable();
  std::vector<OperationRecord> records;
  for (std::int16_t n = 0; n < 300; ++n) {
    records.push_back({static_cast<std::int16_t>(n % 3 == 0 ? 10 : 1), n, 5, static_cast<std::int16_t>(n + 40), 150,
                       static_cast<std::int16_t>(n % 8), 3, 1});
  }
  const MachineProgram whole = MachineProgramParts(records, TwoHundredLines(), commands, tiles, kFreeAreaBytes, "x");
  ASSERT_TRUE(whole.ok);
  ASSERT_EQ(whole.parts.size(), 1u);

  const std::size_t freeArea = 2500;
  const MachineProgram split = MachineProgramParts(records, TwoHundredLines(), commands, tiles, freeArea, "my picture");
  ASSERT_TRUE(split.ok) << split.reason;
  ASSERT_GE(split.parts.size(), 3u);
  const std::size_t whole200 =
      freeArea + EstimateProgramMemory(BasicProgramText(OperationList(), TwoHundredLines(), commands, tiles)).program;
  std::size_t lines = 0;
  for (std::size_t k = 0; k < split.parts.size(); ++k) {
    const std::string& part = split.parts[k];
    EXPECT_LE(EstimateProgramMemory(part).program + kRunNeedsBytes, whole200) << "part " << k + 1;
    EXPECT_EQ(part.find("1000 SCREEN") != std::string::npos, k == 0) << "part " << k + 1;
    const bool last = k + 1 == split.parts.size();
    EXPECT_NE(part.find(last ? "59999 END\r\n" : "59999 CHAIN \"MYPICTU" + std::to_string(k + 2) + ".BAS\"\r\n"),
              std::string::npos)
        << "part " << k + 1;
    // The two-colour line's subroutine only where it is called.
    EXPECT_EQ(part.find("GOSUB 60300") != std::string::npos, part.find("60300 LINE") != std::string::npos);
    for (std::size_t start = 0, end; (end = part.find("\r\n", start)) != std::string::npos; start = end + 2) {
      const int number = std::atoi(part.c_str() + start);
      if (number >= 10000 && number < 59999) ++lines;
    }
  }
  EXPECT_EQ(lines, records.size());

  // A hand-made command file of long lines and hardly any free area.
  BasicCommands longLines;
  longLines.templates[kind::Line][0] = "REM " + std::string(240, 'X');
  const MachineProgram tooSmall = MachineProgramParts(records, TwoHundredLines(), longLines, tiles, 100, "x");
  EXPECT_FALSE(tooSmall.ok);
  EXPECT_FALSE(tooSmall.reason.empty());
}

// A tile used more than once in a part is spelled once, in a variable that
// its fills name; one used once stays spelled out. Split, each part sets
// the variables it uses, and every part fits with them.
TEST(MachineProgram, TilesUsedMoreThanOnceInAPartAreSpelledOnceInAVariable) {
  const BasicCommands commands = Commands();
  const TileStringTable tiles = BuildTileStringTable();
  std::vector<OperationRecord> records;
  for (int n = 0; n < 60; ++n) {
    const std::int16_t x = static_cast<std::int16_t>(10 + (n % 30) * 20),
                       y = static_cast<std::int16_t>(10 + n / 30 * 90);
    for (const OperationRecord& line : Box(x, y, x + 15, y + 60, 7)) records.push_back(line);
    records.push_back({4, static_cast<std::int16_t>(x + 5), static_cast<std::int16_t>(y + 5), 0, 2, 1, 7, 1});
  }
  records.push_back({4, 5, 195, 1, 6, 4, 3, 1});  // once
  const std::string& twice = LookUpTileString(tiles, 0, 2, 1);
  const std::string& once = LookUpTileString(tiles, 1, 6, 4);
  const MachineProgram whole = MachineProgramParts(records, TwoHundredLines(), commands, tiles, kFreeAreaBytes, "p");
  ASSERT_TRUE(whole.ok && whole.parts.size() == 1u);
  const std::string& text = whole.parts[0];
  EXPECT_NE(text.find("\r\n10000 T1$=" + twice + "\r\n"), std::string::npos);
  EXPECT_EQ(text.find(twice, text.find(twice) + 1), std::string::npos) << "spelled once";
  EXPECT_NE(text.find(",T1$,7\r\n"), std::string::npos);
  EXPECT_NE(text.find(once), std::string::npos) << "a tile used once is spelled out";
  EXPECT_GT(EstimateProgramMemory(text).variables, 0u);

  const MachineProgram split = MachineProgramParts(records, TwoHundredLines(), commands, tiles, 2500, "p");
  ASSERT_TRUE(split.ok);
  ASSERT_GE(split.parts.size(), 2u);
  const std::size_t empty = EmptyProgramBytes(TwoHundredLines(), commands, tiles);
  for (const std::string& part : split.parts) {
    const ProgramMemory memory = EstimateProgramMemory(part);
    EXPECT_TRUE(ProgramFits(memory.program + memory.variables - empty, 2500));
    if (part.find(",T1$,") != std::string::npos) {
      EXPECT_NE(part.find("T1$=" + twice), std::string::npos);
    }
  }
}

TEST(MachineProgram, PartNamesAreWhatTheMachinesDiskHolds) {
  EXPECT_EQ(PartDiskName("my picture", 1, 9), "MYPICTU1.BAS");
  EXPECT_EQ(PartDiskName("my picture", 12, 12), "MYPICT12.BAS");
  EXPECT_EQ(PartDiskName("my picture", 1, 12), "MYPICT1.BAS") << "cut as the largest number needs";
  EXPECT_EQ(PartDiskName("cat", 2, 3), "CAT2.BAS");
  EXPECT_EQ(PartDiskName("\xe7\x8c\xab", 3, 3), "PART3.BAS");
}

// However long the stem, and across 9 to 10 and 99 to 100 parts (and on to
// the most a document can make), no two parts of one program share a name,
// and each takes at most 8 characters before ".BAS". Cut to each number's
// own length, "LEVEL21" part 2 and part 12 of 13 were both LEVEL212.
TEST(MachineProgram, EveryPartOfAProgramHasADiskNameOfItsOwn) {
  EXPECT_NE(PartDiskName("level21", 2, 13), PartDiskName("level21", 12, 13));
  const std::string letters = "ABCDEFGHIJKL";
  for (std::size_t length = 0; length <= letters.size(); ++length) {
    for (const std::string& stem : {letters.substr(0, length), "level21" + letters.substr(0, length)}) {
      for (const int parts : {1, 9, 10, 11, 99, 100, 101, 999, 1000, 99999, 100000}) {
        std::set<std::string> names;
        for (int part = 1; part <= parts; ++part) {
          // Of the largest counts, the parts nearest the turns of the number's length.
          if (parts > 1000 && part > 200 && part < parts - 200 && part % 997 != 0) continue;
          const std::string name = PartDiskName(stem, part, parts);
          ASSERT_LE(name.size(), 8u + 4u) << stem << " " << part << " of " << parts;
          ASSERT_TRUE(names.insert(name).second) << name << ": " << stem << " " << part << " of " << parts;
        }
      }
    }
  }
}

// Part files of any two documents never meet: "holiday-0" part 11 was
// "holiday-011.txt", part 1 of "holiday-01". Part 1 keeps NAME1.txt.
TEST(MachineProgram, PartFilesOfTwoDocumentsNeverMeet) {
  EXPECT_EQ(PartFileName("holiday-01", 1), "holiday-011.txt");
  EXPECT_EQ(PartFileName("holiday-0", 9), "holiday-09.txt");
  EXPECT_EQ(PartFileName("holiday-0", 11), "holiday-0(11).txt");
  const std::vector<std::string> stems = {"holiday-0", "holiday-01", "holiday-011", "holiday-0(1", "holiday-0(11", "h"};
  std::set<std::string> names;
  for (const std::string& stem : stems) {
    for (int part = 1; part <= 250; ++part) {
      ASSERT_TRUE(names.insert(PartFileName(stem, part)).second) << stem << " part " << part;
    }
  }
}

}  // namespace
}  // namespace kumodo
