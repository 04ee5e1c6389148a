// kumodo [DOCUMENT.csv] | --help | --version
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/main_loop.h"
#include "platform/desktop_platform.h"
#include "platform/file_system.h"

namespace {

constexpr const char* kUsage =
    "Usage: kumodo [DOCUMENT.csv]\n"
    "Draw eight-colour pictures and save them as N88-BASIC programs.\n"
    "With a document, the editor starts with it opened.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
  std::string document;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argument == "--version") {
      std::printf("kumodo %s\n", KUMODO_VERSION);
      return 0;
    }
    if (argument.starts_with("-") || !document.empty()) {
      std::fprintf(stderr, "kumodo: unexpected argument '%s'\n%s", argv[i], kUsage);
      return 2;
    }
    // Absolute, so that the path still names the file whatever folder a dialog moves to.
    std::error_code error;
    document = kumodo::Utf8Path(std::filesystem::absolute(kumodo::NativePath(argument), error));
  }
  std::unique_ptr<kumodo::Platform> platform = kumodo::CreateDesktopPlatform("BASIC PROMPT");
  if (!platform) return 1;
  kumodo::Editor editor(*platform);
  kumodo::RunEditor(editor, document);
}
