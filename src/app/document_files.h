#pragma once
// The document's files as the editor reads and writes them: the CSV
// document and the BASIC program beside it, with the message panel and the
// progress bar, and the message box for a file that cannot be used.
#include <functional>
#include <string>
#include <string_view>

#include "app/editor.h"
#include "export/program_memory.h"
#include "platform/file_system.h"

namespace kumodo {

// Saves the document as CSV under DocumentCsvPath of the document path, with
// the message panel and the left half of the progress bar. The caller says
// what went wrong.
FileResult SaveCsvDocument(Editor& editor);

// Writes the program beside the document (DocumentProgramPath) with the
// right half of the progress bar, and says what it takes once loaded. The
// caller says what went wrong.
struct WrittenProgram {
  FileResult written;
  ProgramMemory memory;
};
WrittenProgram GenerateBasicProgram(Editor& editor);

// For the status line after a save: whether the program just written will
// not fit the machine's free area or holds fills the machine's PAINT leaves
// short, and that kumodo-export --machine writes one that does; else nothing.
std::string MachineAdvice(const Editor& editor, const ProgramMemory& memory);

// Replaces the list by the records of the file at the document path
// (ReadCsvDocument), with the message panel and progress bar. A file that is
// no document leaves the list untouched and says why; lines past the
// capacity are reported. Once the file is read, `mayReplace` (when given)
// has the last word: false keeps the list.
bool LoadCsvDocument(Editor& editor, const std::function<bool()>& mayReplace = {});

// Shows the message box for a file the program could not read or write.
void ReportFileProblem(Editor& editor, std::string_view captionUtf8, std::string_view whatUtf8, const std::string& path,
                       const std::string& reason);

}  // namespace kumodo
