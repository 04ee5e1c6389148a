#pragma once
// The system's modal prompts on Linux, through GTK 3: message boxes and the
// open and save file choosers. While a prompt is open, keepAlive runs every
// few milliseconds so that the program's own window stays painted.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kumodo {

// Texts are UTF-8 here. Without a display the answer is Cancel.
MessageBoxAnswer RunGtkMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                                  const std::function<void()>& keepAlive);

enum class FileChooserAction { Open, Save };

// Filter descriptions are Shift-JIS as the program gives them. Returns the
// chosen native path, or nothing when cancelled.
std::optional<std::string> RunGtkFileChooser(FileChooserAction action, const std::vector<FileFilter>& filters,
                                             const std::function<void()>& keepAlive);

// "*.bmp" becomes "*.[bB][mM][pP]": Windows users expect file types to match
// whatever the letter case.
std::string CaseInsensitivePattern(const std::string& pattern);

}  // namespace kumodo
