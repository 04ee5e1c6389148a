// PNG decoding on any bytes, past the kind check, so that every input
// reaches the decoder, row by row within the converter's limit into its area.
#include <cstddef>
#include <cstdint>
#include <span>

#include "checking_receiver.h"
#include "platform/picture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kumodo::CheckingReceiver receiver;
  if (kumodo::DecodePng(std::span(data, size), receiver, kumodo::kLargePictureLimit)) receiver.Area();
  if (receiver.Misused()) __builtin_trap();
  return 0;
}
