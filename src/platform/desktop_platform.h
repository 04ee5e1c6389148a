#pragma once
// The real window. On Linux: SDL2 for the window, input, presentation and
// the beep, GTK 3 for the prompts. On Windows: the Win32 services directly.
#include <memory>

#include "platform/platform.h"

namespace kumodo {

// Opens the 800 x 600 window at (0, 0). Returns nothing, with a message on
// standard error, when there is no display.
std::unique_ptr<Platform> CreateDesktopPlatform(std::string_view sjisTitle);

}  // namespace kumodo
