#include "files/csv_document.h"

#include <array>

#include "files/text_file.h"
#include "files/text_to_number.h"

namespace kumodo {
std::string CsvText(const OperationList& list) {
  std::string text;
  text.reserve(static_cast<std::size_t>(list.count) * 24);
  for (int i = 0; i < list.count; ++i) {
    for (int field = 0; field < 8; ++field) {
      text += std::to_string(list.slots[i][field]);
      text += field < 7 ? "," : "\r\n";
    }
  }
  return text;
}

CsvLoadResult ParseCsv(std::string_view text, OperationList& list, const std::function<void(std::size_t)>& progress) {
  constexpr std::size_t kFieldBuffer = 255;
  CsvLoadResult result;
  int row = 0;
  int field = 0;
  std::size_t at = 0;
  std::array<char, kFieldBuffer> buffer;
  while (at < text.size() && text[at] != '\0') {
    std::size_t length = 0;
    bool endedLine = false;
    while (at < text.size() && text[at] != '\0') {
      const char c = text[at];
      if (c == ',') {
        ++at;
        break;
      }
      if (c == '\r') {
        at = std::min(at + 2, text.size());
        endedLine = true;
        break;
      }
      if (length < kFieldBuffer) buffer[length++] = c;
      ++at;
    }
    if (at % 200 == 0 && progress) progress(at);
    if (row < kMaxOperations && field < 8) {
      const double value = TextToNumber(std::string_view(buffer.data(), length));
      list.slots[row][field] = static_cast<std::int16_t>(TruncateToInt32(value));
    }
    ++field;
    if (endedLine) {
      field = 0;
      if (row < kMaxOperations) {
        ++row;
      } else {
        ++result.linesLeftOut;
      }
    }
  }
  result.lines = row;
  list.count = row;
  ClearFrom(list, row);
  return result;
}

DocumentRead ReadCsvDocument(const std::string& path, OperationList& list,
                             const std::function<void(std::size_t, std::size_t)>& progress) {
  DocumentRead read;
  const std::optional<std::string> text = ReadWholeFile(path, &read.reason, kMaxDocumentBytes);
  if (!text) return read;
  OperationList loaded;
  const CsvLoadResult result = ParseCsv(*text, loaded, [&](std::size_t position) {
    if (progress) progress(position, text->size());
  });
  for (std::size_t at = text->find('\n'); at != std::string::npos; at = text->find('\n', at + 1)) {
    if (at == 0 || (*text)[at - 1] != '\r') {
      read.reason = "行が CR LF でなく LF だけで終わっています (lines end without CR)";
      return read;
    }
  }
  if (!text->empty() && result.lines == 0) {
    read.reason = "レコードがひとつも読み取れませんでした (no records read)";
    return read;
  }
  list = std::move(loaded);
  read.ok = true;
  read.linesLeftOut = result.linesLeftOut;
  return read;
}

}  // namespace kumodo
