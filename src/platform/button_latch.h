#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/platform.h"

namespace kumodo {

// A mouse button or key as the program's polls see it. Presses and releases
// that arrive between two polls must not vanish: a press shows until a poll
// has seen it, and its release is applied at the next pump after that. A
// further click arriving meanwhile waits its turn: it shows only after a
// poll has seen the button up, so every click is seen down and up once.
// A click also waits for the key changes made before it: `keysBefore` counts
// those received, `keysSettled` those the polls have seen (see KeyLatches).
class ButtonLatch {
 public:
  static constexpr std::uint64_t kAllKeysSettled = UINT64_MAX;

  void Press(PointerPosition at = {}, std::uint64_t keysBefore = 0, std::uint64_t keysSettled = kAllKeysSettled);
  void Release(PointerPosition at = {});
  // Called at the start of every event pump.
  void BeginPump(std::uint64_t keysSettled = kAllKeysSettled);
  // The state a poll sees.
  bool Observe();
  // The same without counting as the poll that saw a press.
  bool Peek() const { return down_; }
  // True from a press until a poll has seen it, released or not.
  bool PressUnseen() const { return down_ && !seen_; }
  // Where the press now showing happened, and where the last release a
  // poll can have seen happened (for mouse buttons).
  PointerPosition PressedAt() const { return pressedAt_; }
  PointerPosition ReleasedAt() const { return releasedAt_; }
  // True while the latch still has something to apply at a pump: a release
  // waiting for its press to be seen, or a click waiting its turn.
  bool NeedsPump() const { return releasePending_ || !waiting_.empty(); }
  // Up, with nothing pending, as if every event so far had been seen.
  void Reset();
  // Presses and releases received so far, and how many of them a poll has
  // seen take effect (or that were dropped): equal once the latch is settled.
  std::uint64_t Received() const { return received_; }
  std::uint64_t Settled() const { return settled_; }

 private:
  struct WaitingClick {
    PointerPosition at;
    std::uint64_t keysBefore = 0;
    bool released = false;
    PointerPosition releasedAt;
  };

  bool down_ = false;
  bool seen_ = true;
  bool releasePending_ = false;
  bool upSeen_ = true;  // a poll has seen the button up since its last release
  PointerPosition pressedAt_;
  PointerPosition releasedAt_;
  PointerPosition pendingReleaseAt_;
  std::deque<WaitingClick> waiting_;
  std::uint64_t received_ = 0;
  std::uint64_t settled_ = 0;
};

// How many events each mouse button had received, or had seen settle.
struct MouseEventCounts {
  std::uint64_t left = 0;
  std::uint64_t right = 0;
};

// The keys of a keyboard, by the system's key code. Keys pressed together
// must be seen together, and keys pressed one after another one after
// another: a Ctrl+Z whose Ctrl is let go before a busy program polls is
// still a chord, and a Shift tapped before F12 is not. So the changes of
// the keys the program reads reach its polls one at a time, in the order
// they happened, each once a poll has seen the one before (and the mouse
// events that came before it): a press shows until a poll has seen it.
// A key the program has never asked about holds up nothing: its changes
// apply at once, but a press still shows until a poll has seen it, so a tap
// made before the program first asks (in a long first pass) is not lost.
// Codes outside the range are ignored.
class KeyLatches {
 public:
  explicit KeyLatches(int codes) : keys_(static_cast<std::size_t>(codes)) {}

  // `mouseBefore`: the mouse events received before this change, which must
  // have been seen before it shows (see InputLatches).
  void Press(int code, MouseEventCounts mouseBefore = {});
  void Release(int code, MouseEventCounts mouseBefore = {});
  // Every key let go, as when the keyboard goes to another window.
  void ReleaseAll();
  // Every key up at once with nothing pending, as after a prompt. The keys
  // still held then (the Enter that answered it, say) stay up until let go:
  // the window under the prompt gets their repeats as fresh presses.
  void Forget(const std::vector<int>& stillHeld = {});
  // The changes that came while the left button had seen `from` to `to`
  // events are dropped: a key pressed then reads up until pressed again,
  // and one let go then reads up. The rest keep their order and turn.
  void DropBetween(std::uint64_t from, std::uint64_t to);
  // Shows the changes whose turn has come; `mouseSettled` counts the mouse
  // events the program has acted on.
  void BeginPump(MouseEventCounts mouseSettled = {});
  bool Observe(int code);
  // A key held down, or a change still to show.
  bool AnyHeld() const { return held_ > 0 || !waiting_.empty(); }
  // Changes of the keys the program reads received so far, and how many of
  // them a poll has seen (or that were dropped): equal once settled.
  std::uint64_t Received() const { return received_; }
  std::uint64_t Settled() const { return received_ - waiting_.size() - static_cast<std::uint64_t>(unseenKeys_); }

 private:
  struct Key {
    bool down = false;               // as the polls see it
    bool unseen = false;             // its last change has not been seen by a poll
    bool read = false;               // a poll has asked for it
    bool held = false;               // down on the keyboard
    bool heldThroughPrompt = false;  // presses ignored until let go
    bool pressUnread = false;        // pressed before any poll asked for it, not yet seen
    bool releaseWhenSeen = false;    // let go meanwhile: up once a poll has seen it down
    MouseEventCounts shownAfter;     // the mouse events before its unseen change
  };
  struct Change {
    int code;
    bool press;
    MouseEventCounts mouseBefore;
  };

  bool InRange(int code) const { return code >= 0 && code < static_cast<int>(keys_.size()); }
  void Receive(const Change& change);
  void ReceiveUnread(Key& key, const Change& change);
  void ShowWaiting();
  void Show(const Change& change);

  std::vector<Key> keys_;
  std::deque<Change> waiting_;    // changes of read keys, in the order they happened
  std::vector<int> releasesDue_;  // unread keys' taps seen: let go at the next pump
  int unseenKeys_ = 0;            // keys whose last change no poll has seen
  int held_ = 0;
  std::uint64_t received_ = 0;
  MouseEventCounts mouseSettled_;
};

// Everything a backend latches between two polls: both mouse buttons and
// the keys, pumped together and forgotten together after a prompt. Input
// acts in the order it was made: a click waits until the polls have seen
// the key changes before it, and a key's change until the program has acted
// on the mouse events before it (see Platform::InputActedOn), so a click and
// then Escape cancel what the click began, not the line before it.
struct InputLatches {
  explicit InputLatches(int keyCodes) : keys(keyCodes) {}

  ButtonLatch& Button(MouseButton button) { return button == MouseButton::Left ? left : right; }
  void PressButton(MouseButton button, PointerPosition at = {}) {
    Button(button).Press(at, keys.Received(), KeysSettledForClicks());
  }
  void ReleaseButton(MouseButton button, PointerPosition at = {}) { Button(button).Release(at); }
  void PressKey(int code) { keys.Press(code, {left.Received(), right.Received()}); }
  void ReleaseKey(int code) { keys.Release(code, {left.Received(), right.Received()}); }
  // The mouse events the polls have seen so far have been acted on.
  void ActedOn() { actedOn_ = {left.Settled(), right.Settled()}; }
  void BeginPump();
  // A click or key that closed a prompt must not reach the editor
  // underneath: a button no longer held starts afresh, every key reads up,
  // and a key still held acts only once let go and pressed again.
  void ForgetPrompt(bool leftHeld, bool rightHeld, const std::vector<int>& keysHeld = {});
  bool AnyDown() const {
    return keys.AnyHeld() || left.Peek() || right.Peek() || left.NeedsPump() || right.NeedsPump();
  }
  // Marks for loops that read no keys (see Platform::ForgetKeysSince): the
  // left button's events seen so far. Until the loop ends, clicks do not wait
  // for keys, which no poll would see.
  std::uint64_t Mark() {
    ++loopsReadingNoKeys_;
    return left.Settled();
  }
  void ForgetKeysSince(std::uint64_t mark) {
    keys.DropBetween(mark, left.Settled());
    if (loopsReadingNoKeys_ > 0) --loopsReadingNoKeys_;
  }

  ButtonLatch left;
  ButtonLatch right;
  KeyLatches keys;

 private:
  std::uint64_t KeysSettledForClicks() const {
    return loopsReadingNoKeys_ > 0 ? ButtonLatch::kAllKeysSettled : keys.Settled();
  }

  MouseEventCounts actedOn_;
  int loopsReadingNoKeys_ = 0;
};

}  // namespace kumodo
