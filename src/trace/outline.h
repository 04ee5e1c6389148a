#pragma once
// Turning a same-colour area of the imported picture into a short closed
// chain of lines: the tracer follows the area's boundary on the colour grid
// (work list 0), the simplifier joins its steps into chords (work list 1)
// and then into lines, which it draws and records as one chain.
#include "app/editor.h"

namespace kumodo {

// The outline tool (mode 9): a click on the picture traces the area under it.
// Before a picture has been imported there is nothing to trace.
void OutlineToolStep(Editor& editor);

// Appends the drawing state's points (truncated) and colour to a work list.
void AppendWorkSegment(WorkLists& lists, const DrawingState& state, int sequence, int turnCode, int list);

// Follows the boundary of the area of grid cell (column, row), keeping the
// outside on its left, into work list 0: one entry per corner, from the
// previous corner to the next. Stops back at its start, or after 10,000 entries.
void TraceRegionOutline(const ColourGrid& grid, int column, int row, DrawingState& state, WorkLists& lists);

// Pass 1: joins the short steps of list 0 into chords of roughly one slope in
// list 1, closing back to the start. Beeps when it makes none.
void SimplifyTraceSteps(Editor& editor);

// Pass 2: joins chords of list 1 whose directions differ by less than 3
// degrees into lines, draws them into the canvas, records them as one chain
// and prints how many it made.
void MergeChordsToLines(Editor& editor);

}  // namespace kumodo
