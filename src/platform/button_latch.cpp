#include "platform/button_latch.h"

namespace kumodo {

void ButtonLatch::Press() {
  down_ = true;
  seen_ = false;
  releasePending_ = false;
}

void ButtonLatch::Release() {
  if (down_ && !seen_) {
    releasePending_ = true;
  } else {
    down_ = false;
  }
}

void ButtonLatch::BeginPump() {
  if (releasePending_ && seen_) {
    down_ = false;
    releasePending_ = false;
  }
}

bool ButtonLatch::Observe() {
  if (down_) seen_ = true;
  return down_;
}

}  // namespace kumodo
