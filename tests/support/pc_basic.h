#pragma once
// PC-BASIC, a Microsoft-family BASIC interpreter, in its 640 x 200
// 16-colour screen, where colour numbers 0 to 7 are the editor's: what a
// program draws there, read back by tests/tools/pcbasic_screen.py.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/text_file.h"

namespace kumodo::pc_basic {

namespace fs = std::filesystem;

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 200;

// An empty folder for the interpreter's disk, one per test and process.
inline fs::path Folder(const std::string& name) {
  const fs::path folder = fs::temp_directory_path() / ("kumodo-" + name + "-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

struct Run {
  std::vector<std::uint8_t> dumped;  // the DUMP rectangles' colour numbers, row by row
  std::string screenText;            // what the text screen showed at the end
  bool finished = false;             // within the time given
};

// Runs a script of DO / RUN / DUMP lines (see the script) in the folder.
inline Run RunScript(const fs::path& folder, const std::string& script, int seconds) {
  std::ofstream(folder / "script.txt", std::ios::binary) << script;
  const std::string command = "/usr/bin/python3 '" KUMODO_SOURCE_DIR "/tests/tools/pcbasic_screen.py' '" +
                              folder.string() + "' script.txt dump.bin " + std::to_string(seconds) + " > '" +
                              (folder / "screen.txt").string() + "' 2>/dev/null";
  Run run;
  run.finished = std::system(command.c_str()) == 0;
  const std::string dumped = ReadWholeFile((folder / "dump.bin").string()).value_or("");
  run.dumped.assign(dumped.begin(), dumped.end());
  run.screenText = ReadWholeFile((folder / "screen.txt").string()).value_or("");
  return run;
}

// A program of the 200-line command file made ready for that screen: its
// screen line, CLS 3 as CLS, and the fourth plane's byte after every three
// of a tile string.
inline std::string ForScreen8(std::string program) {
  const std::string opening = "1000 SCREEN";
  if (const std::size_t at = program.find(opening); at != std::string::npos) {
    const std::size_t end = program.find_first_of(":\r", at);
    program.replace(at, end - at, "1000 SCREEN 8");
  }
  for (std::size_t at = 0; (at = program.find("CLS 3", at)) != std::string::npos;) program.replace(at, 5, "CLS");
  const std::string term = "CHR$(&H00)";
  std::string out;
  int terms = 0;
  for (std::size_t at = 0; at < program.size();) {
    if (program.compare(at, 6, "CHR$(&") == 0) {
      const std::size_t close = program.find(')', at);
      out.append(program, at, close + 1 - at);
      at = close + 1;
      if (++terms % 3 == 0) out += "+" + term;
      if (at < program.size() && program[at] != '+') terms = 0;
      continue;
    }
    out += program[at++];
  }
  return out;
}

}  // namespace kumodo::pc_basic
