#pragma once
// A picture receiver that keeps no pixel but checks how a decoder puts
// them: each inside the size it started with (the receiver itself refuses
// any other), and each once. A fault stops the run.
#include <vector>

#include "platform/picture_decode.h"

namespace kumodo {

class CheckingReceiver final : public PictureReceiver {
 protected:
  bool Begin(PictureSize, PictureSize delivered) override {
    width_ = static_cast<std::size_t>(delivered.width);
    put_.assign(width_ * static_cast<std::size_t>(delivered.height), false);
    return true;
  }
  void Take(int y, int x, int step, std::span<const Rgb> pixels) override {
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      const std::size_t at = static_cast<std::size_t>(y) * width_ + static_cast<std::size_t>(x) + i * step;
      if (put_[at]) __builtin_trap();
      put_[at] = true;
    }
  }

 private:
  std::size_t width_ = 0;
  std::vector<bool> put_;
};

}  // namespace kumodo
