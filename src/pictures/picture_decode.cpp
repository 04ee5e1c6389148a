#include "pictures/picture_decode.h"

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

std::optional<JpegFrame> ReadJpegFrame(std::span<const std::uint8_t> b) {
  std::size_t at = 2;
  while (at + 4 <= b.size()) {
    const std::uint8_t marker = b[at + 1];
    // Stray bytes and fill bytes before a marker are skipped, as decoders do.
    if (b[at] != 0xFF || marker == 0xFF || marker == 0x00) {
      ++at;
      continue;
    }
    const bool standalone = marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
    if (standalone) {
      at += 2;
      continue;
    }
    const std::size_t length = (b[at + 2] << 8) | b[at + 3];
    const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (!startOfFrame) {
      if (length < 2 || marker == 0xDA) return std::nullopt;  // no frame before the picture data
      at += 2 + length;
      continue;
    }
    if (at + 10 > b.size()) return std::nullopt;
    JpegFrame frame;
    frame.size = {(b[at + 7] << 8) | b[at + 8], (b[at + 5] << 8) | b[at + 6]};
    frame.components = b[at + 9];
    frame.progressive = (marker & 3) == 2;  // 0xC2, 0xC6, 0xCA, 0xCE
    if (frame.components < 1 || at + 10 + 3 * static_cast<std::size_t>(frame.components) > b.size()) {
      return std::nullopt;
    }
    int maxH = 1, maxV = 1;
    for (int c = 0; c < frame.components; ++c) {
      const std::uint8_t factors = b[at + 11 + 3 * c];
      if ((factors >> 4) < 1 || (factors >> 4) > 4 || (factors & 15) < 1 || (factors & 15) > 4) return std::nullopt;
      maxH = std::max(maxH, factors >> 4);
      maxV = std::max(maxV, factors & 15);
    }
    // Each component's blocks, rounded up to whole units of its sampling
    // factors, as a decoder keeps them for a picture of several scans.
    for (int c = 0; c < frame.components; ++c) {
      const int h = b[at + 11 + 3 * c] >> 4, v = b[at + 11 + 3 * c] & 15;
      const std::int64_t columns = (frame.size.width * h + 8 * maxH - 1) / (8 * maxH);
      const std::int64_t rows = (frame.size.height * v + 8 * maxV - 1) / (8 * maxV);
      frame.blocks += (columns + h - 1) / h * h * ((rows + v - 1) / v * v);
    }
    return frame;
  }
  return std::nullopt;
}

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
      if (const std::optional<JpegFrame> frame = ReadJpegFrame(b)) return frame->size;
      return std::nullopt;
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

bool PictureReceiver::Start(PictureSize picture, PictureSize delivered) {
  if (started_) {
    misused_ = true;
    return false;
  }
  started_ = true;
  width_ = delivered.width;
  height_ = delivered.height;
  return Begin(picture, delivered);
}

void PictureReceiver::Put(int y, int x, int step, std::span<const Rgb> pixels) {
  const bool inside = started_ && y >= 0 && y < height_ && x >= 0 && step >= 1 && !pixels.empty() &&
                      x + static_cast<std::int64_t>(pixels.size() - 1) * step < width_;
  if (!inside) {
    misused_ = true;
    return;
  }
  Take(y, x, step, pixels);
}

namespace {

std::span<const std::uint8_t> AsBytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The pixels into a bitmap of the picture's size.
class BitmapReceiver final : public PictureReceiver {
 public:
  Bitmap bitmap;

 protected:
  bool Begin(PictureSize, PictureSize delivered) override {
    bitmap = Bitmap(static_cast<int>(delivered.width), static_cast<int>(delivered.height));
    return true;
  }
  void Take(int y, int x, int step, std::span<const Rgb> pixels) override {
    for (const Rgb pixel : pixels) {
      bitmap.At(x, y) = pixel;
      x += step;
    }
  }
};

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

// Why a JPEG is not decoded at all, before its decoder is asked; nothing
// when it may be.
std::string JpegRefusal(const JpegFrame& frame, int scans) {
  const std::int64_t megabytes = (frame.blocks * 128) >> 20;
  if ((frame.progressive || scans > 1) && frame.blocks * 128 > kMaxJpegCoefficientBytes) {
    return InMessageLanguage(
        "この大きさのプログレッシブ JPEG は、読み込むのにメモリーを使いすぎます (" + std::to_string(megabytes) + " MB)",
        "a progressive JPEG this large takes too much memory to decode (" + std::to_string(megabytes) + " MB)");
  }
  if (scans > kMaxJpegScans || frame.blocks * scans > kMaxJpegBlockScans) {
    return InMessageLanguage(
        "走査の多すぎる JPEG です (" + std::to_string(scans) + " 回、この大きさでは時間がかかりすぎます)",
        "a JPEG of " + std::to_string(scans) + " scans, too slow to decode at this size");
  }
  if (frame.components == 4 && !JpegDecoderReadsCmyk()) {
    return InMessageLanguage("CMYK の JPEG は、このシステムでは読み込めません",
                             "a CMYK JPEG, which this system's decoder does not read");
  }
  return {};
}

}  // namespace

DecodedPicture DecodePictureBytes(std::span<const std::uint8_t> bytes, PictureReceiver& receiver, PictureLimit limit) {
  bool tooLarge = false;
  DecodedPicture result = ReadHeader(bytes, limit, tooLarge);
  // Refused before a pixel is decoded: too large, or no size at all (broken).
  if (tooLarge || !PictureSizeAllowed(result.width, result.height, limit)) return result;
  switch (result.kind) {
    case PictureKind::Bmp:
      result.loaded = DecodeBmp(bytes, receiver, limit);
      break;
    case PictureKind::Jpeg:
      if (const std::optional<JpegFrame> frame = ReadJpegFrame(bytes)) {
        result.reason = JpegRefusal(*frame, JpegScanCount(bytes));
        result.loaded = result.reason.empty() && DecodeJpeg(bytes, receiver, limit);
      }
      break;
    case PictureKind::Gif:
      result.loaded = DecodeGif(bytes, receiver, limit);
      break;
    case PictureKind::Png:
      result.loaded = DecodePng(bytes, receiver, limit);
      break;
    case PictureKind::Unrecognised:
      break;
  }
  result.loaded = result.loaded && !receiver.Misused();
  return result;
}

DecodedPicture DecodePictureBytes(std::span<const std::uint8_t> bytes, PictureLimit limit) {
  BitmapReceiver receiver;
  DecodedPicture result = DecodePictureBytes(bytes, receiver, limit);
  if (result.loaded) result.bitmap = std::move(receiver.bitmap);
  return result;
}

DecodedPicture DecodePictureFile(const std::string& path, PictureReceiver& receiver, PictureLimit limit) {
  // The header first: a picture too large is refused with its size read,
  // before the rest of its file is.
  const std::optional<std::string> start = ReadFileStart(path, kPictureHeaderBytes);
  if (!start) return {};
  if (start->size() < kPictureHeaderBytes) return DecodePictureBytes(AsBytes(*start), receiver, limit);  // all of it
  bool tooLarge = false;
  const DecodedPicture header = ReadHeader(AsBytes(*start), limit, tooLarge);
  if (tooLarge) return header;
  const std::optional<std::string> whole = ReadWholeFile(path, nullptr, kMaxPictureFileBytes);
  if (!whole) return header;
  return DecodePictureBytes(AsBytes(*whole), receiver, limit);
}

DecodedPicture DecodePictureFile(const std::string& path, PictureLimit limit) {
  BitmapReceiver receiver;
  DecodedPicture result = DecodePictureFile(path, receiver, limit);
  if (result.loaded) result.bitmap = std::move(receiver.bitmap);
  return result;
}

std::string PictureNotReadReason(const DecodedPicture& picture, const std::string& path) {
  std::error_code error;
  if (!picture.opened || !std::filesystem::is_regular_file(NativePath(path), error)) {
    return InMessageLanguage("ファイルを開けません", "the file cannot be opened");
  }
  if (!picture.reason.empty()) return picture.reason;
  if (picture.kind == PictureKind::Unrecognised) {
    return InMessageLanguage("BMP, JPEG, GIF, PNG のいずれでもありません", "not a BMP, JPEG, GIF or PNG picture");
  }
  return InMessageLanguage("ファイルが壊れているか、大きすぎます", "the file is broken or too large");
}

}  // namespace kumodo
