#pragma once
// The three settings, as the settings file holds them, and what the editing
// resolution decides.
#include <cstdint>
#include <string>

namespace kumodo {

constexpr const char* kSettingsFileName = "kumodo-setup.ini";

// A missing or short settings file leaves 1 for each, so every value is a valid one.
struct Settings {
  std::uint8_t outputResolution = 1;   // 1 as drawn (400 lines), 0 halved (200 lines)
  std::uint8_t tiling = 1;             // 1 tile paint written as tiles, 0 as remarks
  std::uint8_t editingResolution = 1;  // 1 400 lines, 2 200 lines
};

// The settings file's three decimal lines; values it does not supply keep
// what `settings` held.
void ReadSettings(const std::string& path, Settings& settings);
// Three lines, CR LF: output resolution, tiling, editing resolution.
std::string SettingsFileText(const Settings& settings);

// The picture's height for the editing resolution: 200 rows in the 200-line
// setting (2), else 400; and the screen rows one picture row takes there.
int PictureHeight(const Settings& settings);
int VerticalStep(const Settings& settings);

}  // namespace kumodo
