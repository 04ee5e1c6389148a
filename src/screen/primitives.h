#pragma once
// The drawing primitives of the program. Each draws on the screen (the back
// buffer, shown at the next presentation) or, when given one, into the
// canvas bitmap instead.
#include <climits>

#include "platform/platform.h"
#include "screen/raster.h"
#include "screen/screen.h"

namespace kumodo {

// As a line's start, continues from the screen's last point.
constexpr int kFromLastPoint = INT_MIN;

enum LineMode { kLineMode = 0, kBoxMode = 1, kFilledBoxMode = 2 };

// A line (mode 0, both end points drawn) or a box with both end rows and
// columns included (mode 2 filled; any other mode an outline). With relative
// set the end is start + (x2, y2); otherwise box corners are put in order.
// The last point becomes the end point, also when drawing into the canvas.
void DrawLineRgb(Screen& screen, Bitmap* canvas, int x1, int y1, bool relative, int x2, int y2, Rgb pen, int mode,
                 Rgb fill);
// DrawLineRgb on the screen with palette colours.
void DrawLine(Screen& screen, int x1, int y1, bool relative, int x2, int y2, int penIndex, int mode, int fillIndex);

// Fills outward from (x, y) up to the border colour. False when nothing was
// painted (start outside, or on the border colour).
bool PaintArea(Screen& screen, Bitmap* canvas, int x, int y, const Brush& brush, int borderIndex);

// One pixel in a palette colour on the screen; the last point becomes (x, y).
void PlotPixel(Screen& screen, int x, int y, int colourIndex);
// One pixel in an RGB value; into the canvas it leaves the last point alone.
void PlotPixelRgb(Screen& screen, Bitmap* canvas, int x, int y, Rgb colour);

// The colour index of canvas pixel (x, y): 1 for blue 255, plus 2 for red
// 255, plus 4 for green 255. 0, without reading, while the pointer of the
// last input sample lies outside the 640 x 400 picture area.
int PointColour(const Bitmap& canvas, PointerPosition pointer, int x, int y);

}  // namespace kumodo
