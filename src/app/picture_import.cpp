#include "app/picture_import.h"

#include "app/ui_texts.h"
#include "files/colour_reduction.h"
#include "picture/replay.h"
#include "picture/view.h"
#include "screen/layout.h"
#include "screen/primitives.h"

namespace kumodo {

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
  ReducePicture(editor, digital);
  editor.undone.groups.clear();
  ReplayPicture(editor, kNoProbe);
}

}  // namespace kumodo
