#pragma once
// Windows only: moving pixels between our bitmaps and the system's.
#include <windows.h>

#include "pictures/picture_decode.h"
#include "platform/bitmap.h"

namespace kumodo {

// A 32-bit top-down device-independent bitmap of the given size.
BITMAPINFO TopDownInfo(int width, int height);

// The system's 32-bit pixels hold blue in the low byte, ours red.
inline Rgb SwapRedAndBlue(std::uint32_t pixel) {
  return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

// The pixels of a bitmap in the system's order, for drawing it.
void ToSystemPixels(const Bitmap& bitmap, std::vector<std::uint32_t>& out);

// A system bitmap of any kind read into ours; false when the system refuses,
// or the bitmap is over the limit.
bool ReadSystemBitmap(HBITMAP handle, Bitmap& out, PictureLimit limit);

// A picture the system decoded whole, put to the receiver row by row;
// false when the receiver refuses it.
bool PutWholePicture(const Bitmap& picture, PictureReceiver& receiver);

}  // namespace kumodo
