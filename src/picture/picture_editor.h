#pragma once
// The records the picture layer works on: the screen it draws on, its
// images, the document, and the drawing, view and input state. The shell's
// Editor is one of these with its panels, texts and files around it.
#include <array>
#include <cstdint>
#include <vector>

#include "files/settings_record.h"
#include "picture/operations.h"
#include "picture/view_state.h"
#include "platform/platform.h"
#include "screen/image.h"
#include "screen/screen.h"

namespace kumodo {

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
  // A press taken by the panel press handler that hit no panel: the tool
  // still gets it as a click in the same pass, at the spot pressed.
  bool clickPending = false;
  int clicksTaken = 0;
};

constexpr int kTileImageCount = 192;

// The image objects made at start-up; they live as long as the editor.
struct ImageSet {
  Image canvas;
  Image viewCrop;
  Image snapshot;
  Image zoomedView;
  Image clean;
  std::array<Image, 3> work;  // the underlays, by underlay::
  Image import;
  Image panel;
  Image scratch;
  std::vector<Image> tiles = std::vector<Image>(kTileImageCount);
};

struct PictureEditor {
  explicit PictureEditor(Platform& platform) : screen(platform) {}

  Screen screen;
  ImageSet images;
  LoopState loop;
  Settings settings;
  OperationList operations;
  UndoneGroups undone;
  DrawingState drawing;
  ViewState view;
  PictureState picture;
};

}  // namespace kumodo
