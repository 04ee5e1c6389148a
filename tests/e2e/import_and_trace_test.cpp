// Importing a picture and tracing its areas into lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "app/outline_tool.h"
#include "app/picture_import.h"
#include "picture/replay.h"
#include "picture/view.h"
#include "pictures/colour_reduction.h"
#include "platform/text_encoding.h"
#include "screen/palette.h"
#include "support/colour_grids.h"
#include "support/icons.h"
#include "support/image_magick.h"
#include "support/scripted_editor.h"
#include "trace/outline.h"

namespace kumodo {
namespace {

using scripted::Script;
using scripted::ScriptedEditor;

constexpr Rgb Channels(int red, int green, int blue) {
  return static_cast<Rgb>(red) | static_cast<Rgb>(green) << 8 | static_cast<Rgb>(blue) << 16;
}

class ImportFiles : public ::testing::Test {
 protected:
  std::string Make(ScriptedEditor& s, const std::string& arguments, const std::string& name) {
    image_magick::RunImageMagick(s.folder.Path(), arguments + " " + name);
    return (s.folder.Path() / name).string();
  }
  void Import(ScriptedEditor& s, const std::string& path, MessageBoxAnswer answer) {
    s.platform.QueueMessageBoxAnswer(answer);
    s.editor.images.import.Load(path);
    ImportPicture(s.editor);
  }
};

TEST_F(ImportFiles, SizeLimitsAreSixHundredFortyByFourHundred) {
  ScriptedEditor s;
  Import(s, Make(s, "-size 640x400 xc:yellow", "fits.bmp"), MessageBoxAnswer::Ok);
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  EXPECT_EQ(s.platform.messageBoxes[0].caption, Utf8ToSjis("減色モードの設定"));
  EXPECT_EQ(s.platform.messageBoxes[0].icon, MessageBoxIcon::None);
  EXPECT_EQ(s.editor.images.work[2].Pixels().At(639, 399), Channels(153, 153, 1));
  EXPECT_EQ(s.editor.colourGrid.At(640, 400), 6);

  for (const char* size : {"641x400", "640x401"}) {
    const std::size_t shown = s.platform.messageBoxes.size();
    Import(s, Make(s, std::string("-size ") + size + " xc:blue", std::string(size) + ".gif"), MessageBoxAnswer::Ok);
    ASSERT_EQ(s.platform.messageBoxes.size(), shown + 1) << size;
    EXPECT_EQ(s.platform.messageBoxes.back().text,
              Utf8ToSjis("画像サイズオーバーです。640×400dot以内にして下さい"));
    EXPECT_EQ(s.platform.messageBoxes.back().caption, Utf8ToSjis("画像サイズオーバー"));
    EXPECT_EQ(s.platform.messageBoxes.back().icon, MessageBoxIcon::Warning);
    EXPECT_EQ(s.editor.images.work[2].Pixels().At(0, 0), Channels(153, 153, 1)) << "nothing changes";
  }
}

TEST_F(ImportFiles, CancelStillReducesInGreyAndTheUnderlaysShow) {
  ScriptedEditor s;
  Import(s, Make(s, "-size 100x50 xc:yellow -quality 100", "small.jpg"), MessageBoxAnswer::Cancel);
  const Bitmap& reduced = s.editor.images.work[2].Pixels();
  EXPECT_EQ(reduced.At(10, 10), Channels(225, 225, 225));
  EXPECT_EQ(reduced.At(200, 200), Channels(1, 1, 1)) << "outside the picture the area is black";
  EXPECT_EQ(s.editor.images.work[1].Pixels().At(10, 10), DimmedSource(Channels(255, 255, 0)) & 0xFFFFFF);
  EXPECT_EQ(s.editor.colourGrid.At(0, 5), kGridBorder);
  EXPECT_EQ(s.editor.colourGrid.At(641, 5), kGridBorder);
  EXPECT_EQ(s.editor.colourGrid.At(5, 401), kGridBorder);
  EXPECT_EQ(s.editor.operations.count, 0) << "an import adds no records";
  s.editor.picture.underlay = 2;
  ReplayPicture(s.editor, kNoProbe);
  EXPECT_EQ(s.editor.images.canvas.Pixels().At(10, 10), Channels(225, 225, 225));
}

// Runs the outline tool's passes on a rectangle and returns the records made.
std::vector<OperationRecord> Outline(ScriptedEditor& s, const ColourGrid& grid, int x, int y) {
  s.editor.colourGrid = grid;
  s.editor.drawing.drawingColour = 6;
  TraceRegionOutline(grid, x + 1, y + 1, s.editor.drawing, s.editor.workLists);
  SimplifyOutline(s.editor);
  DrawOutline(s.editor);
  return std::vector<OperationRecord>(s.editor.operations.slots.begin(),
                                      s.editor.operations.slots.begin() + s.editor.operations.count);
}

TEST(Simplifier, ASquareBecomesFiveLinesAndPrintsFive) {
  ScriptedEditor s;
  const auto records = Outline(s, GridWithRectangle(100, 100, 199, 199), 150, 150);
  EXPECT_EQ(records, (std::vector<OperationRecord>{{1, 100, 150, 100, 100, 6, 0, 1},
                                                    {1, 100, 100, 199, 100, 6, 0, 2},
                                                    {1, 199, 100, 199, 199, 6, 0, 3},
                                                    {1, 199, 199, 100, 199, 6, 0, 4},
                                                    {1, 100, 199, 100, 150, 6, 0, 5}}));
  EXPECT_EQ(RowText(s.editor.screen.text, 33).substr(21), "5   ");
  EXPECT_EQ(s.editor.images.canvas.Pixels().At(150, 100), PaletteColour(6));
}

TEST(Simplifier, ASmallBlockCollapsesToTwoLinesThereAndBack) {
  ScriptedEditor s;
  const auto records = Outline(s, GridWithRectangle(10, 20, 19, 29), 15, 24);
  EXPECT_EQ(records, (std::vector<OperationRecord>{{1, 10, 24, 10, 29, 6, 0, 1}, {1, 10, 29, 10, 24, 6, 0, 2}}));
  EXPECT_EQ(RowText(s.editor.screen.text, 33).substr(21), "2   ");
  EXPECT_EQ(s.platform.beeps, 0);
}

TEST(Simplifier, ATinyAreaBeepsInBothPassesAndPrintsZero) {
  ScriptedEditor s;
  const auto records = Outline(s, GridWithRectangle(50, 50, 50, 50), 50, 50);
  EXPECT_TRUE(records.empty());
  EXPECT_EQ(s.platform.beeps, 2);
  EXPECT_EQ(RowText(s.editor.screen.text, 33).substr(21), "0   ");
}

TEST(Simplifier, ChordsAt359And1DegreesAreNotMerged) {
  ScriptedEditor s;
  WorkLists& lists = s.editor.workLists;
  // Right and slightly up (359 degrees), then right and slightly down (1 degree).
  lists.entries[1][0] = {1, 0, 100, 100, 98, 0, 0, 1};
  lists.entries[1][1] = {1, 100, 98, 200, 100, 0, 0, 2};
  lists.entries[1][2] = {1, 200, 100, 0, 100, 0, 0, 3};
  lists.count[1] = 3;
  DrawOutline(s.editor);
  EXPECT_EQ(s.editor.operations.count, 3);
}

TEST(Simplifier, AZeroLengthChordIsMergedIntoTheRunNotStuckOn) {
  ScriptedEditor s;
  WorkLists& lists = s.editor.workLists;
  lists.entries[1][0] = {1, 50, 50, 50, 50, 0, 0, 1};
  lists.entries[1][1] = {1, 50, 50, 150, 50, 0, 0, 2};
  lists.entries[1][2] = {1, 150, 50, 50, 50, 0, 0, 3};
  lists.count[1] = 3;
  DrawOutline(s.editor);
  ASSERT_EQ(s.editor.operations.count, 2);
  EXPECT_EQ(s.editor.operations.slots[0], (OperationRecord{1, 50, 50, 150, 50, 1, 0, 1}));
  EXPECT_EQ(s.editor.operations.slots[1], (OperationRecord{1, 150, 50, 50, 50, 1, 0, 2}));
}

// The outline tool as the user reaches it: a click on the picture, after an import.
void ClickWithOutlineTool(ScriptedEditor& s, int x, int y) {
  s.editor.drawing.mode = kind::Trace;
  s.editor.loop.pointer = {x, y};
  s.editor.loop.keyboardClick = 1;
  OutlineToolStep(s.editor);
  s.editor.loop.keyboardClick = 0;
}

void SetEditingResolution(ScriptedEditor& s, int setting) {
  s.editor.settings.editingResolution = static_cast<std::uint8_t>(setting);
  SetUpView(s.editor);
}

TEST_F(ImportFiles, ATraceAfterAChangeOfResolutionOutlinesThePictureOfTheNewHeight) {
  for (const auto& [importedIn, tracedIn] : {std::pair{2, 1}, std::pair{1, 2}}) {
    ScriptedEditor s;
    SetEditingResolution(s, importedIn);
    Import(s, Make(s, "-size 640x400 xc:black", "black.bmp"), MessageBoxAnswer::Ok);
    SetEditingResolution(s, tracedIn);
    ClickWithOutlineTool(s, 10, 300);
    const std::int16_t row = tracedIn == 2 ? 150 : 300;
    const std::int16_t last = tracedIn == 2 ? 199 : 399;
    const std::vector<OperationRecord> records(s.editor.operations.slots.begin(),
                                               s.editor.operations.slots.begin() + s.editor.operations.count);
    EXPECT_EQ(records, (std::vector<OperationRecord>{{1, 0, row, 0, 0, 1, 0, 1},
                                                      {1, 0, 0, 639, 0, 1, 0, 2},
                                                      {1, 639, 0, 639, last, 1, 0, 3},
                                                      {1, 639, last, 0, last, 1, 0, 4},
                                                      {1, 0, last, 0, row, 1, 0, 5}}))
        << "imported in setting " << importedIn;
  }
}

TEST_F(ImportFiles, ATraceThatMakesNoLineLeavesTheLastGroupToUndo) {
  Script script;
  for (int line = 0; line < 3; ++line) script.ClickAt(10 + 60 * line, 300, 300 + 30 * line).ClickAt(40 + 60 * line, 400, 300 + 30 * line);
  ScriptedEditor s(script);
  s.RunUntil(200);
  ASSERT_EQ(s.editor.operations.count, 3);
  Import(s, Make(s, "-size 640x400 xc:black -fill white -draw 'point 50,50'", "dot.bmp"), MessageBoxAnswer::Ok);
  ClickWithOutlineTool(s, 50, 50);
  ASSERT_EQ(s.editor.operations.count, 3) << "a lone pixel makes no line";
  UndoCommand(s.editor);
  EXPECT_EQ(s.editor.operations.count, 2);
  EXPECT_EQ(s.editor.images.canvas.Pixels().At(350, 360), 0u) << "the undone line is gone from the picture too";
  EXPECT_EQ(s.editor.images.canvas.Pixels().At(350, 330), PaletteColour(1));
}

TEST(OutlineTool, ImportClickAndOneUndoRemovesTheOutline) {
  Script script;
  const PointerPosition outlineTool = icons::Centre(panel::Tools, 6);
  script.ClickAt(100, outlineTool.x, outlineTool.y);
  script.ClickAt(200, 150, 150);
  script.Key(300, vk::F12);
  ScriptedEditor s(script);
  s.RunUntil(150);
  ASSERT_EQ(s.editor.drawing.mode, kind::Trace);
  // Before any import a click does nothing.
  s.RunUntil(250);
  EXPECT_EQ(s.editor.operations.count, 0);

  image_magick::RunImageMagick(s.folder.Path(),
                               "-size 640x400 xc:black -fill white -draw 'rectangle 100,100 199,199' square.gif");
  const std::string path = (s.folder.Path() / "square.gif").string();
  s.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
  s.editor.images.import.Load(path);
  ImportPicture(s.editor);
  s.editor.loop.pointer = {150, 150};
  s.editor.loop.keyboardClick = 1;
  OutlineToolStep(s.editor);
  EXPECT_EQ(s.editor.operations.count, 5);
  EXPECT_EQ(s.editor.drawing.mode, kind::Trace);
  EXPECT_EQ(s.editor.images.canvas.Pixels().At(150, 100), PaletteColour(1));
  s.editor.loop.keyboardClick = 0;
  s.RunUntil(350);
  EXPECT_EQ(s.editor.operations.count, 0) << "one undo removes the whole outline";
}

}  // namespace
}  // namespace kumodo
