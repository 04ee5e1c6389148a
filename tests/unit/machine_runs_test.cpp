// What the machine's BASIC draws, with PC-BASIC standing in for it: the
// PAINT model against the interpreter's pixels on random cases, and the
// programs for the machine run to their end.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "export/basic_program.h"
#include "export/machine_paint.h"
#include "export/machine_program.h"
#include "export/picture_records.h"
#include "export/program_memory.h"
#include "export/tile_strings.h"
#include "picture/record_drawing.h"
#include "screen/palette.h"
#include "screen/raster.h"
#include "support/colour_pictures.h"
#include "support/hard_documents.h"
#include "support/pc_basic.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;
using pc_basic::kScreenHeight;
using pc_basic::kScreenWidth;

int CaseCount() {
  const char* set = std::getenv("KUMODO_PAINT_CASES");
  return set ? std::atoi(set) : 200;
}

// The plane bytes of a tile as a string for the interpreter's four planes.
std::string TileText(const std::vector<std::array<unsigned char, 3>>& rows) {
  std::string text;
  for (const auto& planes : rows) {
    for (const unsigned char byte : planes) text += (text.empty() ? "CHR$(" : "+CHR$(") + std::to_string(byte) + ")";
    text += "+CHR$(0)";
  }
  return text;
}

// One random case: a window, whole or against the screen's edges, framed in
// the border colour; inside it lines of any colour, rows already in the
// paint colour or holding a tile row, closed holes and dots; then a PAINT.
// Drawn both on the model and as the interpreter's statements.
struct PaintCase {
  int x0, y0, x1, y1;
  std::vector<std::string> statements;
  MachineScreen model = MachineScreen(kScreenHeight);
  bool modelEnded = true;
};

PaintCase RandomPaintCase(std::mt19937& random) {
  auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  PaintCase c;
  const int width = between(4, 100), height = between(3, 50);
  c.x0 = between(0, 3) == 0 ? 0 : between(1, kScreenWidth - 2 - width);
  c.y0 = between(0, 3) == 0 ? 0 : between(1, kScreenHeight - 2 - height);
  if (between(0, 3) == 0) c.x0 = kScreenWidth - width;
  if (between(0, 3) == 0) c.y0 = kScreenHeight - height;
  c.x1 = c.x0 + width - 1, c.y1 = c.y0 + height - 1;
  const int border = between(0, 7);
  const bool tiled = between(0, 1) == 1;
  const int tileKind = between(0, 2), first = between(0, 7), second = between(0, 7), colour = between(0, 7);
  const PaintPattern pattern = tiled ? TilePattern(TilePlaneRows(tileKind, first, second)) : SolidPattern(colour);
  auto line = [&](int xa, int ya, int xb, int yb, int lineColour) {
    MachineLine(c.model, xa, ya, xb, yb, lineColour);
    std::ostringstream s;
    s << "LINE(" << xa << "," << ya << ")-(" << xb << "," << yb << ")," << lineColour;
    c.statements.push_back(s.str());
  };
  if (c.x0 > 0) line(c.x0 - 1, std::max(c.y0 - 1, 0), c.x0 - 1, std::min(c.y1 + 1, kScreenHeight - 1), border);
  if (c.x1 < kScreenWidth - 1)
    line(c.x1 + 1, std::max(c.y0 - 1, 0), c.x1 + 1, std::min(c.y1 + 1, kScreenHeight - 1), border);
  if (c.y0 > 0) line(std::max(c.x0 - 1, 0), c.y0 - 1, std::min(c.x1 + 1, kScreenWidth - 1), c.y0 - 1, border);
  if (c.y1 < kScreenHeight - 1)
    line(std::max(c.x0 - 1, 0), c.y1 + 1, std::min(c.x1 + 1, kScreenWidth - 1), c.y1 + 1, border);
  const int fillColour = tiled ? (between(0, 1) ? first : second) : colour;
  for (int n = between(0, 6); n > 0; --n) {
    const int y = between(c.y0, c.y1);
    switch (between(0, 4)) {
      case 0:  // any line
        line(between(c.x0, c.x1), between(c.y0, c.y1), between(c.x0, c.x1), between(c.y0, c.y1),
             between(0, 2) == 0 ? border
             : between(0, 1)    ? fillColour
                                : between(0, 7));
        break;
      case 1: {  // a row, or part of one, already holding the pattern
        const int left = between(0, 1) ? c.x0 : between(c.x0, c.x1);
        const int right = between(0, 1) ? c.x1 : between(left, c.x1);
        std::string dots;
        for (int x = left; x <= right; ++x) {
          c.model.At(x, y) = pattern.At(x, y);
          const int index = pattern.At(x, y);
          dots += (dots.empty() ? "" : ":") +
                  ("PSET(" + std::to_string(x) + "," + std::to_string(y) + ")," + std::to_string(index));
          if (dots.size() > 200) c.statements.push_back(dots), dots.clear();
        }
        if (!dots.empty()) c.statements.push_back(dots);
        break;
      }
      case 2: {  // a closed hole
        const int left = between(c.x0, c.x1), top = between(c.y0, c.y1);
        const int right = std::min(c.x1, left + between(2, 12)), bottom = std::min(c.y1, top + between(2, 8));
        line(left, top, right, top, border), line(right, top, right, bottom, border);
        line(right, bottom, left, bottom, border), line(left, bottom, left, top, border);
        break;
      }
      case 3:  // a border with a gap
        line(c.x0, y, between(c.x0, c.x1), y, border);
        break;
      default: {
        const int x = between(c.x0, c.x1), dot = between(0, 7);
        c.model.At(x, y) = static_cast<std::uint8_t>(dot);
        c.statements.push_back("PSET(" + std::to_string(x) + "," + std::to_string(y) + ")," + std::to_string(dot));
      }
    }
  }
  const int px = between(c.x0, c.x1), py = between(c.y0, c.y1);
  c.modelEnded = MachinePaint(c.model, px, py, pattern, border, 4LL * kScreenWidth * kScreenHeight).ended;
  c.statements.push_back("PAINT(" + std::to_string(px) + "," + std::to_string(py) + ")," +
                         (tiled ? TileText(TilePlaneRows(tileKind, first, second)) : std::to_string(colour)) + "," +
                         std::to_string(border));
  return c;
}

// The model paints the interpreter's pixels, plain and tile, case after case.
TEST(MachinePaint, PaintsWhatTheInterpreterPaints) {
  std::mt19937 random(2112);
  const fs::path folder = pc_basic::Folder("paint-cases");
  std::vector<PaintCase> cases;
  std::vector<std::string> endless;  // the scripts of fills the model says never end
  std::string script;
  for (int n = CaseCount(); n > 0; --n) {
    cases.push_back(RandomPaintCase(random));
    const PaintCase& c = cases.back();
    std::string statements = "DO CLS\n";
    for (const std::string& statement : c.statements) statements += "DO " + statement + "\n";
    if (!c.modelEnded) {
      endless.push_back(statements);
      cases.pop_back();
      continue;
    }
    script += statements;
    script += "DUMP " + std::to_string(std::max(c.x0 - 1, 0)) + " " + std::to_string(std::max(c.y0 - 1, 0)) + " " +
              std::to_string(std::min(c.x1 + 1, kScreenWidth - 1)) + " " +
              std::to_string(std::min(c.y1 + 1, kScreenHeight - 1)) + "\n";
  }
  const pc_basic::Run run = pc_basic::RunScript(folder, script, 600);
  ASSERT_TRUE(run.finished) << run.screenText;
  std::size_t at = 0;
  int differing = 0;
  for (std::size_t n = 0; n < cases.size(); ++n) {
    const PaintCase& c = cases[n];
    int wrong = 0;
    for (int y = std::max(c.y0 - 1, 0); y <= std::min(c.y1 + 1, kScreenHeight - 1); ++y) {
      for (int x = std::max(c.x0 - 1, 0); x <= std::min(c.x1 + 1, kScreenWidth - 1); ++x, ++at) {
        ASSERT_LT(at, run.dumped.size()) << run.screenText;
        if (run.dumped[at] != c.model.At(x, y)) ++wrong;
      }
    }
    if (wrong > 0 && ++differing <= 3) {
      std::string statements;
      for (const std::string& statement : c.statements) statements += statement + "\n";
      ADD_FAILURE() << "case " << n << ": " << wrong << " pixels differ\n" << statements;
    }
  }
  EXPECT_EQ(differing, 0) << "of " << cases.size() << " cases";
  RecordProperty("cases_compared", static_cast<int>(cases.size()));
  RecordProperty("cases_never_ending", static_cast<int>(endless.size()));
  // One the model gives up on: the interpreter does not end it either.
  if (!endless.empty()) {
    EXPECT_FALSE(pc_basic::RunScript(folder, endless.front(), 5).finished) << endless.front();
  }
  fs::remove_all(folder);
}

// The parts of a program run in the interpreter from part 1, with a
// sentinel at the last part's 59999: the screen, and whether it got there.
struct PartsRun {
  std::vector<std::uint8_t> screen;
  bool reachedEnd = false;
  std::string screenText;
};

PartsRun RunParts(std::vector<std::string> parts, const fs::path& folder, int seconds = 60) {
  fs::remove(folder / "ENDED");
  const std::string end = "59999 END\r\n";
  std::string& last = parts.back();
  last.replace(last.find(end), end.size(), "59999 OPEN \"O\",#1,\"ENDED\":CLOSE #1:END\r\n");
  for (std::size_t k = 0; k < parts.size(); ++k) {
    std::ofstream(folder / PartDiskName("part", static_cast<int>(k) + 1, static_cast<int>(parts.size())),
                  std::ios::binary)
        << pc_basic::ForScreen8(parts[k]);
  }
  const pc_basic::Run run = pc_basic::RunScript(
      folder, "RUN " + PartDiskName("part", 1, static_cast<int>(parts.size())) + "\nDUMP 0 0 639 199\n", seconds);
  return {run.dumped, fs::exists(folder / "ENDED"), run.screenText};
}

Settings TwoHundredLines() {
  Settings settings;
  settings.editingResolution = 2;
  return settings;
}

BasicCommands TwoHundredLineCommands() {
  return LoadBasicCommandFile(std::string(KUMODO_SOURCE_DIR) + "/kumodo-basic-cmd-200.txt");
}

// The pixels of the interpreter's screen that differ from the editor's
// picture of the records, leaving out those within one dot of a line of the
// document: at exact ties the two place a line's dots differently.
int DifferencesFromTheEditor(const std::vector<std::uint8_t>& screen, const std::vector<OperationRecord>& records) {
  OperationList list;
  OperationList lines;
  for (const OperationRecord& record : records) {
    list.slots[list.count++] = record;
    if (record[0] == kind::Line || record[0] == kind::TwoColourLine) {
      lines.slots[lines.count] = record;
      lines.slots[lines.count][0] = kind::Line;
      lines.slots[lines.count++][5] = 7;
    }
  }
  const Bitmap picture = RenderPicture(list, kScreenHeight, true, RuleTiles());
  const Bitmap linePixels = RenderPicture(lines, kScreenHeight, true, RuleTiles());
  if (screen.size() != picture.pixels.size()) return -1;
  int differing = 0;
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) {
      if (PaletteColour(screen[static_cast<std::size_t>(y) * kScreenWidth + x]) == picture.At(x, y)) continue;
      bool nearLine = false;
      for (int dy = -1; dy <= 1 && !nearLine; ++dy) {
        for (int dx = -1; dx <= 1 && !nearLine; ++dx)
          nearLine = linePixels.Contains(x + dx, y + dy) && linePixels.At(x + dx, y + dy) != 0;
      }
      if (!nearLine) ++differing;
    }
  }
  return differing;
}

// A 200-line document as the tools make one: boxes and lines, fills in
// their colours and tiles (seeds away from the lines), dots, two-colour lines.
std::vector<OperationRecord> RandomDocument(std::mt19937& random) {
  auto between = [&](int low, int high) {
    return static_cast<std::int16_t>(std::uniform_int_distribution<int>(low, high)(random));
  };
  std::vector<OperationRecord> records;
  OperationList lines;
  for (int round = 0; round < 2; ++round) {
    for (int n = between(4, 8); n > 0; --n) {
      const std::int16_t x1 = between(0, 639), y1 = between(0, 199), x2 = between(0, 639), y2 = between(0, 199);
      const std::int16_t colour = between(1, 7);
      std::vector<OperationRecord> made;
      if (between(0, 1)) {
        made = {{1, x1, y1, x2, y1, colour, 0, 1},
                {1, x2, y1, x2, y2, colour, 0, 2},
                {1, x2, y2, x1, y2, colour, 0, 3},
                {1, x1, y2, x1, y1, colour, 0, 4}};
      } else {
        made = {{1, x1, y1, x2, y2, colour, 0, 1}};
      }
      for (const OperationRecord& record : made) records.push_back(record), lines.slots[lines.count++] = record;
    }
    const Bitmap linePixels = RenderPicture(lines, kScreenHeight, true, RuleTiles());
    for (int n = between(3, 6); n > 0; --n) {
      std::int16_t x = between(1, 638), y = between(1, 198);
      bool clear = false;
      while (!clear) {
        x = between(1, 638), y = between(1, 198), clear = true;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) clear = clear && linePixels.At(x + dx, y + dy) == 0;
        }
      }
      const std::int16_t border = between(1, 7);
      if (between(0, 2) == 0) {
        records.push_back({4, x, y, between(0, 2), between(0, 7), between(0, 7), border, 1});
      } else {
        records.push_back({3, x, y, 0, 0, between(0, 7), border, 1});
      }
    }
  }
  for (int n = between(0, 5); n > 0; --n)
    records.push_back({8, between(0, 639), between(0, 199), 0, 0, between(0, 7), 0, 1});
  for (int n = between(0, 2); n > 0; --n) {
    records.push_back(
        {10, between(0, 639), between(0, 199), between(0, 639), between(0, 199), between(0, 7), between(0, 7), 1});
  }
  return records;
}

// The fills of the kind and random documents: the program for the
// machine draws the editor's picture, where the plain one stops short.
TEST(MachineProgramRuns, DrawsTheEditorsPicture) {
  const BasicCommands commands = TwoHundredLineCommands();
  const TileStringTable tiles = BuildTileStringTable();
  constexpr int kWhite = 7, kGreen = 4;
  std::vector<OperationRecord> across = {{1, 100, 20, 300, 20, kWhite, 0, 1},   {1, 300, 20, 300, 150, kWhite, 0, 2},
                                         {1, 300, 150, 100, 150, kWhite, 0, 3}, {1, 100, 150, 100, 20, kWhite, 0, 4},
                                         {1, 101, 80, 299, 80, kGreen, 0, 1},   {3, 200, 40, 0, 0, kGreen, kWhite, 1}};
  std::vector<OperationRecord> tileRow = across;
  tileRow[4] = {1, 101, 81, 299, 81, kGreen, 0, 1};
  tileRow[5] = {4, 200, 40, 2, kGreen, 1, kWhite, 1};
  // A tile of colour 0 alone around a hole of one dot: from its own point
  // the interpreter's fill goes back and forth for ever.
  const std::vector<OperationRecord> endless = {{1, 146, 65, 146, 80, 1, 0, 1}, {1, 239, 65, 239, 80, 1, 0, 1},
                                                {1, 146, 65, 239, 65, 1, 0, 1}, {1, 146, 80, 239, 80, 1, 0, 1},
                                                {8, 198, 77, 0, 0, 1, 0, 1},    {4, 235, 78, 0, 0, 0, 1, 1}};
  std::vector<std::vector<OperationRecord>> documents = {across, tileRow, endless};
  std::mt19937 random(2121);
  for (int n = 0; n < 4; ++n) documents.push_back(RandomDocument(random));

  for (std::size_t d = 0; d < documents.size(); ++d) {
    const fs::path folder = pc_basic::Folder("machine-program");
    const CompletedFills completed = CompleteFills(documents[d], TwoHundredLines(), commands, tiles);
    const MachineProgram program =
        MachineProgramParts(completed.records, TwoHundredLines(), commands, tiles, kFreeAreaBytes, "part");
    ASSERT_TRUE(program.ok) << program.reason;
    const PartsRun run = RunParts(program.parts, folder);
    EXPECT_TRUE(run.reachedEnd) << "document " << d << "\n" << run.screenText;
    EXPECT_EQ(DifferencesFromTheEditor(run.screen, documents[d]), 0) << "document " << d;
    if (d < 3) {
      OperationList list;
      for (const OperationRecord& record : documents[d]) list.slots[list.count++] = record;
      const PartsRun plain = RunParts({BasicProgramText(list, TwoHundredLines(), commands, tiles)}, folder, 15);
      EXPECT_TRUE(d == 2 ? !plain.reachedEnd : DifferencesFromTheEditor(plain.screen, documents[d]) > 10000)
          << "document " << d;
    }
    fs::remove_all(folder);
  }
}

// Mixture rows (a hand-edited document's, or one far off the screen) at the
// ends of the records' range: the subroutine's sums of their coordinates
// once overflowed the BASIC's integers and stopped the program. It runs to
// the end, and draws what the same rows cut at the screen's edges draw
// (their dots fall on columns of their own, wherever a row starts; a row
// off the screen draws nothing).
TEST(MachineProgramRuns, MixtureRowsAtExtremeCoordinatesRunToTheEnd) {
  const BasicCommands commands = TwoHundredLineCommands();
  const TileStringTable tiles = BuildTileStringTable();
  const std::vector<OperationRecord> records = {
      {5, 10, 32767, 20, 0, 1, 2, 1},         {5, -32768, 10, 32767, 0, 1, 2, 1},    {6, -32767, 12, 100, 0, 3, 4, 1},
      {6, 32767, 14, -32768, 0, 5, 6, 1},     {7, 600, 20, 32767, 0, 5, 6, 1},       {7, -32768, 24, 32767, 0, 2, 7, 1},
      {5, -32768, -32768, 32767, 0, 1, 2, 1}, {7, -32761, 32766, 32767, 0, 1, 2, 1}, {5, -9, 30, 648, 0, 3, 1, 1}};
  std::vector<OperationRecord> cut;
  for (OperationRecord record : records) {
    if (record[field::Y1] < 0 || record[field::Y1] >= pc_basic::kScreenHeight) continue;
    for (const int f : {field::X1, field::X2}) record[f] = std::clamp<std::int16_t>(record[f], 0, 639);
    cut.push_back(record);
  }
  const fs::path folder = pc_basic::Folder("extreme-rows");
  std::vector<std::uint8_t> screens[2];
  for (int k = 0; k < 2; ++k) {
    const MachineProgram program =
        MachineProgramParts(k == 0 ? records : cut, TwoHundredLines(), commands, tiles, kFreeAreaBytes, "part");
    ASSERT_TRUE(program.ok) << program.reason;
    const PartsRun run = RunParts(program.parts, folder);
    EXPECT_TRUE(run.reachedEnd) << run.screenText;
    screens[k] = run.screen;
  }
  EXPECT_TRUE(screens[0] == screens[1]);
  EXPECT_GT(std::count_if(screens[0].begin(), screens[0].end(), [](std::uint8_t c) { return c != 0; }), 4 * 640)
      << "four rows cross the whole screen";
  fs::remove_all(folder);
}

// Pictures made into records, whole and within a budget: the interpreter
// runs their program to the end and draws the document's picture.
TEST(MachineProgramRuns, DrawsThePictureOfADocumentMadeFromAPicture) {
  const BasicCommands commands = TwoHundredLineCommands();
  const TileStringTable tiles = BuildTileStringTable();
  const std::pair<ColourPicture, std::size_t> pictures[] = {{colour_pictures::Shapes(2, 200, 6), 0},
                                                            {colour_pictures::Shapes(5, 200, 10), 6000}};
  for (const auto& [picture, budget] : pictures) {
    const PictureRecords made = RecordsForPicture(picture, TwoHundredLines(), commands, tiles, budget);
    EXPECT_EQ(made.equalPixels == picture.colours.size(), budget == 0);
    const CompletedFills completed = CompleteFills(made.records, TwoHundredLines(), commands, tiles);
    const MachineProgram program =
        MachineProgramParts(completed.records, TwoHundredLines(), commands, tiles, kFreeAreaBytes, "part");
    ASSERT_TRUE(program.ok) << program.reason;
    const fs::path folder = pc_basic::Folder("picture-program");
    const PartsRun run = RunParts(program.parts, folder);
    EXPECT_TRUE(run.reachedEnd) << "budget " << budget << "\n" << run.screenText;
    EXPECT_EQ(DifferencesFromTheEditor(run.screen, made.records), 0) << "budget " << budget;
    fs::remove_all(folder);
  }
}

// A picture for the eye has tile fills, each tile named once per part in a
// variable: the interpreter runs the program to its end (the variables set
// in the program's memory) and draws the document's picture.
TEST(MachineProgramRuns, APictureForTheEyeWithItsTilesInVariablesRunsToTheEnd) {
  const BasicCommands commands = TwoHundredLineCommands();
  const TileStringTable tiles = BuildTileStringTable();
  // Blocks of two mixtures' colours in turn, on a slow change of colour.
  Bitmap picture(640, 200);
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 640; ++x) {
      const bool block = (x / 40 + y / 40) % 2 == 0 && x % 40 > 8 && y % 40 > 8;
      picture.At(x, y) = block
                             ? ((x / 40) % 4 < 2 ? 0x800080u : 0x008080u)
                             : static_cast<Rgb>((x * 255 / 639) | (y * 255 / 199) << 8 | ((639 - x) * 200 / 639) << 16);
    }
  }
  const PictureRecords made = RecordsForPictureByEye(picture, TwoHundredLines(), commands, tiles, 20000);
  const CompletedFills completed = CompleteFills(made.records, TwoHundredLines(), commands, tiles);
  const MachineProgram program =
      MachineProgramParts(completed.records, TwoHundredLines(), commands, tiles, kFreeAreaBytes, "part");
  ASSERT_TRUE(program.ok) << program.reason;
  ASSERT_EQ(program.parts.size(), 1u);
  ASSERT_NE(program.parts[0].find("\r\n10000 T1$=CHR$("), std::string::npos) << "a tile in a variable";
  ASSERT_NE(program.parts[0].find(",T1$,"), std::string::npos);
  const fs::path folder = pc_basic::Folder("eye-program");
  const PartsRun run = RunParts(program.parts, folder);
  EXPECT_TRUE(run.reachedEnd) << run.screenText;
  EXPECT_EQ(DifferencesFromTheEditor(run.screen, made.records), 0);
  fs::remove_all(folder);
}

// Small versions of the documents built to be hard on the machine's model:
// the completed programs run to their END and draw the editor's picture.
// Whole-screen fills, black tiles that would never end, kind 2 of a black
// majority over and over in boxes with holes and once over a lattice of
// holes (where the machine would take for ever), a comb whose fills stop at
// a line in every slot, and records of every kind.
TEST(MachineProgramRuns, CompletedProgramsOfHardDocumentsRunToTheirEnd) {
  const BasicCommands commands = TwoHundredLineCommands();
  const TileStringTable tiles = BuildTileStringTable();
  const std::vector<std::pair<const char*, std::vector<OperationRecord>>> documents = {
      {"whole-screen fills", hard_documents::WholeScreenFills(4, 200)},
      {"never-ending tile fills", hard_documents::NeverEndingTileFills(9, 200)},
      {"black-majority tile fills", hard_documents::BlackMajorityTileFills(40, 200)},
      {"black majority over a lattice", hard_documents::BlackMajorityOverALattice()},
      {"comb", hard_documents::Comb(250, 200)},
      {"random records", hard_documents::RandomRecords(30, 200)}};
  for (const auto& [name, records] : documents) {
    const CompletedFills completed = CompleteFills(records, TwoHundredLines(), commands, tiles);
    const MachineProgram program =
        MachineProgramParts(completed.records, TwoHundredLines(), commands, tiles, kFreeAreaBytes, "part");
    ASSERT_TRUE(program.ok) << name << ": " << program.reason;
    const fs::path folder = pc_basic::Folder("hard-document");
    const PartsRun run = RunParts(program.parts, folder, 120);
    EXPECT_TRUE(run.reachedEnd) << name << "\n" << run.screenText;
    EXPECT_EQ(DifferencesFromTheEditor(run.screen, records), 0) << name;
    fs::remove_all(folder);
  }
}

// Split by a small free area, each part loads within it (measured as the
// interpreter's FRE(0) beside the program of no record), and part 1 runs
// through every part to the end and draws the editor's picture.
TEST(MachineProgramRuns, PartsLoadWithinTheMemoryAndRunToTheEnd) {
  const BasicCommands commands = TwoHundredLineCommands();
  const TileStringTable tiles = BuildTileStringTable();
  std::mt19937 random(2122);
  std::vector<OperationRecord> records;
  for (int n = 0; n < 3; ++n) {
    for (const OperationRecord& record : RandomDocument(random)) records.push_back(record);
  }
  constexpr std::size_t kFreeArea = 600;
  const CompletedFills completed = CompleteFills(records, TwoHundredLines(), commands, tiles);
  const MachineProgram program =
      MachineProgramParts(completed.records, TwoHundredLines(), commands, tiles, kFreeArea, "part");
  ASSERT_TRUE(program.ok) << program.reason;
  ASSERT_GE(program.parts.size(), 3u);

  const fs::path folder = pc_basic::Folder("machine-parts");
  std::string loads = "DO LOAD \"EMPTY.BAS\"\nDO OPEN \"O\",#1,\"FREE0\":PRINT #1,FRE(0):CLOSE #1\n";
  std::ofstream(folder / "EMPTY.BAS", std::ios::binary)
      << BasicProgramText(OperationList(), TwoHundredLines(), commands, tiles);
  for (std::size_t k = 0; k < program.parts.size(); ++k) {
    const std::string name = "P" + std::to_string(k + 1) + ".BAS";
    std::ofstream(folder / name, std::ios::binary) << program.parts[k];
    loads +=
        "DO LOAD \"" + name + "\"\nDO OPEN \"O\",#1,\"FREE" + std::to_string(k + 1) + "\":PRINT #1,FRE(0):CLOSE #1\n";
  }
  pc_basic::RunScript(folder, loads, 120);
  auto freeAfter = [&](std::size_t k) {
    return std::atoi(ReadWholeFile((folder / ("FREE" + std::to_string(k))).string()).value_or("0").c_str());
  };
  for (std::size_t k = 1; k <= program.parts.size(); ++k) {
    EXPECT_LE(freeAfter(0) - freeAfter(k) + static_cast<int>(kRunNeedsBytes), static_cast<int>(kFreeArea))
        << "part " << k;
  }
  const PartsRun run = RunParts(program.parts, folder);
  EXPECT_TRUE(run.reachedEnd) << run.screenText;
  EXPECT_EQ(DifferencesFromTheEditor(run.screen, records), 0);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kumodo
