#pragma once
// Runs the prompt helper (kumodo-prompt, beside the editor's own program) and
// waits for it, calling keepAlive every few milliseconds meanwhile.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kumodo {

// What the helper writes on its standard output, and all the editor goes
// by: how the helper's process ends does not count, so that a library's
// report on the way out (a sanitizer's leak check, say) cannot undo an
// answer the user gave. A message answers "ok" or "cancel"; a file prompt
// "chosen " and the path, or nothing when cancelled.
constexpr std::string_view kAnsweredOk = "ok";
constexpr std::string_view kAnsweredCancel = "cancel";
constexpr std::string_view kChosenFile = "chosen ";

struct PromptOutcome {
  std::string output;  // empty when the helper could not be run
  bool AnsweredOk() const { return output == kAnsweredOk; }
  // The path chosen, nothing when the prompt was cancelled or failed.
  std::optional<std::string> ChosenPath() const {
    if (output.size() <= kChosenFile.size() || output.rfind(kChosenFile, 0) != 0) return std::nullopt;
    return output.substr(kChosenFile.size());
  }
};

// The helper learns the editor's process id from this variable, and ends
// when that process does, whatever prompt it shows.
constexpr const char* kEditorProcessVariable = "KUMODO_EDITOR_PID";

PromptOutcome RunPromptProcess(const std::vector<std::string>& arguments, const std::function<void()>& keepAlive);

// Whether the helper is there to run.
bool PromptHelperPresent();

}  // namespace kumodo
