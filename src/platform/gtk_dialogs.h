#pragma once
// The system's modal prompts on Linux, through GTK 3: message boxes and the
// open and save file choosers. They run in the prompt helper process, so that
// the editor itself never loads GTK.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace kumodo {

// Texts are UTF-8 here. Without a display the answer is Cancel.
MessageBoxAnswer RunGtkMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                                  MessageBoxIcon icon);

enum class FileChooserAction { Open, Save };

// Filters as UTF-8 descriptions and ";"-separated patterns. Returns the chosen
// native path, or nothing when cancelled.
std::optional<std::string> RunGtkFileChooser(FileChooserAction action,
                                             const std::vector<std::pair<std::string, std::string>>& filters);

// "*.bmp" becomes "*.[bB][mM][pP]": Windows users expect file types to match
// whatever the letter case.
std::string CaseInsensitivePattern(const std::string& pattern);

}  // namespace kumodo
