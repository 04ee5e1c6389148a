#include "app/settings.h"

#include <filesystem>

#include "app/document_files.h"
#include "app/main_loop.h"
#include "app/panels.h"
#include "app/ui_texts.h"
#include "files/number_text.h"
#include "files/text_file.h"
#include "picture/replay.h"
#include "picture/view.h"
#include "screen/layout.h"

namespace kumodo {
namespace {

struct Heading {
  int column;
  int row;
  std::string_view text;
};

constexpr Heading kHeadings[] = {
    {22, 6, ui::kEditingResolutionHeading},
    {22, 10, ui::kBasicOutputHeading},
    {28, 12, ui::kResolutionHeading},
    {28, 15, ui::kTilingHeading},
};

}  // namespace

void ReadSettingsFile(Editor& editor) { ReadSettings(editor.folders.settingsFile, editor.settings); }

bool WriteSettingsFile(Editor& editor) {
  const std::string& path = editor.folders.settingsFile;
  // Installed, the settings' folder is made when they are first written.
  std::error_code error;
  std::filesystem::create_directories(NativePath(path).parent_path(), error);
  const FileResult result = WriteWholeFile(path, SettingsFileText(editor.settings), LinksFollowed::OwnOnly);
  if (!result.ok) {
    ReportFileProblem(editor, ui::kCannotSaveCaption, ui::kSettingsNotWritten, path,
                      result.reason);
  }
  return result.ok;
}

void SettingsScreen(Editor& editor) {
  const Settings kept = editor.settings;
  LoopState& loop = editor.loop;
  CommitCanvas(editor);
  DrawPanelTiles(editor.images.panel, 10, 5, 20, 15);
  TextLayer& text = editor.screen.text;
  SetTextColours(text, 0, -1);
  for (const Heading& heading : kHeadings) {
    LocateText(text, heading.column, heading.row);
    PrintText(editor.screen, Utf8ToSjis(heading.text) + "\r\n");
  }
  SetTextColours(text, 7, 0);
  ShowSettingsPanels(editor);

  Settings& settings = editor.settings;
  const std::uint64_t opened = editor.platform.InputMark();
  for (;;) {
    SamplePointerAndButtons(editor);
    if (loop.leftButton) HandlePanelPress(editor);
    const Panels& panels = editor.panels;
    if (panels.hit == panel::EditingResolution) {
      settings.editingResolution = panels.value[panel::EditingResolution] == 0 ? 1 : 2;
    }
    if (panels.hit == panel::OutputResolution) {
      settings.outputResolution = panels.value[panel::OutputResolution] == 0 ? 1 : 0;
    }
    if (panels.hit == panel::Tiling) settings.tiling = panels.value[panel::Tiling] == 0 ? 1 : 0;
    if (panels.hit == panel::SettingsOkCancel) break;
    // Rest a millisecond: an open settings screen should not take a whole
    // processor core.
    SleepPumping(editor.screen, 1);
  }
  // The screen reads no keys: those tapped on it have no effect afterwards.
  editor.platform.ForgetKeysSince(opened);

  if (editor.panels.value[panel::SettingsOkCancel] == 0) {
    if (WriteSettingsFile(editor)) editor.platform.Beep();
    SetUpView(editor);
  } else {
    settings = kept;
  }
  SetTextColours(text, 0, -1);
  for (const Heading& heading : kHeadings) {
    LocateText(text, heading.column, heading.row);
    PrintText(editor.screen, std::string(23, ' ') + "\r\n");
  }
  SetTextColours(text, 7, 0);
  ShowResolutionLabel(editor);
  ShowEditorPanels(editor);
  ShowPreviewBase(editor);
  if (settings.editingResolution != kept.editingResolution) {
    // What was undone was drawn for the other picture height: redone, it could lie outside this one.
    editor.undone.groups.clear();
    ReplayPicture(editor, kNoProbe);
  }
  DrawScrollBars(editor);
  FlushScreen(editor.screen);
}

void ShowResolutionLabel(Editor& editor) {
  const ScreenBox patch = kResolutionLabelPatch;
  for (int x = patch.left; x < patch.right; x += 16) {
    for (int y = patch.top; y < patch.bottom; y += 16) editor.images.panel.Draw(x, y);
  }
  TextLayer& text = editor.screen.text;
  SetTextColours(text, 0, -1);
  LocateText(text, kResolutionLabelColumn, kResolutionLabelRow);
  PrintText(editor.screen,
            NumberToText(600 - 200 * editor.settings.editingResolution) + " " + Utf8ToSjis(ui::kLines) + "\r\n");
  SetTextColours(text, 7, 0);
}

}  // namespace kumodo
