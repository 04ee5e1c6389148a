#pragma once
// Where the program finds its files. Portable, as it always was: when the
// working directory holds res/, the interface bitmaps, the command file and
// the settings are all read there. Installed: otherwise res/ and the command
// files come from the data folder found from the program's own file
// (<prefix>/share/kumodo for <prefix>/bin/kumodo, so any prefix and a copy
// under DESTDIR work), and the settings live in the user's configuration
// folder (kumodo/kumodo-setup.ini there), made when first written. Either
// way the recovery journals live in the user's state folder (kumodo/ there).
#include <string>
#include <string_view>

namespace kumodo {

constexpr const char* kBasicCommandFileName = "kumodo-basic-cmd.txt";

struct ProgramFolders {
  std::string data;          // holds res/ and the command files
  std::string settingsFile;  // the settings file's path
  std::string journals;      // where the recovery journals are
  bool portable = true;
};

ProgramFolders FindProgramFolders();

// A file of the data folder: "res/F1.bmp", the command file.
std::string DataFile(const ProgramFolders& folders, std::string_view relative);

}  // namespace kumodo
