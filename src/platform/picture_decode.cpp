#include "platform/picture_decode.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "platform/file_system.h"

namespace kumodo {
namespace {

std::uint32_t ReadLe32(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t ReadLe16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t ReadBe32(std::span<const std::uint8_t> b, std::size_t at) {
  return (static_cast<std::uint32_t>(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

}  // namespace

bool BmpHeaderPlausible(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 26) return false;
  const std::uint32_t headerSize = ReadLe32(bytes, 14);
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t compression = 0;
  if (headerSize == 12) {
    width = ReadLe16(bytes, 18);
    height = ReadLe16(bytes, 20);
    bitsPerPixel = ReadLe16(bytes, 24);
  } else {
    if (bytes.size() < 34) return false;
    width = static_cast<std::int32_t>(ReadLe32(bytes, 18));
    height = static_cast<std::int32_t>(ReadLe32(bytes, 22));
    bitsPerPixel = ReadLe16(bytes, 28);
    compression = ReadLe32(bytes, 30);
  }
  if (height < 0) height = -height;
  if (!PictureSizeAllowed(width, height)) return false;
  const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
  if (uncompressed) {
    const std::uint32_t pixelOffset = ReadLe32(bytes, 10);
    const std::int64_t rowBytes = ((width * bitsPerPixel + 31) / 32) * 4;
    if (static_cast<std::int64_t>(pixelOffset) + rowBytes * height > static_cast<std::int64_t>(bytes.size())) {
      return false;
    }
  }
  return true;
}

PictureKind DetectPictureKind(std::span<const std::uint8_t> b) {
  static constexpr std::uint8_t kPng[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return PictureKind::Bmp;
  if (b.size() >= 3 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F') return PictureKind::Gif;
  if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xD8) return PictureKind::Jpeg;
  if (b.size() >= 8 && std::memcmp(b.data(), kPng, 8) == 0) return PictureKind::Png;
  return PictureKind::Unrecognised;
}

bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

DecodedPicture DecodePictureBytes(std::span<const std::uint8_t> bytes) {
  DecodedPicture result;
  result.opened = true;
  result.kind = DetectPictureKind(bytes.first(std::min<std::size_t>(bytes.size(), 8)));
  switch (result.kind) {
    case PictureKind::Bmp:
      result.loaded = DecodeBmp(bytes, result.bitmap);
      break;
    case PictureKind::Jpeg:
      result.loaded = DecodeJpeg(bytes, result.bitmap);
      break;
    case PictureKind::Gif:
      result.loaded = DecodeGif(bytes, result.bitmap);
      break;
    case PictureKind::Png:
      // The size is read from the header, but the picture is never loaded.
      if (bytes.size() >= 24) {
        std::uint32_t w = ReadBe32(bytes, 16);
        std::uint32_t h = ReadBe32(bytes, 20);
        result.width = static_cast<int>(std::min<std::uint32_t>(w, 0x7FFFFFFF));
        result.height = static_cast<int>(std::min<std::uint32_t>(h, 0x7FFFFFFF));
      }
      return result;
    case PictureKind::Unrecognised:
      return result;
  }
  if (result.loaded) {
    result.width = result.bitmap.width;
    result.height = result.bitmap.height;
  } else {
    result.bitmap = Bitmap();
  }
  return result;
}

DecodedPicture DecodePictureFile(const std::string& path) {
  std::ifstream file(NativePath(path), std::ios::binary | std::ios::ate);
  if (!file) return {};
  const std::streamoff size = file.tellg();
  if (size < 0) return {};
  if (static_cast<std::uint64_t>(size) > kMaxPictureFileBytes) {
    // Far larger than any picture the program can use: read only its kind.
    std::vector<std::uint8_t> head(8);
    file.seekg(0);
    file.read(reinterpret_cast<char*>(head.data()), 8);
    DecodedPicture result;
    result.opened = true;
    result.kind = DetectPictureKind(head);
    return result;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  file.seekg(0);
  file.read(reinterpret_cast<char*>(bytes.data()), size);
  if (!file) return {};
  return DecodePictureBytes(bytes);
}

}  // namespace kumodo
