#include "sequence/actions.h"

#include <array>
#include <sstream>

#include "app/editor.h"

namespace kumodo::sequence {
namespace {

std::string KeyName(int key) {
  if (key >= vk::F1 && key <= vk::F12) return "F" + std::to_string(key - vk::F1 + 1);
  if (key >= vk::Numpad0 && key <= vk::Numpad0 + 9) return "keypad " + std::to_string(key - vk::Numpad0);
  if (key >= vk::Digit0 && key <= vk::Digit0 + 9) return "digit " + std::to_string(key - vk::Digit0);
  if (key >= vk::LetterA && key < vk::LetterA + 26) return std::string(1, static_cast<char>('A' + key - vk::LetterA));
  switch (key) {
    case vk::Enter:
      return "Enter";
    case vk::Escape:
      return "Escape";
    case vk::Control:
      return "Ctrl";
    case vk::Shift:
      return "Shift";
    case vk::Space:
      return "Space";
    case vk::Left:
      return "Left";
    case vk::Right:
      return "Right";
    case vk::Up:
      return "Up";
    case vk::Down:
      return "Down";
    default:
      return "key " + std::to_string(key);
  }
}

std::string PanelName(int panelIndex) {
  constexpr std::array<const char*, kPanelCount> kNames = {
      "underlay", "tool",  "file",         "undo",          "paint display", "output resolution", "tiling",
      "tile palette", "drawing colour", "border colour", "zoom", "editing resolution", "settings OK/Cancel"};
  return kNames[static_cast<std::size_t>(panelIndex)];
}

class Dice {
 public:
  explicit Dice(std::uint32_t seed) : engine_(seed) {}
  // From lo to hi, both included; the same numbers on every system.
  int Pick(int lo, int hi) { return lo + static_cast<int>(engine_() % static_cast<std::uint32_t>(hi - lo + 1)); }
  bool Chance(int percent) { return Pick(1, 100) <= percent; }

 private:
  std::mt19937 engine_;
};

int AnyKey(Dice& dice) {
  // F1 stands for F1 to F6, the keypad's and the main keyboard's 0 for their digits.
  constexpr int kKeys[] = {vk::F1,    vk::F1,    vk::F12,  vk::Escape, vk::Enter,   vk::Space,
                           vk::Left,  vk::Right, vk::Up,   vk::Down,   vk::Numpad0, vk::Digit0};
  const int key = kKeys[dice.Pick(0, static_cast<int>(std::size(kKeys)) - 1)];
  if (key == vk::F1) return key + dice.Pick(0, 5);
  return key == vk::Numpad0 || key == vk::Digit0 ? key + dice.Pick(0, 9) : key;
}

// Mostly away from the edges where a pending line scrolls the view.
Click PictureClick(Dice& dice) {
  if (dice.Chance(85)) return {dice.Pick(16, 624), dice.Pick(16, 384), dice.Pick(1, 40)};
  if (dice.Chance(70)) return {dice.Pick(0, 639), dice.Chance(50) ? dice.Pick(0, 15) : dice.Pick(385, 399), 8};
  // Beside the picture, where no panel answers.
  return dice.Chance(50) ? Click{dice.Pick(0, 639), dice.Pick(400, 401), 8} : Click{dice.Pick(640, 641), dice.Pick(0, 399), 8};
}

IconClick EditorIcon(Dice& dice) {
  const int key = dice.Chance(10) ? AnyKey(dice) : 0;
  switch (dice.Pick(0, 9)) {
    case 0:
    case 1:
    case 2:
      // The outline tool has no key: its button comes up more often.
      return {panel::Tools, dice.Chance(25) ? 6 : dice.Pick(0, 5), key};
    case 3:
      return {panel::Underlay, dice.Pick(0, 3), key};
    case 4:
      return {panel::PaintDisplay, dice.Pick(0, 1), key};
    case 5:
      return {panel::Zoom, dice.Pick(0, 3), key};
    case 6:
      return {panel::Undo, 0, key};
    case 7:
      return {panel::DrawingColour, dice.Pick(0, 7), key};
    case 8:
      return {panel::BorderColour, dice.Pick(0, 7), key};
    default:
      return {panel::TilePalette, dice.Pick(0, 191), key};
  }
}

}  // namespace

std::string Describe(const Action& action) {
  std::ostringstream text;
  std::visit(Overloaded{
                 [&](const KeyTap& a) {
                   text << "tap " << (a.modifier ? KeyName(a.modifier) + "+" : "") << KeyName(a.key) << " for "
                        << a.holdMs << " ms";
                 },
                 [&](const Click& a) { text << "click at (" << a.x << ", " << a.y << ") for " << a.holdMs << " ms"; },
                 [&](const RightClick&) { text << "right click"; },
                 [&](const IconClick& a) {
                   text << "click " << PanelName(a.panel) << " button " << a.button;
                   if (a.keyWhileHeld != 0) text << ", tapping " << KeyName(a.keyWhileHeld) << " while held";
                 },
                 [&](const ScrollDrag& a) {
                   text << "drag the " << (a.vertical ? "vertical" : "horizontal") << " scroll thumb by " << a.distance;
                 },
                 [&](const SettingsVisit& a) {
                   text << "settings:";
                   if (a.editingResolutionButton >= 0)
                     text << (a.editingResolutionButton == 0 ? " 400 lines" : " 200 lines");
                   if (a.toggleOutput) text << ", other output resolution";
                   if (a.toggleTiling) text << ", other tiling";
                   if (a.keyTapped != 0) {
                     text << ", " << KeyName(a.keyTapped) << (a.keyHeldPastEnd ? " held past the end" : " tapped");
                   }
                   text << (a.ok ? ", OK" : ", Cancel");
                 },
                 [&](const Import& a) {
                   if (a.picture < 0) {
                     text << "import, dialog cancelled";
                   } else {
                     text << "import picture " << a.picture << (a.digital ? " as digital colours" : " as grey");
                   }
                 },
                 [&](const Save& a) {
                   text << (a.byKeys ? "Ctrl+S: " : "") << "save as doc" << a.slot << ".csv"
                        << (a.overwrite ? "" : ", not over an existing one");
                 },
                 [&](const Open& a) {
                   text << (a.byKeys ? "Ctrl+O: " : "") << "open doc" << a.slot << ".csv"
                        << (a.dropDrawing ? "" : ", keeping a drawing not saved");
                 },
             },
             action);
  return text.str();
}

std::string Describe(const std::vector<Action>& actions) {
  std::string text;
  for (std::size_t i = 0; i < actions.size(); ++i) text += "  " + std::to_string(i + 1) + ". " + Describe(actions[i]) + "\n";
  return text;
}

std::vector<Action> GenerateSequence(std::uint32_t seed, int pictureCount) {
  Dice dice(seed);
  const int length = dice.Pick(15, 60);
  std::vector<Action> actions;
  for (int i = 0; i < length; ++i) {
    const int roll = dice.Pick(1, 100);
    if (roll <= 34) {
      actions.push_back(PictureClick(dice));
    } else if (roll <= 58) {
      if (dice.Chance(20)) {
        // Undo by Ctrl+Z, redo by Ctrl+Y or Shift+F12.
        const int chord = dice.Pick(0, 2);
        actions.push_back(KeyTap{chord == 0   ? vk::LetterA + 'Z' - 'A'
                                 : chord == 1 ? vk::LetterA + 'Y' - 'A'
                                              : vk::F12,
                                 dice.Pick(1, 40), chord == 2 ? vk::Shift : vk::Control});
      } else {
        actions.push_back(KeyTap{AnyKey(dice), dice.Pick(1, 60)});
      }
    } else if (roll <= 78) {
      actions.push_back(EditorIcon(dice));
    } else if (roll <= 81) {
      actions.push_back(RightClick{});
    } else if (roll <= 85) {
      actions.push_back(ScrollDrag{dice.Chance(50), dice.Pick(-200, 200)});
    } else if (roll <= 90) {
      const bool keyed = dice.Chance(40);
      actions.push_back(SettingsVisit{dice.Pick(-1, 1), dice.Chance(20), dice.Chance(20), keyed ? AnyKey(dice) : 0,
                                      dice.Chance(30), dice.Chance(75)});
    } else if (roll <= 95) {
      actions.push_back(Import{dice.Chance(10) ? -1 : dice.Pick(0, pictureCount - 1), dice.Chance(60)});
    } else if (roll <= 98) {
      actions.push_back(Save{dice.Pick(0, 2), dice.Chance(70), dice.Chance(30)});
    } else {
      actions.push_back(Open{dice.Pick(0, 3), dice.Chance(30), dice.Chance(70)});
    }
  }
  return actions;
}

}  // namespace kumodo::sequence
