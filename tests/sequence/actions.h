#pragma once
// What a user does, one action at a time, as the sequence test generates,
// performs, prints and shrinks it. Every action can follow any other: one
// that makes no sense in the state it meets (a scroll drag at zoom 1, opening
// a document never saved) still runs, as a user's would.
#include <cstdint>
#include <random>
#include <string>
#include <variant>
#include <vector>

namespace kumodo::sequence {

struct KeyTap {
  int key;  // virtual key
  int holdMs;
  int modifier = 0;  // Ctrl or Shift held around the key, 0 for none
};
// The left button at a window point: on the picture, or beside it where nothing answers.
struct Click {
  int x;
  int y;
  int holdMs;
};
struct RightClick {};
// An icon of the editor's panels; a key may be tapped while the button is held.
struct IconClick {
  int panel;
  int button;
  int keyWhileHeld;  // 0 for none
};
struct ScrollDrag {
  bool vertical;
  int distance;  // screen pixels
};
// The settings screen: the choices clicked, a key tapped on the way, OK or Cancel.
struct SettingsVisit {
  int editingResolutionButton;  // -1 left alone, 0 400 lines, 1 200 lines
  bool toggleOutput;
  bool toggleTiling;
  int keyTapped;         // 0 for none
  bool keyHeldPastEnd;   // pressed before the closing click, released after it
  bool ok;
};
struct Import {
  int picture;  // index into the test pictures; -1 cancels the dialog
  bool digital;
};
struct Save {
  int slot;  // document file doc<slot>.csv
  bool overwrite;
  bool byKeys = false;  // Ctrl+S rather than the icon
};
struct Open {
  int slot;
  bool byKeys = false;  // Ctrl+O rather than the icon
  bool dropDrawing = true;  // the answer when asked about a drawing not saved
};

using Action = std::variant<KeyTap, Click, RightClick, IconClick, ScrollDrag, SettingsVisit, Import, Save, Open>;

// One handler per kind of action, for std::visit.
template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

std::string Describe(const Action& action);
std::string Describe(const std::vector<Action>& actions);

// The actions of one seeded sequence; the same seed always gives the same list.
std::vector<Action> GenerateSequence(std::uint32_t seed, int pictureCount);

}  // namespace kumodo::sequence
