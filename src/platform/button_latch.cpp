#include "platform/button_latch.h"

#include <algorithm>

namespace kumodo {

void ButtonLatch::Press(PointerPosition at) {
  // Until a poll has seen the button up after the last press, this click
  // comes after it.
  if (down_ || !upSeen_) {
    if (waiting_ < kMaxWaiting) queue_[waiting_++] = {at, false};
    return;
  }
  down_ = true;
  seen_ = false;
  releasePending_ = false;
  pressedAt_ = at;
}

void ButtonLatch::Release() {
  if (waiting_ > 0) {
    queue_[waiting_ - 1].released = true;
  } else if (down_ && !seen_) {
    releasePending_ = true;
  } else if (down_) {
    down_ = false;
    upSeen_ = false;
  }
}

void ButtonLatch::BeginPump() {
  if (releasePending_ && seen_) {
    down_ = false;
    releasePending_ = false;
    upSeen_ = false;
  }
  // The next click once a poll has seen the button up.
  if (!down_ && upSeen_ && waiting_ > 0) {
    const WaitingClick next = queue_[0];
    std::shift_left(queue_.begin(), queue_.begin() + waiting_, 1);
    --waiting_;
    down_ = true;
    seen_ = false;
    releasePending_ = next.released;
    pressedAt_ = next.at;
  }
}

bool ButtonLatch::Observe() {
  if (down_) {
    seen_ = true;
  } else {
    upSeen_ = true;
  }
  return down_;
}

void ButtonLatch::DropUnseen() {
  if (waiting_ > 0 || PressUnseen()) *this = ButtonLatch();
}

void KeyLatches::Press(int code) {
  if (!InRange(code) || heldThroughPrompt_[code]) return;
  keys_[code].Press();
  ++held_;
  Watch(code);
}

void KeyLatches::Release(int code) {
  if (!InRange(code)) return;
  if (heldThroughPrompt_[code]) {
    heldThroughPrompt_[code] = false;
    return;
  }
  keys_[code].Release();
  held_ = std::max(0, held_ - 1);
  Watch(code);
}

void KeyLatches::ReleaseAll() {
  for (int code = 0; code < static_cast<int>(keys_.size()); ++code) Release(code);
  held_ = 0;
}

void KeyLatches::Forget(const std::vector<int>& stillHeld) {
  std::fill(keys_.begin(), keys_.end(), ButtonLatch());
  std::fill(heldThroughPrompt_.begin(), heldThroughPrompt_.end(), false);
  for (int code : stillHeld) {
    if (InRange(code)) heldThroughPrompt_[code] = true;
  }
  pending_.clear();
  held_ = 0;
}

void KeyLatches::DropUnseen() {
  // Every latch with something pending has an unseen press or a waiting click.
  for (ButtonLatch& key : keys_) key.DropUnseen();
  pending_.clear();
}

void KeyLatches::BeginPump() {
  std::erase_if(pending_, [this](int code) {
    keys_[code].BeginPump();
    return !keys_[code].NeedsPump();
  });
}

bool KeyLatches::Observe(int code) { return InRange(code) && keys_[code].Observe(); }

// Keys the program never reads keep something pending for good; they are
// listed once all the same.
void KeyLatches::Watch(int code) {
  if (keys_[code].NeedsPump() && std::find(pending_.begin(), pending_.end(), code) == pending_.end()) {
    pending_.push_back(code);
  }
}

void InputLatches::BeginPump() {
  left.BeginPump();
  right.BeginPump();
  keys.BeginPump();
}

void InputLatches::ForgetPrompt(bool leftHeld, bool rightHeld, const std::vector<int>& keysHeld) {
  if (!leftHeld) left = ButtonLatch();
  if (!rightHeld) right = ButtonLatch();
  keys.Forget(keysHeld);
}

}  // namespace kumodo
