#include "platform/button_latch.h"

#include <algorithm>

namespace kumodo {

void ButtonLatch::Press(PointerPosition at, std::uint64_t keysBefore, std::uint64_t keysSettled) {
  ++received_;
  // Until a poll has seen the button up after the last press, and the keys
  // changed before it, this click comes after them.
  if (down_ || !upSeen_ || !waiting_.empty() || keysBefore > keysSettled) {
    waiting_.push_back({at, keysBefore, false});
    return;
  }
  down_ = true;
  seen_ = false;
  releasePending_ = false;
  pressedAt_ = at;
}

void ButtonLatch::Release(PointerPosition at) {
  ++received_;
  if (!waiting_.empty()) {
    if (!waiting_.back().released) {
      waiting_.back().released = true;
      waiting_.back().releasedAt = at;
      return;
    }
  } else if (down_ && !seen_ && !releasePending_) {
    releasePending_ = true;
    pendingReleaseAt_ = at;
    return;
  } else if (down_ && seen_) {
    down_ = false;
    upSeen_ = false;
    releasedAt_ = at;
    return;
  }
  ++settled_;  // a release with nothing to let go changes nothing
}

void ButtonLatch::BeginPump(std::uint64_t keysSettled) {
  if (releasePending_ && seen_) {
    down_ = false;
    releasePending_ = false;
    upSeen_ = false;
    releasedAt_ = pendingReleaseAt_;
  }
  // The next click once a poll has seen the button up and the keys before it.
  if (!down_ && upSeen_ && !waiting_.empty() && waiting_.front().keysBefore <= keysSettled) {
    const WaitingClick next = waiting_.front();
    waiting_.pop_front();
    down_ = true;
    seen_ = false;
    releasePending_ = next.released;
    pendingReleaseAt_ = next.releasedAt;
    pressedAt_ = next.at;
  }
}

bool ButtonLatch::Observe() {
  if (down_ && !seen_) {
    seen_ = true;
    ++settled_;
  } else if (!down_ && !upSeen_) {
    upSeen_ = true;
    ++settled_;
  }
  return down_;
}

void ButtonLatch::Reset() {
  const std::uint64_t received = received_;
  *this = ButtonLatch();
  received_ = settled_ = received;
}

void KeyLatches::Press(int code, MouseEventCounts mouseBefore) {
  if (!InRange(code)) return;
  Key& key = keys_[code];
  if (key.heldThroughPrompt || key.held) return;
  key.held = true;
  ++held_;
  Receive({code, true, mouseBefore});
}

void KeyLatches::Release(int code, MouseEventCounts mouseBefore) {
  if (!InRange(code)) return;
  Key& key = keys_[code];
  if (key.heldThroughPrompt) {
    key.heldThroughPrompt = false;
    return;
  }
  if (!key.held) return;
  key.held = false;
  --held_;
  Receive({code, false, mouseBefore});
}

void KeyLatches::ReleaseAll() {
  for (int code = 0; code < static_cast<int>(keys_.size()); ++code) Release(code, mouseSettled_);
}

void KeyLatches::Forget(const std::vector<int>& stillHeld) {
  for (Key& key : keys_) {
    const bool read = key.read;
    key = Key();
    key.read = read;
  }
  for (int code : stillHeld) {
    if (InRange(code)) keys_[code].heldThroughPrompt = true;
  }
  waiting_.clear();
  releasesDue_.clear();
  unseenKeys_ = 0;
  held_ = 0;
}

void KeyLatches::DropBetween(std::uint64_t from, std::uint64_t to) {
  auto between = [from, to](const MouseEventCounts& before) { return before.left >= from && before.left < to; };
  for (Key& key : keys_) {
    if (key.pressUnread && between(key.shownAfter)) {
      key.down = key.pressUnread = key.releaseWhenSeen = false;
    }
    if (!key.unseen || !between(key.shownAfter)) continue;
    key.down = false;
    key.unseen = false;
    --unseenKeys_;
  }
  std::erase_if(waiting_, [&](const Change& change) {
    if (!between(change.mouseBefore)) return false;
    if (!change.press) keys_[change.code].down = false;
    return true;
  });
  ShowWaiting();
}

void KeyLatches::BeginPump(MouseEventCounts mouseSettled) {
  for (int code : releasesDue_) keys_[code].down = false;
  releasesDue_.clear();
  mouseSettled_ = mouseSettled;
  if (!waiting_.empty()) ShowWaiting();
}

bool KeyLatches::Observe(int code) {
  if (!InRange(code)) return false;
  Key& key = keys_[code];
  key.read = true;
  if (key.pressUnread) {
    key.pressUnread = false;
    if (key.releaseWhenSeen) {
      key.releaseWhenSeen = false;
      releasesDue_.push_back(code);
    }
  }
  if (key.unseen) {
    key.unseen = false;
    --unseenKeys_;
  }
  return key.down;
}

void KeyLatches::Receive(const Change& change) {
  Key& key = keys_[change.code];
  if (!key.read) {
    ReceiveUnread(key, change);
    return;
  }
  ++received_;
  waiting_.push_back(change);
  ShowWaiting();
}

void KeyLatches::ReceiveUnread(Key& key, const Change& change) {
  if (change.press) {
    key.down = key.pressUnread = true;
    key.releaseWhenSeen = false;
    key.shownAfter = change.mouseBefore;
  } else if (key.pressUnread) {
    key.releaseWhenSeen = true;
  } else {
    key.down = false;
  }
}

void KeyLatches::ShowWaiting() {
  while (!waiting_.empty() && unseenKeys_ == 0) {
    const Change& next = waiting_.front();
    if (next.mouseBefore.left > mouseSettled_.left || next.mouseBefore.right > mouseSettled_.right) return;
    Show(next);
    waiting_.pop_front();
  }
}

void KeyLatches::Show(const Change& change) {
  Key& key = keys_[change.code];
  if (key.down == change.press) return;
  key.down = change.press;
  key.unseen = true;
  key.shownAfter = change.mouseBefore;
  ++unseenKeys_;
}

void InputLatches::BeginPump() {
  left.BeginPump(KeysSettledForClicks());
  right.BeginPump(KeysSettledForClicks());
  keys.BeginPump(actedOn_);
}

void InputLatches::ForgetPrompt(bool leftHeld, bool rightHeld, const std::vector<int>& keysHeld) {
  if (!leftHeld) left.Reset();
  if (!rightHeld) right.Reset();
  keys.Forget(keysHeld);
}

}  // namespace kumodo
