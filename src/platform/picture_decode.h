#pragma once
// Reading picture files into bitmaps: BMP (every depth, RLE, both row
// orders), JPEG (baseline and progressive), GIF (first frame), PNG (every
// colour type and depth, interlaced too). The size is read from
// the header first (BMP header, JPEG frame, GIF logical screen): a picture
// larger than the program can import is refused before any pixel memory is
// taken, and before the rest of its file is read. Truncated and corrupt
// files fail cleanly.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/bitmap.h"

namespace kumodo {

enum class PictureKind { Unrecognised = 0, Bmp = 1, Jpeg = 2, Gif = 3, Png = 4 };

// Larger pictures are refused before any pixel memory is taken.
constexpr int kMaxPictureWidth = 640;
constexpr int kMaxPictureHeight = 400;
// A file that large holds no 640 x 400 picture worth reading.
constexpr std::size_t kMaxPictureFileBytes = std::size_t{16} << 20;
// Where the size stands, at the latest, in the files worth reading.
constexpr std::size_t kPictureHeaderBytes = 64 << 10;

// Decided by the first bytes, tested in the order BMP, GIF, JPEG, PNG.
PictureKind DetectPictureKind(std::span<const std::uint8_t> firstBytes);

bool PictureSizeAllowed(std::int64_t width, std::int64_t height);

struct PictureSize {
  std::int64_t width;
  std::int64_t height;
};
// The size a picture's header states, when the bytes reach it.
std::optional<PictureSize> ReadPictureSize(std::span<const std::uint8_t> bytes);

struct DecodedPicture {
  bool opened = false;  // false: the file could not be read at all
  PictureKind kind = PictureKind::Unrecognised;
  int width = 0;        // the size read, also for a PNG that is not loaded
  int height = 0;
  bool loaded = false;  // true: bitmap holds the picture
  Bitmap bitmap;
};

DecodedPicture DecodePictureFile(const std::string& path);
DecodedPicture DecodePictureBytes(std::span<const std::uint8_t> bytes);

// A BMP header whose size and pixel data are believable, checked before a
// decoder reads the file, so that a file lying about its size is refused
// before any pixel memory is taken.
bool BmpHeaderPlausible(std::span<const std::uint8_t> bytes);

// The decoders for one kind each; false on any fault.
bool DecodeBmp(std::span<const std::uint8_t> bytes, Bitmap& out);
bool DecodeJpeg(std::span<const std::uint8_t> bytes, Bitmap& out);
bool DecodeGif(std::span<const std::uint8_t> bytes, Bitmap& out);
bool DecodePng(std::span<const std::uint8_t> bytes, Bitmap& out);

}  // namespace kumodo
