#pragma once
// The document's files as the editor reads and writes them: the CSV
// document and the BASIC program beside it, with the message panel and the
// progress bar, and the message box for a file that cannot be used.
#include <functional>
#include <string>
#include <string_view>

#include "app/editor.h"
#include "export/machine_program.h"
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
// not fit the machine's free area, holds a fill the machine's PAINT never
// ends or leaves the machine's picture differing, and that kumodo-export
// --machine writes one that does; else nothing. `used`: the bytes the
// program takes beyond an empty document's (ProgramFits).
std::string MachineAdvice(std::size_t used, const MachineVerdict& verdict);

// Checks the document's program, just saved, on the machine's model
// (CheckOnTheMachine) and says the advice on the status line. A check the
// save cannot finish within about a tenth of a second goes on in the main
// loop's passes (ContinueProgramCheck), the status line saying so; a new
// save starts afresh.
void CheckSavedProgram(Editor& editor, const ProgramMemory& memory);

// A slice of the check under way, a few milliseconds; its advice once done.
// A check that would run for about a minute is cut short, and says so.
void ContinueProgramCheck(Editor& editor);

// Ends the check under way, saying so (an open: its word would be about a
// document no longer shown).
void CutProgramCheckShort(Editor& editor);

// Replaces the list by the records of the file at the document path
// (ReadCsvDocument), with the message panel and progress bar. A file that is
// no document leaves the list untouched and says why; lines past the
// capacity are reported. Once the file is read, `mayReplace` (when given)
// has the last word: false keeps the list.
bool LoadCsvDocument(Editor& editor, const std::function<bool()>& mayReplace = {});

// The panel with a message (Shift-JIS: "reading", "writing") and the empty
// progress frame; the bar then filled to a share of it, from 0 to 1.
void ShowProgressPanel(Editor& editor, const std::string& sjisMessage);
void ProgressBarShare(Editor& editor, double share);

// Shows the message box for a file the program could not read or write.
void ReportFileProblem(Editor& editor, std::string_view captionUtf8, std::string_view whatUtf8, const std::string& path,
                       const std::string& reason);

}  // namespace kumodo
