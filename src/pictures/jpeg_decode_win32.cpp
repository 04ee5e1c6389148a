#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstring>

#include "pictures/picture_decode.h"
#include "platform/win32_bitmap.h"
#include "platform/win32_com.h"

namespace kumodo {
namespace {

// A file whose data ends early has no end-of-picture marker; the system
// would show it padded, but it counts as broken.
bool HasEnd(std::span<const std::uint8_t> b) {
  const std::size_t tail = std::min<std::size_t>(b.size(), 64);
  for (std::size_t i = b.size() - tail; i + 1 < b.size(); ++i) {
    if (b[i] == 0xFF && b[i + 1] == 0xD9) return true;
  }
  return false;
}

}  // namespace

// The system's decoder does not take pictures of four components.
bool JpegDecoderReadsCmyk() { return false; }

// The system decodes the whole picture; it is put row by row.
bool DecodeJpeg(std::span<const std::uint8_t> bytes, PictureReceiver& receiver, PictureLimit limit) {
  const std::optional<PictureSize> size = ReadPictureSize(bytes);
  if (!size || !PictureSizeAllowed(size->width, size->height, limit) || !HasEnd(bytes)) return false;
  StartCom();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return false;
  std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return false;
  }
  IPicture* picture = nullptr;
  const HRESULT loaded = OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                        reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(loaded) || !picture) return false;
  OLE_HANDLE handle = 0;
  SHORT type = PICTYPE_NONE;
  Bitmap decoded;
  const bool read = SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
                    SUCCEEDED(picture->get_Handle(&handle)) &&
                    ReadSystemBitmap(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), decoded, limit);
  picture->Release();
  return read && PutWholePicture(decoded, receiver);
}

}  // namespace kumodo
