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

// The helper learns the editor's process id from this variable, and ends
// when that process does, whatever prompt it shows.
constexpr const char* kEditorProcessVariable = "KUMODO_EDITOR_PID";

PromptOutcome RunPromptProcess(const std::vector<std::string>& arguments, const std::function<void()>& keepAlive);

// Whether the helper is there to run.
bool PromptHelperPresent();

}  // namespace kumodo
