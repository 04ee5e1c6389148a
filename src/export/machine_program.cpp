#include "export/machine_program.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <set>

#include "export/basic_program.h"
#include "export/machine_paint.h"
#include "export/program_memory.h"
#include "picture/record_drawing.h"
#include "picture/tiles.h"
#include "screen/layout.h"
#include "screen/palette.h"
#include "screen/raster.h"

namespace kumodo {
namespace {

constexpr int kFirstLine = 10000;
constexpr int kNoRoutine = 0;  // a closing line every part keeps

struct Point {
  int x, y;
};

// Other starts tried for a fill the machine would never end.
constexpr std::size_t kStartsTried = 64;

struct Span {
  int y, left, right;
};

enum class FillMode { Paint, Judge, Complete };

// How the program draws a fill: a PAINT from `start`, then PAINTs from
// `more`; or, when no start tried ends, the area's rows one by one.
struct FillSeeds {
  Point start{};
  bool moved = false;  // the start is not the record's own point
  std::vector<Point> more;
  std::vector<Span> rows;
  bool stopsShort = false;  // of the fill from its own point alone
};

bool IsColour(int value) { return value >= 0 && value <= 7; }

// The machine's screen: 200 lines for a halved or 200-line picture, else 400.
int MachineScreenHeight(const Settings& settings) {
  return settings.outputResolution == 0 || settings.editingResolution == 2 ? 200 : 400;
}

// The machine's screen, drawn on as the program's lines draw.
class MachineModel {
 public:
  MachineModel(const Settings& settings, const TileStringTable& tiles)
      : settings_(settings), tiles_(tiles), screen_(640, MachineScreenHeight(settings)) {}

  // Draws the record's line. For a fill, where its PAINT starts and the
  // seeds that complete it (see FillSeeds).
  FillSeeds Draw(const OperationRecord& r, FillMode mode) {
    using namespace field;
    const int x1 = r[X1], y1 = Y(r[Y1]), x2 = r[X2], y2 = Y(r[Y2]);
    const FillSeeds none{{x1, y1}, false, {}, {}, false};
    switch (r[Kind]) {
      case kind::Line:
        MachineLine(screen_, x1, y1, x2, y2, PaletteColour(r[Colour]));
        return none;
      case kind::Paint:
        if (!IsColour(r[Colour]) || !IsColour(r[Border])) return none;
        return Fill({x1, y1}, SolidPattern(r[Colour]), PaletteColour(r[Border]), mode);
      case kind::TilePaint:
        if (settings_.tiling != 1 || LookUpTileString(tiles_, r[TileKind], r[Second], r[Colour]).empty() ||
            !IsColour(r[Border])) {
          return none;
        }
        return Fill({x1, y1}, TilePattern(TilePlaneRows(r[TileKind], r[Second], r[Colour])), PaletteColour(r[Border]),
                    mode);
      case kind::Dot:
        SetPixel(screen_, x1, y1, PaletteColour(r[Colour]));
        return none;
      case kind::MixtureRow:
      case kind::MixtureRow + 1:
      case kind::MixtureRow + 2:
        MixtureRow(r[Kind] - kind::MixtureRow, std::min(x1, x2), std::max(x1, x2), y1, r[Colour], r[LineColour]);
        return none;
      case kind::TwoColourLine: {
        MachineLine(screen_, x1, y1, x2, y2, PaletteColour(r[LineColour]));
        DrawingState dots;
        dots.x1 = x1, dots.y1 = y1, dots.x2 = x2, dots.y2 = y2;
        dots.drawingColour = r[Colour];
        DrawTwoColourDots(screen_, dots);
        return none;
      }
      default:
        return none;
    }
  }

  Bitmap TakeScreen() { return std::move(screen_); }

 private:
  int Y(int y) const { return ProgramY(y, settings_); }

  // The subroutines of the mixture rows: a line in the second colour, then
  // the first colour's dots.
  void MixtureRow(int tileKind, int left, int right, int y, int first, int second) {
    MachineLine(screen_, left, y, right, y, PaletteColour(second));
    if (y < 0 || y >= screen_.height) return;
    // The tile repeats every eight dots or fewer along a row.
    std::array<bool, 8> dot{};
    for (int x = 0; x < 8; ++x)
      dot[static_cast<std::size_t>(x)] = TilePixelColour(tileKind, first, second, x, y) == first;
    const Rgb colour = PaletteColour(first);
    for (int x = std::max(left, 0); x <= std::min(right, screen_.width - 1); ++x) {
      if (dot[static_cast<std::size_t>(x) % 8]) screen_.At(x, y) = colour;
    }
  }

  // The area the editor's fill from (x, y) paints: the pixels reachable
  // through the four direct neighbours without stepping on the border
  // colour, as spans.
  std::vector<Span> Area(int x, int y, Rgb border) {
    std::vector<Span> spans;
    if (!screen_.Contains(x, y) || screen_.At(x, y) == border) return spans;
    const int width = screen_.width;
    if (++generation_ == 0 || reached_.empty()) {
      reached_.assign(static_cast<std::size_t>(width) * screen_.height, 0);
      generation_ = 1;
    }
    auto open = [&](int px, int py) {
      const std::size_t at = static_cast<std::size_t>(py) * width + px;
      return reached_[at] != generation_ && screen_.pixels[at] != border;
    };
    std::vector<Point> seeds{{x, y}};
    while (!seeds.empty()) {
      const Point seed = seeds.back();
      seeds.pop_back();
      if (!open(seed.x, seed.y)) continue;
      int left = seed.x, right = seed.x;
      while (left > 0 && open(left - 1, seed.y)) --left;
      while (right < width - 1 && open(right + 1, seed.y)) ++right;
      std::fill_n(reached_.begin() + static_cast<std::ptrdiff_t>(seed.y) * width + left, right - left + 1, generation_);
      spans.push_back({seed.y, left, right});
      for (int ny : {seed.y - 1, seed.y + 1}) {
        if (ny < 0 || ny >= screen_.height) continue;
        bool inRun = false;
        for (int nx = left; nx <= right; ++nx) {
          const bool candidate = open(nx, ny);
          if (candidate && !inRun) seeds.push_back({nx, ny});
          inRun = candidate;
        }
      }
    }
    return spans;
  }

  // A fill as the machine paints it: from its own point alone (Paint), and
  // saying whether it stops short of the area or never ends (Judge); or
  // completed (Complete), where every part left gets a seed, painted in turn; when
  // the machine would never end (from the start or a seed), the fill starts
  // instead from the first point of one stretch of the area after another
  // (the same area, so the same picture). Failing all, or where it would
  // take more seeds than the area has rows, the rows are drawn.
  FillSeeds Fill(Point start, const PaintPattern& pattern, Rgb border, FillMode mode) {
    FillSeeds fill{start, false, {}, {}, false};
    if (mode == FillMode::Paint) {
      // A bound no fill that ends comes near: the whole screen's dots.
      MachinePaint(screen_, start.x, start.y, pattern, border, 16LL * screen_.width * screen_.height);
      return fill;
    }
    const std::vector<Span> area = Area(start.x, start.y, border);
    if (area.empty()) return fill;
    const long long stretches = 16 * static_cast<long long>(area.size()) + 1024;
    if (mode == FillMode::Judge) {
      fill.stopsShort = !MachinePaint(screen_, start.x, start.y, pattern, border, stretches) || !Whole(area, pattern);
      return fill;
    }
    const std::vector<Rgb> before = AreaPixels(area);
    for (std::size_t k = 0; k <= std::min(area.size(), kStartsTried); ++k) {
      if (k > 0) {
        RestoreArea(area, before);
        fill.start = {area[k - 1].left, area[k - 1].y};
        fill.moved = true;
        fill.more.clear();
      }
      const Painted painted = PaintsWhole(area, pattern, border, stretches, fill);
      if (painted == Painted::Whole) return fill;
      if (painted == Painted::ByTooManySeeds) break;
    }
    fill.more.clear();
    fill.rows = area;
    std::sort(fill.rows.begin(), fill.rows.end(),
              [](const Span& a, const Span& b) { return a.y != b.y ? a.y < b.y : a.left < b.left; });
    for (const Span& span : area) {
      for (int x = span.left; x <= span.right; ++x) screen_.At(x, span.y) = pattern.At(x, span.y);
    }
    return fill;
  }

  bool Whole(const std::vector<Span>& area, const PaintPattern& pattern) const {
    return std::all_of(area.begin(), area.end(), [&](const Span& span) {
      for (int x = span.left; x <= span.right; ++x) {
        if (screen_.At(x, span.y) != pattern.At(x, span.y)) return false;
      }
      return true;
    });
  }

  // Paints from the fill's start and then from a seed in each part left,
  // until the area is whole; stops as soon as one PAINT would never end, or
  // once the seeds are as many as the area's rows, which take as many lines.
  enum class Painted { Whole, NeverEnding, ByTooManySeeds };
  Painted PaintsWhole(const std::vector<Span>& area, const PaintPattern& pattern, Rgb border, long long stretches,
                      FillSeeds& fill) {
    if (!MachinePaint(screen_, fill.start.x, fill.start.y, pattern, border, stretches)) return Painted::NeverEnding;
    // Painting only ever sets the pattern, so a pixel found right stays right.
    for (const Span& span : area) {
      for (int x = span.left; x <= span.right; ++x) {
        if (screen_.At(x, span.y) == pattern.At(x, span.y)) continue;
        if (fill.more.size() + 1 >= area.size()) return Painted::ByTooManySeeds;
        fill.more.push_back({x, span.y});
        if (!MachinePaint(screen_, x, span.y, pattern, border, stretches)) return Painted::NeverEnding;
      }
    }
    return Painted::Whole;
  }

  std::vector<Rgb> AreaPixels(const std::vector<Span>& area) const {
    std::vector<Rgb> pixels;
    for (const Span& span : area) {
      const auto row = screen_.pixels.begin() + static_cast<std::ptrdiff_t>(span.y) * screen_.width;
      pixels.insert(pixels.end(), row + span.left, row + span.right + 1);
    }
    return pixels;
  }

  void RestoreArea(const std::vector<Span>& area, const std::vector<Rgb>& pixels) {
    std::size_t at = 0;
    for (const Span& span : area) {
      const std::size_t width = static_cast<std::size_t>(span.right - span.left + 1);
      std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(at), width, &screen_.At(span.left, span.y));
      at += width;
    }
  }

  const Settings& settings_;
  const TileStringTable& tiles_;
  Bitmap screen_;
  std::vector<std::uint32_t> reached_;
  std::uint32_t generation_ = 0;
};

struct Statement {
  std::string text;
  int routine;  // the record kind whose subroutine it calls, else kNoRoutine
};

bool IsMixtureRow(int recordKind) { return recordKind >= kind::MixtureRow && recordKind <= kind::MixtureRow + 2; }

int RoutineOf(int recordKind) {
  return IsMixtureRow(recordKind) || recordKind == kind::TwoColourLine ? recordKind : kNoRoutine;
}

// The record as the program states it. A mixture row's subroutine sums
// its coordinates (XL + YA + 1, R - XL), which must stay within the BASIC's
// integers, -32768 to 32767, or the program stops with "Overflow". Off the
// screen a row draws nothing and its dots repeat every eight, so a
// coordinate more than eight past the screen's edge is brought to within
// eight of it, keeping its place in the repeat: the row draws the same.
OperationRecord WithinIntegers(OperationRecord record) {
  if (!IsMixtureRow(record[field::Kind])) return record;
  auto near = [](std::int16_t value, int last) {
    const int repeat = ((value % 8) + 8) % 8;
    if (value < -8) return static_cast<std::int16_t>(repeat - 8);
    if (value > last + 8) return static_cast<std::int16_t>(last + 1 + repeat);
    return value;
  };
  record[field::X1] = near(record[field::X1], kPictureWidth - 1);
  record[field::X2] = near(record[field::X2], kPictureWidth - 1);
  record[field::Y1] = near(record[field::Y1], kPictureHeight - 1);
  return record;
}

std::size_t LineBytes(const std::string& line) {
  return EstimateProgramMemory(line + "\r\n").program - EstimateProgramMemory("").program;
}

// A closing line and what it belongs to: the opening (numbered below the
// records), a subroutine by the ranges the RETURN lines close, or every part.
struct ClosingLine {
  std::string text;
  bool opening = false;
  int routine = kNoRoutine;
};

std::vector<ClosingLine> ClassifiedClosingLines(const Settings& settings, const BasicCommands& commands) {
  std::vector<ClosingLine> lines;
  for (const std::string& text : SubroutineLines(settings, commands)) {
    ClosingLine line{text};
    std::size_t digits = 0;
    while (digits < text.size() && digits < 6 && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    const int number = digits > 0 ? std::stoi(text.substr(0, digits)) : -1;
    if (number >= 0 && number < kFirstLine) {
      line.opening = true;
    } else if (number >= 60000) {
      // 60000, 60100 and 60200 the mixture rows of the three tiles, 60300 on the two-colour line.
      line.routine = number < 60300 ? kind::MixtureRow + (number - 60000) / 100 : kind::TwoColourLine;
    }
    lines.push_back(line);
  }
  return lines;
}

struct Part {
  std::vector<const Statement*> statements;
  std::set<int> routines;
};

std::string PartText(const Part& part, bool first, const std::string& ending, const std::vector<ClosingLine>& closing) {
  std::string text;
  auto append = [&text](const std::string& line) {
    text += line;
    text += "\r\n";
  };
  for (const ClosingLine& line : closing) {
    if (line.opening && first) append(line.text);
  }
  int number = kFirstLine;
  for (const Statement* statement : part.statements) append(NumberedLine(number++, statement->text));
  append(ending);
  for (const ClosingLine& line : closing) {
    if (!line.opening && (line.routine == kNoRoutine || part.routines.count(line.routine))) append(line.text);
  }
  return text;
}

// The statements in parts of at most `limit` bytes once loaded, the chain
// line counted at its longest; nothing when a part cannot hold one line.
std::optional<std::vector<Part>> SplitIntoParts(const std::vector<Statement>& statements,
                                                const std::vector<ClosingLine>& closing, std::size_t limit) {
  std::size_t routineBytes[kTemplateKinds] = {};
  std::size_t everyPartBytes = EstimateProgramMemory("").program + LineBytes("59999 CHAIN \"ABCDEFGH.BAS\"");
  std::size_t openingBytes = 0;
  for (const ClosingLine& line : closing) {
    (line.opening                 ? openingBytes
     : line.routine != kNoRoutine ? routineBytes[line.routine]
                                  : everyPartBytes) += LineBytes(line.text);
  }
  std::vector<Part> parts(1);
  std::size_t used = everyPartBytes + openingBytes;
  for (const Statement& statement : statements) {
    const std::size_t lineBytes = LineBytes(NumberedLine(kFirstLine, statement.text));
    auto cost = [&](const Part& part) {
      return lineBytes + (part.routines.count(statement.routine) ? 0 : routineBytes[statement.routine]);
    };
    if (used + cost(parts.back()) > limit) {
      if (parts.back().statements.empty() || everyPartBytes + cost(Part()) > limit) return std::nullopt;
      parts.emplace_back();
      used = everyPartBytes;
    }
    used += cost(parts.back());
    parts.back().statements.push_back(&statement);
    parts.back().routines.insert(statement.routine);
  }
  return parts;
}

}  // namespace

Bitmap MachinePicture(std::span<const OperationRecord> records, const Settings& settings,
                      const TileStringTable& tiles) {
  MachineModel model(settings, tiles);
  for (const OperationRecord& record : records) {
    if (BecomesLine(record, settings)) model.Draw(record, FillMode::Paint);
  }
  return model.TakeScreen();
}

int ShortFills(std::span<const OperationRecord> records, const Settings& settings, const TileStringTable& tiles) {
  MachineModel model(settings, tiles);
  int shortFills = 0;
  for (const OperationRecord& record : records) {
    if (BecomesLine(record, settings) && model.Draw(record, FillMode::Judge).stopsShort) ++shortFills;
  }
  return shortFills;
}

CompletedFills CompleteFills(std::span<const OperationRecord> records, const Settings& settings,
                             const TileStringTable& tiles) {
  MachineModel model(settings, tiles);
  CompletedFills completed;
  auto documentY = [&settings](int machineY) {
    return static_cast<std::int16_t>(settings.outputResolution == 0 ? 2 * machineY : machineY);
  };
  auto seededAt = [&](OperationRecord record, Point seed) {
    record[field::X1] = static_cast<std::int16_t>(seed.x);
    record[field::Y1] = documentY(seed.y);
    return record;
  };
  for (const OperationRecord& record : records) {
    if (!BecomesLine(record, settings)) {
      completed.records.push_back(record);
      continue;
    }
    const FillSeeds fill = model.Draw(record, FillMode::Complete);
    if (fill.moved || !fill.more.empty() || !fill.rows.empty()) ++completed.fillsCompleted;
    if (fill.rows.empty()) completed.records.push_back(fill.moved ? seededAt(record, fill.start) : record);
    for (const Point& seed : fill.more) completed.records.push_back(seededAt(record, seed));
    // Rows of a plain fill are lines; of a tile fill, the tile's mixture rows (kinds 5 to 7).
    for (const Span& row : fill.rows) {
      const auto y = documentY(row.y);
      const auto left = static_cast<std::int16_t>(row.left), right = static_cast<std::int16_t>(row.right);
      const std::int16_t colour = record[field::Colour];
      completed.records.push_back(
          record[field::Kind] == kind::Paint
              ? OperationRecord{kind::Line, left, y, right, y, colour, 0, 1}
              : OperationRecord{static_cast<std::int16_t>(kind::MixtureRow + record[field::TileKind]), left, y, right,
                                0, colour, record[field::Second], 1});
    }
  }
  return completed;
}

std::string PartDiskName(const std::string& stem, int part) {
  std::string name;
  for (const char c : stem) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (name.empty()) name = "PART";
  const std::string number = std::to_string(part);
  name.resize(std::min(name.size(), 8 - std::min<std::size_t>(number.size(), 8)));
  return name + number + ".BAS";
}

MachineProgram MachineProgramParts(std::span<const OperationRecord> records, const Settings& settings,
                                   const BasicCommands& commands, const TileStringTable& tiles, std::size_t freeArea,
                                   const std::string& chainStem) {
  MachineProgram program;
  std::vector<Statement> statements;
  for (const OperationRecord& record : records) {
    if (BecomesLine(record, settings)) {
      statements.push_back(
          {RecordStatement(WithinIntegers(record), settings, commands, tiles), RoutineOf(record[field::Kind])});
    }
  }
  // The whole memory: the free area and what the opening and closing lines
  // took when it was measured.
  Settings measured = settings;
  measured.tiling = 1;
  const std::size_t whole =
      freeArea + EstimateProgramMemory(BasicProgramText(OperationList(), measured, commands, tiles)).program;
  const std::vector<ClosingLine> closing = ClassifiedClosingLines(settings, commands);
  const std::string end = "59999 END";

  Part single;
  for (const Statement& statement : statements) {
    single.statements.push_back(&statement);
    single.routines.insert(statement.routine);
  }
  std::string singleText = PartText(single, true, end, closing);
  if (EstimateProgramMemory(singleText).program + kRunNeedsBytes <= whole) {
    program.parts.push_back(std::move(singleText));
    program.ok = true;
    return program;
  }
  // Parts fill up to a margin of 1 % below the whole.
  const std::optional<std::vector<Part>> parts =
      SplitIntoParts(statements, closing, whole - std::min(whole, kRunNeedsBytes + whole / 100));
  if (!parts) {
    program.reason = "a free area of " + std::to_string(freeArea) +
                     " bytes does not hold the opening lines and one line of the program";
    return program;
  }
  for (std::size_t k = 0; k < parts->size(); ++k) {
    const bool last = k + 1 == parts->size();
    const std::string ending = last ? end : "59999 CHAIN \"" + PartDiskName(chainStem, static_cast<int>(k) + 2) + "\"";
    program.parts.push_back(PartText((*parts)[k], k == 0, ending, closing));
  }
  program.ok = true;
  return program;
}

}  // namespace kumodo
