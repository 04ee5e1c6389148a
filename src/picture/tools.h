#pragma once
// The editing tools. The main loop runs the current tool's step once per
// pass; each acts only in a pass with a click, at the picture point under
// the pointer, and only when the pointer is over the view and the point lies
// in the picture.
#include "picture/picture_editor.h"

namespace kumodo {

// Enter or Space newly down, or the left button down now and up last pass
// (or pressed and released outside every panel earlier in this pass).
bool PassHasClick(const PictureEditor& editor);

// Line (mode 1) and polyline (mode 2): two clicks make a line; the polyline
// goes on from each end until cancelled. A rubber band follows the pointer
// and the view scrolls when the pointer nears its edge.
void LineToolStep(PictureEditor& editor);
// Forgets a line or polyline under way: no point taken, no chain going on,
// so the next segment starts a group of its own. The caller redraws.
void EndPendingLine(PictureEditor& editor);
// Ends a line or polyline under way and removes its preview.
void CancelLine(PictureEditor& editor);

// Fills the area around the point up to the border colour; refuses with a
// beep on a pixel of the fill or border colour.
void PaintToolStep(PictureEditor& editor);
// The same with the current two-colour tile; refuses on either tile colour.
void TilePaintToolStep(PictureEditor& editor);
void DotToolStep(PictureEditor& editor);
// Turns the line (or whole chain) that drew the clicked pixel into a
// two-colour line: the line in the second colour, dots in the drawing colour.
void TwoColourLineToolStep(PictureEditor& editor);

}  // namespace kumodo
