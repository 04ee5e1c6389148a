#pragma once
// A started editor on the scripted platform whose window never closes.
#include "app/main_loop.h"
#include "platform/headless_platform.h"

namespace kumodo {

struct BenchEditor {
  BenchEditor() : platform({}, ~0ull / 2), editor(platform) { StartUp(editor); }
  HeadlessPlatform platform;
  Editor editor;
};

}  // namespace kumodo
