#include "files/csv_document.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "files/text_file.h"
#include "files/text_to_number.h"
#include "platform/message_language.h"

namespace kumodo {
namespace {

// A reason with its technical cause glossed in English on the editor's
// screen; the English alone on the command line.
std::string Glossed(std::string_view japanese, const std::string& english) {
  return InMessageLanguage(std::string(japanese) + " (" + english + ")", english);
}

// Why the text is not one this program's reading rule reads as it stands.
std::optional<std::string> TextFault(std::string_view text) {
  // Documents are text: a NUL or another control byte says this is some
  // other kind of file (the reading would stop at a NUL and drop the rest).
  const auto control = std::find_if(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n';
  });
  if (control != text.end()) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(*control));
    return Glossed("文書ではありません",
                   std::string("not a document: control byte ") + code + " at offset " + std::to_string(control - text.begin()));
  }
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\n' && (at == 0 || text[at - 1] != '\r')) {
      return Glossed("行が CR LF でなく LF だけで終わっています", "lines end without CR");
    }
    // A CR swallows the byte after it: the first character of the next line.
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] != '\n') {
      if (text.substr(at + 1, 2) == "\r\n") {
        return Glossed("行が CR LF でなく CR CR LF で終わっています", "lines end in CR CR LF");
      }
      return Glossed("行が CR LF でなく CR だけで終わっています", "lines end in CR without LF");
    }
  }
  return std::nullopt;
}

}  // namespace

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
      bool hasDigits = false;
      const double value = TextToNumber(std::string_view(buffer.data(), length), &hasDigits);
      list.slots[row][field] = static_cast<std::int16_t>(TruncateToInt32(value));
      result.anyNumber = result.anyNumber || hasDigits;
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
  // A last line without CR LF is a record too: dropping it would lose it without a word.
  if (field > 0) {
    if (row < kMaxOperations) {
      ++row;
    } else {
      ++result.linesLeftOut;
    }
  }
  result.lines = row;
  list.count = row;
  list.changedFrom = 0;  // every record was read anew
  ClearFrom(list, row);
  return result;
}

DocumentRead ReadCsvDocument(const std::string& path, OperationList& list,
                             const std::function<void(std::size_t, std::size_t)>& progress) {
  DocumentRead read;
  const std::optional<std::string> file = ReadWholeFile(path, &read.reason, kMaxDocumentBytes);
  if (!file) return read;
  if (std::optional<std::string> fault = TextFault(*file)) {
    read.reason = std::move(*fault);
    return read;
  }
  // Some text editors start a UTF-8 file with a byte-order mark: it is no part of the first record.
  std::string_view text = *file;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  OperationList loaded;
  const CsvLoadResult result = ParseCsv(text, loaded, [&](std::size_t position) {
    if (progress) progress(position, text.size());
  });
  if (!text.empty() && !result.anyNumber) {
    read.reason = NoRecordsReason();
    return read;
  }
  list = std::move(loaded);
  read.ok = true;
  read.linesLeftOut = result.linesLeftOut;
  return read;
}

std::string NoRecordsReason() {
  return Glossed("レコードがひとつも読み取れませんでした", "no records read");
}

}  // namespace kumodo
