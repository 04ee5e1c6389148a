#pragma once
// Reading picture files: BMP (every depth, run-length coded, bit fields with
// or without alpha, either row order), JPEG (baseline and progressive; CMYK
// and YCCK where the system's decoder reads them), GIF (first frame), PNG
// (every colour type and depth, interlaced too). Transparency shows black.
// The size is read from the header first (BMP header, JPEG frame, GIF
// logical screen): a picture larger than the reader's limit (the import's
// unless given) is refused before any pixel memory is taken, and before the
// rest of its file is read. The pixels go into a bitmap, or row by row to a
// receiver, so that a large picture scaled down is never held whole.
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
// What the converter takes, scaling the picture down as it is read:
// photographs of up to 64 million pixels.
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

// Where a decoder puts a picture's pixels, row by row, so that the picture
// need never be held whole: a reader that scales it down keeps only what
// the smaller picture needs.
class PictureReceiver {
 public:
  virtual ~PictureReceiver() = default;
  // The smallest size a picture of this size is wanted at. A decoder that
  // decodes smaller for less work (JPEG, in eighths) may deliver any size
  // from this one up to the picture's own; the others deliver its own.
  virtual PictureSize SmallestUseful(PictureSize picture) const { return picture; }
  // Once, before any pixel: the picture's own size and the size its pixels
  // come at. False refuses the picture.
  bool Start(PictureSize picture, PictureSize delivered);
  // Pixels of row y at columns x, x + step, x + 2 * step, ...: rows in any
  // order, each pixel at most once. Pixels never put are black.
  void Put(int y, int x, int step, std::span<const Rgb> pixels);
  // Pixels were put before the start or outside the size delivered: the
  // decoder is at fault, and the picture counts as broken.
  bool Misused() const { return misused_; }

 protected:
  virtual bool Begin(PictureSize picture, PictureSize delivered) = 0;
  virtual void Take(int y, int x, int step, std::span<const Rgb> pixels) = 0;

 private:
  bool started_ = false;
  bool misused_ = false;
  std::int64_t width_ = 0;
  std::int64_t height_ = 0;
};

struct DecodedPicture {
  bool opened = false;  // false: the file could not be read at all
  PictureKind kind = PictureKind::Unrecognised;
  int width = 0;  // the size its header states, also for a picture not read
  int height = 0;
  bool loaded = false;  // true: the pixels were read (into bitmap, unless a receiver took them)
  std::string reason;   // why it was not read, where more can be said than broken or too large
  Bitmap bitmap;
};

// The picture into `bitmap`, at its own size.
DecodedPicture DecodePictureFile(const std::string& path, PictureLimit limit = kImportLimit);
DecodedPicture DecodePictureBytes(std::span<const std::uint8_t> bytes, PictureLimit limit = kImportLimit);
// The picture's pixels to the receiver; `bitmap` stays empty.
DecodedPicture DecodePictureFile(const std::string& path, PictureReceiver& receiver, PictureLimit limit);
DecodedPicture DecodePictureBytes(std::span<const std::uint8_t> bytes, PictureReceiver& receiver, PictureLimit limit);

// Why a picture file was not read, in the message language: the file could
// not be opened, is no picture of the four kinds, or is broken or too large,
// unless the decoding said more.
std::string PictureNotReadReason(const DecodedPicture& picture, const std::string& path);

// The part of a PNG that decoding needs: the signature, then in their order
// the critical chunks and the transparency chunk, up to the end chunk. Text,
// compressed text, profiles and every other ancillary chunk are dropped
// unread, so that none costs memory or time the picture does not need.
// Nothing when a chunk states more bytes than the file has left or the file
// ends before its end chunk: such a file is broken, and is refused before a
// stated length is believed.
std::optional<std::vector<std::uint8_t>> PngChunksForDecoding(std::span<const std::uint8_t> bytes);

// A progressive JPEG holds a dozen scans or so; each is a pass over its
// blocks, so a file repeating one small scan a million times would take a
// minute to decode. Past this many it is refused unread.
constexpr int kMaxJpegScans = 1000;
// The scans of a JPEG (its start-of-scan markers, found by walking its
// segments and skipping the coded data between them).
int JpegScanCount(std::span<const std::uint8_t> bytes);

// What a JPEG's frame says about decoding it.
struct JpegFrame {
  PictureSize size;
  int components = 0;       // 4: CMYK or YCCK
  std::int64_t blocks = 0;  // of 8 x 8 samples, over all components, as a decoder lays them out
  bool progressive = false;
};
std::optional<JpegFrame> ReadJpegFrame(std::span<const std::uint8_t> bytes);
// A JPEG of several scans keeps every coefficient of the picture in memory
// (128 bytes a block) until its last scan; past this it is refused. That is
// a progressive photograph of some 12 million pixels.
constexpr std::int64_t kMaxJpegCoefficientBytes = std::int64_t{36} << 20;
// Each scan is a pass over the picture's blocks: past this many blocks in
// all scans (some two seconds of decoding) a JPEG is refused.
constexpr std::int64_t kMaxJpegBlockScans = std::int64_t{40} << 20;
// Whether this system's JPEG decoder reads pictures of four components
// (CMYK and YCCK); where not, they are refused saying so.
bool JpegDecoderReadsCmyk();

// The decoders for one kind each, into the receiver; false on any fault,
// for a picture over the limit, and when the receiver refuses it.
bool DecodeBmp(std::span<const std::uint8_t> bytes, PictureReceiver& receiver, PictureLimit limit);
bool DecodeJpeg(std::span<const std::uint8_t> bytes, PictureReceiver& receiver, PictureLimit limit);
bool DecodeGif(std::span<const std::uint8_t> bytes, PictureReceiver& receiver, PictureLimit limit);
bool DecodePng(std::span<const std::uint8_t> bytes, PictureReceiver& receiver, PictureLimit limit);

}  // namespace kumodo
