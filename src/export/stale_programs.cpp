#include "export/stale_programs.h"

#include <cctype>
#include <filesystem>
#include <optional>
#include <string_view>

#include "export/basic_program.h"
#include "export/machine_program.h"
#include "files/text_file.h"
#include "platform/file_system.h"

namespace kumodo {
namespace {

// Every line of a part is numbered from here on; a whole program's opening
// lines come before.
constexpr long kFirstPartLine = 10000;

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(NativePath(path), error));
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::symlink_status(NativePath(path), error));
}

long FirstLineNumber(std::string_view text) {
  long number = 0;
  std::size_t digits = 0;
  while (digits < text.size() && digits < 6 && std::isdigit(static_cast<unsigned char>(text[digits]))) {
    number = number * 10 + (text[digits++] - '0');
  }
  return digits == 0 ? -1 : number;
}

// Whether the text's end chains to part `next` of the stem's program, of
// any count of parts: the disk name's cut depends on the count's digits.
bool ChainsTo(std::string_view end, const std::string& diskStem, int next) {
  for (int parts = 9; parts <= 99999; parts = parts * 10 + 9) {
    if (parts < next) continue;
    const std::string chain = "\r\n59999 CHAIN \"" + PartDiskName(diskStem, next, parts) + "\"\r\n";
    if (end.find(chain) != std::string_view::npos) return true;
  }
  return false;
}

bool EndsTheProgram(std::string_view end) { return end.find("\r\n59999 END\r\n") != std::string_view::npos; }

// Whether the program is part `part` of a split program of the stem: it
// chains to the next part, or, after the first, is numbered as a part and
// ends the program.
bool IsPartOf(const ProgramFileEnds& program, const std::string& diskStem, int part) {
  if (ChainsTo(program.end, diskStem, part + 1)) return true;
  return part > 1 && FirstLineNumber(program.start) >= kFirstPartLine && EndsTheProgram(program.end);
}

}  // namespace

StalePrograms RemoveStalePrograms(const std::string& documentPath, int parts) {
  StalePrograms stale;
  const std::string stem = WithExtension(documentPath, "");
  const std::string diskStem = FileNamePart(stem);
  auto remove = [&stale](const std::string& path) {
    std::error_code error;
    if (IsRegularFile(path) && std::filesystem::remove(NativePath(path), error)) {
      stale.removed.push_back(path);
    } else {
      stale.left.push_back(path);
    }
  };
  if (parts > 1) {
    const std::string single = DocumentProgramPath(documentPath);
    if (IsProgramFileOfOurs(single)) remove(single);
  }
  // Parts are numbered without gaps: the earlier program's end where none is.
  for (int number = parts > 1 ? parts + 1 : 1;; ++number) {
    const std::string path = PartFileName(stem, number);
    if (!Exists(path)) break;
    const std::optional<ProgramFileEnds> program = ReadProgramFileOfOurs(path);
    const bool part = program && IsPartOf(*program, diskStem, number);
    if (Exists(WithExtension(path, ".csv"))) {
      // Its own document's program, or this one's part under the same name.
      if (part) stale.left.push_back(path);
    } else if (part) {
      remove(path);
    } else if (program) {
      stale.left.push_back(path);
    }
  }
  return stale;
}

}  // namespace kumodo
