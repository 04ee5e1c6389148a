#include "picture/view.h"

#include <algorithm>

#include "screen/palette.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

void FilledBox(PictureEditor& editor, int x1, int y1, int x2, int y2, Rgb colour) {
  DrawLineRgb(editor.screen, nullptr, x1, y1, false, x2, y2, colour, kFilledBoxMode, colour);
}

// The visible part of `source` stretched over the 640 x 400 view.
void ShowThroughZoom(PictureEditor& editor, const Image& source) {
  ImageSet& images = editor.images;
  source.DrawInto(images.viewCrop, -editor.view.scrollX, -editor.view.scrollY);
  images.viewCrop.DrawInto(images.zoomedView, 0, 0, 640, 400);
  images.zoomedView.Draw(0, 0);
}

}  // namespace

void SetUpView(PictureEditor& editor) {
  ViewState& view = editor.view;
  const int height = PictureHeight(editor.settings);
  view.zoomX = view.zoom;
  view.zoomY = VerticalStep(editor.settings) * view.zoom;
  view.visibleWidth = 640 / view.zoomX;
  view.visibleHeight = 400 / view.zoomY;
  view.maxScrollX = 640 - view.visibleWidth;
  view.maxScrollY = height - view.visibleHeight;
  view.lastRow = height - 1;
  editor.images.canvas.Pixels() = Bitmap(640, height);
  editor.images.viewCrop.Pixels() = Bitmap(view.visibleWidth, view.visibleHeight);
  if (view.zoom == 1) {
    view.scrollX = 0;
    view.scrollY = 0;
    FilledBox(editor, 640, 0, 662, 399, kPanelBackground);
    FilledBox(editor, 0, 400, 639, 422, kPanelBackground);
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

bool PointerInView(const PictureEditor& editor) {
  const PointerPosition& pointer = editor.loop.pointer;
  return pointer.x >= 0 && pointer.x <= 639 && pointer.y >= 0 && pointer.y <= 399;
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
  box(642, 0, 662, 399, kScrollTrough, kFilledBoxMode, kScrollTrough);
  box(642, 0, 662, 399, kFrame, kBoxMode, 0);
  box(644, top, 660, top + length, kThumbEdge, kFilledBoxMode, kPanelBackground);
  line(645, top + 1, 659, top + 1, white);
  line(645, top + 1, 645, top + length - 1, white);
  line(659, top + 1, 659, top + length - 1, kShadow);
  line(645, top + length - 1, 659, top + length - 1, kShadow);

  box(0, 402, 639, 422, kScrollTrough, kFilledBoxMode, kScrollTrough);
  box(0, 402, 639, 422, kFrame, kBoxMode, 0);
  box(left, 404, left + width, 420, kThumbEdge, kFilledBoxMode, kPanelBackground);
  line(left + 1, 405, left + width - 1, 405, white);
  line(left + 1, 405, left + 1, 419, white);
  line(left + 1, 419, left + width - 1, 419, kShadow);
  line(left + width - 1, 405, left + width - 1, 419, kShadow);
}

void FollowScrollDrag(PictureEditor& editor) {
  ViewState& view = editor.view;
  if (view.zoom <= 1) return;
  const int step = VerticalStep(editor.settings);
  const PointerPosition pointer = editor.loop.pointer;
  const int top = view.scrollY * step;
  const int length = view.visibleHeight * step;
  if (!view.draggingVertical && pointer.x >= 642 && pointer.x <= 660 && pointer.y >= top && pointer.y <= top + length) {
    view.grabVertical = pointer.y - top;
    view.draggingVertical = true;
  }
  if (view.draggingVertical) {
    view.scrollY = std::clamp(FloorDiv(pointer.y - view.grabVertical, step), 0, view.maxScrollY);
    DrawScrollBars(editor);
    ShowPreviewBase(editor);
  }
  if (!view.draggingHorizontal && pointer.y >= 402 && pointer.y <= 420 && pointer.x >= view.scrollX &&
      pointer.x <= view.scrollX + view.visibleWidth) {
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
  for (int column = centre.x - 9; column <= centre.x + 9; ++column) {
    for (int row = centre.y - 9; row <= centre.y + 8; ++row) {
      const int left = 8 + 8 * (column - centre.x + 9);
      const int top = 424 + 8 * (row - centre.y + 9);
      if (InPicture(editor, {column, row}) && canvas.Contains(column, row)) {
        const Rgb pixel = canvas.At(column, row);
        FilledBox(editor, left, top, left + 7, top + 7, pixel);
      } else {
        editor.images.scratch.Draw(left, top);
      }
    }
  }
  if (!PointerInView(editor)) return;
  // A pixel outside the canvas reads as all channels set.
  const Rgb pixel = canvas.Contains(centre.x, centre.y) ? canvas.At(centre.x, centre.y) : 0xFFFFFFFFu;
  const int index = ((pixel >> 16) & 0xFF ? 1 : 0) + (pixel & 0xFF ? 2 : 0) + ((pixel >> 8) & 0xFF ? 4 : 0);
  DrawLine(editor.screen, 79, 495, false, 88, 504, 7 - index, kBoxMode, 0);
}

void ShowColourIndicator(PictureEditor& editor) {
  Screen& screen = editor.screen;
  const DrawingState& drawing = editor.drawing;
  if (PictureHeight(editor.settings) == 400) DrawLine(screen, -1, -1, false, 640, 400, drawing.borderColour, kBoxMode, 0);
  DrawLine(screen, 670, 502, false, 736, 534, 0, kBoxMode, 0);
  DrawLine(screen, 671, 503, false, 735, 533, drawing.borderColour, kFilledBoxMode, drawing.borderColour);
  const bool tiled = drawing.mode == kind::TilePaint || drawing.mode == kind::TwoColourLine;
  if (!tiled) {
    DrawLine(screen, 675, 507, false, 731, 529, drawing.drawingColour, kFilledBoxMode, drawing.drawingColour);
    return;
  }
  DrawLine(screen, 675, 507, false, 731, 529, drawing.secondColour, kFilledBoxMode, drawing.secondColour);
  if (drawing.tileKind == 0) {
    for (int y = 507; y <= 529; ++y) {
      for (int x = 675 + y % 2; x <= 731; x += 2) PlotPixel(screen, x, y, drawing.drawingColour);
    }
  } else if (drawing.tileKind == 2) {
    for (int y = 507; y <= 529; y += 2) {
      for (int x = 675 + 2 * ((y / 2) % 2); x <= 731; x += 4) PlotPixel(screen, x, y, drawing.drawingColour);
    }
  } else {
    for (int y = 507; y <= 529; ++y) {
      for (int x = 675 + 2 * (y % 2); x <= 731; x += 4) PlotPixel(screen, x, y, drawing.drawingColour);
    }
  }
}

}  // namespace kumodo
