#pragma once
// Turning a same-colour area of a reduced picture into a short closed chain
// of lines: the tracer follows the area's boundary on the colour grid (work
// list 0), the simplifier joins its steps into chords (work list 1) and then
// into lines. No window: the outline tool draws and records what it returns.
#include <vector>

#include "picture/operations.h"
#include "trace/colour_grid.h"
#include "trace/work_lists.h"

namespace kumodo {

struct TracePoint {
  int x;
  int y;
  bool operator==(const TracePoint&) const = default;
};

// One line of an outline, from one picture point to the next.
struct OutlineLine {
  TracePoint from;
  TracePoint to;
  bool operator==(const OutlineLine&) const = default;
};

// Appends the drawing state's points (truncated) and colour to a work list.
void AppendWorkSegment(WorkLists& lists, const DrawingState& state, int sequence, int turnCode, int list);

// Follows the boundary of the area of grid cell (column, row), keeping the
// outside on its left, into work list 0: one entry per corner, from the
// previous corner to the next. Stops back at its start, or after 10,000 entries.
void TraceRegionOutline(const ColourGrid& grid, int column, int row, DrawingState& state, WorkLists& lists);

// Pass 1: joins the short steps of list 0 into chords of roughly one slope in
// list 1, closing back to the start; none when the area is too small. The
// state's mode becomes a line's, its chain counter the chords made.
void SimplifyTraceSteps(WorkLists& lists, DrawingState& state);

// Pass 2: joins chords of list 1 whose directions differ by less than 3
// degrees into lines, closing back to the first chord's start; none when
// list 1 is empty.
std::vector<OutlineLine> MergeChordsToLines(const WorkLists& lists);

}  // namespace kumodo
