#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/picture_decode.h"

namespace kumodo {
namespace {

struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool truncated = false;
};

[[noreturn]] void FailDecode(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

// libjpeg only warns when the data ends early and pads the picture with grey;
// such a file counts as broken.
void NoteWarning(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
    reinterpret_cast<ErrorTrap*>(info->err)->truncated = true;
  }
}

}  // namespace

bool DecodeJpeg(std::span<const std::uint8_t> bytes, Bitmap& out, PictureLimit limit) {
  jpeg_decompress_struct info{};
  ErrorTrap trap;
  info.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = FailDecode;
  trap.manager.emit_message = NoteWarning;
  // Everything that lives across the jump is declared before it.
  Bitmap picture;
  std::vector<JSAMPLE> row;
  if (setjmp(trap.jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  // Progressive pictures keep all coefficients in memory, two bytes for each
  // sample of up to four components: room for those of a picture of the
  // limit, beside what any picture needs.
  info.mem->max_memory_to_use = (32L << 20) + 8L * limit.width * limit.height;
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK ||
      !PictureSizeAllowed(info.image_width, info.image_height, limit)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  picture = Bitmap(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
  row.resize(static_cast<std::size_t>(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    for (int x = 0; x < picture.width; ++x) {
      const JSAMPLE* p = &row[static_cast<std::size_t>(x) * 3];
      picture.At(x, y) = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
    }
  }
  const bool complete = info.output_scanline == info.output_height;
  if (complete) jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  if (!complete || trap.truncated) return false;
  out = std::move(picture);
  return true;
}

}  // namespace kumodo
