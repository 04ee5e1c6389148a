// The real start-up and main loop on the scripted platform.
#include "app/main_loop.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/headless_platform.h"
#include "platform/text_encoding.h"
#include "screen/palette.h"
#include "screen/primitives.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

using Kind = ScriptEvent::Kind;

TEST(StartUp, TitlesTheWindowAndMakesTheImages) {
  HeadlessPlatform platform;
  Editor editor(platform);
  StartUp(editor);
  ASSERT_FALSE(platform.titles.empty());
  EXPECT_EQ(platform.titles.back(), Utf8ToSjis("Kumodo BASICジェネレータ"));
  EXPECT_EQ(platform.opacity, 255);
  EXPECT_EQ(editor.images.canvas.Width(), 640);
  EXPECT_EQ(editor.images.canvas.Height(), 400);
  EXPECT_EQ(editor.images.viewCrop.Width(), 640) << "the view at zoom 1 shows the whole width";
  EXPECT_EQ(editor.images.work[2].Height(), 400);
  EXPECT_GE(platform.presents, 1);
  EXPECT_EQ(platform.lastFrame.width, 800);
  EXPECT_EQ(platform.lastFrame.height, 600);
}

TEST(MainLoop, ClosingTheWindowEndsTheRunAtTheNextPump) {
  HeadlessPlatform platform({{250, Kind::CloseWindow}});
  Editor editor(platform);
  EXPECT_THROW(RunEditor(editor), WindowClosed);
  EXPECT_EQ(platform.NowMs(), 250u);
}

// kumodo FILE.csv: the document is opened as the open command would.
TEST(MainLoop, ADocumentGivenAtTheStartIsOpenedAsTheOpenCommandWould) {
  scripted::WorkingFolder folder;
  const std::string path = (folder.Path() / "given.csv").string();
  std::ofstream(path, std::ios::binary) << "8,5,6,0,0,4,0,1\r\n";
  HeadlessPlatform platform({{50, Kind::CloseWindow}});
  Editor editor(platform);
  EXPECT_THROW(RunEditor(editor, path), WindowClosed);
  EXPECT_EQ(editor.operations.count, 1);
  EXPECT_EQ(editor.documentPath, path);
  EXPECT_EQ(platform.titles.back(), Utf8ToSjis("Kumodo BASICジェネレータ - given.csv"));
  EXPECT_EQ(editor.images.canvas.Pixels().At(5, 6), PaletteColour(4));
}

TEST(MainLoop, HoldingEnterIsOneClickAndPressingAgainIsAnother) {
  HeadlessPlatform platform({{10, Kind::PressKey, vk::Enter},
                             {60, Kind::ReleaseKey, vk::Enter},
                             {80, Kind::PressKey, vk::Space},
                             {90, Kind::ReleaseKey, vk::Space}});
  Editor editor(platform);
  StartUp(editor);
  int clicks = 0;
  for (int pass = 0; pass < 120; ++pass) {
    RunPass(editor);
    clicks += editor.loop.keyboardClick == 1;
  }
  EXPECT_EQ(clicks, 2);
}

TEST(MainLoop, APressAndReleaseWithinOneSleepStillShowsForOnePass) {
  HeadlessPlatform platform({{5, Kind::MovePointer, 100, 50},
                             {20, Kind::PressButton, 0},
                             {20, Kind::ReleaseButton, 0}});
  Editor editor(platform);
  StartUp(editor);
  int passesDown = 0;
  int clicks = 0;
  for (int pass = 0; pass < 40; ++pass) {
    RunPass(editor);
    passesDown += editor.loop.leftButton;
    clicks += editor.loop.leftButton && !editor.loop.previousLeftButton;
  }
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(passesDown, 1);
  EXPECT_EQ(editor.loop.pointer.x, 100);
  EXPECT_EQ(editor.loop.pointer.y, 50);
}

// The scripted platform latches keys as the desktop does: a tap that falls
// between two polls still acts, once.
TEST(MainLoop, AKeyTappedBetweenTwoPollsActsOnce) {
  HeadlessPlatform platform({{10, Kind::MovePointer, 100, 50},
                             {20, Kind::PressKey, vk::Numpad0 + 5},
                             {20, Kind::ReleaseKey, vk::Numpad0 + 5},
                             {30, Kind::PressKey, vk::Numpad0 + 3},
                             {30, Kind::ReleaseKey, vk::Numpad0 + 3}});
  Editor editor(platform);
  StartUp(editor);
  while (platform.NowMs() < 25) RunPass(editor);
  EXPECT_EQ(editor.drawing.drawingColour, 5);
  while (platform.NowMs() < 60) RunPass(editor);
  EXPECT_EQ(editor.drawing.drawingColour, 3) << "the later tap wins, each seen once";
}

// A busy editor gets a burst of input in one pump; it must act on it in the
// order it was made, keys and clicks alike.
TEST(MainLoop, InputMadeWhileBusyActsInTheOrderItWasMade) {
  scripted::WorkingFolder folder;  // the panels' icons, so that a click can land on them
  std::vector<ScriptEvent> script = {{10, Kind::PressKey, vk::F1}, {20, Kind::ReleaseKey, vk::F1}};
  auto click = [&](std::uint64_t at, int x, int y) {
    script.push_back({at, Kind::MovePointer, x, y});
    script.push_back({at, Kind::PressButton, 0});
    script.push_back({at, Kind::ReleaseButton, 0});
  };
  auto key = [&](std::uint64_t at, int virtualKey) {
    script.push_back({at, Kind::PressKey, virtualKey});
    script.push_back({at, Kind::ReleaseKey, virtualKey});
  };
  click(100, 50, 350);  // a click, then Escape: Escape ends what the click began
  key(100, vk::Escape);
  click(100, 200, 350);
  click(100, 400, 350);
  click(1000, 10, 10);  // Escape, then clicks: Escape ends the line begun before it
  key(2000, vk::Escape);
  click(2000, 100, 100);
  click(2000, 300, 100);
  click(3000, 500, 50);  // a line ended, then Ctrl+Z: the line undone
  click(3000, 600, 50);
  script.push_back({3000, Kind::PressKey, vk::Control});
  key(3000, vk::LetterA + 'Z' - 'A');
  script.push_back({3000, Kind::ReleaseKey, vk::Control});
  click(4000, 100, 200);  // a line, the pointer then on the zoom buttons: the clicks are where they were made
  click(4000, 300, 200);
  script.push_back({4000, Kind::MovePointer, 693, 553});
  HeadlessPlatform platform(script, 10'000);
  Editor editor(platform);
  StartUp(editor);
  while (platform.NowMs() < 5000) RunPass(editor);
  EXPECT_EQ(editor.panels.value[panel::Zoom], 0);
  ASSERT_EQ(editor.operations.count, 3);
  auto span = [](const OperationRecord& r) {
    return std::array{r[field::Kind], r[field::X1], r[field::Y1], r[field::X2], r[field::Y2]};
  };
  EXPECT_EQ(span(editor.operations.slots[0]), (std::array<std::int16_t, 5>{kind::Line, 200, 350, 400, 350}));
  EXPECT_EQ(span(editor.operations.slots[1]), (std::array<std::int16_t, 5>{kind::Line, 100, 100, 300, 100}));
  EXPECT_EQ(span(editor.operations.slots[2]), (std::array<std::int16_t, 5>{kind::Line, 100, 200, 300, 200}));
}

// A slow start: the settings screen opened, answered and Ctrl+S pressed
// before the first pass has once asked for Ctrl or S.
TEST(MainLoop, AChordMadeBeforeTheFirstPassAsksForItsKeysStillActs) {
  scripted::WorkingFolder folder;
  std::vector<ScriptEvent> script;
  for (const PointerPosition at : {PointerPosition{676, 13}, PointerPosition{245, 310}}) {  // settings, OK
    script.push_back({0, Kind::MovePointer, at.x, at.y});
    script.push_back({0, Kind::PressButton, 0});
    script.push_back({0, Kind::ReleaseButton, 0});
  }
  for (const auto kind : {Kind::PressKey, Kind::ReleaseKey}) {
    script.push_back({0, kind, kind == Kind::PressKey ? vk::Control : vk::LetterA + 'S' - 'A'});
    script.push_back({0, kind, kind == Kind::PressKey ? vk::LetterA + 'S' - 'A' : vk::Control});
  }
  HeadlessPlatform platform(script);
  Editor editor(platform);
  StartUp(editor);
  RunPass(editor);
  EXPECT_EQ(platform.fileDialogFilters.size(), 1u) << "Ctrl+S asked where to save";
}

// The thumb ends where the button was let go, though the last move and the
// release reach a busy editor together.
TEST(MainLoop, AScrollBarDragEndsWhereTheButtonWasLetGo) {
  scripted::WorkingFolder folder;
  const std::vector<ScriptEvent> script = {
      {100, Kind::MovePointer, 717, 549}, {100, Kind::PressButton, 0}, {110, Kind::ReleaseButton, 0},  // x4
      {300, Kind::MovePointer, 80, 412},  {300, Kind::PressButton, 0},                                  // the thumb
      {400, Kind::MovePointer, 120, 412}, {500, Kind::MovePointer, 180, 412}, {500, Kind::ReleaseButton, 0}};
  HeadlessPlatform platform(script);
  Editor editor(platform);
  StartUp(editor);
  while (platform.NowMs() < 600) RunPass(editor);
  ASSERT_EQ(editor.view.zoom, 4);
  EXPECT_EQ(editor.view.scrollX, 100) << "not 40, where the pointer was last read while held";
}

TEST(MainLoop, PassCounterWrapsEveryEighthPass) {
  HeadlessPlatform platform;
  Editor editor(platform);
  StartUp(editor);
  int zeros = 0;
  for (int pass = 0; pass < 64; ++pass) {
    RunPass(editor);
    zeros += editor.loop.passCounter == 0;
  }
  EXPECT_EQ(zeros, 8);
}

TEST(Presentation, ThrottledToAboutSixtyFramesButFlushedOnRequest) {
  HeadlessPlatform platform({}, 10'000);
  Editor editor(platform);
  StartUp(editor);
  const int before = platform.presents;
  // A second of drawing that changes the screen every millisecond.
  for (int ms = 0; ms < 1000; ++ms) {
    PlotPixel(editor.screen, ms % 640, 10, ms % 8);
    SleepPumping(editor.screen, 1);
  }
  const int presented = platform.presents - before;
  EXPECT_GE(presented, 55);
  EXPECT_LE(presented, 1000 / static_cast<int>(kPresentIntervalMs) + 1);

  DrawLine(editor.screen, 0, 0, false, 5, 5, 4, kFilledBoxMode, 4);
  FlushScreen(editor.screen);
  EXPECT_EQ(platform.lastFrame.At(3, 3), PaletteColour(4));
  const int settled = platform.presents;
  FlushScreen(editor.screen);
  SleepPumping(editor.screen, 100);
  EXPECT_EQ(platform.presents, settled) << "nothing changed, nothing presented";
}

TEST(Presentation, TheFrameShowsTextOverTheGraphics) {
  HeadlessPlatform platform;
  Editor editor(platform);
  StartUp(editor);
  DrawLine(editor.screen, 0, 0, false, 100, 40, 2, kFilledBoxMode, 2);
  SetTextColours(editor.screen.text, 7, 1);
  LocateText(editor.screen.text, 1, 1);
  PrintText(editor.screen, " ");
  FlushScreen(editor.screen);
  EXPECT_EQ(platform.lastFrame.At(10, 20), PaletteColour(1));  // the opaque text cell
  EXPECT_EQ(platform.lastFrame.At(20, 20), PaletteColour(2));
  EXPECT_EQ(editor.screen.backBuffer.At(10, 20), PaletteColour(2)) << "text never enters the back buffer";
}

}  // namespace
}  // namespace kumodo
