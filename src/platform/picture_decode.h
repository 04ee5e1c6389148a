#pragma once
// Reading picture files into bitmaps: BMP (every depth, RLE, both row
// orders), JPEG (baseline and progressive), GIF (first frame), PNG (every
// colour type and depth, interlaced too). The size is read from
// the header first (BMP header, JPEG frame, GIF logical screen): a picture
// larger than the reader's limit (the import's unless given) is refused
// before any pixel memory is taken, and before the rest of its file is read.
// Truncated and corrupt files fail cleanly.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace kumodo {

enum class PictureKind { Unrecognised = 0, Bmp = 1, Jpeg = 2, Gif = 3, Png = 4 };

// The largest picture a reader takes; larger ones are refused before any
// pixel memory is taken.
struct PictureLimit {
  int width;
  int height;
};
// What the import takes.
constexpr int kMaxPictureWidth = 640;
constexpr int kMaxPictureHeight = 400;
constexpr PictureLimit kImportLimit{kMaxPictureWidth, kMaxPictureHeight};
// What the converter takes, scaling the picture down itself: photographs of
// up to 64 million pixels, 256 MB as a bitmap.
constexpr PictureLimit kLargePictureLimit{8192, 8192};
// A file that large holds no 640 x 400 picture worth reading; it bounds the
// converter's pictures too (a JPEG photograph of 20 million pixels fits).
constexpr std::size_t kMaxPictureFileBytes = std::size_t{16} << 20;
// Where the size stands, at the latest, in the files worth reading.
constexpr std::size_t kPictureHeaderBytes = 64 << 10;

// Decided by the first bytes, tested in the order BMP, GIF, JPEG, PNG.
PictureKind DetectPictureKind(std::span<const std::uint8_t> firstBytes);

bool PictureSizeAllowed(std::int64_t width, std::int64_t height, PictureLimit limit = kImportLimit);
// Over the limit (the import's: the size warning's case). An empty or
// negative size is no picture at all, and such a file is broken, not too
// large.
bool PictureTooLarge(std::int64_t width, std::int64_t height, PictureLimit limit = kImportLimit);

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

DecodedPicture DecodePictureFile(const std::string& path, PictureLimit limit = kImportLimit);

// Why a picture file was not read, in the message language: the file could
// not be opened, is no picture of the four kinds, or is broken or too large.
std::string PictureNotReadReason(PictureKind kind, const std::string& path);
DecodedPicture DecodePictureBytes(std::span<const std::uint8_t> bytes, PictureLimit limit = kImportLimit);

// A BMP header whose size and pixel data are believable, checked before a
// decoder reads the file, so that a file lying about its size is refused
// before any pixel memory is taken.
bool BmpHeaderPlausible(std::span<const std::uint8_t> bytes, PictureLimit limit = kImportLimit);

// The part of a PNG that decoding needs: the signature, then in their order
// the critical chunks and the transparency chunk, up to the end chunk. Text,
// compressed text, profiles and every other ancillary chunk are dropped
// unread, so that none costs memory or time the picture does not need.
// Nothing when a chunk states more bytes than the file has left or the file
// ends before its end chunk: such a file is broken, and is refused before a
// stated length is believed.
std::optional<std::vector<std::uint8_t>> PngChunksForDecoding(std::span<const std::uint8_t> bytes);

// A progressive JPEG holds a dozen scans or so; each costs a pass over the
// whole picture, so a file repeating one small scan a million times would
// take a minute to decode. Past this many it is refused unread.
constexpr int kMaxJpegScans = 1000;
// The scans of a JPEG (its start-of-scan markers, found by walking its
// segments and skipping the coded data between them).
int JpegScanCount(std::span<const std::uint8_t> bytes);

// The decoders for one kind each; false on any fault, and for a picture
// over the limit.
bool DecodeBmp(std::span<const std::uint8_t> bytes, Bitmap& out, PictureLimit limit = kImportLimit);
bool DecodeJpeg(std::span<const std::uint8_t> bytes, Bitmap& out, PictureLimit limit = kImportLimit);
bool DecodeGif(std::span<const std::uint8_t> bytes, Bitmap& out, PictureLimit limit = kImportLimit);
bool DecodePng(std::span<const std::uint8_t> bytes, Bitmap& out, PictureLimit limit = kImportLimit);

}  // namespace kumodo
