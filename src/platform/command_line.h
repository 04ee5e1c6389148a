#pragma once
// What a command-line program takes from its system: its arguments and its
// terminal.
#include <string>
#include <vector>

namespace kumodo {

// The arguments after the program's name, in UTF-8 as every path in the
// program is (on Windows read from the UTF-16 command line, so that a name
// outside the local code page arrives whole).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// True when standard error is a terminal that shows a progress line: CR
// goes back to the line's start, ESC [ K erases to its end. A Windows console
// is set to read those sequences until the program ends.
bool ErrorOutputShowsProgress();

}  // namespace kumodo
