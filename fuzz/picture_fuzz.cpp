// Picture decoding (BMP, JPEG, GIF, PNG) on any bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/picture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kumodo::DecodedPicture picture = kumodo::DecodePictureBytes(std::span(data, size));
  if (picture.loaded && (picture.bitmap.width != picture.width ||
                         !kumodo::PictureSizeAllowed(picture.width, picture.height))) {
    __builtin_trap();
  }
  return 0;
}
