#pragma once
// The document on disk: one line per operation record, its eight fields as
// decimal integers separated by commas, each line ended by CR LF.
#include <functional>
#include <string>
#include <string_view>

#include "picture/operations.h"
#include "platform/file_system.h"

namespace kumodo {

// The CSV text of records 0 to count - 1.
std::string CsvText(const OperationList& list);

struct CsvLoadResult {
  int lines = 0;          // lines read into the list
  int linesLeftOut = 0;   // lines past the list's capacity
  bool anyNumber = false;  // some field of a line read into the list holds a number
};

// Reads CSV text into the list: fields end at "," or at CR (which also
// swallows the byte after it); a field that is not a number reads 0 and an
// overlong one is cut; fields past the eighth are ignored. A last line
// without CR is read too, so that no record goes without a word. Records
// inside the new count that a short line does not reach keep their fields;
// every slot past it is blanked. Lines past the capacity are counted and
// left out. progress(position) is called every 200 bytes.
CsvLoadResult ParseCsv(std::string_view text, OperationList& list,
                       const std::function<void(std::size_t)>& progress = {});

// A document of 30,000 records needs under 2 MB (eight fields of up to six
// characters a line); hand-edited ones may hold blanks and longer numbers.
// Anything larger is no document of this program and is not read.
constexpr std::size_t kMaxDocumentBytes = std::size_t{8} << 20;

struct DocumentRead {
  bool ok = false;
  std::string reason;    // why not, when not ok
  int linesLeftOut = 0;  // complete lines past the list's capacity
};

// Reads the document at the path into the list, only when it proves to be
// one, so that no list is loaded changed without a word (and a save then
// writes the damage back). These leave the list untouched, with the reason:
// - a file that cannot be read (not a regular file, larger than
//   kMaxDocumentBytes);
// - control bytes other than tab, CR and LF: some other kind of file;
// - lines ended otherwise than by CR LF: LF alone, CR alone or CR CR LF
//   (written elsewhere; by the rules for this program's files they would
//   run into each other or turn into records of kind 0);
// - a non-empty file in which no line holds a number.
// A UTF-8 byte-order mark at the start (some text editors write one) is
// skipped. An empty file is an empty document, as the editor saves one.
// progress(position, size) follows ParseCsv.
DocumentRead ReadCsvDocument(const std::string& path, OperationList& list,
                             const std::function<void(std::size_t, std::size_t)>& progress = {});

// The reason for a file that yields no record.
std::string NoRecordsReason();

}  // namespace kumodo
