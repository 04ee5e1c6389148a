#include "platform/picture_decode.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/file_system.h"
#include "platform/message_language.h"

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

bool BmpHeaderPlausible(std::span<const std::uint8_t> bytes, PictureLimit limit) {
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
  if (!PictureSizeAllowed(width, height, limit)) return false;
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

bool PictureSizeAllowed(std::int64_t width, std::int64_t height, PictureLimit limit) {
  return width >= 1 && height >= 1 && !PictureTooLarge(width, height, limit);
}

bool PictureTooLarge(std::int64_t width, std::int64_t height, PictureLimit limit) {
  return width > limit.width || height > limit.height;
}

namespace {

// A JPEG's size stands in its start-of-frame segment, after any others.
std::optional<PictureSize> JpegFrameSize(std::span<const std::uint8_t> b) {
  std::size_t at = 2;
  while (at + 4 <= b.size()) {
    if (b[at] != 0xFF) return std::nullopt;
    const std::uint8_t marker = b[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) {
      if (at + 9 > b.size()) return std::nullopt;
      return PictureSize{(b[at + 7] << 8) | b[at + 8], (b[at + 5] << 8) | b[at + 6]};
    }
    const std::size_t length = (b[at + 2] << 8) | b[at + 3];
    if (length < 2 || marker == 0xDA) return std::nullopt;  // no frame before the picture data
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<PictureSize> ReadPictureSize(std::span<const std::uint8_t> b) {
  switch (DetectPictureKind(b.first(std::min<std::size_t>(b.size(), 8)))) {
    case PictureKind::Bmp: {
      if (b.size() < 26) return std::nullopt;
      if (ReadLe32(b, 14) == 12) return PictureSize{ReadLe16(b, 18), ReadLe16(b, 20)};
      const std::int64_t height = static_cast<std::int32_t>(ReadLe32(b, 22));
      return PictureSize{static_cast<std::int32_t>(ReadLe32(b, 18)), height < 0 ? -height : height};
    }
    case PictureKind::Gif:
      if (b.size() < 10) return std::nullopt;
      return PictureSize{ReadLe16(b, 6), ReadLe16(b, 8)};
    case PictureKind::Jpeg:
      return JpegFrameSize(b);
    case PictureKind::Png:
      if (b.size() < 24) return std::nullopt;
      return PictureSize{ReadBe32(b, 16), ReadBe32(b, 20)};
    case PictureKind::Unrecognised:
      break;
  }
  return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> PngChunksForDecoding(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kSignature = 8;
  constexpr std::size_t kFraming = 12;  // length, type, checksum
  if (bytes.size() < kSignature) return std::nullopt;
  std::vector<std::uint8_t> kept(bytes.begin(), bytes.begin() + kSignature);
  for (std::size_t at = kSignature; bytes.size() - at >= kFraming;) {
    const std::uint32_t length = ReadBe32(bytes, at);
    if (length > bytes.size() - at - kFraming) return std::nullopt;
    const std::span<const std::uint8_t> chunk = bytes.subspan(at, kFraming + length);
    const bool critical = (chunk[4] & 0x20) == 0;  // the type's first letter in capitals
    const bool transparency = std::memcmp(&chunk[4], "tRNS", 4) == 0;
    if (critical || transparency) kept.insert(kept.end(), chunk.begin(), chunk.end());
    if (std::memcmp(&chunk[4], "IEND", 4) == 0) return kept;
    at += chunk.size();
  }
  return std::nullopt;
}

int JpegScanCount(std::span<const std::uint8_t> b) {
  int scans = 0;
  std::size_t at = 2;
  while (at + 4 <= b.size()) {
    if (b[at] != 0xFF) {  // coded data: a marker is a 0xFF not followed by a stuffed 0 or a restart
      ++at;
      continue;
    }
    const std::uint8_t marker = b[at + 1];
    const bool inCodedData = marker == 0x00 || marker == 0xFF || (marker >= 0xD0 && marker <= 0xD7);
    if (inCodedData) {
      ++at;
      continue;
    }
    if (marker == 0xD9) break;  // end of the picture
    if (marker == 0xDA) ++scans;
    at += 2 + ((b[at + 2] << 8) | b[at + 3]);
  }
  return scans;
}

namespace {

std::span<const std::uint8_t> AsBytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// What the header tells: the kind, and the size where the bytes reach it.
DecodedPicture ReadHeader(std::span<const std::uint8_t> bytes, PictureLimit limit, bool& tooLarge) {
  DecodedPicture result;
  result.opened = true;
  result.kind = DetectPictureKind(bytes.first(std::min<std::size_t>(bytes.size(), 8)));
  const std::optional<PictureSize> size = ReadPictureSize(bytes);
  tooLarge = size && PictureTooLarge(size->width, size->height, limit);
  if (size) {
    result.width = static_cast<int>(std::clamp<std::int64_t>(size->width, 0, 0x7FFFFFFF));
    result.height = static_cast<int>(std::clamp<std::int64_t>(size->height, 0, 0x7FFFFFFF));
  }
  return result;
}

}  // namespace

DecodedPicture DecodePictureBytes(std::span<const std::uint8_t> bytes, PictureLimit limit) {
  bool tooLarge = false;
  DecodedPicture result = ReadHeader(bytes, limit, tooLarge);
  // Refused before a pixel is decoded.
  if (tooLarge) return result;
  switch (result.kind) {
    case PictureKind::Bmp:
      result.loaded = DecodeBmp(bytes, result.bitmap, limit);
      break;
    case PictureKind::Jpeg:
      result.loaded = JpegScanCount(bytes) <= kMaxJpegScans && DecodeJpeg(bytes, result.bitmap, limit);
      break;
    case PictureKind::Gif:
      result.loaded = DecodeGif(bytes, result.bitmap, limit);
      break;
    case PictureKind::Png:
      result.loaded = DecodePng(bytes, result.bitmap, limit);
      break;
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

DecodedPicture DecodePictureFile(const std::string& path, PictureLimit limit) {
  // The header first: a picture too large is refused with its size read,
  // before the rest of its file is.
  const std::optional<std::string> start = ReadFileStart(path, kPictureHeaderBytes);
  if (!start) return {};
  if (start->size() < kPictureHeaderBytes) return DecodePictureBytes(AsBytes(*start), limit);  // that was all of it
  bool tooLarge = false;
  const DecodedPicture header = ReadHeader(AsBytes(*start), limit, tooLarge);
  if (tooLarge) return header;
  const std::optional<std::string> whole = ReadWholeFile(path, nullptr, kMaxPictureFileBytes);
  if (!whole) return header;
  return DecodePictureBytes(AsBytes(*whole), limit);
}

std::string PictureNotReadReason(PictureKind kind, const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(NativePath(path), error)) {
    return InMessageLanguage("ファイルを開けません", "the file cannot be opened");
  }
  if (kind == PictureKind::Unrecognised) {
    return InMessageLanguage("BMP, JPEG, GIF, PNG のいずれでもありません", "not a BMP, JPEG, GIF or PNG picture");
  }
  return InMessageLanguage("ファイルが壊れているか、大きすぎます", "the file is broken or too large");
}

}  // namespace kumodo
