#include "picture/tools.h"

#include <algorithm>
#include <optional>

#include "picture/replay.h"
#include "picture/view.h"
#include "screen/layout.h"
#include "screen/palette.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

// Where a one-click tool acts this pass, if it does.
std::optional<PicturePoint> ClickedPoint(const PictureEditor& editor) {
  if (!PointerInView(editor)) return std::nullopt;
  const PicturePoint point = PictureFromPointer(editor);
  if (!InPicture(editor, point) || !PassHasClick(editor)) return std::nullopt;
  return point;
}

void DrawLineIntoCanvas(PictureEditor& editor, double x1, double y1, double x2, double y2, int colour) {
  DrawLineRgb(editor.screen, &editor.images.canvas.Pixels(), static_cast<int>(x1), static_cast<int>(y1), false,
              static_cast<int>(x2), static_cast<int>(y2), PaletteColour(colour), kLineMode, 0);
}

void FinishAction(PictureEditor& editor) {
  ShowCanvas(editor);
  ShowMagnifier(editor);
  CommitCanvas(editor);
}

void AutoScroll(PictureEditor& editor, PicturePoint target) {
  ViewState& view = editor.view;
  const PointerPosition pointer = editor.loop.pointer;
  const int step = 10 - view.zoom;
  const int oldX = view.scrollX;
  const int oldY = view.scrollY;
  if (pointer.x < 16) view.scrollX = std::max(0, view.scrollX - step);
  if (pointer.y < 16) view.scrollY = std::max(0, view.scrollY - step);
  if (pointer.x >= kViewWidth - 15) view.scrollX = std::min(view.maxScrollX, view.scrollX + step);
  if (pointer.y >= kViewHeight - 15) view.scrollY = std::min(view.maxScrollY, view.scrollY + step);
  if (view.scrollX == oldX && view.scrollY == oldY) return;
  DrawScrollBars(editor);
  ShowPreviewBase(editor);
  DrawLineIntoCanvas(editor, editor.drawing.x1, editor.drawing.y1, target.x, target.y, editor.drawing.drawingColour);
  ShowCanvas(editor);
  ShowMagnifier(editor);
}

void PaintStep(PictureEditor& editor, bool tiled) {
  const auto point = ClickedPoint(editor);
  if (!point) return;
  DrawingState& d = editor.drawing;
  const int under = PointColour(editor.images.canvas.Pixels(), editor.loop.pointer, point->x, point->y);
  if (under == d.drawingColour || under == d.borderColour || (tiled && under == d.secondColour)) {
    editor.screen.platform->Beep();
    return;
  }
  d.x1 = point->x;
  d.y1 = point->y;
  TakeSnapshot(editor, editor.operations.count);
  // Any fill value above 7 means the current tile.
  PaintArea(editor.screen, &editor.images.canvas.Pixels(), point->x, point->y,
            FillBrush(d, EditorTiles(editor), tiled ? 9 : d.drawingColour), d.borderColour);
  FinishAction(editor);
  AppendOperation(editor.operations, d, 1);
}

}  // namespace

bool PassHasClick(const PictureEditor& editor) {
  const LoopState& loop = editor.loop;
  return loop.keyboardClick == 1 || (!loop.previousLeftButton && loop.leftButton) || loop.clickPending;
}

void LineToolStep(PictureEditor& editor) {
  DrawingState& d = editor.drawing;
  LoopState& loop = editor.loop;
  const PicturePoint point = PictureFromPointer(editor);
  if (loop.clicksTaken == 1) AutoScroll(editor, point);
  if (!PointerInView(editor) || !InPicture(editor, point)) return;

  if (PassHasClick(editor)) {
    ++loop.clicksTaken;
    if (loop.clicksTaken == 1) {
      d.x1 = point.x;
      d.y1 = point.y;
    } else if (loop.clicksTaken == 2) {
      d.x2 = point.x;
      d.y2 = point.y;
      ShowPreviewBase(editor);
      // A polyline takes one snapshot, before its first segment, so one undo
      // restores the picture from before the whole chain.
      if (d.mode == kind::Line || d.chainCounter == 0) TakeSnapshot(editor, editor.operations.count);
      DrawLineIntoCanvas(editor, d.x1, d.y1, d.x2, d.y2, d.drawingColour);
      FinishAction(editor);
      if (d.mode == kind::Line) {
        loop.clicksTaken = 0;
        AppendOperation(editor.operations, d, 1);
      } else {
        ++d.chainCounter;
        d.mode = kind::Line;
        AppendOperation(editor.operations, d, static_cast<std::int16_t>(d.chainCounter));
        d.mode = kind::Polyline;
        loop.clicksTaken = 1;
        d.x1 = d.x2;
        d.y1 = d.y2;
      }
    }
  }

  const bool moved = loop.pointer.x != loop.previousPointer.x || loop.pointer.y != loop.previousPointer.y;
  if (loop.clicksTaken == 1 && moved) {
    ShowPreviewBase(editor);
    DrawLineIntoCanvas(editor, d.x1, d.y1, point.x, point.y, d.drawingColour);
    ShowCanvas(editor);
  }
}

void EndPendingLine(PictureEditor& editor) {
  editor.loop.clicksTaken = 0;
  editor.drawing.chainCounter = 0;
}

void CancelLine(PictureEditor& editor) {
  EndPendingLine(editor);
  ShowPreviewBase(editor);
  ShowMagnifier(editor);
}

void PaintToolStep(PictureEditor& editor) { PaintStep(editor, false); }
void TilePaintToolStep(PictureEditor& editor) { PaintStep(editor, true); }

void DotToolStep(PictureEditor& editor) {
  const auto point = ClickedPoint(editor);
  if (!point) return;
  DrawingState& d = editor.drawing;
  d.x1 = point->x;
  d.y1 = point->y;
  TakeSnapshot(editor, editor.operations.count);
  PlotPixelRgb(editor.screen, &editor.images.canvas.Pixels(), point->x, point->y, PaletteColour(d.drawingColour));
  FinishAction(editor);
  AppendOperation(editor.operations, d, 1);
}

void TwoColourLineToolStep(PictureEditor& editor) {
  const auto point = ClickedPoint(editor);
  if (!point) return;
  DrawingState& d = editor.drawing;
  PictureState& picture = editor.picture;
  OperationList& list = editor.operations;
  picture.probeX = point->x;
  picture.probeY = point->y;
  picture.pickedColour = PointColour(editor.images.canvas.Pixels(), editor.loop.pointer, point->x, point->y);
  ReplayPicture(editor, picture.pickedColour);
  if (picture.foundIndex == -1) {
    editor.screen.platform->Beep();
    return;
  }
  // Convert the whole chain the clicked segment belongs to.
  int first = picture.foundIndex;
  while (first > 0 && list.slots[first][field::Chain] >= 2) --first;
  TakeSnapshot(editor, editor.operations.count);
  const int countBefore = list.count;
  for (int k = first; k == first || (k < countBefore && list.slots[k][field::Chain] >= 2); ++k) {
    const OperationRecord segment = list.slots[k];
    d.x1 = segment[field::X1];
    d.y1 = segment[field::Y1];
    d.x2 = segment[field::X2];
    d.y2 = segment[field::Y2];
    DrawLineIntoCanvas(editor, d.x1, d.y1, d.x2, d.y2, d.secondColour);
    DrawTwoColourDots(editor.images.canvas.Pixels(), d);
    AppendOperation(list, d, segment[field::Chain]);
  }
  FinishAction(editor);
}

}  // namespace kumodo
