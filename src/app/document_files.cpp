#include "app/document_files.h"

#include "app/ui_texts.h"
#include "export/basic_program.h"
#include "export/machine_program.h"
#include "files/csv_document.h"
#include "files/text_file.h"
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

void ReportFileProblem(Editor& editor, std::string_view captionUtf8, std::string_view whatUtf8, const std::string& path,
                       const std::string& reason) {
  editor.platform.ShowMessageBox(Utf8ToSjis(std::string(whatUtf8) + "\n" + path + "\n" + reason),
                                 Utf8ToSjis(std::string(captionUtf8)),
                                 MessageBoxButtons::Ok, MessageBoxIcon::Error);
}

FileResult SaveCsvDocument(Editor& editor) {
  const OperationList& list = editor.operations;
  ShowProgressPanel(editor, Utf8ToSjis(ui::kWriting));
  for (int i = 0; i < list.count; i += 100) {
    const double fraction = list.count > 1 ? static_cast<double>(i) / (list.count - 1) : 0.0;
    ProgressBarTo(editor, static_cast<int>(240 + 80 * fraction));
  }
  const FileResult result = WriteWholeFile(DocumentCsvPath(editor.documentPath), CsvText(list));
  EraseProgressMessage(editor);
  return result;
}

WrittenProgram GenerateBasicProgram(Editor& editor) {
  const OperationList& list = editor.operations;
  DrawLine(editor.screen, 240, 208, false, 320, 239, 1, kFilledBoxMode, 1);
  const std::string text =
      BasicProgramText(list, editor.settings, editor.basicCommands, editor.tileStrings, [&](int i) {
        const int width = list.count > 1 ? 80 * i / (list.count - 1) : 0;
        DrawLine(editor.screen, 320, 208, false, 320 + width, 239, 1, kFilledBoxMode, 1);
      });
  FlushScreen(editor.screen);
  return {WriteWholeFile(DocumentProgramPath(editor.documentPath), text, LinksFollowed::OwnOnly),
          EstimateProgramMemory(text)};
}

std::string MachineAdvice(const Editor& editor, const ProgramMemory& memory) {
  const OperationList& list = editor.operations;
  const int shortFills =
      ShortFills({list.slots.data(), static_cast<std::size_t>(list.count)}, editor.settings, editor.tileStrings);
  const bool fits = ProgramFits(memory, kFreeAreaBytes);
  if (!fits && shortFills > 0) return ui::ProgramTooLargeAndFillsLeftShort(memory.records, kFreeAreaBytes, shortFills);
  if (!fits) return ui::ProgramTooLarge(memory.records, kFreeAreaBytes);
  if (shortFills > 0) return ui::FillsLeftShort(shortFills);
  return "";
}

bool LoadCsvDocument(Editor& editor) {
  ShowProgressPanel(editor, Utf8ToSjis(ui::kReading));
  const DocumentRead read = ReadCsvDocument(editor.documentPath, editor.operations, [&](std::size_t at, std::size_t size) {
    ProgressBarTo(editor, static_cast<int>(240 + 160 * static_cast<double>(at) / std::max<std::size_t>(size, 1)));
  });
  EraseProgressMessage(editor);
  if (!read.ok) {
    ReportFileProblem(editor, ui::kCannotReadCaption, ui::kDocumentNotOpened,
                      editor.documentPath, read.reason);
    return false;
  }
  if (read.linesLeftOut > 0) {
    editor.platform.ShowMessageBox(Utf8ToSjis(ui::LinesLeftOut(kMaxOperations, read.linesLeftOut)),
                                   Utf8ToSjis(ui::kLinesLeftOutCaption), MessageBoxButtons::Ok,
                                   MessageBoxIcon::Warning);
  }
  return true;
}

}  // namespace kumodo
