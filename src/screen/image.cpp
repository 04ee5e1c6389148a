#include "screen/image.h"

#include "screen/raster.h"

namespace kumodo {

bool Image::Load(const std::string& path) {
  DecodedPicture picture = DecodePictureFile(path);
  if (!picture.opened) return false;
  if (bitmapFromFile_) {
    bitmap_ = Bitmap();
    bitmapFromFile_ = false;
  }
  const bool loaded = picture.loaded;
  if (loaded) {
    bitmap_ = std::move(picture.bitmap);
    bitmapFromFile_ = true;
  }
  loaded_ = std::move(picture);
  loaded_.bitmap = Bitmap();
  return loaded;
}

bool Image::DrawOnto(Bitmap& target, int x, int y, int width, int height) const {
  if (bitmap_.Empty()) return false;
  if (width < 1 && height < 1) {
    width = bitmap_.width;
    height = bitmap_.height;
  } else if (height < 1) {
    height = static_cast<int>(width * (static_cast<double>(bitmap_.height) / bitmap_.width));
  } else if (width < 1) {
    width = static_cast<int>(height * (static_cast<double>(bitmap_.width) / bitmap_.height));
  }
  StretchCopy(bitmap_, 0, 0, bitmap_.width, bitmap_.height, target, x, y, width, height);
  return true;
}

bool Image::Draw(int x, int y, int width, int height) {
  if (!screen_ || !DrawOnto(screen_->backBuffer, x, y, width, height)) return false;
  MarkScreenChanged(*screen_);
  return true;
}

bool Image::DrawInto(Image& target, int x, int y, int width, int height) const {
  if (&target == this) return false;
  return DrawOnto(target.bitmap_, x, y, width, height);
}

bool Image::Capture(int x, int y, int width, int height) {
  if (!screen_ || width < 1 || height < 1) return false;
  Bitmap captured(width, height);
  const Bitmap& source = screen_->backBuffer;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      if (source.Contains(x + column, y + row)) captured.At(column, row) = source.At(x + column, y + row);
    }
  }
  bitmap_ = std::move(captured);
  bitmapFromFile_ = false;
  return true;
}

void DrawPanelTiles(Image& panel, int column, int row, int extraColumns, int extraRows) {
  for (int cx = column; cx <= column + extraColumns; ++cx) {
    for (int cy = row; cy <= row + extraRows; ++cy) panel.Draw(cx * 16, cy * 16);
  }
}

}  // namespace kumodo
