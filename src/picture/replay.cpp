#include "picture/replay.h"

#include <cmath>

#include "picture/tiles.h"
#include "picture/view.h"
#include "screen/palette.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

constexpr int kViewRefreshEvery = 100;

// Draws the record just loaded into the drawing state, by its kind.
void DrawLoadedRecord(Editor& editor) {
  DrawingState& d = editor.drawing;
  Bitmap* canvas = &editor.images.canvas.Pixels();
  Screen& screen = editor.screen;
  switch (d.mode) {
    case kind::Line:
      DrawLineRgb(screen, canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), false, static_cast<int>(d.x2),
                  static_cast<int>(d.y2), PaletteColour(d.drawingColour), kLineMode, 0);
      break;
    case kind::Paint:
      if (editor.picture.paintDisplay) {
        PaintArea(screen, canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), FillBrush(editor, d.drawingColour),
                  d.borderColour);
      }
      break;
    case kind::TilePaint:
      if (editor.picture.paintDisplay) {
        const int fillValue = (d.tileKind + 1) * 10 + d.secondColour * 8 + d.drawingColour;
        PaintArea(screen, canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), FillBrush(editor, fillValue),
                  d.borderColour);
      }
      break;
    case kind::Dot:
      PlotPixelRgb(screen, canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), PaletteColour(d.drawingColour));
      break;
    case kind::TwoColourLine:
      DrawLineRgb(screen, canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), false, static_cast<int>(d.x2),
                  static_cast<int>(d.y2), PaletteColour(d.borderColour), kLineMode, 0);
      DrawTwoColourDots(editor);
      break;
    default:
      break;
  }
}

// Rounds half up by the first decimal digit, as the dots are placed.
int RoundForDot(double value) {
  const double whole = std::floor(value);
  const double firstDecimal = std::floor(10 * value) - 10 * whole;
  return static_cast<int>(whole) + (firstDecimal >= 5 ? 1 : 0);
}

// `value` after `count` additions of `step`, each sum rounded as a loop
// would round it, in a few operations. While the running value stays within
// one binade (between two powers of two) every addition adds the same
// rounded amount, at most the first one differing (ties go to even), so a
// whole run inside the binade is added at once; only the steps next to a
// binade's edge are taken one by one.
double AddedUp(double value, double step, long long count) {
  auto sameBinade = [](double a, double b) {
    return a != 0 && b != 0 && std::signbit(a) == std::signbit(b) && std::ilogb(a) == std::ilogb(b);
  };
  while (count > 0) {
    const double once = value + step;
    const double twice = once + step;
    const double increment = once - value;  // exact: both lie in one binade
    if (count < 3 || !sameBinade(value, twice) || twice - once != increment) {
      value = once;
      --count;
      continue;
    }
    // The run ends one step before the value would leave the binade.
    const double magnitude = std::fabs(value);
    const double low = std::ldexp(1.0, std::ilogb(value));
    const bool outward = std::signbit(increment) == std::signbit(value);
    const double room = outward ? 2 * low - magnitude : magnitude - low;
    long long run = increment == 0 ? count : static_cast<long long>(room / std::fabs(increment)) - 1;
    run = std::min(run, count);
    while (run > 0 && !sameBinade(value, value + static_cast<double>(run + 1) * increment)) --run;
    if (run <= 0) {
      value = once;
      --count;
      continue;
    }
    value += static_cast<double>(run) * increment;
    count -= run;
  }
  return value;
}

}  // namespace

Brush FillBrush(const Editor& editor, int fillValue) {
  const DrawingState& d = editor.drawing;
  if (fillValue <= 7) return Brush::Solid(PaletteColour(fillValue));
  const bool tileExists = d.tileKind < kTileKinds && d.drawingColour >= 0 && d.drawingColour <= 7 &&
                          d.secondColour >= 0 && d.secondColour <= 7;
  if (!tileExists) return Brush::Solid(PaletteColour(d.drawingColour));
  return Brush::Tile(editor.images.tiles[TileImageNumber(d.tileKind, d.drawingColour, d.secondColour)].Pixels());
}

void DrawTwoColourDots(Editor& editor) {
  const DrawingState& d = editor.drawing;
  Bitmap& canvas = editor.images.canvas.Pixels();
  const Rgb colour = PaletteColour(d.drawingColour);
  const double dx = d.x2 - d.x1;
  const double dy = d.y2 - d.y1;
  // One pixel a step along the longer axis; the other coordinate follows,
  // added up step by step as the dots were always placed.
  const bool alongX = std::fabs(dx) > std::fabs(dy);
  const double majorStep = (alongX ? dx : dy) < 0 ? -1 : 1;
  const double minorStep = alongX ? dy / std::fabs(dx) : (dy == 0 ? 0 : dx / std::fabs(dy));
  const double majorEnd = alongX ? d.x2 : d.y2;
  const int majorSize = alongX ? canvas.width : canvas.height;
  const int minorSize = alongX ? canvas.height : canvas.width;
  // A coordinate below -1, or from the canvas size on, rounds to a point off
  // the canvas: such steps plot nothing, and once a coordinate has left the
  // canvas moving away, no later step can plot. A line reaching far outside
  // is walked only where it may touch the canvas: the steps before it along
  // the longer axis are skipped, the other coordinate added up over them
  // exactly as the walk would (AddedUp).
  auto outside = [](double value, int size) { return value < -1 || value >= size; };
  auto leaving = [](double value, double step, int size) {
    return (value >= size && step >= 0) || (value < -1 && step <= 0);
  };
  auto beforeEnd = [&](double major) { return majorStep > 0 ? major <= majorEnd : major >= majorEnd; };
  double minor = alongX ? d.y1 : d.x1;
  double major = alongX ? d.x1 : d.y1;
  // The coordinates are whole numbers: so are the steps until the canvas.
  const double skipped = std::max(0.0, std::min(majorStep > 0 ? -1 - major : major - majorSize + 1,
                                                std::fabs(majorEnd - major) + 1));
  minor = AddedUp(minor, minorStep, static_cast<long long>(std::ceil(skipped)));
  major += majorStep * std::ceil(skipped);
  for (; beforeEnd(major); major += majorStep, minor += minorStep) {
    if (outside(major, majorSize) || outside(minor, minorSize)) {
      if (leaving(major, majorStep, majorSize) || leaving(minor, minorStep, minorSize)) break;
      continue;
    }
    const int rx = RoundForDot(alongX ? major : minor);
    const int ry = RoundForDot(alongX ? minor : major);
    if ((std::abs(rx) % 2) + (std::abs(ry) % 2) == 1) SetPixel(canvas, rx, ry, colour);
  }
}

void TakeSnapshot(Editor& editor, int marker) {
  editor.images.canvas.DrawInto(editor.images.snapshot, 0, 0);
  editor.drawing.snapshotMarker = marker;
}

void RestoreSnapshot(Editor& editor) {
  editor.images.snapshot.DrawInto(editor.images.canvas, 0, 0);
  ShowCanvas(editor);
}

void CommitCanvas(Editor& editor) { editor.images.canvas.DrawInto(editor.images.clean, 0, 0); }

void ReplayPicture(Editor& editor, int probeColour) {
  DrawingState& d = editor.drawing;
  OperationList& list = editor.operations;
  const DrawingState saved = d;
  d.snapshotMarker = 0;
  editor.picture.foundIndex = -1;
  d.lastProbed = 0;
  // The last record before the group the next undo removes, by undo's own rule.
  const int snapshotIndex = list.count > 0 ? LastGroupStart(list) - 1 : -1;

  DrawLine(editor.screen, 0, 0, false, 639, 399, 0, kFilledBoxMode, 0);
  DrawLineRgb(editor.screen, &editor.images.canvas.Pixels(), 0, 0, false, 639, 399, 0, kFilledBoxMode, 0);
  if (editor.picture.underlay == 1 || editor.picture.underlay == 2) {
    editor.images.work[editor.picture.underlay].DrawInto(editor.images.canvas, 0, 0);
    ShowCanvas(editor);
  }
  for (int i = 0; i <= list.count; ++i) {
    LoadOperation(list, i, d);
    DrawLoadedRecord(editor);
    if (probeColour != kNoProbe) {
      const int before = d.lastProbed;
      d.lastProbed = PointColour(editor.images.canvas.Pixels(), editor.loop.pointer, editor.picture.probeX,
                                 editor.picture.probeY);
      if (editor.picture.foundIndex == -1 && d.mode == kind::Line && d.lastProbed != before &&
          d.lastProbed == probeColour) {
        editor.picture.foundIndex = i;
      }
    }
    // Showing the view costs a whole-picture copy; do it only when a frame is due.
    if (i % kViewRefreshEvery == 0 && PresentDue(editor.screen)) ShowCanvas(editor);
    if (i == snapshotIndex) {
      TakeSnapshot(editor, i);
    }
  }
  CommitCanvas(editor);
  ShowCanvas(editor);
  // Everything the records were loaded into goes back, the points too: a
  // line under way keeps its first point. Only the snapshot is the replay's.
  const std::int32_t marker = d.snapshotMarker;
  d = saved;
  d.snapshotMarker = marker;
  ShowColourIndicator(editor);
  FlushScreen(editor.screen);
}

void UndoCommand(Editor& editor) {
  OperationList& list = editor.operations;
  if (list.count == 0) return;
  editor.undone.groups.emplace_back(list.slots.begin() + LastGroupStart(list), list.slots.begin() + list.count);
  UndoLastGroup(list);
  if (editor.drawing.snapshotMarker != 0) {
    RestoreSnapshot(editor);
    CommitCanvas(editor);
    editor.drawing.snapshotMarker = 0;
  } else {
    ReplayPicture(editor, kNoProbe);
  }
  ShowMagnifier(editor);
}

void RedoCommand(Editor& editor) {
  std::vector<std::vector<OperationRecord>>& groups = editor.undone.groups;
  OperationList& list = editor.operations;
  if (groups.empty() || list.count + static_cast<int>(groups.back().size()) > kMaxOperations) return;
  std::copy(groups.back().begin(), groups.back().end(), list.slots.begin() + list.count);
  list.count += static_cast<int>(groups.back().size());
  groups.pop_back();
  // The replay also takes the snapshot, so an undo right after takes the group out again.
  ReplayPicture(editor, kNoProbe);
  ShowMagnifier(editor);
}

}  // namespace kumodo
