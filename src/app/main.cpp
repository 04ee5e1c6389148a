#include "app/main_loop.h"
#include "platform/desktop_platform.h"

int main() {
  std::unique_ptr<kumodo::Platform> platform = kumodo::CreateDesktopPlatform("BASIC PROMPT");
  if (!platform) return 1;
  kumodo::Editor editor(*platform);
  kumodo::RunEditor(editor);
}
