#pragma once
// The three settings, their file, and the settings screen.
#include "app/editor.h"

namespace kumodo {

// Reads the settings file of the program's folders; values the file does
// not supply keep what they had. The view follows at SetUpView.
void ReadSettingsFile(Editor& editor);
bool WriteSettingsFile(Editor& editor);

// The modal settings screen over the picture, until OK or Cancel.
void SettingsScreen(Editor& editor);

// "400 ライン" or "200 ライン" below the view.
void ShowResolutionLabel(Editor& editor);

}  // namespace kumodo
