#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "pictures/picture_decode.h"

namespace kumodo {
namespace {

// What libpng may read once the picture is complete: the end of the
// compressed data and the end chunk. Image data going on past it (which
// could inflate to gigabytes) makes the file broken, unread.
constexpr std::size_t kSlackAfterPicture = 16 << 10;

struct MemorySource {
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
  std::size_t end = bytes.size();
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (length > source->end - source->at) png_error(png, "the file ends early, or goes on past its picture");
  std::memcpy(out, source->bytes.data() + source->at, length);
  source->at += length;
}

[[noreturn]] void FailDecode(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

}  // namespace

// Every colour type and depth comes out as 8-bit RGBA (palettes and grey
// expanded, 16 bits scaled), row by row; an interlaced picture's passes are
// put as they come, each pixel where it belongs. A transparent pixel shows
// black, a partly transparent one as much of its colour as it covers, as if
// drawn over black. A file that ends early or fails a checksum is broken.
bool DecodePng(std::span<const std::uint8_t> file, PictureReceiver& receiver, PictureLimit limit) {
  if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) return false;
  const std::optional<std::vector<std::uint8_t>> bytes = PngChunksForDecoding(file);
  if (!bytes) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, FailDecode, IgnoreWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  // Everything that lives across the jump is declared before it.
  MemorySource source{*bytes};
  std::vector<png_byte> samples;
  std::vector<Rgb> row;
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  if (!info) png_error(png, "no memory");
  png_set_read_fn(png, &source, ReadFromMemory);
  // The size was checked from the header already; libpng refuses larger too.
  png_set_user_limits(png, limit.width, limit.height);
  png_set_chunk_malloc_max(png, 8 << 20);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (!PictureSizeAllowed(width, height, limit)) png_error(png, "too large");
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  // Without libpng's own interlace handling, which would need the whole
  // picture: each pass comes as a smaller picture of every eighth, fourth or
  // second pixel.
  const bool interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != 4 * static_cast<std::size_t>(width)) png_error(png, "unexpected layout");
  const PictureSize size{width, height};
  if (!receiver.Start(size, size)) png_error(png, "refused");
  samples.resize(4 * static_cast<std::size_t>(width));
  row.resize(width);
  const int passes = interlaced ? 7 : 1;
  int lastPass = 0;
  for (int pass = 0; pass < passes; ++pass) {
    if (!interlaced || (PNG_PASS_COLS(width, pass) > 0 && PNG_PASS_ROWS(height, pass) > 0)) lastPass = pass;
  }
  for (int pass = 0; pass < passes; ++pass) {
    const png_uint_32 columns = interlaced ? PNG_PASS_COLS(width, pass) : width;
    const png_uint_32 rows = interlaced ? PNG_PASS_ROWS(height, pass) : height;
    if (columns == 0 || rows == 0) continue;  // libpng skips a pass with no pixel
    for (png_uint_32 r = 0; r < rows; ++r) {
      // The slack is set before the last row: reading it goes on to finish
      // the compressed data.
      if (pass == lastPass && r == rows - 1) source.end = std::min(source.end, source.at + kSlackAfterPicture);
      png_read_row(png, samples.data(), nullptr);
      for (png_uint_32 x = 0; x < columns; ++x) {
        const png_byte* p = &samples[4 * x];  // red, green, blue, alpha
        auto over = [alpha = p[3]](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
        row[x] = p[3] == 0xFF ? p[0] | (p[1] << 8) | (static_cast<Rgb>(p[2]) << 16)
                              : over(p[0]) | (over(p[1]) << 8) | (over(p[2]) << 16);
      }
      const int y = static_cast<int>(interlaced ? PNG_ROW_FROM_PASS_ROW(r, pass) : r);
      const int x0 = interlaced ? PNG_PASS_START_COL(pass) : 0;
      const int step = interlaced ? 1 << PNG_PASS_COL_SHIFT(pass) : 1;
      receiver.Put(y, x0, step, std::span<const Rgb>(row).first(columns));
    }
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace kumodo
