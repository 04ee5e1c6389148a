#include "picture/view.h"

#include <algorithm>

#include "screen/layout.h"
#include "screen/palette.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

void FilledBox(PictureEditor& editor, int x1, int y1, int x2, int y2, Rgb colour) {
  DrawLineRgb(editor.screen, nullptr, x1, y1, false, x2, y2, colour, kFilledBoxMode, colour);
}

void FilledBox(PictureEditor& editor, ScreenBox box, Rgb colour) {
  FilledBox(editor, box.left, box.top, box.right, box.bottom, colour);
}

// The visible part of `source` stretched over the view.
void ShowThroughZoom(PictureEditor& editor, const Image& source) {
  ImageSet& images = editor.images;
  source.DrawInto(images.viewCrop, -editor.view.scrollX, -editor.view.scrollY);
  images.viewCrop.DrawInto(images.zoomedView, 0, 0, kViewWidth, kViewHeight);
  images.zoomedView.Draw(0, 0);
}

}  // namespace

void SetUpView(PictureEditor& editor) {
  ViewState& view = editor.view;
  const int height = PictureHeight(editor.settings);
  view.zoomX = view.zoom;
  view.zoomY = VerticalStep(editor.settings) * view.zoom;
  view.visibleWidth = kViewWidth / view.zoomX;
  view.visibleHeight = kViewHeight / view.zoomY;
  view.maxScrollX = kPictureWidth - view.visibleWidth;
  view.maxScrollY = height - view.visibleHeight;
  view.lastRow = height - 1;
  editor.images.canvas.Pixels() = Bitmap(kPictureWidth, height);
  editor.images.viewCrop.Pixels() = Bitmap(view.visibleWidth, view.visibleHeight);
  if (view.zoom == 1) {
    view.scrollX = 0;
    view.scrollY = 0;
    FilledBox(editor, kVerticalBarStrip, kPanelBackground);
    FilledBox(editor, kHorizontalBarStrip, kPanelBackground);
  } else {
    view.scrollX = std::clamp(view.scrollX, 0, view.maxScrollX);
    view.scrollY = std::clamp(view.scrollY, 0, view.maxScrollY);
  }
}

void ChangeZoom(PictureEditor& editor, int level) {
  editor.view.zoom = 1 << std::clamp(level, 0, 3);
  SetUpView(editor);
  ShowPreviewBase(editor);
  DrawScrollBars(editor);
}

PicturePoint PictureFromPointer(const PictureEditor& editor) {
  const ViewState& view = editor.view;
  return {FloorDiv(editor.loop.pointer.x, view.zoomX) + view.scrollX,
          FloorDiv(editor.loop.pointer.y, view.zoomY) + view.scrollY};
}

bool PointerInView(const PictureEditor& editor, int rowsBelow) {
  const PointerPosition& pointer = editor.loop.pointer;
  return pointer.x >= kView.left && pointer.x <= kView.right && pointer.y >= kView.top &&
         pointer.y <= kView.bottom + rowsBelow;
}

bool InPicture(const PictureEditor& editor, PicturePoint point) {
  return point.x >= 0 && point.x <= editor.view.lastColumn && point.y >= 0 && point.y <= editor.view.lastRow;
}

void ShowCanvas(PictureEditor& editor) {
  if (editor.view.zoomX == 1 && editor.view.zoomY == 1) {
    editor.images.canvas.Draw(0, 0);
  } else {
    ShowThroughZoom(editor, editor.images.canvas);
  }
}

void ShowPreviewBase(PictureEditor& editor) {
  editor.images.clean.DrawInto(editor.images.canvas, 0, 0);
  ShowThroughZoom(editor, editor.images.clean);
}

void DrawScrollBars(PictureEditor& editor) {
  const ViewState& view = editor.view;
  if (view.zoom == 1) return;
  Screen& screen = editor.screen;
  const int step = VerticalStep(editor.settings);
  const int top = view.scrollY * step;
  const int length = view.visibleHeight * step;
  const int left = view.scrollX;
  const int width = view.visibleWidth;
  const Rgb white = PaletteColour(7);
  auto box = [&](int x1, int y1, int x2, int y2, Rgb pen, int mode, Rgb fill) {
    DrawLineRgb(screen, nullptr, x1, y1, false, x2, y2, pen, mode, fill);
  };
  auto line = [&](int x1, int y1, int x2, int y2, Rgb pen) {
    DrawLineRgb(screen, nullptr, x1, y1, false, x2, y2, pen, kLineMode, 0);
  };
  const ScreenBox vertical = kVerticalBar;
  const int thumbLeft = kVerticalThumbLeft + 1;
  const int thumbRight = kVerticalThumbRight - 1;
  box(vertical.left, vertical.top, vertical.right, vertical.bottom, kScrollTrough, kFilledBoxMode, kScrollTrough);
  box(vertical.left, vertical.top, vertical.right, vertical.bottom, kFrame, kBoxMode, 0);
  box(kVerticalThumbLeft, top, kVerticalThumbRight, top + length, kThumbEdge, kFilledBoxMode, kPanelBackground);
  line(thumbLeft, top + 1, thumbRight, top + 1, white);
  line(thumbLeft, top + 1, thumbLeft, top + length - 1, white);
  line(thumbRight, top + 1, thumbRight, top + length - 1, kShadow);
  line(thumbLeft, top + length - 1, thumbRight, top + length - 1, kShadow);

  const ScreenBox horizontal = kHorizontalBar;
  const int thumbTop = kHorizontalThumbTop + 1;
  const int thumbBottom = kHorizontalThumbBottom - 1;
  box(horizontal.left, horizontal.top, horizontal.right, horizontal.bottom, kScrollTrough, kFilledBoxMode,
      kScrollTrough);
  box(horizontal.left, horizontal.top, horizontal.right, horizontal.bottom, kFrame, kBoxMode, 0);
  box(left, kHorizontalThumbTop, left + width, kHorizontalThumbBottom, kThumbEdge, kFilledBoxMode, kPanelBackground);
  line(left + 1, thumbTop, left + width - 1, thumbTop, white);
  line(left + 1, thumbTop, left + 1, thumbBottom, white);
  line(left + 1, thumbBottom, left + width - 1, thumbBottom, kShadow);
  line(left + width - 1, thumbTop, left + width - 1, thumbBottom, kShadow);
}

void FollowScrollDrag(PictureEditor& editor) {
  ViewState& view = editor.view;
  if (view.zoom <= 1) return;
  const int step = VerticalStep(editor.settings);
  const PointerPosition pointer = editor.loop.pointer;
  const int top = view.scrollY * step;
  const int length = view.visibleHeight * step;
  if (!view.draggingVertical && pointer.x >= kVerticalBar.left && pointer.x <= kVerticalThumbRight &&
      pointer.y >= top && pointer.y <= top + length) {
    view.grabVertical = pointer.y - top;
    view.draggingVertical = true;
  }
  if (view.draggingVertical) {
    view.scrollY = std::clamp(FloorDiv(pointer.y - view.grabVertical, step), 0, view.maxScrollY);
    DrawScrollBars(editor);
    ShowPreviewBase(editor);
  }
  if (!view.draggingHorizontal && pointer.y >= kHorizontalBar.top && pointer.y <= kHorizontalThumbBottom &&
      pointer.x >= view.scrollX && pointer.x <= view.scrollX + view.visibleWidth) {
    view.grabHorizontal = pointer.x - view.scrollX;
    view.draggingHorizontal = true;
  }
  if (view.draggingHorizontal) {
    view.scrollX = std::clamp(pointer.x - view.grabHorizontal, 0, view.maxScrollX);
    DrawScrollBars(editor);
    ShowPreviewBase(editor);
  }
}

void EndScrollDrag(PictureEditor& editor) {
  editor.view.draggingVertical = false;
  editor.view.draggingHorizontal = false;
}

void ShowMagnifier(PictureEditor& editor) {
  const PicturePoint centre = PictureFromPointer(editor);
  const Bitmap& canvas = editor.images.canvas.Pixels();
  for (int column = centre.x - kMagnifierCellsBefore; column <= centre.x + kMagnifierColumnsAfter; ++column) {
    for (int row = centre.y - kMagnifierCellsBefore; row <= centre.y + kMagnifierRowsAfter; ++row) {
      const int left = kMagnifierLeft + kMagnifierCell * (column - centre.x + kMagnifierCellsBefore);
      const int top = kMagnifierTop + kMagnifierCell * (row - centre.y + kMagnifierCellsBefore);
      if (InPicture(editor, {column, row}) && canvas.Contains(column, row)) {
        const Rgb pixel = canvas.At(column, row);
        FilledBox(editor, left, top, left + kMagnifierCell - 1, top + kMagnifierCell - 1, pixel);
      } else {
        editor.images.scratch.Draw(left, top);
      }
    }
  }
  if (!PointerInView(editor)) return;
  // A pixel outside the canvas reads as all channels set.
  const Rgb pixel = canvas.Contains(centre.x, centre.y) ? canvas.At(centre.x, centre.y) : 0xFFFFFFFFu;
  const int index = ((pixel >> 16) & 0xFF ? 1 : 0) + (pixel & 0xFF ? 2 : 0) + ((pixel >> 8) & 0xFF ? 4 : 0);
  const ScreenBox frame = kMagnifierCentreFrame;
  DrawLine(editor.screen, frame.left, frame.top, false, frame.right, frame.bottom, 7 - index, kBoxMode, 0);
}

void ShowColourIndicator(PictureEditor& editor) {
  Screen& screen = editor.screen;
  const DrawingState& drawing = editor.drawing;
  auto box = [&](ScreenBox b, int colour, int mode) {
    DrawLine(screen, b.left, b.top, false, b.right, b.bottom, colour, mode, colour);
  };
  // Around the whole view, where a 400-line picture fills it.
  if (PictureHeight(editor.settings) == kPictureHeight) {
    box({kView.left - 1, kView.top - 1, kView.right + 1, kView.bottom + 1}, drawing.borderColour, kBoxMode);
  }
  box(kIndicatorFrame, 0, kBoxMode);
  box(kIndicatorBorder, drawing.borderColour, kFilledBoxMode);
  const bool tiled = drawing.mode == kind::TilePaint || drawing.mode == kind::TwoColourLine;
  if (!tiled) {
    box(kIndicatorInside, drawing.drawingColour, kFilledBoxMode);
    return;
  }
  box(kIndicatorInside, drawing.secondColour, kFilledBoxMode);
  const ScreenBox& in = kIndicatorInside;
  if (drawing.tileKind == 0) {
    for (int y = in.top; y <= in.bottom; ++y) {
      for (int x = in.left + y % 2; x <= in.right; x += 2) PlotPixel(screen, x, y, drawing.drawingColour);
    }
  } else if (drawing.tileKind == 2) {
    for (int y = in.top; y <= in.bottom; y += 2) {
      for (int x = in.left + 2 * ((y / 2) % 2); x <= in.right; x += 4) PlotPixel(screen, x, y, drawing.drawingColour);
    }
  } else {
    for (int y = in.top; y <= in.bottom; ++y) {
      for (int x = in.left + 2 * (y % 2); x <= in.right; x += 4) PlotPixel(screen, x, y, drawing.drawingColour);
    }
  }
}

}  // namespace kumodo
