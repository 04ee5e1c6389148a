#include "platform/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kumodo {

ParsedCommandLine ReadOptions(const std::vector<std::string>& arguments, std::span<const OptionRule> rules) {
  ParsedCommandLine line;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument == "-" || !argument.starts_with("-")) {
      line.items.push_back({"", false, argument});
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = argument.starts_with("--") ? argument.find('=') : std::string::npos;
    const std::string name = argument.substr(0, equals);
    const OptionRule* rule = nullptr;
    for (const OptionRule& candidate : rules) {
      if (candidate.name == name) rule = &candidate;
    }
    if (!rule) {
      line.problem = "unknown option '" + name + "'";
      return line;
    }
    CommandLineItem item{name, equals != std::string::npos, ""};
    if (item.hasValue) item.value = argument.substr(equals + 1);
    if (rule->value == OptionValue::None && item.hasValue) {
      line.problem = "option '" + name + "' takes no value";
      return line;
    }
    if (rule->value == OptionValue::Required && !item.hasValue) {
      if (i + 1 >= arguments.size()) {
        line.problem = "option '" + name + "' needs a value";
        return line;
      }
      item.hasValue = true;
      item.value = arguments[++i];
    }
    line.items.push_back(std::move(item));
  }
  return line;
}

int UsageError(std::string_view program, std::string_view problem) {
  std::fprintf(stderr, "%.*s: %.*s\nTry '%.*s --help' for more information.\n", static_cast<int>(program.size()),
               program.data(), static_cast<int>(problem.size()), problem.data(), static_cast<int>(program.size()),
               program.data());
  return 2;
}

int FinishStandardOutput(std::string_view program, int status) {
  const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout);
  if (!failed) return status;
  std::fprintf(stderr, "%.*s: write error on standard output: %s\n", static_cast<int>(program.size()), program.data(),
               std::strerror(errno));
  return status == 0 ? 1 : status;
}

}  // namespace kumodo
