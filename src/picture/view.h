#pragma once
// The picture as the user sees it: the canvas at zoom 1, 2, 4 or 8 in the
// top-left 640 x 400 of the window, scroll bars, the magnifier below it and
// the colour indicator beside it.
#include "app/editor.h"

namespace kumodo {

struct PicturePoint {
  int x = 0;
  int y = 0;
};

// Recomputes the view for the zoom and the editing resolution and recreates
// the canvas and the view crop at their sizes; clamps the scroll.
void SetUpView(Editor& editor);

// Zoom 2^level (level 0 to 3); ends a line or polyline under way and redraws the view.
void ChangeZoom(Editor& editor, int level);

// The picture pixel under the pointer of the last input sample.
PicturePoint PictureFromPointer(const Editor& editor);
bool PointerInView(const Editor& editor);
bool InPicture(const Editor& editor, PicturePoint point);

// Shows the canvas through the view.
void ShowCanvas(Editor& editor);
// Copies the clean picture over the canvas (removing any preview) and shows it.
void ShowPreviewBase(Editor& editor);

void DrawScrollBars(Editor& editor);
// Lets the thumbs follow the pointer until the left button is released.
void DragScrollBars(Editor& editor);

// The 19 x 18 cells around the pointer, and a frame around the centre cell
// in the complement of its colour.
void ShowMagnifier(Editor& editor);

// The drawing, border and tile colours beside the icons; also sets the tile
// kind from the tile selection while tile paint or two-colour line is chosen.
void ShowColourIndicator(Editor& editor);

}  // namespace kumodo
