#pragma once
// The picture as the user sees it: the canvas at zoom 1, 2, 4 or 8 in the
// top-left 640 x 400 of the window, scroll bars, the magnifier below it and
// the colour indicator beside it.
#include "picture/picture_editor.h"

namespace kumodo {

struct PicturePoint {
  int x = 0;
  int y = 0;
};

// Recomputes the view for the zoom and the editing resolution and recreates
// the canvas and the view crop at their sizes; clamps the scroll.
void SetUpView(PictureEditor& editor);

// Zoom 2^level (level 0 to 3) and redraws the view. A line under way is the
// caller's to end: its points were taken at the old zoom.
void ChangeZoom(PictureEditor& editor, int level);

// The picture pixel under the pointer of the last input sample.
PicturePoint PictureFromPointer(const PictureEditor& editor);
// The pointer of the last input sample is over the view, or within
// `rowsBelow` rows under it.
bool PointerInView(const PictureEditor& editor, int rowsBelow = 0);
bool InPicture(const PictureEditor& editor, PicturePoint point);

// Shows the canvas through the view.
void ShowCanvas(PictureEditor& editor);
// Copies the clean picture over the canvas (removing any preview) and shows it.
void ShowPreviewBase(PictureEditor& editor);

void DrawScrollBars(PictureEditor& editor);
// One step of a scroll bar drag, at the pointer of the last sample: grabs
// the thumb under it, or moves the thumb grabbed, and redraws the view.
void FollowScrollDrag(PictureEditor& editor);
// Lets go of both thumbs.
void EndScrollDrag(PictureEditor& editor);

// The 19 x 18 cells around the pointer, and a frame around the centre cell
// in the complement of its colour.
void ShowMagnifier(PictureEditor& editor);

// The drawing, border and second colours beside the icons: while tile paint
// or the two-colour line is chosen, the tile of the drawing state's kind.
void ShowColourIndicator(PictureEditor& editor);

}  // namespace kumodo
