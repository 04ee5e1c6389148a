#include "platform/png_encode.h"

#include <png.h>

#include <csetjmp>
#include <vector>

namespace kumodo {
namespace {

void AppendToString(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}
void FlushNothing(png_structp) {}
[[noreturn]] void FailEncode(png_structp png, png_const_charp) { png_longjmp(png, 1); }

}  // namespace

FileResult WritePngFile(const std::string& utf8Path, const Bitmap& picture, LinksFollowed links) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, FailEncode, nullptr);
  if (!png) return {false, "no memory for the PNG encoder"};
  png_infop info = png_create_info_struct(png);
  std::string bytes;
  std::vector<png_byte> row(static_cast<std::size_t>(picture.width) * 3);
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return {false, "the PNG encoder failed"};
  }
  if (!info) png_error(png, "no memory");
  png_set_write_fn(png, &bytes, AppendToString, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgb pixel = picture.At(x, y);
      row[3 * x] = static_cast<png_byte>(pixel & 0xFF);
      row[3 * x + 1] = static_cast<png_byte>((pixel >> 8) & 0xFF);
      row[3 * x + 2] = static_cast<png_byte>((pixel >> 16) & 0xFF);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return WriteWholeFile(utf8Path, bytes, links);
}

}  // namespace kumodo
