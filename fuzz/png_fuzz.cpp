// PNG decoding on any bytes, past the kind check, so that every input
// reaches the decoder.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/picture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kumodo::Bitmap picture;
  if (kumodo::DecodePng(std::span(data, size), picture) &&
      !kumodo::PictureSizeAllowed(picture.width, picture.height)) {
    __builtin_trap();
  }
  return 0;
}
