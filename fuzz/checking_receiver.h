#pragma once
// A picture receiver that passes the pixels on to the converter's area (so
// that its scaling is fuzzed too) and checks how a decoder puts them: each
// inside the size it started with (any receiver refuses others), and each
// once. A fault stops the run.
#include <vector>

#include "converter/conversion.h"
#include "screen/layout.h"

namespace kumodo {

class CheckingReceiver final : public PictureReceiver {
 public:
  PictureSize SmallestUseful(PictureSize picture) const override { return area_.SmallestUseful(picture); }
  Bitmap Area() const { return area_.Area(); }

 protected:
  bool Begin(PictureSize picture, PictureSize delivered) override {
    width_ = static_cast<std::size_t>(delivered.width);
    put_.assign(width_ * static_cast<std::size_t>(delivered.height), false);
    return area_.Start(picture, delivered);
  }
  void Take(int y, int x, int step, std::span<const Rgb> pixels) override {
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      const std::size_t at = static_cast<std::size_t>(y) * width_ + static_cast<std::size_t>(x) + i * step;
      if (put_[at]) __builtin_trap();
      put_[at] = true;
    }
    area_.Put(y, x, step, pixels);
    if (area_.Misused()) __builtin_trap();
  }

 private:
  PictureInArea area_{kPictureHeight};
  std::size_t width_ = 0;
  std::vector<bool> put_;
};

}  // namespace kumodo
