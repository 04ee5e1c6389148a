// The editor as a user drives it: icons, keys, the settings screen and the
// file commands, through the real main loop on the scripted platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/panels.h"
#include "files/text_file.h"
#include "platform/text_encoding.h"
#include "screen/layout.h"
#include "screen/palette.h"
#include "support/hard_documents.h"
#include "support/icons.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;
using scripted::Script;
using scripted::ScriptedEditor;

constexpr Rgb kSelectedFace = 0x804000;  // the artwork's pressed look

// Points on a few buttons (their top-left plus a little).
const PointerPosition kSettingsIcon = icons::Face(panel::Files, 3);
const PointerPosition kOpenIcon = icons::Face(panel::Files, 0);
const PointerPosition kSaveIcon = icons::Face(panel::Files, 1);
const PointerPosition kPaintDisplayOff = icons::Face(panel::PaintDisplay, 1);
const PointerPosition kPaintDisplayOn = icons::Face(panel::PaintDisplay, 0);
const PointerPosition kUndoIcon = icons::Face(panel::Undo, 0);
constexpr PointerPosition kSettingsOk{240 + 5, 304 + 5};
constexpr PointerPosition kSettingsCancel{350 + 5, 304 + 5};
constexpr PointerPosition kTwoHundredLines{350 + 5, 128 + 5};
constexpr PointerPosition kFourHundredLines{240 + 5, 128 + 5};

PointerPosition ToolIcon(int button) { return icons::Face(panel::Tools, button); }

Script& Click(Script& script, std::uint64_t at, PointerPosition where) { return script.ClickAt(at, where.x, where.y); }

bool ShownSelected(ScriptedEditor& s, PointerPosition where) {
  FlushScreen(s.editor.screen);
  return s.editor.screen.backBuffer.At(where.x, where.y) == kSelectedFace;
}

TEST(StartUpScreen, DrawsThePanelsTheLabelsAndTheSelectedButtons) {
  ScriptedEditor s;
  EXPECT_EQ(s.editor.panels.buttons[panel::Tools][0].width, 72) << "the icon's own width";
  EXPECT_TRUE(ShownSelected(s, ToolIcon(0)));
  EXPECT_FALSE(ShownSelected(s, ToolIcon(1)));
  EXPECT_TRUE(ShownSelected(s, icons::Face(panel::Underlay, 0))) << "underlay button 0 shows selected";
  EXPECT_EQ(s.editor.picture.underlay, 0) << "while no underlay is drawn";
  EXPECT_EQ(RowText(s.editor.screen.text, 27).substr(21, 10), Utf8ToSjis("400 ライン"));
  EXPECT_EQ(RowText(s.editor.screen.text, 27).substr(81), Utf8ToSjis("描画色(ﾃﾝｷｰ  0～7)"));
  EXPECT_EQ(s.editor.screen.backBuffer.At(kSelectorLeft + kSwatch * 3 + 7, kDrawingSelectorTop + 7), PaletteColour(3))
      << "the colour selector";
  EXPECT_EQ(s.editor.screen.backBuffer.At(799, 599), s.editor.images.panel.Pixels().At(15, 15));
}

TEST(ToolSelection, ByKeyAndByIconMovesTheHighlight) {
  Script script;
  script.Key(10, vk::F1 + 1);
  Click(script, 100, ToolIcon(5));
  ScriptedEditor s(script);
  s.RunUntil(60);
  EXPECT_EQ(s.editor.drawing.mode, kind::Polyline);
  EXPECT_TRUE(ShownSelected(s, ToolIcon(1)));
  EXPECT_FALSE(ShownSelected(s, ToolIcon(0)));
  s.RunUntil(150);
  EXPECT_EQ(s.editor.drawing.mode, kind::Dot);
  EXPECT_TRUE(ShownSelected(s, ToolIcon(5)));
}

TEST(ToolSelection, AnInstantClickOnAnIconStillReachesThePanels) {
  Script script;
  script.MoveTo(50, ToolIcon(5).x, ToolIcon(5).y).Press(100).Release(100);
  ScriptedEditor s(script);
  s.RunUntil(150);
  EXPECT_EQ(s.editor.drawing.mode, kind::Dot);
}

TEST(ToolSelection, APressOnTheRightAndBottomEdgePixelsStillHits) {
  Script script;
  script.Key(10, vk::F1 + 5);
  const ScreenBox line = icons::Box(panel::Tools, 0);
  script.ClickAt(100, line.right, line.bottom);
  ScriptedEditor s(script);
  s.RunUntil(200);
  EXPECT_EQ(s.editor.drawing.mode, kind::Line);
}

TEST(PaintDisplay, OffBlanksAndDisablesThePaintToolsUntilOnAgain) {
  Script script;
  script.Key(5, vk::F1 + 2);
  Click(script, 50, kPaintDisplayOff);
  script.Key(150, vk::F1 + 3);
  Click(script, 200, ToolIcon(3));
  Click(script, 300, kPaintDisplayOn);
  script.Key(400, vk::F1 + 3);
  ScriptedEditor s(script);
  s.RunUntil(120);
  EXPECT_FALSE(s.editor.picture.paintDisplay);
  EXPECT_EQ(s.editor.drawing.mode, kind::Paint) << "the mode stays";
  EXPECT_EQ(s.editor.panels.buttons[panel::Tools][2].width, 0);
  EXPECT_EQ(s.editor.screen.backBuffer.At(ToolIcon(2).x, ToolIcon(2).y), kPanelBackground) << "blanked";
  EXPECT_EQ(s.platform.beeps, 1);
  s.RunUntil(260);
  EXPECT_EQ(s.editor.drawing.mode, kind::Paint) << "F4 and the hidden icon do nothing";
  s.RunUntil(450);
  EXPECT_TRUE(s.editor.picture.paintDisplay);
  EXPECT_EQ(s.editor.panels.buttons[panel::Tools][3].width, 72);
  EXPECT_EQ(s.editor.drawing.mode, kind::TilePaint);
}

// A key the main loop ignores in a pass is consumed there, not kept to act
// later: here the fills are shown again without a press in between.
TEST(PaintDisplay, APaintToolKeyPressedWhileHiddenDoesNotActWhenShownAgain) {
  Script script;
  Click(script, 10, kPaintDisplayOff);
  script.Key(100, vk::F1 + 2, 1).Key(110, vk::F1 + 3, 1);
  ScriptedEditor s(script);
  s.RunUntil(200);
  SwitchPaintDisplay(s.editor, 0);
  s.RunUntil(300);
  EXPECT_TRUE(s.editor.picture.paintDisplay);
  EXPECT_EQ(s.editor.drawing.mode, kind::Line);
}

// Keys the main loop did not read while a loop of the program's own ran must not act afterwards.
TEST(HeldPress, KeysTappedWhileTheButtonIsHeldOnAPanelHaveNoEffect) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 20, 30);
  script.MoveTo(100, kUndoIcon.x, kUndoIcon.y).Press(105);
  script.Key(110, vk::Numpad0 + 6, 5).Key(120, vk::F12, 5).Key(130, vk::F1 + 1, 5);
  script.Release(150);
  ScriptedEditor s(script);
  s.RunUntil(250);
  EXPECT_EQ(s.editor.operations.count, 0) << "the icon undid the line";
  EXPECT_EQ(s.editor.drawing.drawingColour, 1);
  EXPECT_EQ(s.editor.drawing.mode, kind::Line);
}

TEST(Zoom, ButtonsSetTheZoomAndShowTheScrollBars) {
  Script script;
  Click(script, 10, icons::Centre(panel::Zoom, 1));
  Click(script, 100, icons::Centre(panel::Zoom, 3));
  ScriptedEditor s(script);
  s.RunUntil(60);
  EXPECT_EQ(s.editor.view.zoom, 2);
  EXPECT_EQ(s.editor.screen.backBuffer.At(642, 300), kFrame);
  s.RunUntil(150);
  EXPECT_EQ(s.editor.view.zoom, 8);
}

TEST(ColourSelectors, DrawingBorderAndTilePaletteChooseTheColours) {
  Script script;
  script.ClickAt(10, kSelectorLeft + kSwatch * 3 + 4, kDrawingSelectorTop + 4);
  script.ClickAt(60, kSelectorLeft + kSwatch * 5 + 4, kBorderSelectorTop + 4);
  script.ClickAt(110, kPaletteLefts[0] + kSwatch * 5 + 4, kPaletteTop + kSwatch * 1 + 4);  // kind 0, first 5, second 1
  ScriptedEditor s(script);
  s.RunUntil(50);
  EXPECT_EQ(s.editor.drawing.drawingColour, 3);
  s.RunUntil(100);
  EXPECT_EQ(s.editor.drawing.borderColour, 5);
  s.RunUntil(150);
  EXPECT_EQ(s.editor.drawing.drawingColour, 5);
  EXPECT_EQ(s.editor.drawing.secondColour, 1);
  EXPECT_EQ(s.editor.panels.value[panel::TilePalette], 13);
}

TEST(ColourKeys, WithSeveralDigitsDownTheHighestWins) {
  Script script;
  script.Key(10, vk::Numpad0 + 3, 50).Key(10, vk::Numpad0 + 5, 50);
  script.Key(100, vk::Digit0 + 6, 50).Key(100, vk::Digit0 + 2, 50);
  ScriptedEditor s(script);
  s.RunUntil(140);
  EXPECT_EQ(s.editor.drawing.drawingColour, 5);
  EXPECT_EQ(s.editor.drawing.borderColour, 6);
  s.RunUntil(200);
  EXPECT_EQ(s.editor.drawing.borderColour, 2) << "6 was let go first: 2 was down alone";
}

TEST(TilePalette, EntriesSelectTheListedColoursAndTheCapturedTilesMatchTheSwatches) {
  ScriptedEditor s;
  const Panels& panels = s.editor.panels;
  EXPECT_EQ(panels.firstColours[77], 5);
  EXPECT_EQ(panels.secondColours[77], 1);
  EXPECT_EQ(panels.firstColours[191], 7);
  EXPECT_EQ(panels.secondColours[191], 7);
  const Bitmap& tile = s.editor.images.tiles[0 * 64 + 1 * 8 + 6].Pixels();
  EXPECT_EQ(tile.At(0, 0), PaletteColour(6));
  EXPECT_EQ(tile.At(1, 0), PaletteColour(1));
  int firstColourPixels[3] = {0, 0, 0};
  for (int tileKind = 0; tileKind < 3; ++tileKind) {
    for (Rgb pixel : s.editor.images.tiles[tileKind * 64 + 2 * 8 + 5].Pixels().pixels) {
      firstColourPixels[tileKind] += pixel == PaletteColour(2);
    }
  }
  EXPECT_EQ(firstColourPixels[0], 32);
  EXPECT_EQ(firstColourPixels[1], 16);
  EXPECT_EQ(firstColourPixels[2], 8);
}

TEST(Undo, TheIconUndoesAndShowsReleasedAfterwards) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(50, 100, 10);
  Click(script, 100, kUndoIcon);
  ScriptedEditor s(script);
  s.RunUntil(90);
  ASSERT_EQ(s.editor.operations.count, 1);
  s.RunUntil(150);
  EXPECT_EQ(s.editor.operations.count, 0);
  EXPECT_EQ(s.editor.panels.value[panel::Undo], 1);
  EXPECT_FALSE(ShownSelected(s, kUndoIcon));
}

class SettingsScreenTest : public ::testing::Test {
 protected:
  std::string SettingsFile(ScriptedEditor& s) {
    return ReadWholeFile((s.folder.Path() / "kumodo-setup.ini").string()).value_or("<none>");
  }
};

TEST_F(SettingsScreenTest, OkWritesTheThreeSettingsEvenUnchanged) {
  Script script;
  Click(script, 10, kSettingsIcon);
  Click(script, 100, kSettingsOk);
  ScriptedEditor s(script);
  s.RunUntil(200);
  EXPECT_EQ(SettingsFile(s), "1\r\n1\r\n1\r\n");
  EXPECT_EQ(s.platform.beeps, 2) << "the settings button and OK";
  EXPECT_EQ(s.editor.panels.value[panel::Files], 4);
  EXPECT_EQ(s.editor.panels.active[panel::Tools], 1) << "the editor's panels are back";
}

TEST_F(SettingsScreenTest, CancelRestoresAndReplaysNothing) {
  Script script;
  Click(script, 10, kSettingsIcon);
  Click(script, 100, kTwoHundredLines);
  Click(script, 200, kSettingsCancel);
  ScriptedEditor s(script);
  s.RunUntil(300);
  EXPECT_EQ(s.editor.settings.editingResolution, 1);
  EXPECT_EQ(s.editor.view.lastRow, 399);
  EXPECT_EQ(SettingsFile(s), "<none>");
}

TEST_F(SettingsScreenTest, TwoHundredLinesAndOkReplaysAndMakesTheArrowStepTwo) {
  Script script;
  script.ClickAt(10, 100, 100).ClickAt(40, 200, 300);  // a line in the 400-line picture
  Click(script, 100, kSettingsIcon);
  Click(script, 200, kTwoHundredLines);
  Click(script, 300, kSettingsOk);
  script.MoveTo(400, 300, 300).Key(410, vk::Down, 20);
  ScriptedEditor s(script);
  s.RunUntil(450);
  EXPECT_EQ(SettingsFile(s), "1\r\n1\r\n2\r\n");
  EXPECT_EQ(s.editor.view.lastRow, 199);
  EXPECT_EQ(s.editor.images.canvas.Height(), 200);
  EXPECT_EQ(s.editor.images.canvas.Pixels().At(100, 100), PaletteColour(1)) << "replayed into the 200-line canvas";
  ASSERT_FALSE(s.platform.cursorMoves.empty());
  EXPECT_EQ(s.platform.cursorMoves.front().y, 2);
  EXPECT_EQ(RowText(s.editor.screen.text, 27).substr(21, 10), Utf8ToSjis("200 ライン"));
}

TEST_F(SettingsScreenTest, KeysTappedOnTheScreenDoNotActAfterIt) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 20, 30);
  Click(script, 100, kSettingsIcon);
  script.MoveTo(150, kSettingsOk.x, kSettingsOk.y);
  script.Key(160, vk::Space, 5).Key(170, vk::F12, 5).Key(180, vk::Numpad0 + 4, 5).Key(190, vk::F1 + 5, 5);
  // Pressed before the closing click, released after it.
  script.Key(198, vk::Enter, 40);
  Click(script, 200, kSettingsCancel);
  ScriptedEditor s(script);
  s.RunUntil(400);
  ASSERT_EQ(s.editor.operations.count, 1) << "no undo, no dot at OK";
  EXPECT_EQ(s.editor.drawing.drawingColour, 1);
  EXPECT_EQ(s.editor.drawing.mode, kind::Line);
}

TEST_F(SettingsScreenTest, ALineUnderWayEndsSoNoPointOfTheOtherResolutionIsRecorded) {
  Script script;
  script.ClickAt(10, 100, 350);
  Click(script, 100, kSettingsIcon);
  Click(script, 200, kTwoHundredLines);
  Click(script, 300, kSettingsOk);
  script.ClickAt(400, 200, 100);
  ScriptedEditor s(script);
  s.RunUntil(450);
  EXPECT_EQ(s.editor.operations.count, 0);
  EXPECT_EQ(s.editor.loop.clicksTaken, 1) << "the click after the settings starts a new line";
  EXPECT_EQ(s.editor.drawing.y1, 50);
}

// A line at y 350 undone, then 200 lines chosen: redone, it would come back
// outside the picture, unseen, and go into the program.
TEST_F(SettingsScreenTest, AChangeOfEditingResolutionForgetsWhatCouldBeRedone) {
  Script script;
  script.ClickAt(10, 100, 350).ClickAt(40, 200, 350).Key(80, vk::F12);
  Click(script, 100, kSettingsIcon);
  Click(script, 200, kSettingsOk);  // nothing changed: the line can still come back
  Click(script, 300, kSettingsIcon);
  Click(script, 400, kTwoHundredLines);
  Click(script, 500, kSettingsOk);
  script.Key(600, vk::Shift, 14).Key(606, vk::F12, 14);  // redo
  ScriptedEditor s(script);
  s.RunUntil(290);
  ASSERT_EQ(s.editor.operations.count, 0);
  EXPECT_EQ(s.editor.undone.groups.size(), 1u);
  s.RunUntil(700);
  EXPECT_EQ(s.editor.settings.editingResolution, 2);
  EXPECT_EQ(s.editor.operations.count, 0) << "no record of the 400-line picture redone";
  EXPECT_TRUE(s.editor.undone.groups.empty());
}

TEST_F(SettingsScreenTest, ThereAndBackAgainWritesButDoesNotReplay) {
  Script script;
  Click(script, 10, kSettingsIcon);
  Click(script, 100, kTwoHundredLines);
  Click(script, 200, kFourHundredLines);
  Click(script, 300, kSettingsOk);
  ScriptedEditor s(script);
  s.RunUntil(350);
  EXPECT_EQ(SettingsFile(s), "1\r\n1\r\n1\r\n");
}

TEST(ProgramFolders, AWorkingFolderHoldingResIsPortable) {
  ScriptedEditor s;
  EXPECT_TRUE(s.editor.folders.portable);
  EXPECT_EQ(fs::path(s.editor.folders.data), fs::current_path());
  EXPECT_EQ(fs::path(s.editor.folders.settingsFile), fs::current_path() / "kumodo-setup.ini");
  EXPECT_EQ(RowText(s.editor.screen.text, 36).find_first_not_of(' '), std::string::npos) << "nothing to say";
}

TEST(SettingsFile, AShortFileLeavesOneForWhatItDoesNotSupply) {
  scripted::WorkingFolder folder;
  std::ofstream("kumodo-setup.ini", std::ios::binary) << "0\r\n0\r\n";
  HeadlessPlatform platform;
  Editor editor(platform);
  StartUp(editor);
  EXPECT_EQ(editor.settings.outputResolution, 0);
  EXPECT_EQ(editor.settings.tiling, 0);
  EXPECT_EQ(editor.settings.editingResolution, 1);
}

TEST(SettingsFile, ReadingShowsTheSettingsOnTheScreenButtons) {
  scripted::WorkingFolder folder;
  std::ofstream("kumodo-setup.ini", std::ios::binary) << "1\r\n0\r\n2\r\n";
  HeadlessPlatform platform;
  Editor editor(platform);
  StartUp(editor);
  EXPECT_EQ(editor.view.lastRow, 199);
  ShowSettingsPanels(editor);
  EXPECT_EQ(editor.panels.value[panel::OutputResolution], 0);
  EXPECT_EQ(editor.panels.value[panel::Tiling], 1);
  EXPECT_EQ(editor.panels.value[panel::EditingResolution], 1);
}

class FileCommands : public ::testing::Test {
 protected:
  std::string Path(ScriptedEditor& s, const std::string& name) { return (s.folder.Path() / name).string(); }
};

TEST_F(FileCommands, SaveToANewNameWritesBothFilesAndTitlesTheWindow) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 20, 30);
  Click(script, 100, kSaveIcon);
  ScriptedEditor s(script);
  s.platform.QueueFileDialogAnswer(Path(s, "house"));
  s.RunUntil(200);
  EXPECT_EQ(ReadWholeFile(Path(s, "house.csv")).value_or(""), "1,10,10,20,30,1,0,1\r\n");
  const std::string program = ReadWholeFile(Path(s, "house.txt")).value_or("");
  EXPECT_EQ(program.substr(0, 30), "10000 LINE(10,10)-(20,30),1\r\n5");
  EXPECT_EQ(s.platform.titles.back(), Utf8ToSjis("Kumodo BASICジェネレータ - house"));
  EXPECT_TRUE(s.platform.messageBoxes.empty());
  EXPECT_EQ(s.platform.beeps, 1);
  EXPECT_EQ(s.platform.fileDialogFilters.back()[0].patterns, "*.csv");
}

TEST_F(FileCommands, SaveOverAnExistingCsvAsksFirstEvenWithoutTheExtension) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 20, 30);
  Click(script, 100, kSaveIcon);
  Click(script, 200, kSaveIcon);
  ScriptedEditor s(script);
  std::ofstream(Path(s, "old.csv"), std::ios::binary) << "keep";
  s.platform.QueueFileDialogAnswer(Path(s, "old"));
  s.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Cancel);
  s.platform.QueueFileDialogAnswer(Path(s, "old.csv"));
  s.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
  s.RunUntil(150);
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  EXPECT_EQ(s.platform.messageBoxes[0].text, Utf8ToSjis("既にファイルがあります"));
  EXPECT_EQ(s.platform.messageBoxes[0].caption, Utf8ToSjis("上書きしますか？"));
  EXPECT_EQ(s.platform.messageBoxes[0].icon, MessageBoxIcon::Warning);
  EXPECT_EQ(ReadWholeFile(Path(s, "old.csv")).value_or(""), "keep") << "Cancel changes nothing";
  EXPECT_FALSE(fs::exists(Path(s, "old.txt")));
  EXPECT_EQ(s.platform.beeps, 0);
  s.RunUntil(300);
  EXPECT_EQ(s.platform.messageBoxes.size(), 2u);
  EXPECT_EQ(ReadWholeFile(Path(s, "old.csv")).value_or(""), "1,10,10,20,30,1,0,1\r\n");
  EXPECT_TRUE(fs::exists(Path(s, "old.txt")));
  EXPECT_EQ(s.platform.beeps, 1);
}

// HOUSE.CSV is the file the user picked: it is asked about and replaced,
// and no HOUSE.csv appears beside it; an existing HOUSE.TXT is the program.
TEST_F(FileCommands, AnExtensionInCapitalsIsKeptAsItIs) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 20, 30);
  Click(script, 100, kSaveIcon);
  ScriptedEditor s(script);
  std::ofstream(Path(s, "HOUSE.CSV"), std::ios::binary) << "old";
  std::ofstream(Path(s, "HOUSE.TXT"), std::ios::binary) << "10000 PSET(1,1),1\r\n59999 END\r\n";
  s.platform.QueueFileDialogAnswer(Path(s, "HOUSE.CSV"));
  s.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
  s.RunUntil(200);
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u) << "the overwrite question";
  EXPECT_EQ(ReadWholeFile(Path(s, "HOUSE.CSV")).value_or(""), "1,10,10,20,30,1,0,1\r\n");
  EXPECT_EQ(ReadWholeFile(Path(s, "HOUSE.TXT")).value_or("").substr(0, 5), "10000");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(s.folder.Path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("HOUSE", 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"HOUSE.CSV", "HOUSE.TXT"}));
  EXPECT_EQ(s.platform.titles.back(), Utf8ToSjis("Kumodo BASICジェネレータ - HOUSE.CSV"));
}

// The document is written, the program is not (a folder stands in its
// place): the message names both, and the title is the saved document's.
TEST_F(FileCommands, AHalfDoneSaveSaysWhichFileWasWrittenAndTitlesTheDocument) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 20, 30);
  Click(script, 100, kSaveIcon);
  ScriptedEditor s(script);
  fs::create_directories(Path(s, "half.txt"));
  s.platform.QueueFileDialogAnswer(Path(s, "half.csv"));
  s.RunUntil(200);
  EXPECT_EQ(ReadWholeFile(Path(s, "half.csv")).value_or(""), "1,10,10,20,30,1,0,1\r\n");
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  const std::string text = SjisToUtf8(s.platform.messageBoxes[0].text);
  EXPECT_NE(text.find("文書は保存しました"), std::string::npos) << text;
  EXPECT_NE(text.find(Path(s, "half.csv")), std::string::npos) << text;
  EXPECT_NE(text.find(Path(s, "half.txt")), std::string::npos) << text;
  EXPECT_EQ(s.platform.titles.back(), Utf8ToSjis("Kumodo BASICジェネレータ - half.csv"));
  EXPECT_EQ(s.platform.beeps, 0);
}

TEST_F(FileCommands, WithoutTheirDialogsTheFileCommandsSaySoOnScreen) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 20, 30);
  Click(script, 100, kSaveIcon);
  Click(script, 200, kOpenIcon);
  ScriptedEditor s(script);
  s.platform.promptsAvailable = false;
  s.RunUntil(300);
  EXPECT_TRUE(s.platform.fileDialogFilters.empty()) << "no dialog was asked for";
  EXPECT_NE(SjisToUtf8(RowText(s.editor.screen.text, 36)).find("kumodo-prompt"), std::string::npos);
  EXPECT_EQ(RowText(s.editor.screen.text, 27).substr(21, 10), Utf8ToSjis("400 ライン")) << "no text scrolled";
  EXPECT_EQ(s.editor.operations.count, 1);
  EXPECT_EQ(s.editor.panels.value[panel::Files], 4) << "the icon shows released";
}

TEST_F(FileCommands, CtrlSSavesAndCtrlOOpensLikeTheirIcons) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 20, 30);
  script.Key(100, vk::Control, 40).Key(110, vk::LetterA + 'S' - 'A', 5);
  script.Key(200, vk::F12);
  script.Key(300, vk::Control, 40).Key(310, vk::LetterA + 'O' - 'A', 5);
  ScriptedEditor s(script);
  s.platform.QueueFileDialogAnswer(Path(s, "keys.csv"));
  s.platform.QueueFileDialogAnswer(Path(s, "keys.csv"));
  s.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);  // the undo is not saved: opening drops it
  s.RunUntil(250);
  EXPECT_EQ(ReadWholeFile(Path(s, "keys.csv")).value_or(""), "1,10,10,20,30,1,0,1\r\n");
  EXPECT_EQ(s.editor.operations.count, 0);
  s.RunUntil(400);
  EXPECT_EQ(s.editor.operations.count, 1) << "opened again";
  EXPECT_EQ(s.platform.fileDialogFilters.size(), 2u) << "once each: a held Ctrl does not repeat them";
}

TEST_F(FileCommands, OpenReplacesTheDocumentReplaysAndTitles) {
  Script script;
  Click(script, 10, kOpenIcon);
  ScriptedEditor s(script);
  std::ofstream(Path(s, "pic.csv"), std::ios::binary) << "8,5,6,0,0,4,0,1\r\n";
  s.platform.QueueFileDialogAnswer(Path(s, "pic.csv"));
  s.RunUntil(100);
  EXPECT_EQ(s.editor.operations.count, 1);
  EXPECT_EQ(s.editor.images.canvas.Pixels().At(5, 6), PaletteColour(4));
  EXPECT_EQ(s.platform.titles.back(), Utf8ToSjis("Kumodo BASICジェネレータ - pic.csv"));
  EXPECT_EQ(s.platform.beeps, 1);
  EXPECT_EQ(s.editor.panels.value[panel::Files], 4);
}

// A white box with a green line across it, filled green from above the
// line: the machine's fill stops at the line, 199 dots short in each of the
// 69 rows below it.
constexpr const char* kBoxFilledShort =
    "1,100,20,300,20,7,0,1\r\n1,300,20,300,150,7,0,2\r\n1,300,150,100,150,7,0,3\r\n"
    "1,100,150,100,20,7,0,4\r\n1,101,80,299,80,4,0,1\r\n3,200,40,0,0,4,7,1\r\n";

// After the save, the status line says what the machine would make of the
// program just written: too large, fills left short, or nothing.
TEST_F(FileCommands, ASaveSaysWhenTheProgramWillNotFitTheMachineOrLeavesFillsShort) {
  std::string tooLarge;
  for (int n = 0; n < 3000; ++n) tooLarge += "1," + std::to_string(n % 600) + ",10,600,390,7,0,1\r\n";
  const std::vector<std::pair<std::string, std::string>> documents = {
      {tooLarge, "プログラムがメモリに収まりません (76670/59478 バイト)"},
      {kBoxFilledShort, "機械の PAINT では塗り残しで絵が 13731 ドット違います"},
      {"8,5,6,0,0,4,0,1\r\n", ""}};
  for (const auto& [document, said] : documents) {
    Script script;
    Click(script, 10, kOpenIcon);
    Click(script, 200, kSaveIcon);
    ScriptedEditor s(script);
    std::ofstream(Path(s, "pic.csv"), std::ios::binary) << document;
    s.platform.QueueFileDialogAnswer(Path(s, "pic.csv"));
    s.platform.QueueFileDialogAnswer(Path(s, "saved"));
    s.RunUntil(300);
    ASSERT_TRUE(fs::exists(Path(s, "saved.txt")));
    const std::string status = SjisToUtf8(RowText(s.editor.screen.text, 36));
    if (said.empty()) {
      EXPECT_EQ(status.find_first_not_of(' '), std::string::npos) << status;
    } else {
      EXPECT_EQ(status.find(said), 1u) << status;
      EXPECT_NE(status.find("kumodo-export --machine"), std::string::npos) << status;
    }
  }
}

std::string StatusLine(ScriptedEditor& s) { return SjisToUtf8(RowText(s.editor.screen.text, 36)); }

// Passes until the save's beep, for at most a virtual second.
void RunUntilBeep(ScriptedEditor& s, int beeps) {
  while (s.platform.beeps < beeps && s.platform.NowMs() < 1000) RunPass(s.editor);
}

// A document whose fills the machine's model must paint one after another
// over large areas, so that its check takes longer than a save waits; last,
// a box whose fill stops at a line of its own colour. Room for a few more.
std::vector<OperationRecord> SlowToCheck() {
  std::vector<OperationRecord> records = hard_documents::BlackMajorityTileFills(kMaxOperations - 100, 400);
  hard_documents::AddBox(records, 100, 20, 300, 150, 7);
  records.push_back(hard_documents::Line(101, 80, 299, 80, 4));
  records.push_back(hard_documents::Paint(200, 40, 4, 7));
  return records;
}

// 30,000 fills of the whole screen: the save writes both files and says the
// machine's word at once, in the pass that saved, with no check left to run.
TEST_F(FileCommands, ASaveOfWholeScreenFillsReturnsAtOnceWithTheMachinesWord) {
  Script script;
  Click(script, 10, kSaveIcon);
  ScriptedEditor s(script);
  s.editor.operations = ListOfRecords(hard_documents::WholeScreenFills(kMaxOperations, 400));
  s.platform.QueueFileDialogAnswer(Path(s, "fills"));
  RunUntilBeep(s, 1);
  ASSERT_EQ(s.platform.beeps, 1);
  EXPECT_TRUE(fs::exists(Path(s, "fills.csv")));
  EXPECT_TRUE(fs::exists(Path(s, "fills.txt")));
  EXPECT_EQ(s.editor.programCheck.running, nullptr);
  const std::string status = StatusLine(s);
  EXPECT_NE(status.find("プログラムがメモリに収まりません"), std::string::npos) << status;
  EXPECT_EQ(status.find("確かめ"), std::string::npos) << status;
}

// A check the save cannot finish goes on between the passes of the main
// loop: the save says so and beeps at once, the editor draws meanwhile, and
// the word comes once the check is done.
TEST_F(FileCommands, ACheckTheSaveCannotFinishGoesOnWhileTheEditorDraws) {
  Script script;
  Click(script, 10, kSaveIcon);
  ScriptedEditor s(script);
  s.editor.operations = ListOfRecords(SlowToCheck());
  s.platform.QueueFileDialogAnswer(Path(s, "slow"));
  RunUntilBeep(s, 1);
  ASSERT_EQ(s.platform.beeps, 1);
  EXPECT_TRUE(fs::exists(Path(s, "slow.txt")));
  ASSERT_NE(s.editor.programCheck.running, nullptr);
  EXPECT_NE(StatusLine(s).find("機械の PAINT で絵を確かめています"), std::string::npos) << StatusLine(s);

  // A dot drawn with the dot tool while the check goes on.
  const int records = s.editor.operations.count;
  const std::uint64_t now = s.platform.NowMs();
  s.platform.AddEvents(Script().Key(now + 1, vk::F1 + 5).ClickAt(now + 2, 50, 50).Events());
  s.RunUntil(now + 15);
  ASSERT_EQ(s.editor.operations.count, records + 1);
  EXPECT_EQ(s.editor.operations.slots[static_cast<std::size_t>(records)][0], kind::Dot);
  ASSERT_NE(s.editor.programCheck.running, nullptr) << "still checking";

  for (int pass = 0; pass < 200000 && s.editor.programCheck.running; ++pass) RunPass(s.editor);
  EXPECT_EQ(s.editor.programCheck.running, nullptr);
  EXPECT_NE(StatusLine(s).find("ドット: kumodo-export --machine で直せます"), std::string::npos) << StatusLine(s);
  EXPECT_EQ(s.platform.beeps, 1) << "the word comes without a beep";
}

// An open while a check goes on ends it, saying so; a save checks its own program.
TEST_F(FileCommands, AnOpenCutsTheCheckUnderWayShort) {
  Script script;
  Click(script, 10, kSaveIcon);
  Click(script, 20, kOpenIcon);
  Click(script, 200, kSaveIcon);
  ScriptedEditor s(script);
  s.editor.operations = ListOfRecords(SlowToCheck());
  std::ofstream(Path(s, "box.csv"), std::ios::binary) << kBoxFilledShort;
  s.platform.QueueFileDialogAnswer(Path(s, "slow"));
  s.platform.QueueFileDialogAnswer(Path(s, "box.csv"));
  s.platform.QueueFileDialogAnswer(Path(s, "box copy"));
  s.RunUntil(150);
  EXPECT_EQ(s.editor.operations.count, 6);
  EXPECT_EQ(s.editor.programCheck.running, nullptr);
  EXPECT_NE(StatusLine(s).find("機械の PAINT での確かめは打ち切りました"), std::string::npos) << StatusLine(s);
  s.RunUntil(250);
  EXPECT_TRUE(fs::exists(Path(s, "box copy.txt")));
  EXPECT_NE(StatusLine(s).find("機械の PAINT では塗り残しで絵が 13731 ドット違います"), std::string::npos)
      << StatusLine(s);
}

TEST_F(FileCommands, CancelledDialogsAndFailedOpensChangeNothing) {
  Script script;
  script.ClickAt(10, 10, 10).ClickAt(40, 20, 30);
  Click(script, 100, kOpenIcon);
  Click(script, 200, kSaveIcon);
  Click(script, 300, kOpenIcon);
  ScriptedEditor s(script);
  s.platform.QueueFileDialogAnswer(std::nullopt);
  s.platform.QueueFileDialogAnswer(std::nullopt);
  s.platform.QueueFileDialogAnswer(Path(s, "missing.csv"));
  s.RunUntil(400);
  EXPECT_EQ(s.editor.operations.count, 1);
  EXPECT_EQ(s.platform.beeps, 0);
  EXPECT_EQ(s.platform.titles.size(), 1u) << "only the start-up title";
  EXPECT_EQ(s.platform.messageBoxes.size(), 1u) << "the failed open says so";
  EXPECT_TRUE(fs::is_empty(s.folder.Path()) || !fs::exists(Path(s, ".csv")));
}

TEST_F(FileCommands, AFailedOpenShowsThePictureAgain) {
  Script script;
  Click(script, 10, kOpenIcon);
  ScriptedEditor s(script);
  s.platform.QueueFileDialogAnswer(Path(s, "missing.csv"));
  s.RunUntil(100);
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 640; ++x) ASSERT_EQ(s.editor.screen.backBuffer.At(x, y), 0u) << x << ", " << y;
  }
}

}  // namespace
}  // namespace kumodo
