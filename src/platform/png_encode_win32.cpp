#include <windows.h>
#include <wincodec.h>

#include <optional>
#include <vector>

#include "platform/png_encode.h"
#include "platform/win32_com.h"

namespace kumodo {
namespace {

// What was written to a stream in memory.
std::optional<std::string> StreamBytes(IStream* stream) {
  HGLOBAL memory = nullptr;
  STATSTG about{};
  if (FAILED(GetHGlobalFromStream(stream, &memory)) || FAILED(stream->Stat(&about, STATFLAG_NONAME))) {
    return std::nullopt;
  }
  const auto* start = static_cast<const char*>(GlobalLock(memory));
  if (!start) return std::nullopt;
  std::string bytes(start, static_cast<std::size_t>(about.cbSize.QuadPart));
  GlobalUnlock(memory);
  return bytes;
}

}  // namespace

// Through the system's imaging component, 8-bit RGB as on Linux, encoded in
// memory so that the file is replaced as every save replaces it.
FileResult WritePngFile(const std::string& utf8Path, const Bitmap& picture, LinksFollowed links) {
  const FileResult failed{false, "the PNG encoder failed"};
  StartCom();
  Released<IWICImagingFactory> factory;
  Released<IStream> stream;
  Released<IWICBitmapEncoder> encoder;
  Released<IWICBitmapFrameEncode> frame;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory.pointer))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream.pointer)) ||
      FAILED(factory.pointer->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.pointer)) ||
      FAILED(encoder.pointer->Initialize(stream.pointer, WICBitmapEncoderNoCache)) ||
      FAILED(encoder.pointer->CreateNewFrame(&frame.pointer, nullptr)) || FAILED(frame.pointer->Initialize(nullptr)) ||
      FAILED(frame.pointer->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height)))) {
    return failed;
  }
  // The encoder may answer with another format it prefers; only this one is written.
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame.pointer->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR) return failed;
  const UINT stride = static_cast<UINT>(picture.width) * 3;
  std::vector<BYTE> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(picture.height));
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    const Rgb pixel = picture.pixels[i];
    pixels[3 * i] = static_cast<BYTE>((pixel >> 16) & 0xFF);
    pixels[3 * i + 1] = static_cast<BYTE>((pixel >> 8) & 0xFF);
    pixels[3 * i + 2] = static_cast<BYTE>(pixel & 0xFF);
  }
  if (FAILED(frame.pointer->WritePixels(static_cast<UINT>(picture.height), stride, static_cast<UINT>(pixels.size()),
                                        pixels.data())) ||
      FAILED(frame.pointer->Commit()) || FAILED(encoder.pointer->Commit())) {
    return failed;
  }
  const std::optional<std::string> bytes = StreamBytes(stream.pointer);
  if (!bytes) return failed;
  return WriteWholeFile(utf8Path, *bytes, links);
}

}  // namespace kumodo
