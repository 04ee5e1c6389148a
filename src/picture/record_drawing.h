#pragma once
// Drawing operation records into a picture bitmap with the raster alone: the
// editor's replay and the converter both draw with these, so their pictures
// are the same to the pixel.
#include <functional>

#include "picture/operations.h"
#include "screen/raster.h"

namespace kumodo {

// The 8 x 8 tile image of a tile pattern kind (0 to 2) and its first and second colour.
using TileSource = std::function<const Bitmap&(int tileKind, int first, int second)>;

// Tiles made from the tile rule (TilePixelColour): the same pixels as the
// editor's tile images, which it captures from its palette swatches.
TileSource RuleTiles();

// The brush of a paint fill value: 0 to 7 a palette colour; above 7 the tile
// of the state's tile kind, drawing colour and second colour. A tile that
// does not exist (kind or colours out of range, from a hand-edited document)
// fills plainly in the drawing colour.
Brush FillBrush(const DrawingState& state, const TileSource& tiles, int fillValue);

// The dot half of a two-colour line from (x1, y1) to (x2, y2) of the state,
// in its drawing colour: dots only where the rounded coordinates have an odd sum.
void DrawTwoColourDots(Bitmap& canvas, const DrawingState& state);

// The points of those dots that may lie on a picture of the size, in the
// order they are drawn (a point may still be one outside it).
void ForEachTwoColourDot(const DrawingState& state, int width, int height,
                         const std::function<void(int x, int y)>& plot);

// Draws the record loaded into the state, by its kind; paint and tile paint
// only while fills are shown.
void DrawLoadedRecord(Bitmap& canvas, const DrawingState& state, bool paintDisplay, const TileSource& tiles);

// The whole list drawn on black, the spare slot too, as the replay draws it:
// the picture of a document at the given height.
Bitmap RenderPicture(const OperationList& list, int height, bool paintDisplay, const TileSource& tiles);

}  // namespace kumodo
