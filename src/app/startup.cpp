#include "app/main_loop.h"

#include <filesystem>

#include "app/panels.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "app/status_panel.h"
#include "app/ui_texts.h"
#include "export/basic_program.h"
#include "picture/replay.h"
#include "picture/view.h"
#include "platform/file_system.h"
#include "screen/layout.h"

namespace kumodo {
namespace {

constexpr const char* kWindowIconFile = "res/kumodo-icon.bmp";

void CreateImages(Editor& editor) {
  ImageSet& images = editor.images;
  Screen& screen = editor.screen;
  for (Image* image : {&images.import, &images.panel, &images.scratch}) image->BindToScreen(screen);
  for (Image& tile : images.tiles) tile.BindToScreen(screen);
  for (auto& look : editor.panels.icons) {
    for (auto& panel : look) {
      for (Image& icon : panel) icon.BindToScreen(screen);
    }
  }
  // The plain images start as captures of the (black) back buffer.
  for (Image* image :
       {&images.canvas, &images.snapshot, &images.zoomedView, &images.clean, &images.work[underlay::Black],
        &images.work[underlay::Dimmed], &images.work[underlay::Reduced]}) {
    image->BindToScreen(screen);
    image->Capture(0, 0, kViewWidth, kViewHeight);
  }
  images.viewCrop.BindToScreen(screen);
  images.viewCrop.Capture(0, 0, 320, 200);
}

// The program's own icon; a missing file leaves the system's.
void SetWindowIcon(Editor& editor) {
  Image icon;
  if (icon.Load(DataFile(editor.folders, kWindowIconFile))) editor.platform.SetWindowIcon(icon.Pixels());
}

}  // namespace

void StartUp(Editor& editor) {
  editor.folders = FindProgramFolders();
  editor.journal.SetFolder(editor.folders.journals);
  editor.platform.SetWindowTitle(Utf8ToSjis(ui::kWindowTitle));
  SetWindowIcon(editor);
  CreateImages(editor);
  editor.platform.SetWindowOpacity(255);
  editor.view = ViewState();
  CommitCanvas(editor);
  ShowPreviewBase(editor);
  ReadSettingsFile(editor);
  const std::string commandFile = DataFile(editor.folders, kBasicCommandFileName);
  editor.basicCommands = LoadBasicCommandFile(commandFile);
  LoadIcons(editor);
  editor.panels.value = Panels().value;
  editor.drawing = DrawingState();
  editor.picture = PictureState();
  editor.loop = LoopState();
  editor.panels.hit = -1;
  editor.commandKeys = CommandKeyStates();
  PaintStatusPanel(editor);
  SetUpView(editor);
  ShowEditorPanels(editor);
  ShowColourIndicator(editor);
  editor.operations = OperationList();
  // Without res/ nothing on the panels is labelled, and without a command
  // file every save writes a program of bare line numbers: say so.
  std::error_code error;
  const std::string resources = DataFile(editor.folders, "res");
  if (!std::filesystem::is_directory(NativePath(resources), error)) {
    ShowStatusMessage(editor, ui::NoResources(resources));
  } else if (!std::filesystem::is_regular_file(NativePath(commandFile), error)) {
    ShowStatusMessage(editor, ui::NoCommandFile(commandFile));
  }
  FlushScreen(editor.screen);
  OfferRecovery(editor);
}

}  // namespace kumodo
