#include "picture/replay.h"

#include <cmath>

#include "picture/tiles.h"
#include "picture/view.h"
#include "screen/palette.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

constexpr int kViewRefreshEvery = 100;

// Draws the record just loaded into the drawing state, by its kind.
void DrawLoadedRecord(Editor& editor) {
  DrawingState& d = editor.drawing;
  Bitmap* canvas = &editor.images.canvas.Pixels();
  Screen& screen = editor.screen;
  switch (d.mode) {
    case kind::Line:
      DrawLineRgb(screen, canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), false, static_cast<int>(d.x2),
                  static_cast<int>(d.y2), PaletteColour(d.drawingColour), kLineMode, 0);
      break;
    case kind::Paint:
      if (editor.picture.paintDisplay) {
        PaintArea(screen, canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), FillBrush(editor, d.drawingColour),
                  d.borderColour);
      }
      break;
    case kind::TilePaint:
      if (editor.picture.paintDisplay) {
        const int fillValue = (d.tileKind + 1) * 10 + d.secondColour * 8 + d.drawingColour;
        PaintArea(screen, canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), FillBrush(editor, fillValue),
                  d.borderColour);
      }
      break;
    case kind::Dot:
      PlotPixelRgb(screen, canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), PaletteColour(d.drawingColour));
      break;
    case kind::TwoColourLine:
      DrawLineRgb(screen, canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), false, static_cast<int>(d.x2),
                  static_cast<int>(d.y2), PaletteColour(d.borderColour), kLineMode, 0);
      DrawTwoColourDots(editor);
      break;
    default:
      break;
  }
}

// Rounds half up by the first decimal digit, as the dots are placed.
int RoundForDot(double value) {
  const double whole = std::floor(value);
  const double firstDecimal = std::floor(10 * value) - 10 * whole;
  return static_cast<int>(whole) + (firstDecimal >= 5 ? 1 : 0);
}

}  // namespace

Brush FillBrush(const Editor& editor, int fillValue) {
  const DrawingState& d = editor.drawing;
  if (fillValue <= 7) return Brush::Solid(PaletteColour(fillValue));
  const bool tileExists = d.tileKind < kTileKinds && d.drawingColour >= 0 && d.drawingColour <= 7 &&
                          d.secondColour >= 0 && d.secondColour <= 7;
  if (!tileExists) return Brush::Solid(PaletteColour(d.drawingColour));
  return Brush::Tile(editor.images.tiles[TileImageNumber(d.tileKind, d.drawingColour, d.secondColour)].Pixels());
}

void DrawTwoColourDots(Editor& editor) {
  const DrawingState& d = editor.drawing;
  Bitmap& canvas = editor.images.canvas.Pixels();
  const Rgb colour = PaletteColour(d.drawingColour);
  auto plot = [&](double x, double y) {
    const int rx = RoundForDot(x);
    const int ry = RoundForDot(y);
    if ((std::abs(rx) % 2) + (std::abs(ry) % 2) == 1) SetPixel(canvas, rx, ry, colour);
  };
  const double dx = d.x2 - d.x1;
  const double dy = d.y2 - d.y1;
  if (std::fabs(dx) > std::fabs(dy)) {
    const double yStep = dy / std::fabs(dx);
    const double xStep = dx < 0 ? -1 : 1;
    double y = d.y1;
    for (double x = d.x1; xStep > 0 ? x <= d.x2 : x >= d.x2; x += xStep, y += yStep) plot(x, y);
  } else {
    const double xStep = dy == 0 ? 0 : dx / std::fabs(dy);
    const double yStep = dy < 0 ? -1 : 1;
    double x = d.x1;
    for (double y = d.y1; yStep > 0 ? y <= d.y2 : y >= d.y2; y += yStep, x += xStep) plot(x, y);
  }
}

void TakeSnapshot(Editor& editor, int marker) {
  editor.images.canvas.DrawInto(editor.images.snapshot, 0, 0);
  editor.drawing.snapshotMarker = marker;
}

void RestoreSnapshot(Editor& editor) {
  editor.images.snapshot.DrawInto(editor.images.canvas, 0, 0);
  ShowCanvas(editor);
}

void CommitCanvas(Editor& editor) { editor.images.canvas.DrawInto(editor.images.clean, 0, 0); }

void ReplayPicture(Editor& editor, int probeColour) {
  DrawingState& d = editor.drawing;
  OperationList& list = editor.operations;
  const DrawingState saved = d;
  d.snapshotMarker = 0;
  editor.picture.foundIndex = -1;
  d.lastProbed = 0;
  // The last record before the group the next undo removes, by undo's own rule.
  const int snapshotIndex = list.count > 0 ? LastGroupStart(list) - 1 : -1;

  DrawLine(editor.screen, 0, 0, false, 639, 399, 0, kFilledBoxMode, 0);
  DrawLineRgb(editor.screen, &editor.images.canvas.Pixels(), 0, 0, false, 639, 399, 0, kFilledBoxMode, 0);
  if (editor.picture.underlay == 1 || editor.picture.underlay == 2) {
    editor.images.work[editor.picture.underlay].DrawInto(editor.images.canvas, 0, 0);
    ShowCanvas(editor);
  }
  for (int i = 0; i <= list.count; ++i) {
    LoadOperation(list, i, d);
    DrawLoadedRecord(editor);
    if (probeColour != kNoProbe) {
      const int before = d.lastProbed;
      d.lastProbed = PointColour(editor.images.canvas.Pixels(), editor.loop.pointer, editor.picture.probeX,
                                 editor.picture.probeY);
      if (editor.picture.foundIndex == -1 && d.mode == kind::Line && d.lastProbed != before &&
          d.lastProbed == probeColour) {
        editor.picture.foundIndex = i;
      }
    }
    // Showing the view costs a whole-picture copy; do it only when a frame is due.
    if (i % kViewRefreshEvery == 0 && PresentDue(editor.screen)) ShowCanvas(editor);
    if (i == snapshotIndex) {
      TakeSnapshot(editor, i);
    }
  }
  CommitCanvas(editor);
  ShowCanvas(editor);
  // Everything the records were loaded into goes back, the points too: a
  // line under way keeps its first point. Only the snapshot is the replay's.
  const std::int32_t marker = d.snapshotMarker;
  d = saved;
  d.snapshotMarker = marker;
  ShowColourIndicator(editor);
  FlushScreen(editor.screen);
}

void UndoCommand(Editor& editor) {
  if (editor.operations.count == 0) return;
  UndoLastGroup(editor.operations);
  if (editor.drawing.snapshotMarker != 0) {
    RestoreSnapshot(editor);
    CommitCanvas(editor);
    editor.drawing.snapshotMarker = 0;
  } else {
    ReplayPicture(editor, kNoProbe);
  }
  ShowMagnifier(editor);
}

}  // namespace kumodo
