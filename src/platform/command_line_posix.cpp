#include <unistd.h>

#include "platform/command_line.h"

namespace kumodo {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

bool ErrorOutputShowsProgress() { return isatty(STDERR_FILENO); }

}  // namespace kumodo
