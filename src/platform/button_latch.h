#pragma once

namespace kumodo {

// A mouse button or key as the program's polls see it. A press and its release that
// both arrive between two polls must not vanish: the press shows until a poll
// has seen it, and the release is applied at the next pump after that.
class ButtonLatch {
 public:
  void Press();
  void Release();
  // Called at the start of every event pump.
  void BeginPump();
  // The state a poll sees.
  bool Observe();
  // The same without counting as the poll that saw a press.
  bool Peek() const { return down_; }
  // True while a release waits for a poll to have seen the press.
  bool ReleasePending() const { return releasePending_; }

 private:
  bool down_ = false;
  bool seen_ = true;
  bool releasePending_ = false;
};

}  // namespace kumodo
