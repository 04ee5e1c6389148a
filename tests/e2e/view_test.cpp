// The view: pointer mapping, zoom, scrolling, magnifier and colour indicator.
#include <gtest/gtest.h>

#include "app/panels.h"
#include "picture/replay.h"
#include "picture/view.h"
#include "screen/palette.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

using scripted::Script;
using scripted::ScriptedEditor;

PicturePoint Map(Editor& editor, int x, int y) {
  editor.loop.pointer = {x, y};
  return PictureFromPointer(editor);
}

void SetZoom(Editor& editor, int level, int editingResolution = 1) {
  editor.settings.editingResolution = static_cast<std::uint8_t>(editingResolution);
  ChangeZoom(editor, level);
}

TEST(View, GeometryForEveryZoomInBothResolutions) {
  struct Expected {
    int resolution, level, visibleWidth, visibleHeight, maxX, maxY;
  };
  const Expected table[] = {{1, 0, 640, 400, 0, 0},   {1, 1, 320, 200, 320, 200}, {1, 2, 160, 100, 480, 300},
                            {1, 3, 80, 50, 560, 350},  {2, 0, 640, 200, 0, 0},     {2, 1, 320, 100, 320, 100},
                            {2, 2, 160, 50, 480, 150}, {2, 3, 80, 25, 560, 175}};
  ScriptedEditor s;
  for (const Expected& e : table) {
    SetZoom(s.editor, e.level, e.resolution);
    const ViewState& view = s.editor.view;
    EXPECT_EQ(view.visibleWidth, e.visibleWidth) << e.resolution << "/" << e.level;
    EXPECT_EQ(view.visibleHeight, e.visibleHeight);
    EXPECT_EQ(view.maxScrollX, e.maxX);
    EXPECT_EQ(view.maxScrollY, e.maxY);
    EXPECT_EQ(s.editor.images.canvas.Height(), e.resolution == 2 ? 200 : 400);
    EXPECT_EQ(s.editor.images.viewCrop.Width(), e.visibleWidth);
  }
}

TEST(View, PointerMapsThroughZoomAndScroll) {
  ScriptedEditor s;
  Editor& editor = s.editor;
  EXPECT_EQ(Map(editor, 100, 50).x, 100);
  EXPECT_EQ(Map(editor, 100, 50).y, 50);
  SetZoom(editor, 2);
  editor.view.scrollX = 480, editor.view.scrollY = 300;
  EXPECT_EQ(Map(editor, 639, 399).x, 639);
  EXPECT_EQ(Map(editor, 639, 399).y, 399);
  EXPECT_EQ(Map(editor, 3, 5).x, 480);
  EXPECT_EQ(Map(editor, 4, 5).x, 481);
  SetZoom(editor, 0, 2);
  EXPECT_EQ(Map(editor, 10, 11).x, 10);
  EXPECT_EQ(Map(editor, 10, 11).y, 5);
  EXPECT_EQ(Map(editor, 0, 399).y, 199);
  SetZoom(editor, 3, 2);
  editor.view.scrollX = 10, editor.view.scrollY = 20;
  EXPECT_EQ(Map(editor, 17, 17).x, 12);
  EXPECT_EQ(Map(editor, 17, 17).y, 21);
}

TEST(View, ZoomingOutClampsTheScroll) {
  ScriptedEditor s;
  SetZoom(s.editor, 3);
  s.editor.view.scrollX = 560;
  s.editor.view.scrollY = 350;
  SetZoom(s.editor, 1);
  EXPECT_EQ(s.editor.view.scrollX, 320);
  EXPECT_EQ(s.editor.view.scrollY, 200);
  SetZoom(s.editor, 0);
  EXPECT_EQ(s.editor.view.scrollX, 0);
}

TEST(View, ZoomedViewReplicatesEachPictureDot) {
  ScriptedEditor s;
  Editor& editor = s.editor;
  DrawingState d;
  d.mode = kind::Dot, d.x1 = 330, d.y1 = 210, d.drawingColour = 6;
  AppendOperation(editor.operations, d, 1);
  ReplayPicture(editor, kNoProbe);
  SetZoom(editor, 1);  // x2
  editor.view.scrollX = 320, editor.view.scrollY = 200;
  ShowPreviewBase(editor);
  const Bitmap& screen = editor.screen.backBuffer;
  for (int y = 20; y < 22; ++y) {
    for (int x = 20; x < 22; ++x) ASSERT_EQ(screen.At(x, y), PaletteColour(6)) << x << "," << y;
  }
  EXPECT_EQ(screen.At(22, 20), 0u);
  EXPECT_EQ(screen.At(19, 21), 0u);
  EXPECT_EQ(screen.At(21, 22), 0u);
}

TEST(View, TwoHundredLineCanvasFillsTheViewWithDoubledRows) {
  ScriptedEditor s;
  Editor& editor = s.editor;
  SetZoom(editor, 0, 2);
  DrawingState d;
  d.mode = kind::Dot, d.x1 = 5, d.y1 = 199, d.drawingColour = 2;
  AppendOperation(editor.operations, d, 1);
  ReplayPicture(editor, kNoProbe);
  EXPECT_EQ(editor.screen.backBuffer.At(5, 398), PaletteColour(2));
  EXPECT_EQ(editor.screen.backBuffer.At(5, 399), PaletteColour(2));
  EXPECT_EQ(editor.screen.backBuffer.At(5, 397), 0u);
}

TEST(View, ScrollBarsAppearOnlyWhenZoomed) {
  ScriptedEditor s;
  EXPECT_EQ(s.editor.screen.backBuffer.At(650, 200), kPanelBackground);
  SetZoom(s.editor, 1);
  EXPECT_EQ(s.editor.screen.backBuffer.At(642, 300), kFrame);
  EXPECT_EQ(s.editor.screen.backBuffer.At(650, 100), kPanelBackground) << "the thumb face";
  EXPECT_EQ(s.editor.screen.backBuffer.At(650, 300), kScrollTrough);
}

// Grabs the horizontal thumb at x 100 and drags it to `toX`; returns the scroll.
int DragHorizontalThumbTo(int toX) {
  ScriptedEditor s(Script().MoveTo(5, 100, 410).Press(10).MoveTo(40, toX, 410).Release(50));
  SetZoom(s.editor, 1);
  s.platform.Sleep(10);
  DragScrollBars(s.editor);
  EXPECT_FALSE(s.editor.view.draggingHorizontal);
  return s.editor.view.scrollX;
}

TEST(View, DraggingTheHorizontalThumbScrollsOneColumnPerPixelAndClamps) {
  EXPECT_EQ(DragHorizontalThumbTo(250), 150);
  EXPECT_EQ(DragHorizontalThumbTo(900), 320);
}

TEST(LineTool, HoldingThePointerNearTheRightEdgeScrollsUntilTheEnd) {
  ScriptedEditor s(Script().ClickAt(10, 300, 100).MoveTo(50, 630, 100));
  SetZoom(s.editor, 1);
  s.RunUntil(51);  // the pointer is sampled at the start of the pass after the move
  EXPECT_EQ(s.editor.view.scrollX, 8);
  s.RunUntil(52);
  EXPECT_EQ(s.editor.view.scrollX, 16);
  s.RunUntil(200);
  EXPECT_EQ(s.editor.view.scrollX, 320);
}

TEST(Magnifier, FramesTheCentreInTheComplementOfItsColour) {
  ScriptedEditor s;
  Editor& editor = s.editor;
  editor.images.canvas.Pixels().At(50, 60) = PaletteColour(7);
  editor.images.canvas.Pixels().At(51, 60) = PaletteColour(1);
  editor.loop.pointer = {50, 60};
  ShowMagnifier(editor);
  EXPECT_EQ(editor.screen.backBuffer.At(79, 495), PaletteColour(0));
  EXPECT_EQ(editor.screen.backBuffer.At(84, 498), PaletteColour(7)) << "the centre cell";
  EXPECT_EQ(editor.screen.backBuffer.At(92, 498), PaletteColour(1)) << "the cell to its right";
  editor.loop.pointer = {51, 60};
  ShowMagnifier(editor);
  EXPECT_EQ(editor.screen.backBuffer.At(88, 504), PaletteColour(6));
}

TEST(Magnifier, CellsOutsideThePictureShowTheOutsideTile) {
  ScriptedEditor s;
  Editor& editor = s.editor;
  editor.images.scratch.Pixels() = Bitmap(8, 8, PaletteColour(3));
  editor.loop.pointer = {3, 100};
  ShowMagnifier(editor);
  EXPECT_EQ(editor.screen.backBuffer.At(8 + 8 * 2, 500), PaletteColour(3)) << "column -7";
  EXPECT_EQ(editor.screen.backBuffer.At(8 + 8 * 6 + 4, 500), 0u) << "column 0";
}

TEST(ColourIndicator, ShowsTheTileKindChosenFromTheSelection) {
  ScriptedEditor s;
  Editor& editor = s.editor;
  editor.drawing.mode = kind::TilePaint;
  editor.drawing.drawingColour = 1;
  editor.drawing.secondColour = 6;
  editor.panels.value[panel::TilePalette] = 70;
  ChooseTileKind(editor);
  ShowColourIndicator(editor);
  EXPECT_EQ(editor.drawing.tileKind, 1);
  const Bitmap& screen = editor.screen.backBuffer;
  // Every fourth pixel from 675 + 2 * (y mod 2) in the drawing colour.
  EXPECT_EQ(screen.At(675, 508), PaletteColour(1));
  EXPECT_EQ(screen.At(677, 507), PaletteColour(1));
  EXPECT_EQ(screen.At(679, 507), PaletteColour(6));
  EXPECT_EQ(screen.At(677, 508), PaletteColour(6));
  editor.drawing.mode = kind::Line;
  ShowColourIndicator(editor);
  EXPECT_EQ(screen.At(677, 508), PaletteColour(1));
  EXPECT_EQ(screen.At(680, 507), PaletteColour(1)) << "plain drawing colour";
  EXPECT_EQ(editor.drawing.tileKind, 1) << "other tools leave the kind";
}

}  // namespace
}  // namespace kumodo
