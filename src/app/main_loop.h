#pragma once
#include "app/editor.h"

namespace kumodo {

// Dresses the window, builds the long-lived objects and draws the editor screen.
void StartUp(Editor& editor);

// Keeps the last sample as the previous one and reads the pointer and buttons.
void SamplePointerAndButtons(Editor& editor);

// One pass of the main loop: sample the input, act on it, sleep 1 ms, run the tool.
void RunPass(Editor& editor);

// Start-up, with the document at documentPath opened as the open command
// would when it is not empty, then passes until the window is closed (which
// ends the process). `busyMsPerPass` (tests only) makes each pass that much
// longer without pumping, as a slow machine would.
[[noreturn]] void RunEditor(Editor& editor, const std::string& documentPath = "", int busyMsPerPass = 0);

}  // namespace kumodo
