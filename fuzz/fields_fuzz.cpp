// The field reader of the settings file on any bytes, with every kind of destination.
#include <cstddef>
#include <cstdint>
#include <string>

#include "files/file_channel.h"
#include "memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const MemoryFile file(data, size);
  kumodo::FileChannel channel;
  if (!channel.Open(file.Path(), kumodo::ChannelMode::Read)) return 0;
  std::uint8_t a = 0;
  std::int16_t b = 0;
  std::int32_t c = 0;
  std::int64_t d = 0;
  float e = 0;
  double f = 0;
  std::string g;
  while (channel.ReadFields({&a, &b, &c, &d, &e, &f, &g}) == 7) {
    if (g.size() > kumodo::kMaxFieldBytes) __builtin_trap();
  }
  return 0;
}
