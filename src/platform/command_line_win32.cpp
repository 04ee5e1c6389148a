#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "platform/command_line.h"
#include "platform/win32_text.h"

namespace kumodo {
namespace {

DWORD consoleModeBefore = 0;

}  // namespace

// The C runtime's argv is in the local code page, where a name it lacks
// turns into question marks.
std::vector<std::string> CommandLineArguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (!wide) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(WideToUtf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

// A file or pipe has no console mode; a console older than Windows 10
// refuses the sequences and shows no progress line.
bool ErrorOutputShowsProgress() {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (!GetConsoleMode(error, &consoleModeBefore) ||
      !SetConsoleMode(error, consoleModeBefore | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
    return false;
  }
  // The console is the user's window, shared with the shell: left as it was.
  std::atexit([] { SetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), consoleModeBefore); });
  return true;
}

}  // namespace kumodo
