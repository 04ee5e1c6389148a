#pragma once
// The document on disk: one line per operation record, its eight fields as
// decimal integers separated by commas, each line ended by CR LF.
#include <functional>
#include <string>
#include <string_view>

#include "app/editor.h"

namespace kumodo {

// The CSV text of records 0 to count - 1.
std::string CsvText(const OperationList& list);

struct CsvLoadResult {
  int lines = 0;         // complete lines (ended by CR) read into the list
  int linesLeftOut = 0;  // complete lines past the list's capacity
};

// Reads CSV text into the list: fields end at "," or at CR (which also
// swallows the byte after it); a field that is not a number reads 0 and an
// overlong one is cut; fields past the eighth are ignored. A last line
// without CR is not counted. Records inside the new count that a short line
// does not reach keep their fields; every slot past it is blanked. Lines past
// the capacity are counted and left out. progress(position) is called every
// 200 bytes.
CsvLoadResult ParseCsv(std::string_view text, OperationList& list,
                       const std::function<void(std::size_t)>& progress = {});

// Saves the document as CSV under the document path with its extension made
// ".csv", with the message panel and the left half of the progress bar.
// A failure is reported in a message box; the result says whether it saved.
bool SaveCsvDocument(Editor& editor);

// Replaces the list by the records of the file at the document path, with
// the message panel and progress bar. A file that cannot be read leaves the
// list untouched and says so; lines past the capacity are reported.
bool LoadCsvDocument(Editor& editor);

// Shows the message box for a file the program could not read or write.
void ReportFileProblem(Editor& editor, const std::string& captionUtf8, const std::string& whatUtf8,
                       const std::string& path, const std::string& reason);

}  // namespace kumodo
