#include "platform/win32_bitmap.h"

#include "pictures/picture_decode.h"

namespace kumodo {

BITMAPINFO TopDownInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

void ToSystemPixels(const Bitmap& bitmap, std::vector<std::uint32_t>& out) {
  out.resize(bitmap.pixels.size());
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = SwapRedAndBlue(bitmap.pixels[i]);
}

bool ReadSystemBitmap(HBITMAP handle, Bitmap& out, PictureLimit limit) {
  BITMAP about{};
  if (!GetObjectW(handle, sizeof about, &about) || !PictureSizeAllowed(about.bmWidth, about.bmHeight, limit)) {
    return false;
  }
  Bitmap picture(about.bmWidth, about.bmHeight);
  BITMAPINFO info = TopDownInfo(picture.width, picture.height);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, handle, 0, static_cast<UINT>(picture.height), picture.pixels.data(), &info,
                             DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != picture.height) return false;
  for (Rgb& pixel : picture.pixels) pixel = SwapRedAndBlue(pixel);
  out = std::move(picture);
  return true;
}

bool PutWholePicture(const Bitmap& picture, PictureReceiver& receiver) {
  const PictureSize size{picture.width, picture.height};
  if (!receiver.Start(size, size)) return false;
  for (int y = 0; y < picture.height; ++y) {
    receiver.Put(
        y, 0, 1,
        std::span<const Rgb>(picture.pixels).subspan(static_cast<std::size_t>(y) * picture.width, picture.width));
  }
  return true;
}

}  // namespace kumodo
