#include "app/outline_tool.h"

#include "files/number_text.h"
#include "picture/replay.h"
#include "picture/tools.h"
#include "picture/view.h"
#include "screen/layout.h"
#include "screen/palette.h"
#include "screen/primitives.h"
#include "trace/outline.h"

namespace kumodo {

void SimplifyOutline(Editor& editor) {
  SimplifyTraceSteps(editor.workLists, editor.drawing);
  if (editor.workLists.count[1] == 0) editor.platform.Beep();
}

void DrawOutline(Editor& editor) {
  DrawingState& d = editor.drawing;
  d.mode = kind::Line;
  d.chainCounter = 0;
  for (const OutlineLine& line : MergeChordsToLines(editor.workLists)) {
    DrawLineRgb(editor.screen, &editor.images.canvas.Pixels(), line.from.x, line.from.y, false, line.to.x, line.to.y,
                PaletteColour(d.drawingColour), kLineMode, 0);
    d.x1 = line.from.x, d.y1 = line.from.y, d.x2 = line.to.x, d.y2 = line.to.y;
    AppendOperation(editor.operations, d, ++d.chainCounter);
  }
  if (d.chainCounter == 0) editor.platform.Beep();
  LocateText(editor.screen.text, kOutlineCountColumn, kOutlineCountRow);
  PrintText(editor.screen, NumberToText(d.chainCounter) + "   \r\n");
}

void OutlineToolStep(Editor& editor) {
  const PicturePoint point = PictureFromPointer(editor);
  // The outline tool has always taken the row just below the view too.
  if (!PointerInView(editor, 1) || !InPicture(editor, point) || !PassHasClick(editor)) return;
  if (!editor.colourGrid.filled) return;
  // The picture's height may have changed since the import.
  editor.colourGrid.Frame(PictureHeight(editor.settings));
  DrawingState& d = editor.drawing;
  TraceRegionOutline(editor.colourGrid, point.x + 1, point.y + 1, d, editor.workLists);
  SimplifyOutline(editor);
  // Without a chord no line is made: the snapshot of the last group must
  // stay for the next undo. Pass 1 draws nothing, so the canvas is still
  // the picture before the outline.
  if (editor.workLists.count[1] > 0) TakeSnapshot(editor, editor.operations.count);
  DrawOutline(editor);
  ShowCanvas(editor);
  ShowMagnifier(editor);
  d.mode = kind::Trace;
  CommitCanvas(editor);
}

}  // namespace kumodo
