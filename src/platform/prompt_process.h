#pragma once
// Runs the prompt helper (kumodo-prompt, beside the editor's own program) and
// waits for it, calling keepAlive every few milliseconds meanwhile.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kumodo {

struct PromptOutcome {
  int exitCode = -1;  // -1 when the helper could not be run
  std::string output;
};

PromptOutcome RunPromptProcess(const std::vector<std::string>& arguments, const std::function<void()>& keepAlive);

}  // namespace kumodo
