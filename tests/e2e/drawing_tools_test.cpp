// The editing tools driven through the real main loop with scripted input.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "app/panels.h"
#include "picture/replay.h"
#include "picture/tiles.h"
#include "picture/view.h"
#include "screen/layout.h"
#include "screen/palette.h"
#include "screen/raster.h"
#include "support/icons.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

using scripted::Script;
using scripted::ScriptedEditor;

const Bitmap& Canvas(ScriptedEditor& s) { return s.editor.images.canvas.Pixels(); }

OperationRecord Record(ScriptedEditor& s, int index) { return s.editor.operations.slots[index]; }

// A picture drawn only with the raster, to compare the canvas with.
Bitmap LinesPicture(std::initializer_list<std::array<int, 5>> lines) {
  Bitmap picture(640, 400);
  for (const auto& [x1, y1, x2, y2, colour] : lines) {
    DrawLineSegment(picture, x1, y1, x2, y2, PaletteColour(colour));
    SetPixel(picture, x2, y2, PaletteColour(colour));
  }
  return picture;
}

// F2, then (10, 10), (110, 10), (110, 110), (10, 110) and Escape, all by 250 ms.
Script ThreeSegmentPolyline() {
  return Script()
      .Key(2, vk::F1 + 1)
      .ClickAt(50, 10, 10)
      .ClickAt(100, 110, 10)
      .ClickAt(150, 110, 110)
      .ClickAt(200, 10, 110)
      .Key(250, vk::Escape);
}

// Puts a white box outline from (100, 100) to (200, 200) into the document.
void AddWhiteBox(ScriptedEditor& s) {
  DrawingState d;
  d.drawingColour = 7;
  const int corners[5][2] = {{100, 100}, {200, 100}, {200, 200}, {100, 200}, {100, 100}};
  for (int i = 0; i < 4; ++i) {
    d.x1 = corners[i][0], d.y1 = corners[i][1], d.x2 = corners[i + 1][0], d.y2 = corners[i + 1][1];
    AppendOperation(s.editor.operations, d, static_cast<std::int16_t>(i + 1));
  }
  ReplayPicture(s.editor, kNoProbe);
}

TEST(LineTool, TwoClicksDrawAndRecordOneLine) {
  ScriptedEditor s(Script().ClickAt(10, 100, 50).MoveTo(40, 150, 60).ClickAt(60, 200, 80));
  s.RunUntil(120);
  ASSERT_EQ(s.editor.operations.count, 1);
  EXPECT_EQ(Record(s, 0), (OperationRecord{1, 100, 50, 200, 80, 1, 0, 1}));
  EXPECT_EQ(Canvas(s).pixels, LinesPicture({{100, 50, 200, 80, 1}}).pixels) << "no rubber band is left behind";
  EXPECT_EQ(s.editor.images.clean.Pixels().pixels, Canvas(s).pixels);
  FlushScreen(s.editor.screen);
  EXPECT_EQ(s.platform.lastFrame.At(200, 80), PaletteColour(1));
}

TEST(LineTool, AClickActsWhereTheButtonWentDownEvenRightAfterAMove) {
  ScriptedEditor s(Script().MoveTo(10, 20, 30).MoveTo(40, 300, 200).Press(40).Release(45)
                       .MoveTo(60, 310, 210).Press(60).MoveTo(61, 20, 30).Release(65));
  s.RunUntil(100);
  ASSERT_EQ(s.editor.operations.count, 1);
  EXPECT_EQ(Record(s, 0), (OperationRecord{1, 300, 200, 310, 210, 1, 0, 1}));
}

TEST(LineTool, TwoClicksOnOnePointMakeAOnePixelLine) {
  ScriptedEditor s(Script().ClickAt(10, 30, 40).ClickAt(60, 30, 40));
  s.RunUntil(100);
  EXPECT_EQ(Record(s, 0), (OperationRecord{1, 30, 40, 30, 40, 1, 0, 1}));
}

TEST(LineTool, ClicksOutsideThePictureAreIgnored) {
  ScriptedEditor s(Script().ClickAt(10, 100, 400).ClickAt(60, 700, 50).ClickAt(110, 10, 10).ClickAt(160, 20, 10));
  s.RunUntil(200);
  ASSERT_EQ(s.editor.operations.count, 1);
  EXPECT_EQ(Record(s, 0), (OperationRecord{1, 10, 10, 20, 10, 1, 0, 1}));
}

TEST(LineTool, EscapeAfterTheFirstClickRecordsNothingAndRemovesThePreview) {
  ScriptedEditor s(Script().ClickAt(10, 100, 50).MoveTo(40, 300, 300).Key(70, vk::Escape).MoveTo(120, 310, 310));
  s.RunUntil(160);
  EXPECT_EQ(s.editor.operations.count, 0);
  EXPECT_EQ(s.editor.loop.clicksTaken, 0);
  for (Rgb pixel : Canvas(s).pixels) ASSERT_EQ(pixel, 0u);
}

TEST(LineTool, EnterActsAsAClick) {
  ScriptedEditor s(Script().MoveTo(5, 10, 10).Key(10, vk::Enter, 200).MoveTo(250, 60, 10).Key(300, vk::Space));
  s.RunUntil(400);
  ASSERT_EQ(s.editor.operations.count, 1);
  EXPECT_EQ(Record(s, 0), (OperationRecord{1, 10, 10, 60, 10, 1, 0, 1}));
}

TEST(Polyline, SegmentsFormOneChainThatOneUndoRemoves) {
  ScriptedEditor s(ThreeSegmentPolyline().Key(350, vk::F12));
  s.RunUntil(340);
  ASSERT_EQ(s.editor.operations.count, 3);
  EXPECT_EQ(Record(s, 0), (OperationRecord{1, 10, 10, 110, 10, 1, 0, 1}));
  EXPECT_EQ(Record(s, 1), (OperationRecord{1, 110, 10, 110, 110, 1, 0, 2}));
  EXPECT_EQ(Record(s, 2), (OperationRecord{1, 110, 110, 10, 110, 1, 0, 3}));
  EXPECT_EQ(s.editor.drawing.mode, kind::Polyline);
  EXPECT_EQ(Canvas(s).pixels, LinesPicture({{10, 10, 110, 10, 1}, {110, 10, 110, 110, 1}, {110, 110, 10, 110, 1}}).pixels);
  s.RunUntil(450);
  EXPECT_EQ(s.editor.operations.count, 0);
  for (Rgb pixel : Canvas(s).pixels) ASSERT_EQ(pixel, 0u);
}

TEST(Polyline, UndoInTheMiddleEndsThePolylineFirst) {
  ScriptedEditor s(Script()
                       .Key(2, vk::F1 + 1)
                       .ClickAt(50, 10, 10)
                       .ClickAt(100, 110, 10)
                       .ClickAt(150, 110, 110)
                       .Key(200, vk::F12)
                       .ClickAt(300, 50, 50));
  s.RunUntil(400);
  EXPECT_EQ(s.editor.operations.count, 0);
  EXPECT_EQ(s.editor.loop.clicksTaken, 1) << "the click after the undo starts a new polyline";
  EXPECT_EQ(s.editor.drawing.chainCounter, 0);
}

// A line or polyline under way meets the other commands.
const PointerPosition kZoomTwo = icons::Centre(panel::Zoom, 1);
const PointerPosition kUnderlayNone = icons::Centre(panel::Underlay, 2);
const PointerPosition kPaintDisplayOff = icons::Centre(panel::PaintDisplay, 1);
const PointerPosition kSaveIcon = icons::Centre(panel::Files, 1);

Script& ClickIcon(Script& script, std::uint64_t at, PointerPosition icon) { return script.ClickAt(at, icon.x, icon.y); }

TEST(PendingLine, ZoomEndsAPolylineAndItsChainSoUndoTakesOnlyTheNewSegment) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 50, 10).ClickAt(70, 10, 20).ClickAt(100, 50, 20);
  script.Key(130, vk::F1 + 1).ClickAt(160, 10, 100).ClickAt(190, 50, 100).ClickAt(220, 50, 150);
  ClickIcon(script, 250, kZoomTwo);
  script.Key(300, vk::F12).ClickAt(350, 100, 100).ClickAt(400, 200, 100).Key(450, vk::Escape);
  script.Key(500, vk::F12);
  ScriptedEditor s(script);
  s.RunUntil(480);
  ASSERT_EQ(s.editor.operations.count, 3);
  EXPECT_EQ(Record(s, 2)[7], 1) << "a new polyline, a new chain";
  s.RunUntil(550);
  ASSERT_EQ(s.editor.operations.count, 2) << "both earlier lines stay";
  EXPECT_EQ(Record(s, 1), (OperationRecord{1, 10, 20, 50, 20, 1, 0, 1}));
}

TEST(PendingLine, AFirstPointSurvivesReplaysUnmoved) {
  for (PointerPosition replaying : {kUnderlayNone, kPaintDisplayOff}) {
    Script script;
    script.ClickAt(10, 300, 300).ClickAt(40, 310, 300);  // a line for the replay to load
    script.ClickAt(100, 100, 50);
    ClickIcon(script, 150, replaying);
    script.ClickAt(200, 200, 60);
    ScriptedEditor s(script);
    s.RunUntil(250);
    ASSERT_EQ(s.editor.operations.count, 2);
    EXPECT_EQ(Record(s, 1), (OperationRecord{1, 100, 50, 200, 60, 1, 0, 1}));
  }
}

TEST(PendingLine, APolylineGoesOnAfterAReplayFromWhereItWas) {
  Script script;
  script.Key(2, vk::F1 + 1, 3).ClickAt(10, 10, 10).ClickAt(40, 50, 10);
  ClickIcon(script, 100, kUnderlayNone);
  script.ClickAt(150, 50, 60).Key(200, vk::Escape);
  ScriptedEditor s(script);
  s.RunUntil(250);
  ASSERT_EQ(s.editor.operations.count, 2);
  EXPECT_EQ(Record(s, 1), (OperationRecord{1, 50, 10, 50, 60, 1, 0, 2}));
}

TEST(PendingLine, SavingKeepsTheRubberBandOutOfThePicture) {
  Script script;
  script.ClickAt(10, 100, 100).MoveTo(40, 300, 300);
  ClickIcon(script, 100, kSaveIcon);
  script.Key(200, vk::Escape);
  ScriptedEditor s(script);
  s.platform.QueueFileDialogAnswer((s.folder.Path() / "pending.csv").string());
  s.RunUntil(90);
  ASSERT_EQ(Canvas(s).At(200, 200), PaletteColour(1)) << "the rubber band is drawn";
  s.RunUntil(250);
  for (Rgb pixel : Canvas(s).pixels) ASSERT_EQ(pixel, 0u);
  for (Rgb pixel : s.editor.images.clean.Pixels().pixels) ASSERT_EQ(pixel, 0u);
}

// A hand-edited document may end in a record numbered 0: undo removes that
// one record, and the picture the replay kept for it must not show it.
TEST(Undo, AfterAReplayTheSnapshotFollowsUndosRuleForHandEditedPositions) {
  for (std::int16_t lastPosition : {0, -3, 40}) {
    ScriptedEditor s;
    OperationList& list = s.editor.operations;
    list.slots[0] = {1, 0, 100, 639, 100, 2, 0, 1};
    list.slots[1] = {1, 0, 200, 639, 200, 3, 0, 1};
    list.slots[2] = {1, 0, 300, 639, 300, 4, 0, lastPosition};
    list.count = 3;
    ReplayPicture(s.editor, kNoProbe);
    UndoCommand(s.editor);
    const bool wholeList = lastPosition > 3;
    ASSERT_EQ(list.count, wholeList ? 0 : 2) << lastPosition;
    EXPECT_EQ(Canvas(s).At(10, 300), 0u) << lastPosition;
    EXPECT_EQ(Canvas(s).At(10, 200), wholeList ? 0u : PaletteColour(3)) << lastPosition;
  }
}

// A key pressed with another held: the modifier first, the key, both let go.
Script& Chord(Script& script, std::uint64_t at, int modifier, int key) {
  script.Key(at, modifier, 20);
  return script.Key(at + 5, key, 5);
}

constexpr int kKeyY = vk::LetterA + 'Y' - 'A';
constexpr int kKeyZ = vk::LetterA + 'Z' - 'A';

std::vector<OperationRecord> Records(ScriptedEditor& s) {
  return {s.editor.operations.slots.begin(), s.editor.operations.slots.begin() + s.editor.operations.count};
}

TEST(Redo, PutsBackExactlyTheUndoneGroupsInEitherKeyAndOrder) {
  Script script = ThreeSegmentPolyline();                        // a chain of three, by 250 ms
  script.Key(260, vk::F1).ClickAt(300, 300, 300).ClickAt(330, 400, 300);  // and a line
  script.Key(400, vk::F12).Key(450, vk::F12);                    // both undone
  Chord(script, 500, vk::Control, kKeyY);                        // the chain back
  Chord(script, 550, vk::Shift, vk::F12);                        // the line back
  Chord(script, 600, vk::Control, kKeyZ);                        // the line undone again
  ScriptedEditor s(script);
  s.RunUntil(390);
  const std::vector<OperationRecord> drawn = Records(s);
  ASSERT_EQ(drawn.size(), 4u);
  const Bitmap picture = Canvas(s);
  s.RunUntil(490);
  EXPECT_EQ(s.editor.operations.count, 0);
  s.RunUntil(540);
  EXPECT_EQ(Records(s), std::vector<OperationRecord>(drawn.begin(), drawn.begin() + 3)) << "the chain, positions 1 to 3";
  s.RunUntil(590);
  EXPECT_EQ(Records(s), drawn);
  EXPECT_EQ(Canvas(s).pixels, picture.pixels);
  s.RunUntil(650);
  EXPECT_EQ(s.editor.operations.count, 3) << "Ctrl+Z undoes the line only";
  ReplayPicture(s.editor, kNoProbe);
  const Bitmap replayed = Canvas(s);
  UndoCommand(s.editor);
  EXPECT_EQ(s.editor.operations.count, 0) << "the redone chain is still one group";
  RedoCommand(s.editor);
  EXPECT_EQ(Canvas(s).pixels, replayed.pixels);
}

// As xdotool types Shift+F12: Shift goes up before F12 does. That is still
// one redo, not a redo and then an undo.
TEST(Redo, ACommandKeysMeaningIsSettledWhenItGoesDown) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 50, 10).Key(80, vk::F12);
  script.Key(150, vk::Shift, 14).Key(156, vk::F12, 14);
  ScriptedEditor s(script);
  s.RunUntil(250);
  EXPECT_EQ(s.editor.operations.count, 1);
}

TEST(Redo, ANewDrawingActionForgetsWhatWasUndone) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 50, 10).Key(80, vk::F12);
  script.ClickAt(120, 10, 20).ClickAt(150, 50, 20);
  Chord(script, 200, vk::Control, kKeyY);
  ScriptedEditor s(script);
  s.RunUntil(300);
  ASSERT_EQ(s.editor.operations.count, 1);
  EXPECT_EQ(Record(s, 0)[2], 20) << "only the new line";
}

TEST(Shortcuts, LettersAndControlAloneDoNothing) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 50, 10);
  script.Key(80, kKeyZ).Key(130, vk::LetterA + 'S' - 'A').Key(180, vk::LetterA + 'O' - 'A').Key(230, vk::Control);
  script.Key(280, vk::Shift);
  ScriptedEditor s(script);
  s.RunUntil(350);
  EXPECT_EQ(s.editor.operations.count, 1);
  EXPECT_TRUE(s.platform.fileDialogFilters.empty());
}

TEST(Undo, RightAfterAnActionRestoresTheSnapshotThenReplays) {
  ScriptedEditor s(Script()
                       .ClickAt(10, 10, 10)
                       .ClickAt(50, 100, 10)
                       .ClickAt(100, 10, 20)
                       .ClickAt(150, 100, 20)
                       .ClickAt(200, 10, 30)
                       .ClickAt(250, 100, 30));
  s.RunUntil(300);
  ASSERT_EQ(s.editor.operations.count, 3);
  EXPECT_EQ(s.editor.drawing.snapshotMarker, 2) << "taken by the third line";
  // Recolour the first line behind the picture's back: only a replay shows it.
  s.editor.operations.slots[0][field::Colour] = 4;
  UndoCommand(s.editor);
  EXPECT_EQ(s.editor.operations.count, 2);
  EXPECT_EQ(Canvas(s).At(50, 10), PaletteColour(1)) << "restored from the snapshot";
  EXPECT_EQ(Canvas(s).At(50, 30), 0u);
  UndoCommand(s.editor);
  EXPECT_EQ(s.editor.operations.count, 1);
  EXPECT_EQ(Canvas(s).At(50, 10), PaletteColour(4)) << "replayed from the list";
  EXPECT_EQ(Canvas(s).At(50, 20), 0u);
}

TEST(Undo, F12UndoesOncePerPressThenRepeatsLikeATypedKey) {
  ScriptedEditor s(Script().Key(10, vk::F12, 300).Key(1000, vk::F12, 760));
  for (int i = 0; i < 20; ++i) {
    DrawingState d;
    d.x1 = i;
    AppendOperation(s.editor.operations, d, 1);
  }
  s.RunUntil(900);
  EXPECT_EQ(s.editor.operations.count, 19);
  s.RunUntil(2000);
  // Down for 760 ms: once at once, then at 500, 600 and 700 ms.
  EXPECT_EQ(s.editor.operations.count, 15);
}

TEST(PaintTool, FillsUpToTheBorderAndRefusesFillAndBorderColours) {
  ScriptedEditor s(Script()
                       .Key(2, vk::F1 + 2)
                       .Key(2, vk::Numpad0 + 4)
                       .Key(2, vk::Digit0 + 7)
                       .ClickAt(50, 150, 150)
                       .ClickAt(100, 160, 160)
                       .ClickAt(150, 100, 150));
  AddWhiteBox(s);
  s.RunUntil(200);
  ASSERT_EQ(s.editor.operations.count, 5);
  EXPECT_EQ(Record(s, 4), (OperationRecord{3, 150, 150, 0, 0, 4, 7, 1}));
  EXPECT_EQ(Canvas(s).At(101, 101), PaletteColour(4));
  EXPECT_EQ(Canvas(s).At(99, 150), 0u);
  EXPECT_EQ(s.platform.beeps, 2) << "the fill colour and the border colour are refused";
}

TEST(TilePaintTool, FillsWithTheChosenTileAndRecordsIt) {
  ScriptedEditor s(Script()
                       .Key(2, vk::Numpad0 + 1)
                       .Key(2, vk::Digit0 + 7)
                       .Key(3, vk::F1 + 3)
                       .ClickAt(50, 150, 150)
                       .ClickAt(100, 151, 150));  // lands on a blue tile dot or a yellow one: refused
  AddWhiteBox(s);
  s.editor.drawing.secondColour = 6;
  s.editor.panels.value[panel::TilePalette] = 64 + 8 * 6 + 1;  // kind 1
  s.RunUntil(200);
  ASSERT_EQ(s.editor.operations.count, 5);
  EXPECT_EQ(Record(s, 4), (OperationRecord{4, 150, 150, 1, 6, 1, 7, 1}));
  for (int y = 101; y < 200; ++y) {
    for (int x = 101; x < 200; ++x) {
      ASSERT_EQ(Canvas(s).At(x, y), PaletteColour(TilePixelColour(1, 1, 6, x % 8, y % 8))) << x << "," << y;
    }
  }
  EXPECT_EQ(s.platform.beeps, 1);
}

TEST(TilePaintTool, RecordsTheKindOfThePaletteEntryClickedWithoutARepaint) {
  // Kind 2, first colour 3, second colour 5: the third palette's entry (3, 5).
  ScriptedEditor s(Script()
                       .Key(2, vk::Digit0 + 7)
                       .Key(2, vk::F1 + 3)
                       .ClickAt(20, kPaletteLefts[2] + kSwatch * 3 + 4, kPaletteTop + kSwatch * 5 + 4)
                       .ClickAt(60, 150, 150));
  AddWhiteBox(s);
  s.RunUntil(100);
  ASSERT_EQ(s.editor.operations.count, 5);
  EXPECT_EQ(Record(s, 4), (OperationRecord{4, 150, 150, 2, 5, 3, 7, 1}));
  // Choosing the two-colour line and tile paint again keeps the entry's kind.
  SelectTool(s.editor, 4);
  EXPECT_EQ(s.editor.drawing.tileKind, 0);
  SelectTool(s.editor, 3);
  EXPECT_EQ(s.editor.drawing.tileKind, 2);
}

TEST(TilePaintTool, AnImpossibleTileFillsPlainlyInTheDrawingColour) {
  ScriptedEditor s;
  AddWhiteBox(s);
  s.editor.operations.slots[4] = {4, 150, 150, 7, 2, 3, 7, 1};  // tile kind 7 does not exist
  s.editor.operations.count = 5;
  ReplayPicture(s.editor, kNoProbe);
  EXPECT_EQ(Canvas(s).At(150, 150), PaletteColour(3));
  EXPECT_EQ(Canvas(s).At(151, 150), PaletteColour(3));
}

TEST(DotTool, SetsOnePixelAndRecordsIt) {
  ScriptedEditor s(Script().Key(2, vk::F1 + 5).Key(2, vk::Numpad0 + 5).ClickAt(20, 0, 399));
  s.RunUntil(60);
  EXPECT_EQ(Record(s, 0), (OperationRecord{8, 0, 399, 0, 0, 5, 0, 1}));
  EXPECT_EQ(Canvas(s).At(0, 399), PaletteColour(5));
}

TEST(DotTool, AFullListStillShowsTheDotButKeepsItOnlyInTheSpareSlot) {
  ScriptedEditor s(Script().Key(2, vk::F1 + 5).ClickAt(20, 5, 5).ClickAt(60, 6, 6));
  s.editor.operations.count = kMaxOperations;
  s.RunUntil(40);
  EXPECT_EQ(s.editor.operations.count, kMaxOperations);
  EXPECT_EQ(Record(s, kMaxOperations)[1], 5);
  EXPECT_EQ(Canvas(s).At(5, 5), PaletteColour(1));
  s.RunUntil(100);
  EXPECT_EQ(Record(s, kMaxOperations)[1], 6);
}

TEST(TwoColourLineTool, ConvertsTheWholeChainFromAClickOnItsSecondSegment) {
  ScriptedEditor s(ThreeSegmentPolyline()
                       .Key(300, vk::F1 + 4)
                       .Key(300, vk::Numpad0 + 6)
                       .ClickAt(350, 110, 50)
                       .Key(450, vk::F12));
  s.RunUntil(320);
  s.editor.drawing.secondColour = 2;
  s.RunUntil(420);
  ASSERT_EQ(s.editor.operations.count, 6);
  for (int i = 0; i < 3; ++i) {
    const OperationRecord line = Record(s, i);
    EXPECT_EQ(Record(s, 3 + i), (OperationRecord{10, line[1], line[2], line[3], line[4], 6, 2, line[7]}));
  }
  EXPECT_EQ(Canvas(s).At(110, 51), PaletteColour(6)) << "a dot where x + y is odd";
  EXPECT_EQ(Canvas(s).At(110, 50), PaletteColour(2)) << "the line colour beneath";
  s.RunUntil(520);
  EXPECT_EQ(s.editor.operations.count, 3) << "one undo removes the whole converted chain";
  EXPECT_EQ(Canvas(s).At(110, 51), PaletteColour(1));
}

TEST(TwoColourLineTool, RefusesPixelsNoLineDrew) {
  ScriptedEditor s(Script().Key(2, vk::F1 + 5).ClickAt(20, 300, 300).Key(60, vk::F1 + 4).ClickAt(100, 300, 300)
                       .ClickAt(150, 5, 5));
  s.RunUntil(200);
  EXPECT_EQ(s.platform.beeps, 2);
  EXPECT_EQ(s.editor.operations.count, 1);
}

TEST(TwoColourDots, FallOnOddCoordinateSumsWithTheirOwnRounding) {
  ScriptedEditor s;
  Editor& editor = s.editor;
  auto dots = [&](double x1, double y1, double x2, double y2) {
    editor.images.canvas.Pixels() = Bitmap(640, 400);
    editor.drawing.x1 = x1, editor.drawing.y1 = y1, editor.drawing.x2 = x2, editor.drawing.y2 = y2;
    editor.drawing.drawingColour = 7;
    DrawTwoColourDots(editor.images.canvas.Pixels(), editor.drawing);
    std::vector<std::pair<int, int>> found;
    for (int y = 0; y < 400; ++y) {
      for (int x = 0; x < 640; ++x) {
        if (editor.images.canvas.Pixels().At(x, y)) found.emplace_back(x, y);
      }
    }
    return found;
  };
  using Dots = std::vector<std::pair<int, int>>;
  EXPECT_EQ(dots(0, 0, 4, 0), (Dots{{1, 0}, {3, 0}}));
  EXPECT_EQ(dots(0, 0, 0, 3), (Dots{{0, 1}, {0, 3}}));
  EXPECT_EQ(dots(0, 0, 3, 3), Dots{});
  EXPECT_EQ(dots(4, 0, 0, 0), (Dots{{1, 0}, {3, 0}}));
  EXPECT_EQ(dots(2.5, 0, 2.5, 0), (Dots{{3, 0}}));
  EXPECT_EQ(dots(2.49, 1, 2.49, 1), (Dots{{2, 1}}));
  EXPECT_EQ(dots(0, 0, 0, 0), Dots{});
}

// The dots of a two-colour line as the walk over every step places them,
// to hold the faster walk to.
Bitmap DotsOfEveryStep(double x1, double y1, double x2, double y2, int width, int height) {
  Bitmap canvas(width, height);
  auto round = [](double value) {
    const double whole = std::floor(value);
    return static_cast<int>(whole) + (std::floor(10 * value) - 10 * whole >= 5 ? 1 : 0);
  };
  auto plot = [&](double x, double y) {
    const int rx = round(x);
    const int ry = round(y);
    if ((std::abs(rx) % 2) + (std::abs(ry) % 2) == 1) SetPixel(canvas, rx, ry, PaletteColour(7));
  };
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  if (std::fabs(dx) > std::fabs(dy)) {
    const double yStep = dy / std::fabs(dx);
    const double xStep = dx < 0 ? -1 : 1;
    double y = y1;
    for (double x = x1; xStep > 0 ? x <= x2 : x >= x2; x += xStep, y += yStep) plot(x, y);
  } else {
    const double xStep = dy == 0 ? 0 : dx / std::fabs(dy);
    const double yStep = dy < 0 ? -1 : 1;
    double x = x1;
    for (double y = y1; yStep > 0 ? y <= y2 : y >= y2; y += yStep, x += xStep) plot(x, y);
  }
  return canvas;
}

TEST(TwoColourDots, LinesReachingFarOutsideGetTheDotsOfEveryStep) {
  ScriptedEditor s;
  Editor& editor = s.editor;
  std::mt19937 dice(11);
  auto coordinate = [&](int spread) { return static_cast<int>(dice() % (2 * spread + 1)) - spread; };
  for (int line = 0; line < 400; ++line) {
    const int spread = line % 2 ? 32767 : 700;
    const double x1 = coordinate(spread), y1 = coordinate(spread), x2 = coordinate(spread), y2 = coordinate(spread);
    const int height = line % 3 ? 400 : 200;
    editor.images.canvas.Pixels() = Bitmap(640, height);
    editor.drawing.x1 = x1, editor.drawing.y1 = y1, editor.drawing.x2 = x2, editor.drawing.y2 = y2;
    editor.drawing.drawingColour = 7;
    DrawTwoColourDots(editor.images.canvas.Pixels(), editor.drawing);
    ASSERT_EQ(editor.images.canvas.Pixels().pixels, DotsOfEveryStep(x1, y1, x2, y2, 640, height).pixels)
        << "(" << x1 << ", " << y1 << ") to (" << x2 << ", " << y2 << ")";
  }
}

TEST(Replay, RebuildsExactlyThePictureDrawnInteractively) {
  ScriptedEditor s(Script()
                       .ClickAt(10, 100, 100).ClickAt(40, 200, 100)
                       .ClickAt(70, 200, 100).ClickAt(100, 150, 200)
                       .ClickAt(130, 150, 200).ClickAt(160, 100, 100)
                       .Key(180, vk::F1 + 2).Key(180, vk::Numpad0 + 2).Key(180, vk::Digit0 + 1)
                       .ClickAt(200, 150, 130)
                       .Key(230, vk::F1 + 3).Key(230, vk::Numpad0 + 5)
                       .ClickAt(250, 400, 300)
                       .Key(280, vk::F1 + 5).ClickAt(300, 600, 20)
                       .Key(330, vk::F1 + 4).ClickAt(350, 150, 100));
  s.editor.drawing.secondColour = 3;
  s.RunUntil(420);
  ASSERT_EQ(s.editor.operations.count, 7);
  const Bitmap drawn = Canvas(s);
  ReplayPicture(s.editor, kNoProbe);
  EXPECT_EQ(Canvas(s).pixels, drawn.pixels);
}

// Without the editor (as the converter draws): the tile rule's tiles are the
// editor's captured ones, and the picture is the replay's, fills and all.
TEST(Replay, ThePictureOfTheRecordsAloneIsTheEditorsReplay) {
  ScriptedEditor s;
  std::mt19937 dice(9);
  DrawingState d;
  for (int i = 0; i < 400; ++i) {
    const int kinds[] = {kind::Line, kind::Paint, kind::TilePaint, kind::Dot, kind::TwoColourLine};
    d.mode = static_cast<std::int16_t>(kinds[dice() % 5]);
    d.x1 = dice() % 640, d.y1 = dice() % 400, d.x2 = dice() % 640, d.y2 = dice() % 400;
    d.drawingColour = static_cast<std::int16_t>(dice() % 8);
    d.borderColour = static_cast<std::int16_t>(dice() % 8);
    d.secondColour = static_cast<std::int16_t>(dice() % 8);
    d.tileKind = static_cast<std::uint8_t>(dice() % 3);
    AppendOperation(s.editor.operations, d, 1);
  }
  for (bool fills : {true, false}) {
    s.editor.picture.paintDisplay = fills;
    ReplayPicture(s.editor, kNoProbe);
    EXPECT_EQ(RenderPicture(s.editor.operations, 400, fills, RuleTiles()).pixels, Canvas(s).pixels) << fills;
  }
}

TEST(Replay, PresentsNoMoreOftenThanTheThrottleAllows) {
  ScriptedEditor s;
  DrawingState d;
  for (int i = 0; i < kMaxOperations; ++i) {
    d.x1 = i % 640, d.y1 = 0, d.x2 = 639 - i % 640, d.y2 = 399;
    AppendOperation(s.editor.operations, d, 1);
  }
  const int before = s.platform.presents;
  ReplayPicture(s.editor, kNoProbe);
  EXPECT_LE(s.platform.presents - before, 2) << "the clock did not move, so one frame at the end";
}

TEST(Replay, WithPaintDisplayOffSkipsOnlyTheFills) {
  ScriptedEditor s;
  AddWhiteBox(s);
  s.editor.operations.slots[4] = {3, 150, 150, 0, 0, 4, 7, 1};
  s.editor.operations.slots[5] = {8, 300, 300, 0, 0, 5, 0, 1};
  s.editor.operations.count = 6;
  s.editor.picture.paintDisplay = false;
  ReplayPicture(s.editor, kNoProbe);
  EXPECT_EQ(Canvas(s).At(150, 150), 0u);
  EXPECT_EQ(Canvas(s).At(300, 300), PaletteColour(5));
  EXPECT_EQ(Canvas(s).At(100, 150), PaletteColour(7));
}

TEST(Replay, AProbeFindsTheFirstLineThatMadeThePixel) {
  ScriptedEditor s;
  DrawingState d;
  d.drawingColour = 3;
  d.x1 = 0, d.y1 = 50, d.x2 = 100, d.y2 = 50;
  AppendOperation(s.editor.operations, d, 1);
  d.x1 = 50, d.y1 = 0, d.x2 = 50, d.y2 = 100;
  AppendOperation(s.editor.operations, d, 1);
  s.editor.picture.probeX = 50;
  s.editor.picture.probeY = 50;
  s.editor.loop.pointer = {50, 50};
  ReplayPicture(s.editor, 3);
  EXPECT_EQ(s.editor.picture.foundIndex, 0);
}

}  // namespace
}  // namespace kumodo
