// kumodo-prompt: shows one GTK prompt for the editor and exits. The editor
// runs it as a separate process, so that GTK's memory and threads never
// enter the editor itself.
//   kumodo-prompt message ok|okcancel none|warning|error CAPTION TEXT
//                            "ok" or "cancel" on standard output; exit 0 for OK, 1 otherwise
//   kumodo-prompt open|save [DESCRIPTION PATTERNS]...
//                            "chosen " and the path on standard output; exit 1 when cancelled
// Every text is UTF-8. The editor goes by the output alone.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/gtk_dialogs.h"
#include "platform/prompt_process.h"

int main(int argc, char** argv) {
  using namespace kumodo;
  // A prompt without its editor has no one to answer: the helper ends when
  // the editor does (closed while a dialog is open, or killed), also when
  // that happened before this line.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (const char* editor = std::getenv(kEditorProcessVariable); editor && getppid() != std::atoi(editor)) return 1;
  if (argc < 2) return 2;
  const std::string kind = argv[1];
  if (kind == "message" && argc == 6) {
    const MessageBoxButtons buttons = std::strcmp(argv[2], "ok") == 0 ? MessageBoxButtons::Ok : MessageBoxButtons::OkCancel;
    const MessageBoxIcon icon = std::strcmp(argv[3], "warning") == 0 ? MessageBoxIcon::Warning
                                : std::strcmp(argv[3], "error") == 0 ? MessageBoxIcon::Error
                                                                      : MessageBoxIcon::None;
    const bool ok = RunGtkMessageBox(argv[5], argv[4], buttons, icon) == MessageBoxAnswer::Ok;
    const std::string_view answer = ok ? kAnsweredOk : kAnsweredCancel;
    std::fwrite(answer.data(), 1, answer.size(), stdout);
    return ok ? 0 : 1;
  }
  if ((kind == "open" || kind == "save") && argc % 2 == 0) {
    std::vector<std::pair<std::string, std::string>> filters;
    for (int i = 2; i + 1 < argc; i += 2) filters.emplace_back(argv[i], argv[i + 1]);
    const auto chosen = RunGtkFileChooser(kind == "save" ? FileChooserAction::Save : FileChooserAction::Open, filters);
    if (!chosen) return 1;
    const std::string answer = std::string(kChosenFile) + *chosen;
    std::fwrite(answer.data(), 1, answer.size(), stdout);
    return 0;
  }
  std::fprintf(stderr, "kumodo-prompt: unknown request\n");
  return 2;
}
