#pragma once
// Every record of the running editor in one value, so that a test can build
// a fresh editor in one line. Records only; the functions live with their parts.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "export/basic_commands.h"
#include "export/tile_strings.h"
#include "picture/operations.h"
#include "picture/view_state.h"
#include "platform/platform.h"
#include "platform/text_encoding.h"
#include "screen/image.h"
#include "screen/screen.h"

namespace kumodo {

// Interface texts, held as the Shift-JIS bytes the program shows.
struct UiTexts {
  std::string windowTitle = Utf8ToSjis("Kumodo BASICジェネレータ");
  std::string writing = Utf8ToSjis("書き込み中");
  std::string reading = Utf8ToSjis("読み込み中");
};

// The three settings. A missing or short settings file leaves 1 for each,
// so every value is a valid one.
struct Settings {
  std::uint8_t outputResolution = 1;   // 1 as drawn (400 lines), 0 halved (200 lines)
  std::uint8_t tiling = 1;             // 1 tile paint written as tiles, 0 as remarks
  std::uint8_t editingResolution = 1;  // 1 400 lines, 2 200 lines
};

// The icon panels' selected values (the index of the selected button).
constexpr int kPanelCount = 13;
namespace panel {
constexpr int Tools = 1;
constexpr int Undo = 3;
constexpr int TilePalette = 7;
}  // namespace panel

struct Panels {
  std::array<float, kPanelCount> value{0, 0, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2};
};

// What the main loop samples and keeps from one pass to the next.
struct LoopState {
  std::uint8_t passCounter = 0;  // 0..7; the arrow keys act when it is 0
  PointerPosition pointer;
  PointerPosition previousPointer;
  bool leftButton = false;
  bool rightButton = false;
  bool previousLeftButton = false;
  bool previousRightButton = false;
  // 0 while neither Enter nor Space is down, 1 in the first pass one of them
  // is down, 2 while it stays down.
  std::uint8_t keyboardClick = 0;
  int hitPanel = -1;
  int clicksTaken = 0;
  // F12 undoes once per press, then repeats while held like a typed key.
  std::uint64_t undoRepeatAtMs = 0;
};

constexpr int kIconsPerPanel = 11;
constexpr int kTileImageCount = 192;

// The image objects made at start-up; they live as long as the editor.
struct ImageSet {
  Image canvas;
  Image viewCrop;
  Image snapshot;
  Image zoomedView;
  Image clean;
  std::array<Image, 3> work;
  Image import;
  Image panel;
  Image scratch;
  std::vector<Image> tiles = std::vector<Image>(kTileImageCount);
  // [look][panel][button]: look 0 selected, 1 not selected.
  std::array<std::array<std::array<Image, kIconsPerPanel>, kPanelCount>, 2> icons;
};

struct Editor {
  explicit Editor(Platform& platform) : platform(platform), screen(platform) {}

  Platform& platform;
  Screen screen;
  UiTexts texts;
  ImageSet images;
  LoopState loop;
  Settings settings;
  Panels panels;
  OperationList operations;
  DrawingState drawing;
  ViewState view;
  PictureState picture;
  // The path the last file dialog returned; the document files derive their names from it.
  std::string documentPath;
  BasicCommands basicCommands;
  TileStringTable tileStrings = BuildTileStringTable();
};

}  // namespace kumodo
