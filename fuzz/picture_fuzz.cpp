// Picture decoding (BMP, JPEG, GIF, PNG) on any bytes: into a bitmap within
// the import's limit, and row by row within the converter's into its area,
// where every pixel must land inside the picture, once.
#include <cstddef>
#include <cstdint>
#include <span>

#include "checking_receiver.h"
#include "platform/picture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kumodo::DecodedPicture picture = kumodo::DecodePictureBytes(std::span(data, size));
  if (picture.loaded && (picture.bitmap.width != picture.width ||
                         !kumodo::PictureSizeAllowed(picture.width, picture.height))) {
    __builtin_trap();
  }
  kumodo::CheckingReceiver receiver;
  if (kumodo::DecodePictureBytes(std::span(data, size), receiver, kumodo::kLargePictureLimit).loaded) receiver.Area();
  if (receiver.Misused()) __builtin_trap();
  return 0;
}
