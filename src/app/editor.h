#pragma once
// Every record of the running editor in one value, so that a test can build
// a fresh editor in one line. Records only; the functions live with their parts.
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/basic_commands.h"
#include "export/machine_program.h"
#include "export/program_memory.h"
#include "export/tile_strings.h"
#include "files/program_folders.h"
#include "files/recovery_journal.h"
#include "picture/picture_editor.h"
#include "trace/colour_grid.h"
#include "trace/work_lists.h"

namespace kumodo {

// The icon panels: groups of bitmap buttons of which at most one is selected.
constexpr int kPanelCount = 13;
constexpr int kButtonsPerPanel = 192;
namespace panel {
constexpr int Underlay = 0;
constexpr int Tools = 1;
constexpr int Files = 2;
constexpr int Undo = 3;
constexpr int PaintDisplay = 4;
constexpr int OutputResolution = 5;
constexpr int Tiling = 6;
constexpr int TilePalette = 7;
constexpr int DrawingColour = 8;
constexpr int BorderColour = 9;
constexpr int Zoom = 10;
constexpr int EditingResolution = 11;
constexpr int SettingsOkCancel = 12;
}  // namespace panel

constexpr int kIconsPerPanel = 11;

struct PanelButton {
  int left = 0;
  int top = 0;
  int width = 0;  // the button exists only while this is above 0
  int height = 0;
  std::string name;  // the icon's bitmap file; empty for buttons drawn elsewhere
};

struct Panels {
  std::array<std::array<PanelButton, kButtonsPerPanel>, kPanelCount> buttons;
  // The selected button; a value naming no button selects none.
  std::array<int, kPanelCount> value{0, 0, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2};
  // A panel is hit-tested and drawn only while active.
  std::array<bool, kPanelCount> active{};
  int changeCounter = 0;  // value changes since the press handler last counted
  int hit = -1;           // the panel the last press hit, until a step acts on it; -1 for none
  // The paint and tile paint icons' widths, kept while paint display hides them.
  int savedPaintWidth = 0;
  int savedTilePaintWidth = 0;
  // Entry b of the tile palette selects these drawing and second colours.
  std::array<std::int16_t, kButtonsPerPanel> firstColours{};
  std::array<std::int16_t, kButtonsPerPanel> secondColours{};
  // [look][panel][button]: look 0 selected, 1 not selected.
  std::array<std::array<std::array<Image, kIconsPerPanel>, kPanelCount>, 2> icons;
};

// A key that runs a command: undo and redo repeat while it is held.
enum class KeyCommand { None, Undo, Redo, Save, Open, DrawPicture };
struct CommandKeyState {
  KeyCommand command = KeyCommand::None;  // settled when the key went down
  std::uint64_t repeatAtMs = 0;           // 0 while the key is up
};
// F12 alone; the letters with Ctrl.
struct CommandKeyStates {
  CommandKeyState f12;
  CommandKeyState z;
  CommandKeyState y;
  CommandKeyState s;
  CommandKeyState o;
  CommandKeyState f9;
};

// The check of the program a save wrote, on the machine's model, while it
// goes on between passes of the main loop.
struct ProgramCheck {
  std::unique_ptr<MachineCheck> running;
  std::size_t used = 0;  // what the program checked takes beyond an empty document's (ProgramFits)
  std::chrono::steady_clock::duration spent{};
};

// The picture's records are the base; the shell's are added here.
struct Editor : PictureEditor {
  explicit Editor(Platform& platform) : PictureEditor(platform), platform(platform) {}

  Platform& platform;
  Panels panels;
  CommandKeyStates commandKeys;
  // The path the last file dialog returned; the document files derive their names from it.
  std::string documentPath;
  // Where res/, the command file, the settings and the recovery journals are.
  ProgramFolders folders;
  // The list's changes as they are made, for a start after a crash to restore.
  RecoveryJournal journal;
  BasicCommands basicCommands;
  ColourGrid colourGrid;
  // The picture the last import drew, 640 x 400 as the screen showed it
  // (black beyond it); empty before any. The picture command draws it.
  Bitmap importedPicture;
  WorkLists workLists;
  TileStringTable tileStrings = BuildTileStringTable();
  ProgramCheck programCheck;
};

}  // namespace kumodo
