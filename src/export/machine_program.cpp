#include "export/machine_program.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <set>

#include "export/basic_program.h"
#include "export/machine_paint.h"
#include "export/program_memory.h"
#include "picture/record_drawing.h"
#include "picture/tiles.h"
#include "screen/layout.h"
#include "screen/palette.h"

namespace kumodo {
namespace {

constexpr int kFirstLine = 10000;
constexpr int kNoRoutine = 0;  // a closing line every part keeps

// Other starts tried for a fill the machine would never end.
constexpr std::size_t kStartsTried = 8;

// A bound no PAINT reaches.
constexpr std::int64_t kUnbounded = std::numeric_limits<std::int64_t>::max();

// The stretches beyond which a PAINT may as well never end: PC-BASIC was
// still going after more than four minutes on one that queues five million
// (kind 2 of a black majority over a lattice of holes).
constexpr std::int64_t kLongestPaint = 1'000'000;

struct Point {
  int x, y;
};

bool IsColour(int value) { return value >= 0 && value <= 7; }

// A colour number as the machine draws it: any other number is black, as in the palette.
int DrawnColour(int value) { return IsColour(value) ? value : 0; }

// The machine's screen: 200 lines for a halved or 200-line picture, else 400.
int MachineScreenHeight(const Settings& settings) {
  return settings.outputResolution == 0 || settings.editingResolution == 2 ? 200 : 400;
}

// Every pattern a fill can paint with, made when first asked for: the
// eight colours, then the tiles by kind, majority and minority colour.
class Patterns {
 public:
  const PaintPattern& Solid(int colour) {
    return Made(colour, [&] { return SolidPattern(colour); });
  }
  const PaintPattern& Tile(int tileKind, int majority, int minority) {
    return Made(8 + (tileKind * 8 + majority) * 8 + minority,
                [&] { return TilePattern(TilePlaneRows(tileKind, majority, minority)); });
  }

 private:
  template <typename Make>
  const PaintPattern& Made(int key, Make make) {
    auto& pattern = patterns_[static_cast<std::size_t>(key)];
    if (!pattern) pattern = make();
    return *pattern;
  }
  // 200 of some 2.6 KB each: kept off the stack.
  std::vector<std::optional<PaintPattern>> patterns_ = std::vector<std::optional<PaintPattern>>(8 + kTileKinds * 64);
};

// A fill as its program line paints it: from `seed` on the machine's screen.
struct FillOrder {
  Point seed;
  const PaintPattern* pattern;
  int border;
};

bool IsTileFill(const OperationRecord& r, const Settings& settings, const TileStringTable& tiles) {
  using namespace field;
  return r[Kind] == kind::TilePaint && settings.tiling == 1 && IsColour(r[Border]) &&
         !LookUpTileString(tiles, r[TileKind], r[Second], r[Colour]).empty();
}

std::optional<FillOrder> FillOf(const OperationRecord& r, const Settings& settings, const TileStringTable& tiles,
                                Patterns& patterns) {
  using namespace field;
  const Point seed{r[X1], ProgramY(r[Y1], settings)};
  if (r[Kind] == kind::Paint && IsColour(r[Colour]) && IsColour(r[Border])) {
    return FillOrder{seed, &patterns.Solid(r[Colour]), r[Border]};
  }
  if (IsTileFill(r, settings, tiles))
    return FillOrder{seed, &patterns.Tile(r[TileKind], r[Second], r[Colour]), r[Border]};
  return std::nullopt;
}

// A tile whose two colours are one is that colour: filled as a plain PAINT
// it paints the same dots, and one of colour 0 no longer fills through.
OperationRecord PlainWhereOneColour(const OperationRecord& r, const Settings& settings, const TileStringTable& tiles) {
  using namespace field;
  if (!IsTileFill(r, settings, tiles) || r[Second] != r[Colour]) return r;
  return {kind::Paint, r[X1], r[Y1], 0, 0, r[Colour], r[Border], r[Chain]};
}

// How a fill's area is filled: PAINT as the machine does it, or the whole
// area as the editor's fill does.
enum class FillRule { Machine, Editor };

// What drawing a record did: the rows it may have changed (top > bottom for
// none) and, for a fill, whether it ended and left its area whole.
struct Drawn {
  int top = 0, bottom = -1;
  bool ended = true;
  bool whole = true;
};

// The machine's screen, drawn on as the program's lines draw.
class MachineModel {
 public:
  MachineModel(const Settings& settings, const TileStringTable& tiles, FillRule rule)
      : settings_(settings),
        tiles_(tiles),
        rule_(rule),
        screen_(MachineScreenHeight(settings)),
        marks_(screen_.colours.size()),
        rowStretches_(static_cast<std::size_t>(screen_.height)),
        rowStretchGeneration_(static_cast<std::size_t>(screen_.height)) {}

  Drawn Draw(const OperationRecord& r) {
    using namespace field;
    const int x1 = r[X1], y1 = Y(r[Y1]), x2 = r[X2], y2 = Y(r[Y2]);
    switch (r[Kind]) {
      case kind::Line:
        return Line(x1, y1, x2, y2, r[Colour]);
      case kind::Paint:
      case kind::TilePaint: {
        const std::optional<FillOrder> fill = FillOf(r, settings_, tiles_, patterns_);
        return fill ? Fill(*fill) : Drawn();
      }
      case kind::Dot: {
        if (!screen_.Contains(x1, y1)) return {};
        const bool near = Near(x1, y1, x1, y1);
        const std::uint8_t before = screen_.At(x1, y1);
        screen_.At(x1, y1) = static_cast<std::uint8_t>(DrawnColour(r[Colour]));
        if (near) Coloured(DrawnColour(r[Colour]), before == area_.border);
        return {y1, y1};
      }
      case kind::MixtureRow:
      case kind::MixtureRow + 1:
      case kind::MixtureRow + 2:
        return MixtureRow(r[Kind] - kind::MixtureRow, std::min(x1, x2), std::max(x1, x2), y1, r[Colour], r[LineColour]);
      case kind::TwoColourLine: {
        Reaching(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
        const Drawn drawn = Line(x1, y1, x2, y2, r[LineColour]);
        DrawingState dots;
        dots.x1 = x1, dots.y1 = y1, dots.x2 = x2, dots.y2 = y2;
        dots.drawingColour = r[Colour];
        const auto colour = static_cast<std::uint8_t>(DrawnColour(r[Colour]));
        ForEachTwoColourDot(dots, screen_.width, screen_.height, [&](int x, int y) {
          if (screen_.Contains(x, y)) screen_.At(x, y) = colour;
        });
        return drawn;
      }
      default:
        return {};
    }
  }

  // The fill of record `r` as a program that the machine ends with its
  // area whole (see CompleteFills), drawn; `bytes` gives what a record's
  // line takes. Nothing for a fill left out.
  std::vector<OperationRecord> Complete(const OperationRecord& record,
                                        const std::function<std::size_t(const OperationRecord&)>& bytes);

  const MachineScreen& Screen() {
    Materialize();
    return screen_;
  }

  // Takes the other model's picture as its own.
  void CopyPicture(MachineModel& other) {
    screen_.colours = other.Screen().colours;
    area_.valid = false;
  }

  void PaintStretches(const std::vector<Stretch>& spans, const PaintPattern& pattern) {
    for (const Stretch& span : spans) Paint(span, pattern);
  }

  // The area of the last fill drawn and its pattern.
  const std::vector<Stretch>& LastArea() const { return lastArea_; }
  const PaintPattern& LastPattern() const { return *lastPattern_; }

 private:
  // The area of the last fill, kept while nothing drawn near it adds or
  // removes a dot of its border colour: a fill from a dot of it up to that
  // colour has the same area. While nothing else is drawn in it either, its
  // dots all hold `pattern`, or will once `painted`.
  struct FilledArea {
    bool valid = false;
    int border = 0;
    const PaintPattern* pattern = nullptr;  // none once something else is drawn in it
    bool painted = true;
    std::uint32_t generation = 0;  // of the marks on its stretches' first dots
    std::vector<Stretch> stretches;
    int top = 0, bottom = 0, left = 0, right = 0;
  };

  int Y(int y) const { return ProgramY(y, settings_); }

  // Whether drawing on the box from (left, top) to (right, bottom) may
  // reach the kept area's dots or borders; if so, its dots are painted first.
  bool Near(int left, int top, int right, int bottom) {
    if (!area_.valid) return false;
    if (right < area_.left - 1 || left > area_.right + 1 || bottom < area_.top - 1 || top > area_.bottom + 1) {
      return false;
    }
    Materialize();
    return true;
  }

  // Before drawing there anything but a line or a dot: the kept area is forgotten.
  void Reaching(int left, int top, int right, int bottom) {
    if (Near(left, top, right, bottom)) area_.valid = false;
  }

  // After drawing near the kept area in `colour`, over a dot of its border colour or not.
  void Coloured(int colour, bool overBorder) {
    if (colour == area_.border || overBorder) {
      area_.valid = false;
    } else {
      area_.pattern = nullptr;
    }
  }

  void Materialize() {
    if (area_.valid && !area_.painted) {
      PaintStretches(area_.stretches, *area_.pattern);
      area_.painted = true;
    }
  }

  Drawn Line(int x1, int y1, int x2, int y2, int colour) {
    const int top = std::clamp(std::min(y1, y2), 0, screen_.height - 1);
    const int bottom = std::clamp(std::max(y1, y2), 0, screen_.height - 1);
    const bool near = Near(std::clamp(std::min(x1, x2), 0, screen_.width - 1), top,
                           std::clamp(std::max(x1, x2), 0, screen_.width - 1), bottom);
    const bool overBorder = MachineLine(screen_, x1, y1, x2, y2, DrawnColour(colour), near ? area_.border : -1);
    if (near) Coloured(DrawnColour(colour), overBorder);
    return {top, bottom};
  }

  // The subroutines of the mixture rows: a line in the second colour, then
  // the first colour's dots.
  Drawn MixtureRow(int tileKind, int left, int right, int y, int first, int second) {
    Reaching(left, y, right, y);
    const Drawn drawn = Line(left, y, right, y, second);
    if (y < 0 || y >= screen_.height) return drawn;
    const auto colour = static_cast<std::uint8_t>(DrawnColour(first));
    // The tile repeats every eight dots or fewer along a row.
    std::array<bool, 8> dot{};
    for (int x = 0; x < 8; ++x)
      dot[static_cast<std::size_t>(x)] = TilePixelColour(tileKind, first, second, x, y) == first;
    for (int x = std::max(left, 0); x <= std::min(right, screen_.width - 1); ++x) {
      if (dot[static_cast<std::size_t>(x) % 8]) screen_.At(x, y) = colour;
    }
    return drawn;
  }

  void Paint(const Stretch& span, const PaintPattern& pattern) {
    if (span.left == span.right) {
      screen_.Row(span.y)[span.left] = pattern.Row(span.y)[span.left];
    } else {
      std::memcpy(screen_.Row(span.y) + span.left, pattern.Row(span.y) + span.left,
                  static_cast<std::size_t>(span.right - span.left + 1));
    }
  }

  bool Holds(const Stretch& span, const PaintPattern& pattern) {
    const std::uint8_t* row = screen_.Row(span.y);
    const std::uint8_t* expected = pattern.Row(span.y);
    if (span.left == span.right) return row[span.left] == expected[span.left];
    return std::memcmp(row + span.left, expected + span.left, static_cast<std::size_t>(span.right - span.left + 1)) ==
           0;
  }

  bool Holds(const std::vector<Stretch>& area, const PaintPattern& pattern) {
    return std::all_of(area.begin(), area.end(), [&](const Stretch& span) { return Holds(span, pattern); });
  }

  // The first dot of the stretch of row y through x between borders.
  int StretchStart(int x, int y, std::uint8_t border) { return FindBackward(screen_.Row(y), x, 0, border) + 1; }

  std::uint32_t& Mark(int x, int y) { return marks_[static_cast<std::size_t>(y) * screen_.width + x]; }

  // Marks of earlier generations no longer count.
  void NextGeneration() {
    if (++generation_ == 0) {
      std::fill(marks_.begin(), marks_.end(), 0);
      std::fill(rowStretchGeneration_.begin(), rowStretchGeneration_.end(), 0);
      generation_ = 1;
    }
  }

  // The stretch of row y through x (a dot not of the border colour), from
  // border to border. The last one found on each row is kept: many narrow
  // stretches next to one long one (a comb's teeth under its spine) look it
  // up over and over.
  Stretch StretchThrough(int x, int y, std::uint8_t border) {
    Stretch& kept = rowStretches_[static_cast<std::size_t>(y)];
    if (rowStretchGeneration_[static_cast<std::size_t>(y)] == generation_ && kept.left <= x && x <= kept.right) {
      return kept;
    }
    rowStretchGeneration_[static_cast<std::size_t>(y)] = generation_;
    kept = {y, StretchStart(x, y, border), FindForward(screen_.Row(y), x, screen_.width - 1, border) - 1};
    return kept;
  }

  // The area the editor's fill from `seed` paints: the dots reachable
  // through the four direct neighbours without stepping on the border
  // colour, as whole stretches of rows between borders. Each stretch is
  // marked on its first dot.
  std::vector<Stretch> Area(Point seed, int border) {
    if (!screen_.Contains(seed.x, seed.y) || screen_.At(seed.x, seed.y) == border) return {};
    NextGeneration();
    return Explore({StretchThrough(seed.x, seed.y, static_cast<std::uint8_t>(border))}, border);
  }

  // The stretches reachable from `starts` (stretches between borders) that
  // no mark of this generation shows as found already, starts included.
  std::vector<Stretch> Explore(std::vector<Stretch> pending, int borderColour) {
    std::vector<Stretch> spans;
    const auto border = static_cast<std::uint8_t>(borderColour);
    std::erase_if(pending, [&](const Stretch& start) { return Mark(start.left, start.y) == generation_; });
    for (const Stretch& start : pending) Mark(start.left, start.y) = generation_;
    while (!pending.empty()) {
      const Stretch span = pending.back();
      pending.pop_back();
      spans.push_back(span);
      for (const int y : {span.y - 1, span.y + 1}) {
        if (y < 0 || y >= screen_.height) continue;
        const std::uint8_t* row = screen_.Row(y);
        for (int x = span.left; x <= span.right;) {
          if (row[x] == border) {
            ++x;
            continue;
          }
          const Stretch next = StretchThrough(x, y, border);
          if (Mark(next.left, y) != generation_) {
            Mark(next.left, y) = generation_;
            pending.push_back(next);
          }
          x = next.right + 2;
        }
      }
    }
    return spans;
  }

  // The area of the PAINT just logged, which left the border colour where it
  // was: the stretches it painted and, where it left stretches that held the
  // pattern, what lies beyond them. True in `whole` when all of that holds
  // the pattern now.
  std::vector<Stretch> PaintedArea(const PaintPattern& pattern, int border, bool& whole) {
    std::vector<Stretch> area = LoggedArea();
    std::vector<Stretch> beyond;
    for (const Stretch& held : log_.held) {
      beyond.push_back(StretchThrough(held.left, held.y, static_cast<std::uint8_t>(border)));
    }
    beyond = Explore(std::move(beyond), border);
    whole = Holds(beyond, pattern);
    area.insert(area.end(), beyond.begin(), beyond.end());
    return area;
  }

  // Whether a fill from `seed` up to `border` has the kept area.
  bool HasKeptArea(Point seed, int border) {
    if (!area_.valid || border != area_.border || !screen_.Contains(seed.x, seed.y) ||
        screen_.At(seed.x, seed.y) == border) {
      return false;
    }
    return Mark(StretchStart(seed.x, seed.y, static_cast<std::uint8_t>(border)), seed.y) == area_.generation;
  }

  // Keeps the area of a fill, and that it holds the pattern if `whole`,
  // unless the pattern holds the border colour: the area would be another then.
  void KeepArea(std::vector<Stretch> stretches, const PaintPattern& pattern, int border, bool whole = true) {
    area_.valid = !pattern.Uses(border) && !stretches.empty();
    if (!area_.valid) return;
    area_.painted = true;
    area_.border = border;
    area_.pattern = whole ? &pattern : nullptr;
    area_.generation = generation_;
    area_.top = area_.left = std::numeric_limits<int>::max();
    area_.bottom = area_.right = -1;
    for (const Stretch& stretch : stretches) {
      area_.top = std::min(area_.top, stretch.y), area_.bottom = std::max(area_.bottom, stretch.y);
      area_.left = std::min(area_.left, stretch.left), area_.right = std::max(area_.right, stretch.right);
    }
    area_.stretches = std::move(stretches);
  }

  // A fill over the kept area that needs no look at its dots: the editor's
  // paints it all; the machine's where one plain colour follows another (no
  // stretch can hold the new one) or where the pattern is the one it holds
  // and every row of it counts as held (it stops at once). Painted later.
  bool RepaintsKeptArea(const FillOrder& fill, bool keptArea) {
    const PaintPattern& pattern = *fill.pattern;
    if (!keptArea || pattern.Uses(fill.border)) return false;
    const PaintPattern* held = area_.pattern;
    const bool machineFillsWhole =
        held && ((pattern.Solid() && held->Solid()) || (&pattern == held && pattern.MayHoldEveryRow()));
    if (rule_ == FillRule::Machine && !machineFillsWhole) return false;
    if (&pattern != held) area_.pattern = &pattern, area_.painted = false;
    return true;
  }

  // A PAINT from `start` over the area, counted as never ending once it has
  // queued sixteen times the area's stretches if it may go on for ever
  // (fills that end queue at most three times as many in thousands of
  // random ones), else once it has queued kLongestPaint.
  PaintRun MachineFill(Point start, const FillOrder& fill, const std::vector<Stretch>& area) {
    const std::int64_t bound =
        fill.pattern->MayNeverEnd() ? 16 * static_cast<std::int64_t>(area.size()) + 1024 : kLongestPaint;
    return MachinePaint(screen_, start.x, start.y, *fill.pattern, fill.border, bound);
  }

  // Whether the machine's PAINT of the fill ends whatever the dots hold,
  // and paints its area's dots as the pattern: every row of the pattern can
  // be held (a stretch once painted is never queued again), and the border
  // colour is not in it (the area's borders stay where they are). Its area
  // is then what it painted, unless it left a stretch that held the pattern.
  static bool EndsWithBordersKept(const FillOrder& fill) {
    return fill.pattern->MayHoldEveryRow() && !fill.pattern->Uses(fill.border);
  }

  // The distinct stretches the last PAINT logged, marked on their first dots
  // in a new generation.
  std::vector<Stretch> LoggedArea() {
    NextGeneration();
    std::vector<Stretch> area;
    for (const Stretch& stretch : log_.stretches) {
      if (Mark(stretch.left, stretch.y) != generation_)
        Mark(stretch.left, stretch.y) = generation_, area.push_back(stretch);
    }
    return area;
  }

  Drawn Rows(const std::vector<Stretch>& area) const {
    Drawn drawn{screen_.height, -1};
    for (const Stretch& span : area)
      drawn.top = std::min(drawn.top, span.y), drawn.bottom = std::max(drawn.bottom, span.y);
    return drawn;
  }

  Drawn Fill(const FillOrder& fill) {
    const bool keptArea = HasKeptArea(fill.seed, fill.border);
    if (RepaintsKeptArea(fill, keptArea)) return {area_.top, area_.bottom};
    Materialize();
    const PaintPattern& pattern = *fill.pattern;
    std::vector<Stretch> area;
    bool whole = true;
    if (rule_ == FillRule::Machine && EndsWithBordersKept(fill)) {
      log_.keepsDots = false;
      const PaintRun run = MachinePaint(screen_, fill.seed.x, fill.seed.y, pattern, fill.border, kUnbounded, &log_);
      if (keptArea && run.leftHeld) {
        area = area_.stretches;
        whole = Holds(area, pattern);
      } else {
        area = PaintedArea(pattern, fill.border, whole);
      }
    } else {
      area = keptArea ? area_.stretches : Area(fill.seed, fill.border);
      if (rule_ == FillRule::Editor) {
        PaintStretches(area, pattern);
      } else {
        const bool ended = MachineFill(fill.seed, fill, area).ended;
        if (!ended) return {0, -1, false, false};
        whole = Holds(area, pattern);
      }
    }
    if (area.empty()) return {};
    Drawn drawn = Rows(area);
    drawn.whole = whole;
    lastArea_ = area;
    KeepArea(std::move(area), pattern, fill.border, whole);
    lastPattern_ = fill.pattern;
    return drawn;
  }

  std::vector<std::uint8_t> AreaDots(const std::vector<Stretch>& area) const {
    std::vector<std::uint8_t> dots;
    for (const Stretch& span : area)
      dots.insert(dots.end(), screen_.Row(span.y) + span.left, screen_.Row(span.y) + span.right + 1);
    return dots;
  }

  void RestoreArea(const std::vector<Stretch>& area, const std::vector<std::uint8_t>& dots) {
    std::size_t at = 0;
    for (const Stretch& span : area) {
      const std::size_t width = static_cast<std::size_t>(span.right - span.left + 1);
      std::memcpy(screen_.Row(span.y) + span.left, dots.data() + at, width);
      at += width;
    }
  }

  // Paints from a seed in each part of the area the pattern does not yet
  // hold, in turn, until the area is whole; nothing when one of them would
  // never end or more than `most` would be needed.
  std::optional<std::vector<Point>> SeedsToWhole(const std::vector<Stretch>& area, const FillOrder& fill,
                                                 std::size_t most) {
    std::vector<Point> seeds;
    for (const Stretch& span : area) {
      const std::uint8_t* row = screen_.Row(span.y);
      const std::uint8_t* expected = fill.pattern->Row(span.y);
      // Painting only ever sets the pattern, so a dot found right stays right.
      for (int x = span.left; x <= span.right; ++x) {
        if (row[x] == expected[x]) continue;
        if (seeds.size() >= most) return std::nullopt;
        seeds.push_back({x, span.y});
        if (!MachineFill({x, span.y}, fill, area).ended) return std::nullopt;
      }
    }
    if (!Holds(area, *fill.pattern)) return std::nullopt;
    return seeds;
  }

  const Settings& settings_;
  const TileStringTable& tiles_;
  FillRule rule_;
  MachineScreen screen_;
  PaintLog log_;
  std::vector<std::uint32_t> marks_;
  std::uint32_t generation_ = 0;
  std::vector<Stretch> rowStretches_;
  std::vector<std::uint32_t> rowStretchGeneration_;
  Patterns patterns_;
  FilledArea area_;
  std::vector<Stretch> lastArea_;
  const PaintPattern* lastPattern_ = nullptr;
};

std::vector<OperationRecord> MachineModel::Complete(const OperationRecord& record,
                                                    const std::function<std::size_t(const OperationRecord&)>& bytes) {
  const OperationRecord own = PlainWhereOneColour(record, settings_, tiles_);
  const std::optional<FillOrder> order = FillOf(own, settings_, tiles_, patterns_);
  if (!order) {
    Draw(own);
    return {own};
  }
  const FillOrder& fill = *order;
  const PaintPattern& pattern = *fill.pattern;
  const bool keptArea = HasKeptArea(fill.seed, fill.border);
  if (RepaintsKeptArea(fill, keptArea)) return {own};
  Materialize();
  std::vector<Stretch> area;
  if (EndsWithBordersKept(fill)) {
    // Most fills end whole: found so, they need no more; else the dots they
    // painted are put back. Their area is the same before and after.
    log_.keepsDots = true;
    const PaintRun run = MachinePaint(screen_, fill.seed.x, fill.seed.y, pattern, fill.border, kUnbounded, &log_);
    bool whole = true;
    if (keptArea && run.leftHeld) {
      area = area_.stretches;
      whole = Holds(area, pattern);
    } else {
      area = PaintedArea(pattern, fill.border, whole);
    }
    if (whole) {
      if (!area.empty()) KeepArea(area, pattern, fill.border);
      return {own};
    }
    Unpaint(screen_, log_);
  } else {
    area = keptArea ? area_.stretches : Area(fill.seed, fill.border);
    if (area.empty()) return {own};
  }
  auto documentY = [this](int machineY) {
    return static_cast<std::int16_t>(settings_.outputResolution == 0 ? 2 * machineY : machineY);
  };
  auto at = [&](OperationRecord moved, Point point) {
    moved[field::X1] = static_cast<std::int16_t>(point.x);
    moved[field::Y1] = documentY(point.y);
    return moved;
  };
  auto paintOf = [&](int colour, Point point) {
    return OperationRecord{kind::Paint,
                           static_cast<std::int16_t>(point.x),
                           documentY(point.y),
                           0,
                           0,
                           static_cast<std::int16_t>(colour),
                           static_cast<std::int16_t>(fill.border),
                           1};
  };
  // Rows of a plain fill are lines; of a tile fill, the tile's mixture rows (kinds 5 to 7).
  auto rowOf = [&](const Stretch& row) {
    const auto y = documentY(row.y);
    const auto left = static_cast<std::int16_t>(row.left), right = static_cast<std::int16_t>(row.right);
    const std::int16_t colour = own[field::Colour];
    return own[field::Kind] == kind::Paint
               ? OperationRecord{kind::Line, left, y, right, y, colour, 0, 1}
               : OperationRecord{static_cast<std::int16_t>(kind::MixtureRow + own[field::TileKind]),
                                 left,
                                 y,
                                 right,
                                 0,
                                 colour,
                                 own[field::Second],
                                 1};
  };

  const std::vector<std::uint8_t> before = AreaDots(area);
  const bool changesNothing = Holds(area, pattern);
  const PaintRun first = MachineFill(fill.seed, fill, area);
  if (first.ended && (changesNothing || Holds(area, pattern))) {
    KeepArea(area, pattern, fill.border);
    return {own};
  }
  if (changesNothing) {
    // It would never end and draws nothing: left out.
    RestoreArea(area, before);
    KeepArea(area, pattern, fill.border);
    return {};
  }

  // The ways to a whole area, the cheapest kept: its records and the area's dots after them.
  std::size_t bestBytes = area.size() * bytes(rowOf(area.front()));
  std::vector<OperationRecord> best;
  std::vector<std::uint8_t> bestDots;
  std::vector<OperationRecord> way;
  std::size_t wayBytes = 0;
  // Adds to the way a fill from `start` and copies of it seeded in the parts
  // it leaves; false when it would never end or cost more than the best.
  auto paintWhole = [&](const FillOrder& order, const OperationRecord& statement, Point start) {
    const std::size_t each = std::max<std::size_t>(bytes(statement), 1);
    if (wayBytes + each >= bestBytes || !MachineFill(start, order, area).ended) return false;
    way.push_back(at(statement, start));
    wayBytes += each;
    const auto seeds = SeedsToWhole(area, order, (bestBytes - wayBytes) / each);
    if (!seeds) return false;
    for (const Point& seed : *seeds) way.push_back(at(statement, seed));
    wayBytes += seeds->size() * each;
    return wayBytes < bestBytes;
  };
  auto keepWay = [&] {
    bestBytes = wayBytes;
    best = way;
    bestDots = AreaDots(area);
  };
  auto startWay = [&] {
    RestoreArea(area, before);
    way.clear();
    wayBytes = 0;
  };
  if (first.ended) {
    way = {own};
    wayBytes = bytes(own);
    if (const auto seeds = SeedsToWhole(area, fill, bestBytes / std::max<std::size_t>(bytes(own), 1))) {
      for (const Point& seed : *seeds) way.push_back(at(own, seed));
      wayBytes += seeds->size() * bytes(own);
      if (wayBytes < bestBytes) keepWay();
    }
  }
  // A first fill in a colour found nowhere in the area fills it whole, and
  // leaves no row the fill itself could stop at. Failing that, a colour only
  // some of its dots have may do; and black, for a tile with black rows,
  // which can take the machine's fill longer than any start in its area.
  unsigned found = 0;
  for (const std::uint8_t dot : before) found |= 1u << dot;
  std::vector<int> firstColours;
  for (const bool absent : {true, false}) {
    for (int colour = 0; colour <= 7; ++colour) {
      if (colour != fill.border && !pattern.Uses(colour) && ((found >> colour) & 1) != absent) {
        firstColours.push_back(colour);
        break;
      }
    }
  }
  if (!pattern.MayHoldEveryRow() && fill.border != 0) firstColours.push_back(0);
  for (const int colour : firstColours) {
    startWay();
    const FillOrder underFill{fill.seed, &patterns_.Solid(colour), fill.border};
    if (paintWhole(underFill, paintOf(colour, fill.seed), fill.seed) && paintWhole(fill, own, fill.seed)) {
      keepWay();
      break;
    }
  }
  if (!first.ended && best.empty()) {
    // Other starts, spread over the area's stretches.
    const std::size_t step = std::max<std::size_t>(1, area.size() / kStartsTried);
    for (std::size_t k = 0; k < area.size() && k / step < kStartsTried; k += step) {
      startWay();
      if (paintWhole(fill, own, {area[k].left, area[k].y})) keepWay();
    }
  }
  if (best.empty()) {
    for (const Stretch& span : area) best.push_back(rowOf(span));
    PaintStretches(area, pattern);
  } else {
    RestoreArea(area, bestDots);
  }
  KeepArea(area, pattern, fill.border);
  return best;
}

// The check's models: the machine's, and from the first fill it leaves
// short, the one whose fills paint their whole area, with the count of dots
// where the two differ kept row by row.
struct CheckModels {
  CheckModels(const Settings& settings, const TileStringTable& tiles)
      : machine(settings, tiles, FillRule::Machine), whole(settings, tiles, FillRule::Editor) {}

  MachineModel machine;
  MachineModel whole;
  bool apart = false;  // while the pictures may differ
  std::vector<std::int64_t> rowDifferences;
  std::int64_t differences = 0;

  void Recount(int top, int bottom) {
    const MachineScreen& a = machine.Screen();
    const MachineScreen& b = whole.Screen();
    for (int y = std::max(top, 0); y <= std::min(bottom, a.height - 1); ++y) {
      std::int64_t count = 0;
      if (std::memcmp(a.Row(y), b.Row(y), static_cast<std::size_t>(a.width)) != 0) {
        for (int x = 0; x < a.width; ++x) count += a.Row(y)[x] != b.Row(y)[x];
      }
      differences += count - rowDifferences[static_cast<std::size_t>(y)];
      rowDifferences[static_cast<std::size_t>(y)] = count;
    }
  }

  // False when the machine would never end the record's fill.
  bool Draw(const OperationRecord& record) {
    const Drawn drawn = machine.Draw(record);
    if (!drawn.ended) return false;
    if (!apart) {
      if (drawn.whole) return true;
      apart = true;
      whole.CopyPicture(machine);
      whole.PaintStretches(machine.LastArea(), machine.LastPattern());
      rowDifferences.assign(static_cast<std::size_t>(machine.Screen().height), 0);
      differences = 0;
      Recount(drawn.top, drawn.bottom);
      return true;
    }
    const Drawn other = whole.Draw(record);
    Recount(std::min(drawn.top, other.top), std::max(drawn.bottom, other.bottom));
    apart = differences > 0;
    return true;
  }
};

struct Statement {
  std::string text;
  int routine;  // the record kind whose subroutine it calls, else kNoRoutine
  std::string tile;  // the tile string it spells, if any
};

// A part spells each tile string it uses more than once in a variable, set
// at its start: such a tile fill then takes about what a plain PAINT does.
std::string TileVariable(int number) { return "T" + std::to_string(number) + "$"; }
// The longest such name, which the parts' sizes are reckoned with.
const std::string kLongestTileVariable = TileVariable(kTileKinds * 64);

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

// The statement with its tile string named by the variable.
std::string WithTileNamed(const Statement& statement, const std::string& variable) {
  std::string text = statement.text;
  text.replace(text.find(statement.tile), statement.tile.size(), variable);
  return text;
}

// The bytes a tile string's CHR$ terms make.
std::size_t TileStringLength(const std::string& tile) {
  std::size_t terms = 0;
  for (std::size_t at = 0; (at = tile.find("CHR$(", at)) != std::string::npos; ++at) ++terms;
  return terms;
}

// Setting a variable (named at the longest) to the tile string, and the
// string kept once set.
std::size_t TileSettingBytes(const std::string& tile) {
  return LineBytes(NumberedLine(kFirstLine, kLongestTileVariable + "=" + tile)) +
         StringVariableBytes(kLongestTileVariable.size() - 1, TileStringLength(tile));
}

Statement StatementOf(const OperationRecord& record, const Settings& settings, const BasicCommands& commands,
                      const TileStringTable& tiles) {
  Statement statement{RecordStatement(WithinIntegers(record), settings, commands, tiles),
                      RoutineOf(record[field::Kind]), {}};
  if (record[field::Kind] == kind::TilePaint) {
    const std::string& tile =
        LookUpTileString(tiles, record[field::TileKind], record[field::Second], record[field::Colour]);
    if (!tile.empty() && statement.text.find(tile) != std::string::npos) statement.tile = tile;
  }
  return statement;
}

std::string PartText(const Part& part, bool first, const std::string& ending, const std::vector<ClosingLine>& closing) {
  std::string text;
  auto append = [&text](const std::string& line) {
    text += line;
    text += "\r\n";
  };
  for (const ClosingLine& line : closing) {
    if (line.opening && first) append(line.text);
  }
  std::map<std::string, int> uses;
  for (const Statement* statement : part.statements) {
    if (!statement->tile.empty()) ++uses[statement->tile];
  }
  std::map<std::string, std::string> variables;
  int number = kFirstLine;
  for (const Statement* statement : part.statements) {
    const std::string& tile = statement->tile;
    if (tile.empty() || uses[tile] < 2 || variables.count(tile)) continue;
    const std::string name = TileVariable(static_cast<int>(variables.size()) + 1);
    variables.emplace(tile, name);
    append(NumberedLine(number++, name + "=" + tile));
  }
  for (const Statement* statement : part.statements) {
    const auto variable = variables.find(statement->tile);
    append(NumberedLine(number++,
                        variable == variables.end() ? statement->text : WithTileNamed(*statement, variable->second)));
  }
  append(ending);
  for (const ClosingLine& line : closing) {
    if (!line.opening && (line.routine == kNoRoutine || part.routines.count(line.routine))) append(line.text);
  }
  return text;
}

// The statements in parts of at most `limit` bytes once loaded and run, the
// chain line counted at its longest and the tile variables' names at their
// longest; nothing when a part cannot hold one line.
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
  std::map<std::string, int> uses;  // of each tile string in the last part
  std::size_t used = everyPartBytes + openingBytes;
  for (const Statement& statement : statements) {
    const std::size_t lineBytes = LineBytes(NumberedLine(kFirstLine, statement.text));
    // A tile string's second use in a part puts it in a variable: its
    // setting, its string once run, and both uses naming it instead.
    std::size_t named = lineBytes, setting = 0;
    if (!statement.tile.empty()) {
      named = LineBytes(NumberedLine(kFirstLine, WithTileNamed(statement, kLongestTileVariable)));
      setting = TileSettingBytes(statement.tile);
    }
    auto cost = [&](const Part& part, int tileUses) {
      const std::size_t routine = part.routines.count(statement.routine) ? 0 : routineBytes[statement.routine];
      if (statement.tile.empty() || tileUses == 0) return lineBytes + routine;
      if (tileUses == 1) return setting + 2 * named - lineBytes + routine;
      return named + routine;
    };
    const int tileUses = statement.tile.empty() ? 0 : uses[statement.tile];
    if (used + cost(parts.back(), tileUses) > limit) {
      if (parts.back().statements.empty() || everyPartBytes + cost(Part(), 0) > limit) return std::nullopt;
      parts.emplace_back();
      uses.clear();
      used = everyPartBytes;
    }
    used += cost(parts.back(), statement.tile.empty() ? 0 : uses[statement.tile]);
    if (!statement.tile.empty()) ++uses[statement.tile];
    parts.back().statements.push_back(&statement);
    parts.back().routines.insert(statement.routine);
  }
  return parts;
}

}  // namespace

Bitmap MachinePicture(std::span<const OperationRecord> records, const Settings& settings,
                      const TileStringTable& tiles) {
  MachineModel model(settings, tiles, FillRule::Machine);
  for (const OperationRecord& record : records) {
    if (BecomesLine(record, settings)) model.Draw(record);
  }
  const MachineScreen& screen = model.Screen();
  Bitmap picture(screen.width, screen.height);
  for (std::size_t at = 0; at < screen.colours.size(); ++at) picture.pixels[at] = PaletteColour(screen.colours[at]);
  return picture;
}

struct MachineCheck::State {
  State(std::span<const OperationRecord> records, const Settings& settings, const TileStringTable& tiles)
      : records(records.begin(), records.end()),
        settings(settings),
        tiles(tiles),
        models(this->settings, this->tiles) {}

  std::vector<OperationRecord> records;
  Settings settings;
  TileStringTable tiles;
  CheckModels models;
  std::size_t next = 0;
  bool done = false;
  MachineVerdict verdict;
};

MachineCheck::MachineCheck(std::span<const OperationRecord> records, const Settings& settings,
                           const TileStringTable& tiles)
    : state_(std::make_unique<State>(records, settings, tiles)) {}

MachineCheck::~MachineCheck() = default;

bool MachineCheck::Advance(const std::function<bool()>& enough) {
  State& s = *state_;
  while (!s.done && !enough()) {
    if (s.next == s.records.size()) {
      s.done = true;
      s.verdict.differingDots = s.models.apart ? s.models.differences : 0;
      break;
    }
    const OperationRecord& record = s.records[s.next++];
    if (BecomesLine(record, s.settings) && !s.models.Draw(record)) {
      s.verdict.neverEnds = true;
      s.done = true;
    }
  }
  return s.done;
}

bool MachineCheck::Done() const { return state_->done; }

MachineVerdict MachineCheck::Verdict() const { return state_->verdict; }

MachineVerdict CheckOnTheMachine(std::span<const OperationRecord> records, const Settings& settings,
                                 const TileStringTable& tiles) {
  MachineCheck check(records, settings, tiles);
  check.Advance([] { return false; });
  return check.Verdict();
}

CompletedFills CompleteFills(std::span<const OperationRecord> records, const Settings& settings,
                             const BasicCommands& commands, const TileStringTable& tiles) {
  MachineModel model(settings, tiles, FillRule::Machine);
  auto bytes = [&](const OperationRecord& record) {
    return LineBytes(NumberedLine(kFirstLine, RecordStatement(record, settings, commands, tiles)));
  };
  CompletedFills completed;
  for (const OperationRecord& record : records) {
    if (!BecomesLine(record, settings)) {
      completed.records.push_back(record);
      continue;
    }
    if (record[field::Kind] != kind::Paint && record[field::Kind] != kind::TilePaint) {
      model.Draw(record);
      completed.records.push_back(record);
      continue;
    }
    const std::vector<OperationRecord> made = model.Complete(record, bytes);
    if (made.size() != 1 || made.front() != record) ++completed.fillsCompleted;
    completed.records.insert(completed.records.end(), made.begin(), made.end());
  }
  return completed;
}

std::string PartDiskName(const std::string& stem, int part, int parts) {
  std::string name;
  for (const char c : stem) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (name.empty()) name = "PART";
  // One cut for every part: cut to each number's own length, "LEVEL21" gave
  // LEVEL212 for both part 2 and part 12.
  const std::size_t digits = std::to_string(std::max(parts, part)).size();
  name.resize(std::min(name.size(), 8 - std::min<std::size_t>(digits, 8)));
  return name + std::to_string(part) + ".BAS";
}

std::string PartFileName(const std::string& stem, int part) {
  std::string name = stem;
  if (part <= 9) {
    name += std::to_string(part);
  } else {
    name += '(';
    name += std::to_string(part);
    name += ')';
  }
  return name + ".txt";
}

TileFillBytes MachineTileFillBytes(const OperationRecord& record, const Settings& settings,
                                   const BasicCommands& commands, const TileStringTable& tiles) {
  const Statement statement = StatementOf(record, settings, commands, tiles);
  if (statement.tile.empty()) return {LineBytes(NumberedLine(kFirstLine, statement.text)), 0};
  return {LineBytes(NumberedLine(kFirstLine, WithTileNamed(statement, kLongestTileVariable))),
          TileSettingBytes(statement.tile)};
}

MachineProgram MachineProgramParts(std::span<const OperationRecord> records, const Settings& settings,
                                   const BasicCommands& commands, const TileStringTable& tiles, std::size_t freeArea,
                                   const std::string& chainStem) {
  MachineProgram program;
  std::vector<Statement> statements;
  for (const OperationRecord& record : records) {
    if (BecomesLine(record, settings)) statements.push_back(StatementOf(record, settings, commands, tiles));
  }
  // The whole memory: the free area and what the opening and closing lines
  // took when it was measured.
  const std::size_t whole = freeArea + EmptyProgramBytes(settings, commands, tiles);
  const std::vector<ClosingLine> closing = ClassifiedClosingLines(settings, commands);
  const std::string end = "59999 END";

  Part single;
  for (const Statement& statement : statements) {
    single.statements.push_back(&statement);
    single.routines.insert(statement.routine);
  }
  std::string singleText = PartText(single, true, end, closing);
  const ProgramMemory singleMemory = EstimateProgramMemory(singleText);
  if (singleMemory.program + singleMemory.variables + kRunNeedsBytes <= whole) {
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
  const int count = static_cast<int>(parts->size());
  for (int k = 0; k < count; ++k) {
    const bool last = k + 1 == count;
    const std::string ending = last ? end : "59999 CHAIN \"" + PartDiskName(chainStem, k + 2, count) + "\"";
    program.parts.push_back(PartText((*parts)[static_cast<std::size_t>(k)], k == 0, ending, closing));
  }
  program.ok = true;
  return program;
}

}  // namespace kumodo
