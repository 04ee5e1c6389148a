#pragma once
#include <array>
#include <vector>

#include "platform/platform.h"

namespace kumodo {

// A mouse button or key as the program's polls see it. Presses and releases
// that arrive between two polls must not vanish: a press shows until a poll
// has seen it, and its release is applied at the next pump after that. A
// further click arriving meanwhile waits its turn: it shows only after a
// poll has seen the button up, so every click is seen down and up once.
class ButtonLatch {
 public:
  void Press(PointerPosition at = {});
  void Release();
  // Called at the start of every event pump.
  void BeginPump();
  // The state a poll sees.
  bool Observe();
  // The same without counting as the poll that saw a press.
  bool Peek() const { return down_; }
  // True from a press until a poll has seen it, released or not.
  bool PressUnseen() const { return down_ && !seen_; }
  // Where the press now showing happened (for mouse buttons).
  PointerPosition PressedAt() const { return pressedAt_; }
  // True while the latch still has something to apply at a pump: a release
  // waiting for its press to be seen, or a click waiting its turn.
  bool NeedsPump() const { return releasePending_ || waiting_ > 0; }
  // Lets go of a press no poll has seen, and of clicks waiting their turn:
  // the button reads up until pressed again.
  void DropUnseen();

 private:
  struct WaitingClick {
    PointerPosition at;
    bool released = false;
  };
  // More clicks than this between two polls are not told apart.
  static constexpr int kMaxWaiting = 4;

  bool down_ = false;
  bool seen_ = true;
  bool releasePending_ = false;
  bool upSeen_ = true;  // a poll has seen the button up since its last release
  PointerPosition pressedAt_;
  std::array<WaitingClick, kMaxWaiting> queue_{};
  int waiting_ = 0;  // clicks in queue_
};

// The keys of a keyboard, by the system's key code, each a latch. The loop
// pumps many times a pass, so only keys with something left to apply are
// pumped. Codes outside the range are ignored.
class KeyLatches {
 public:
  explicit KeyLatches(int codes)
      : keys_(static_cast<std::size_t>(codes)), heldThroughPrompt_(static_cast<std::size_t>(codes)) {}

  void Press(int code);
  void Release(int code);
  // Every key let go, as when the keyboard goes to another window.
  void ReleaseAll();
  // Every key up at once with nothing pending, as after a prompt. The keys
  // still held then (the Enter that answered it, say) stay up until let go:
  // the window under the prompt gets their repeats as fresh presses.
  void Forget(const std::vector<int>& stillHeld = {});
  // Every key whose press no poll has seen reads up until pressed again;
  // keys the program saw and that are still held stay down.
  void DropUnseen();
  void BeginPump();
  bool Observe(int code);
  bool AnyHeld() const { return held_ > 0; }

 private:
  bool InRange(int code) const { return code >= 0 && code < static_cast<int>(keys_.size()); }
  void Watch(int code);

  std::vector<ButtonLatch> keys_;
  std::vector<bool> heldThroughPrompt_;  // presses ignored until the key is let go
  std::vector<int> pending_;             // keys whose latch needs pumping, each once
  int held_ = 0;
};

// Everything a backend latches between two polls: both mouse buttons and
// the keys, pumped together and forgotten together after a prompt.
struct InputLatches {
  explicit InputLatches(int keyCodes) : keys(keyCodes) {}

  ButtonLatch& Button(MouseButton button) { return button == MouseButton::Left ? left : right; }
  void BeginPump();
  // A click or key that closed a prompt must not reach the editor
  // underneath: a button no longer held starts afresh, every key reads up,
  // and a key still held acts only once let go and pressed again.
  void ForgetPrompt(bool leftHeld, bool rightHeld, const std::vector<int>& keysHeld = {});
  bool AnyDown() const { return keys.AnyHeld() || left.Peek() || right.Peek(); }

  ButtonLatch left;
  ButtonLatch right;
  KeyLatches keys;
};

}  // namespace kumodo
