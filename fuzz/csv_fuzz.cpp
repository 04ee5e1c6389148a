// The CSV reader on any bytes: it must stay inside the list.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/csv_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static kumodo::OperationList list;
  const kumodo::CsvLoadResult result =
      kumodo::ParseCsv(std::string_view(reinterpret_cast<const char*>(data), size), list);
  if (list.count < 0 || list.count > kumodo::kMaxOperations || result.lines != list.count) __builtin_trap();
  return 0;
}
