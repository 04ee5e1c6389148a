#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "platform/picture_decode.h"

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
// expanded, 16 bits scaled, interlacing undone); a transparent pixel shows
// black, a partly transparent one as much of its colour as it covers, as if
// drawn over black. A file that ends early or fails a checksum is broken.
bool DecodePng(std::span<const std::uint8_t> file, Bitmap& out, PictureLimit limit) {
  if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) return false;
  const std::optional<std::vector<std::uint8_t>> bytes = PngChunksForDecoding(file);
  if (!bytes) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, FailDecode, IgnoreWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  // Everything that lives across the jump is declared before it.
  MemorySource source{*bytes};
  std::vector<png_bytep> rows;
  Bitmap picture;
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
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  if (rowBytes != sizeof(Rgb) * width) png_error(png, "unexpected layout");
  // The rows' bytes go straight into the bitmap's pixels, made ours in place
  // below: a large picture is in memory once, not twice.
  picture = Bitmap(static_cast<int>(width), static_cast<int>(height));
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(&picture.At(0, static_cast<int>(y)));
  // Row by row as png_read_image does, so that the slack is set before the
  // last row: reading it goes on to finish the compressed data.
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) {
      if (pass == passes - 1 && y == height - 1) source.end = std::min(source.end, source.at + kSlackAfterPicture);
      png_read_row(png, rows[y], nullptr);
    }
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);

  for (Rgb& pixel : picture.pixels) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&pixel);  // red, green, blue, alpha
    auto over = [alpha = p[3]](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
    pixel = over(p[0]) | (over(p[1]) << 8) | (over(p[2]) << 16);
  }
  out = std::move(picture);
  return true;
}

}  // namespace kumodo
