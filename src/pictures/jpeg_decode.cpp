#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "pictures/picture_decode.h"

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

bool JpegDecoderReadsCmyk() { return true; }

// Decoded at the smallest scale, in eighths, that still gives the receiver
// the size it wants: libjpeg then does a fraction of the work, and keeps
// rows of the smaller picture only. CMYK and YCCK pictures come as CMYK,
// stored inverted as Adobe's programs write them.
bool DecodeJpeg(std::span<const std::uint8_t> bytes, PictureReceiver& receiver, PictureLimit limit) {
  jpeg_decompress_struct info{};
  ErrorTrap trap;
  info.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = FailDecode;
  trap.manager.emit_message = NoteWarning;
  // Everything that lives across the jump is declared before it.
  std::vector<JSAMPLE> samples;
  std::vector<Rgb> row;
  if (setjmp(trap.jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  // A picture of several scans keeps all its coefficients until the last;
  // those were checked against the bound before, this is the decoder's own.
  info.mem->max_memory_to_use = kMaxJpegCoefficientBytes + (16L << 20);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK ||
      !PictureSizeAllowed(info.image_width, info.image_height, limit)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  const PictureSize picture{info.image_width, info.image_height};
  const PictureSize wanted = receiver.SmallestUseful(picture);
  info.scale_denom = 8;
  for (info.scale_num = 1; info.scale_num < 8; ++info.scale_num) {
    jpeg_calc_output_dimensions(&info);
    if (std::int64_t{info.output_width} >= wanted.width && std::int64_t{info.output_height} >= wanted.height) break;
  }
  jpeg_start_decompress(&info);
  if (!receiver.Start(picture, {info.output_width, info.output_height})) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  const int channels = info.output_components;
  samples.resize(static_cast<std::size_t>(info.output_width) * channels);
  row.resize(info.output_width);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {samples.data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    for (std::size_t x = 0; x < row.size(); ++x) {
      const JSAMPLE* p = &samples[x * channels];
      if (cmyk) {
        // Inverted: 255 is no ink. Each colour is what its ink and black leave.
        auto left = [k = p[3]](std::uint32_t ink) { return (ink * k + 127) / 255; };
        row[x] = left(p[0]) | (left(p[1]) << 8) | (left(p[2]) << 16);
      } else {
        row[x] = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
      }
    }
    receiver.Put(y, 0, 1, row);
  }
  const bool complete = info.output_scanline == info.output_height;
  if (complete) jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return complete && !trap.truncated;
}

}  // namespace kumodo
