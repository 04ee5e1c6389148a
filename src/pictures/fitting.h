#pragma once
// Pictures fitted to the screen as the machine shows them.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pictures/picture_decode.h"
#include "platform/bitmap.h"

namespace kumodo {

// The picture's rows two at a time, each pair's average: 640 x 400 as the
// screen shows it made into the rows of a 200-line picture, which the
// screen shows each twice.
Bitmap RowsTwoAtATime(const Bitmap& picture);

// A picture's pixels as the converter takes them, row by row: where the
// import puts it, at the top left of the black 640 x 400 area. One larger,
// which the import refuses, is scaled down to fit the picture (640 x 400,
// or 640 x 200 in 200 lines), keeping its proportions: each point the
// average of the pixels it covers. Only the area's sums are held, never the
// larger picture.
class PictureInArea final : public PictureReceiver {
 public:
  explicit PictureInArea(int pictureHeight) : pictureHeight_(pictureHeight) {}
  PictureSize SmallestUseful(PictureSize picture) const override;
  // The area, once every row is in.
  Bitmap Area() const;
  // The size the picture was scaled down to; nothing when it fits as it is.
  std::optional<PictureSize> ScaledTo() const;

 protected:
  bool Begin(PictureSize picture, PictureSize delivered) override;
  void Take(int y, int x, int step, std::span<const Rgb> pixels) override;

 private:
  int pictureHeight_;
  bool scaled_ = false;
  int width_ = 0;  // of the picture in the area
  int height_ = 0;
  // The area's column (row) each column (row) of the pixels delivered falls
  // in, and how many fall in each of the area's.
  std::vector<int> columnOf_, rowOf_, columnsIn_, rowsIn_;
  std::vector<std::uint32_t> sums_;  // red, green, blue of each point
};

}  // namespace kumodo
