#pragma once
// What a command-line program takes from its system: its arguments and its
// terminal, and the rules its command line follows (those of GNU tools).
#include <span>
#include <string>
#include <string_view>
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

// Whether an option takes a value. A required one is "--name=value" or
// "--name value"; an optional one only "--name=value", so that what follows
// the option (a file, say) is never taken for its value.
enum class OptionValue { None, Required, Optional };

struct OptionRule {
  std::string_view name;  // "--memory", or a short one as "-h"
  OptionValue value = OptionValue::None;
};

// One option as given (its rule's name, and its value if it has one), or one
// operand (`name` empty). After "--" every argument is an operand, and "-"
// is always one.
struct CommandLineItem {
  std::string name;
  bool hasValue = false;
  std::string value;
};

struct ParsedCommandLine {
  std::vector<CommandLineItem> items;
  std::string problem;  // a usage error in one line, else empty
};

ParsedCommandLine ReadOptions(const std::vector<std::string>& arguments, std::span<const OptionRule> rules);

// Says a usage error as GNU tools do, on standard error: the problem, then
// where to find the help. Returns the exit status of a usage error, 2.
int UsageError(std::string_view program, std::string_view problem);

// Writes standard output out. When that fails (a full disk, a closed pipe)
// it says so on standard error and a status of 0 becomes 1: what was asked
// for did not arrive.
int FinishStandardOutput(std::string_view program, int status);

}  // namespace kumodo
