#include "files/csv_document.h"

#include <array>

#include "files/text_file.h"
#include "files/text_to_number.h"
#include "platform/text_encoding.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

constexpr int kMessageColumn = 28;
constexpr int kMessageRow = 11;

// The panel with "reading" or "writing" and the empty progress frame.
void ShowProgressPanel(Editor& editor, const std::string& message) {
  DrawPanelTiles(editor.images.panel, 13, 10, 13, 5);
  TextLayer& text = editor.screen.text;
  SetTextColours(text, 0, -1);
  LocateText(text, kMessageColumn, kMessageRow);
  PrintText(editor.screen, message + "\r\n");
  SetTextColours(text, 7, 0);
  DrawLine(editor.screen, 239, 207, false, 401, 240, 7, kFilledBoxMode, 7);
  DrawLine(editor.screen, 239, 207, false, 401, 240, 0, kBoxMode, 0);
  FlushScreen(editor.screen);
}

void EraseProgressMessage(Editor& editor) {
  TextLayer& text = editor.screen.text;
  SetTextColours(text, 0, -1);
  LocateText(text, kMessageColumn, kMessageRow);
  PrintText(editor.screen, "          \r\n");
  SetTextColours(text, 7, 0);
  FlushScreen(editor.screen);
}

void ProgressBarTo(Editor& editor, int right) {
  DrawLine(editor.screen, 240, 208, false, right, 239, 1, kFilledBoxMode, 1);
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

void ReportFileProblem(Editor& editor, const std::string& captionUtf8, const std::string& whatUtf8,
                       const std::string& path, const std::string& reason) {
  editor.platform.ShowMessageBox(Utf8ToSjis(whatUtf8 + "\n" + path + "\n" + reason), Utf8ToSjis(captionUtf8),
                                 MessageBoxButtons::Ok, MessageBoxIcon::Error);
}

FileResult SaveCsvDocument(Editor& editor) {
  const OperationList& list = editor.operations;
  ShowProgressPanel(editor, editor.texts.writing);
  for (int i = 0; i < list.count; i += 100) {
    const double fraction = list.count > 1 ? static_cast<double>(i) / (list.count - 1) : 0.0;
    ProgressBarTo(editor, static_cast<int>(240 + 80 * fraction));
  }
  const FileResult result = WriteWholeFile(DocumentCsvPath(editor.documentPath), CsvText(list));
  EraseProgressMessage(editor);
  return result;
}

bool LoadCsvDocument(Editor& editor) {
  ShowProgressPanel(editor, editor.texts.reading);
  auto refuse = [&](const std::string& reason) {
    EraseProgressMessage(editor);
    ReportFileProblem(editor, "読み込めません", "文書を開けませんでした:", editor.documentPath, reason);
    return false;
  };
  std::string reason;
  const std::optional<std::string> text = ReadWholeFile(editor.documentPath, &reason, kMaxDocumentBytes);
  if (!text) return refuse(reason);
  // The open document stays until the file has proved to be one.
  OperationList loaded;
  const std::size_t size = std::max<std::size_t>(text->size(), 1);
  const CsvLoadResult result = ParseCsv(*text, loaded, [&](std::size_t position) {
    ProgressBarTo(editor, static_cast<int>(240 + 160 * static_cast<double>(position) / size));
  });
  for (std::size_t at = text->find('\n'); at != std::string::npos; at = text->find('\n', at + 1)) {
    if (at == 0 || (*text)[at - 1] != '\r') return refuse("行が CR LF でなく LF だけで終わっています (lines end without CR)");
  }
  if (!text->empty() && result.lines == 0) return refuse("レコードがひとつも読み取れませんでした (no records read)");
  editor.operations = std::move(loaded);
  EraseProgressMessage(editor);
  if (result.linesLeftOut > 0) {
    const std::string message = "この文書は " + std::to_string(kMaxOperations) + " 行を超えています。最初の " +
                                std::to_string(kMaxOperations) + " 行を読み込み、残りの " +
                                std::to_string(result.linesLeftOut) + " 行は読み込んでいません。";
    editor.platform.ShowMessageBox(Utf8ToSjis(message), Utf8ToSjis("読み込み"), MessageBoxButtons::Ok,
                                   MessageBoxIcon::Warning);
  }
  return true;
}

}  // namespace kumodo
