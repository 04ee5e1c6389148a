// The BASIC command file on any bytes, and a program made with it.
#include <cstddef>
#include <cstdint>

#include "export/basic_program.h"
#include "memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const MemoryFile file(data, size);
  const kumodo::BasicCommands commands = kumodo::LoadBasicCommandFile(file.Path());
  static const kumodo::TileStringTable tiles = kumodo::BuildTileStringTable();
  kumodo::OperationList list;
  for (std::int16_t kind = 0; kind <= 11; ++kind) list.slots[list.count++] = {kind, -32768, 7, 32767, -1, 9, -3, 1};
  kumodo::Settings settings;
  settings.outputResolution = 0;
  const std::string text = kumodo::BasicProgramText(list, settings, commands, tiles);
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    if (start < list.count * 2 && end - start > kumodo::kMaxBasicLineBytes) __builtin_trap();
  }
  return 0;
}
