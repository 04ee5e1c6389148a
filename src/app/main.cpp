// kumodo [DOCUMENT.csv] | --help | --version
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/main_loop.h"
#include "platform/command_line.h"
#include "platform/desktop_platform.h"
#include "platform/file_system.h"

namespace {

constexpr std::string_view kProgram = "kumodo";

constexpr const char* kUsage =
    "Usage: kumodo [DOCUMENT.csv]\n"
    "Draw eight-colour pictures and save them as N88-BASIC programs.\n"
    "With a document, the editor starts with it opened.\n"
    "\n"
    "  -h, --help  show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "An argument after -- is a document, even when it begins with -.\n";

constexpr kumodo::OptionRule kOptions[] = {{"-h"}, {"--help"}, {"--version"}};

// For the tests only: makes every pass of the main loop this much longer, as
// a slow machine would, to show that no input is lost meanwhile.
int BusyMsPerPass() {
  const char* text = std::getenv("KUMODO_TEST_BUSY_MS_PER_PASS");
  return text ? std::clamp(std::atoi(text), 0, 1000) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const kumodo::ParsedCommandLine line = kumodo::ReadOptions(kumodo::CommandLineArguments(argc, argv), kOptions);
  if (!line.problem.empty()) return kumodo::UsageError(kProgram, line.problem);
  std::string document;
  for (const kumodo::CommandLineItem& item : line.items) {
    if (item.name == "--help" || item.name == "-h") {
      std::fputs(kUsage, stdout);
      return kumodo::FinishStandardOutput(kProgram, 0);
    }
    if (item.name == "--version") {
      std::printf("kumodo %s\n", KUMODO_VERSION);
      return kumodo::FinishStandardOutput(kProgram, 0);
    }
  }
  for (const kumodo::CommandLineItem& item : line.items) {
    if (item.value == "-") return kumodo::UsageError(kProgram, "standard input is not read: name a document file");
    if (!document.empty()) return kumodo::UsageError(kProgram, "one document at a time, not '" + item.value + "'");
    // Absolute, so that the path still names the file whatever folder a dialog moves to.
    std::error_code error;
    document = kumodo::Utf8Path(std::filesystem::absolute(kumodo::NativePath(item.value), error));
  }
  std::unique_ptr<kumodo::Platform> platform = kumodo::CreateDesktopPlatform("BASIC PROMPT");
  if (!platform) return 1;
  kumodo::Editor editor(*platform);
  kumodo::RunEditor(editor, document, BusyMsPerPass());
}
