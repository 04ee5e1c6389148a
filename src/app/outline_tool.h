#pragma once
// The outline tool: the tracer's passes on the imported picture's colour
// grid, drawn into the canvas and recorded as one chain.
#include "app/editor.h"

namespace kumodo {

// The outline tool (mode 9): a click on the picture traces the area under it.
// Before a picture has been imported there is nothing to trace.
void OutlineToolStep(Editor& editor);

// Pass 1 on the editor's work lists; beeps when it makes no chord.
void SimplifyOutline(Editor& editor);

// Pass 2 on the editor's work lists: draws the lines into the canvas,
// records them as one chain, prints how many it made; beeps when none.
void DrawOutline(Editor& editor);

}  // namespace kumodo
