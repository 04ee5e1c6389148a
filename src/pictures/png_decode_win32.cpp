#include <windows.h>
#include <wincodec.h>

#include <vector>

#include "pictures/picture_decode.h"
#include "platform/win32_bitmap.h"
#include "platform/win32_com.h"

namespace kumodo {

// Through the system's imaging component: every colour type and depth as
// premultiplied 8-bit BGRA, which is the picture drawn over black. It sees
// only the chunks decoding needs; a file cut short before its end chunk,
// which the system may show in part, is broken, as on Linux. The whole
// picture is decoded, then put row by row.
bool DecodePng(std::span<const std::uint8_t> file, PictureReceiver& receiver, PictureLimit limit) {
  const std::optional<PictureSize> size = ReadPictureSize(file);
  if (!size || !PictureSizeAllowed(size->width, size->height, limit)) return false;
  const std::optional<std::vector<std::uint8_t>> kept = PngChunksForDecoding(file);
  if (!kept) return false;
  const std::span<const std::uint8_t> bytes(*kept);
  StartCom();
  Released<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory.pointer)))) {
    return false;
  }
  Released<IWICStream> stream;
  if (FAILED(factory.pointer->CreateStream(&stream.pointer)) ||
      FAILED(stream.pointer->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())))) {
    return false;
  }
  Released<IWICBitmapDecoder> decoder;
  Released<IWICBitmapFrameDecode> frame;
  Released<IWICBitmapSource> converted;
  if (FAILED(factory.pointer->CreateDecoderFromStream(stream.pointer, nullptr, WICDecodeMetadataCacheOnDemand,
                                                      &decoder.pointer)) ||
      FAILED(decoder.pointer->GetFrame(0, &frame.pointer)) ||
      FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.pointer, &converted.pointer))) {
    return false;
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(converted.pointer->GetSize(&width, &height)) || !PictureSizeAllowed(width, height, limit)) return false;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  if (FAILED(converted.pointer->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size() * 4),
                                           reinterpret_cast<BYTE*>(pixels.data())))) {
    return false;
  }
  Bitmap picture(static_cast<int>(width), static_cast<int>(height));
  for (std::size_t i = 0; i < pixels.size(); ++i) picture.pixels[i] = SwapRedAndBlue(pixels[i]) & 0xFFFFFF;
  return PutWholePicture(picture, receiver);
}

}  // namespace kumodo
