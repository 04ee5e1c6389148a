#include "app/picture_import.h"

#include <algorithm>

#include "app/document_files.h"
#include "app/status_panel.h"
#include "app/ui_texts.h"
#include "export/picture_records.h"
#include "export/program_memory.h"
#include "picture/replay.h"
#include "picture/tools.h"
#include "picture/view.h"
#include "pictures/closeness.h"
#include "pictures/colour_reduction.h"
#include "screen/layout.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

// A search that takes longer than this shows the progress bar.
constexpr std::uint64_t kProgressAfterMs = 300;

}  // namespace

void ReducePicture(Editor& editor, bool digital) {
  Bitmap& screen = editor.screen.backBuffer;
  ReducedPicture reduction = ReduceBitmap(screen, digital);
  for (int x = 0; x < kGridPictureWidth; ++x) {
    for (int y = 0; y < kGridPictureRows; ++y) {
      screen.At(x, y) = reduction.reduced.At(x, y);
      SetPixel(editor.images.work[underlay::Reduced].Pixels(), x, y, reduction.reduced.At(x, y));
      SetPixel(editor.images.work[underlay::Dimmed].Pixels(), x, y, reduction.dimmed.At(x, y));
    }
  }
  editor.colourGrid = std::move(reduction.grid);
  editor.colourGrid.Frame(PictureHeight(editor.settings));
  editor.colourGrid.filled = true;
  MarkScreenChanged(editor.screen);
}

void ImportPicture(Editor& editor) {
  Image& picture = editor.images.import;
  // The size the file states: a picture too large was never decoded.
  if (PictureTooLarge(picture.Loaded().width, picture.Loaded().height)) {
    editor.platform.ShowMessageBox(Utf8ToSjis(ui::kPictureTooLarge), Utf8ToSjis(ui::kPictureTooLargeCaption),
                                   MessageBoxButtons::Ok, MessageBoxIcon::Warning);
    return;
  }
  const bool digital =
      editor.platform.ShowMessageBox(Utf8ToSjis(ui::kReductionQuestion), Utf8ToSjis(ui::kReductionCaption),
                                     MessageBoxButtons::OkCancel, MessageBoxIcon::None) == MessageBoxAnswer::Ok;
  DrawLine(editor.screen, kView.left, kView.top, false, kView.right, kView.bottom, 0, kFilledBoxMode, 0);
  picture.Draw(0, 0);
  editor.importedPicture = Bitmap(kPictureWidth, kPictureHeight);
  const Bitmap& screen = editor.screen.backBuffer;
  for (int y = 0; y < kPictureHeight; ++y) {
    const auto row = screen.pixels.begin() + static_cast<std::ptrdiff_t>(y) * screen.width;
    std::copy_n(row, kPictureWidth, &editor.importedPicture.At(0, y));
  }
  ReducePicture(editor, digital);
  editor.undone.groups.clear();
  ReplayPicture(editor, kNoProbe);
  ShowStatusMessage(editor, std::string(ui::kDrawPictureHint));
}

void DrawImportedPicture(Editor& editor) {
  if (editor.importedPicture.pixels.empty()) {
    ShowStatusMessage(editor, std::string(ui::kNoPictureImported));
    return;
  }
  EndPendingLine(editor);
  // The search takes about half a second: a bar once it has taken a few tenths.
  const std::uint64_t start = editor.platform.NowMs();
  bool barShown = false;
  auto progress = [&](double share) {
    if (!barShown && editor.platform.NowMs() - start < kProgressAfterMs) return;
    if (!barShown) ShowProgressPanel(editor, Utf8ToSjis(ui::kDrawingPicture));
    barShown = true;
    ProgressBarShare(editor, share);
  };
  const std::size_t budget = OnePartBudget();
  PictureRecords made = RecordsForSeenPictureByEye(editor.importedPicture, editor.settings, editor.basicCommands,
                                                   editor.tileStrings, budget, progress);
  if (barShown) ShowPreviewBase(editor);
  if (made.records.empty()) {
    ShowStatusMessage(editor, std::string(ui::kPictureNeedsNoRecord));
    return;
  }
  const int room = kMaxOperations - editor.operations.count;
  if (made.records.size() > static_cast<std::size_t>(room)) {
    ShowStatusMessage(editor, ui::NoRoomForPicture(static_cast<int>(made.records.size()), room));
    return;
  }
  // One undo step: each record's chain position counts back to the first.
  for (std::size_t k = 0; k < made.records.size(); ++k) {
    made.records[k][field::Chain] = static_cast<std::int16_t>(k + 1);
  }
  AppendRecords(editor.operations, made.records);
  editor.undone.groups.clear();
  ReplayPicture(editor, kNoProbe);
  const bool grey = IsGrey(editor.importedPicture);
  ShowStatusMessage(editor, ui::PictureDrawn(static_cast<int>(made.records.size()), made.bytes, budget,
                                             made.closeness.rgb,
                                             grey ? std::optional(made.closeness.luminance) : std::nullopt));
}

}  // namespace kumodo
