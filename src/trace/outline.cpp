#include "trace/outline.h"

#include <algorithm>
#include <cmath>

namespace kumodo {
namespace {

// Headings 0 up, 1 right, 2 down, 3 left; entry h + 4 repeats entry h.
constexpr int kStepX[8] = {0, 1, 0, -1, 0, 1, 0, -1};
constexpr int kStepY[8] = {-1, 0, 1, 0, -1, 0, 1, 0};
// The cell on the left of the direction of travel.
constexpr int kLeftX[8] = {-1, 0, 1, 0, -1, 0, 1, 0};
constexpr int kLeftY[8] = {0, -1, 0, 1, 0, -1, 0, 1};

constexpr int kMaxTraceEntries = 10000;
constexpr double kRadiansPerDegree = 3.141592654 / 180;

using Point = TracePoint;

Point Start(const OperationRecord& entry) { return {entry[field::X1], entry[field::Y1]}; }
Point End(const OperationRecord& entry) { return {entry[field::X2], entry[field::Y2]}; }
double Distance(Point a, Point b) { return std::sqrt(std::pow(b.x - a.x, 2.0) + std::pow(b.y - a.y, 2.0)); }
bool AxisAligned(Point a, Point b) { return a.x == b.x || a.y == b.y; }

// Degrees 0 to 90 of a slope from absolute differences, kept to three decimals.
double SlopeAngle(int adx, int ady) {
  double angle = std::atan(static_cast<double>(ady) / adx) / kRadiansPerDegree;
  angle = std::floor(angle * 1000) / 1000;
  if (static_cast<long long>(std::floor(angle * 1000)) % 10 >= 5) angle += 0.001;
  return angle;
}

// Degrees 0 to 360 of a direction: 0 right, 90 down, 180 left, 270 up.
double DirectionAngle(Point a, Point b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  double angle = std::atan(dy / dx) / kRadiansPerDegree;
  if (dx < 0) angle += 180;
  if (dx >= 0 && dy < 0) angle += 360;
  return angle;
}

void AppendChord(WorkLists& lists, DrawingState& state, Point a, Point b, int sequence) {
  state.x1 = a.x, state.y1 = a.y, state.x2 = b.x, state.y2 = b.y;
  AppendWorkSegment(lists, state, sequence, 0, 1);
}

}  // namespace

void AppendWorkSegment(WorkLists& lists, const DrawingState& state, int sequence, int turnCode, int list) {
  int& count = lists.count[list];
  lists.entries[list][count] = {kind::Line,
                                static_cast<std::int16_t>(static_cast<int>(state.x1)),
                                static_cast<std::int16_t>(static_cast<int>(state.y1)),
                                static_cast<std::int16_t>(static_cast<int>(state.x2)),
                                static_cast<std::int16_t>(static_cast<int>(state.y2)),
                                state.drawingColour,
                                static_cast<std::int16_t>(turnCode),
                                static_cast<std::int16_t>(sequence)};
  count = std::min(count + 1, kWorkListCapacity);
}

void TraceRegionOutline(const ColourGrid& grid, int x, int y, DrawingState& state, WorkLists& lists) {
  int heading = 0;
  const int region = grid.At(x, y);
  // Start at the left end of the run, where the outside is on the left going up.
  for (int k = x; k >= 1; --k) {
    if (grid.At(k - 1, y) != region) {
      x = k;
      break;
    }
  }
  const Point start{x, y};
  state.x1 = state.x2 = x - 1;
  state.y1 = state.y2 = y - 1;
  int sequence = 0;
  lists.count[0] = 0;
  auto recordVertex = [&](int turnCode) {
    state.x2 = x - 1;
    state.y2 = y - 1;
    AppendWorkSegment(lists, state, ++sequence, turnCode, 0);
    state.x1 = state.x2;
    state.y1 = state.y2;
  };
  auto inRegion = [&](int column, int row) { return grid.At(column, row) == region; };

  while (lists.count[0] <= kMaxTraceEntries) {
    if (inRegion(x + kStepX[heading], y + kStepY[heading])) {
      x += kStepX[heading];
      y += kStepY[heading];
      if (inRegion(x + kLeftX[heading], y + kLeftY[heading])) {
        heading = heading == 0 ? 3 : heading - 1;
        recordVertex(-1);
        x += kStepX[heading];
        y += kStepY[heading];
        recordVertex(0);
      }
    } else {
      bool turned = false;
      for (int k = 1; k <= 3 && !turned; ++k) {
        const int h = heading + k;
        if (inRegion(x + kStepX[h], y + kStepY[h]) && !inRegion(x + kLeftX[h], y + kLeftY[h])) {
          heading = h % 4;
          recordVertex(k);
          turned = true;
        }
      }
      if (turned) continue;
    }
    if (x == start.x && y == start.y) {
      recordVertex(0);
      return;
    }
  }
}

void SimplifyTraceSteps(WorkLists& lists, DrawingState& d) {
  const std::vector<OperationRecord>& s = lists.entries[0];
  const int steps = lists.count[0];
  d.mode = kind::Line;
  d.chainCounter = 0;
  lists.count[1] = 0;
  int i = 0;
  int j = 0;
  for (;;) {
    // Never past the end of list 0: there the last run simply ends.
    if (i + j > steps - 1) break;
    const Point a = Start(s[i]);
    Point b = End(s[i + j]);
    const double d0 = Distance(a, b);
    if (d0 < 5) {
      ++j;
      continue;
    }
    const bool singleLongStep = j == 0 && d0 > 10;
    if (!singleLongStep && AxisAligned(a, b)) {
      ++j;
      continue;
    }
    if (!singleLongStep) {
      const double reference = SlopeAngle(std::abs(b.x - a.x), std::abs(b.y - a.y));
      Point p = b;
      for (;;) {
        if (i + j > steps - 1) break;
        const OperationRecord& step = s[i + j];
        b = End(step);
        if (Distance(Start(step), End(step)) > 10) break;
        if (Distance(p, b) < 5 || AxisAligned(p, b)) {
          ++j;
          continue;
        }
        if (std::abs(reference - SlopeAngle(std::abs(b.x - p.x), std::abs(b.y - p.y))) < 2) {
          ++j;
          p = b;
          continue;
        }
        break;
      }
    }
    // The chord includes the step that broke the run.
    if (i + j >= steps - 1) break;
    AppendChord(lists, d, a, b, ++d.chainCounter);
    i += j + 1;
    j = 0;
  }
  if (d.chainCounter > 0) AppendChord(lists, d, Start(s[i]), Start(s[0]), ++d.chainCounter);
}

std::vector<OutlineLine> MergeChordsToLines(const WorkLists& lists) {
  const std::vector<OperationRecord>& t = lists.entries[1];
  const int chords = lists.count[1];
  std::vector<OutlineLine> lines;
  Point b{0, 0};
  if (chords > 0) {
    int i = 0;
    int j = 0;
    do {
      const Point a = Start(t[i]);
      b = End(t[i]);
      const double reference = DirectionAngle(Start(t[i]), End(t[i]));
      while (i + j + 1 <= chords - 1) {
        const OperationRecord& chord = t[i + j];
        // A zero-length chord (thin shapes make them) has no direction: its
        // angle is not a number, and no comparison with it holds. Breaking
        // only on a difference of 3 degrees or more merges it into the run;
        // testing for "less than 3" instead would never move on from it.
        if (std::abs(reference - DirectionAngle(Start(chord), End(chord))) >= 3) break;
        ++j;
        b = End(chord);
      }
      if (i + j > chords - 1) break;
      lines.push_back({a, b});
      i += j;
      j = 0;
    } while (i < chords - 1);
  }
  if (!lines.empty()) lines.push_back({b, Start(t[0])});
  return lines;
}

}  // namespace kumodo
