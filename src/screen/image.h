#pragma once
// An image object: one off-screen bitmap that can be loaded from a picture
// file or captured from the screen, and drawn at its own size or stretched
// (by pixel replication) onto the screen or into another image object.
#include <string>

#include "pictures/picture_decode.h"
#include "platform/bitmap.h"
#include "screen/screen.h"

namespace kumodo {

class Image {
 public:
  Image() = default;

  // Untargeted drawing then goes to this screen, and captures read its back buffer.
  void BindToScreen(Screen& screen) { screen_ = &screen; }

  // Reads a picture file. A file that cannot be opened changes nothing; any
  // other failure (unrecognised, PNG, broken) leaves the image empty if its
  // bitmap came from a file, and keeps a captured one.
  bool Load(const std::string& path);

  int Width() const { return bitmap_.width; }
  int Height() const { return bitmap_.height; }
  bool HasBitmap() const { return !bitmap_.Empty(); }
  // What the last load found, also when it did not load (the size a picture
  // too large states, why one was not read); its pixels are the bitmap.
  const DecodedPicture& Loaded() const { return loaded_; }

  // Stretches the whole bitmap onto (x, y, width, height) of the screen. With
  // width and height below 1 it is drawn at its own size; with one of them
  // below 1 that one follows the aspect ratio. False when there is no bitmap.
  bool Draw(int x, int y, int width = 0, int height = 0);
  // The same into another image's bitmap; false for the image itself.
  bool DrawInto(Image& target, int x, int y, int width = 0, int height = 0) const;

  // Replaces the bitmap with the width x height region of the back buffer at (x, y).
  bool Capture(int x, int y, int width, int height);

  Bitmap& Pixels() { return bitmap_; }
  const Bitmap& Pixels() const { return bitmap_; }

 private:
  bool DrawOnto(Bitmap& target, int x, int y, int width, int height) const;

  Screen* screen_ = nullptr;
  Bitmap bitmap_;
  bool bitmapFromFile_ = false;
  DecodedPicture loaded_;
};

// Covers cell columns c..c+extraColumns and rows r..r+extraRows of a 16-pixel
// grid with the panel image at its own size.
void DrawPanelTiles(Image& panel, int column, int row, int extraColumns, int extraRows);

}  // namespace kumodo
