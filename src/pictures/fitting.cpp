#include "pictures/fitting.h"

#include <algorithm>

#include "screen/layout.h"

namespace kumodo {
namespace {

// The picture's size within the area: its own when it fits, else scaled
// down to fit the picture, keeping its proportions, the side that limits to
// the dot.
PictureSize FitInArea(PictureSize picture, int pictureHeight) {
  if (picture.width <= kPictureWidth && picture.height <= kPictureHeight) return picture;
  const bool widthFits = picture.width * pictureHeight >= picture.height * kPictureWidth;
  return {widthFits ? kPictureWidth : std::max<std::int64_t>(1, picture.width * pictureHeight / picture.height),
          widthFits ? std::max<std::int64_t>(1, picture.height * kPictureWidth / picture.width) : pictureHeight};
}

// Which of `to` boxes each of `from` points falls in (from >= to): box k
// holds points k * from / to up to, not including, (k + 1) * from / to.
void Boxes(int from, int to, std::vector<int>& boxOf, std::vector<int>& inBox) {
  boxOf.assign(static_cast<std::size_t>(from), 0);
  inBox.assign(static_cast<std::size_t>(to), 0);
  for (int k = 0; k < to; ++k) {
    const int first = static_cast<int>(static_cast<long long>(k) * from / to);
    const int end = static_cast<int>(static_cast<long long>(k + 1) * from / to);
    for (int point = first; point < end; ++point) boxOf[static_cast<std::size_t>(point)] = k;
    inBox[static_cast<std::size_t>(k)] = end - first;
  }
}

}  // namespace

PictureSize PictureInArea::SmallestUseful(PictureSize picture) const { return FitInArea(picture, pictureHeight_); }

bool PictureInArea::Begin(PictureSize picture, PictureSize delivered) {
  const PictureSize fit = FitInArea(picture, pictureHeight_);
  if (delivered.width < fit.width || delivered.height < fit.height) return false;
  scaled_ = fit.width != picture.width || fit.height != picture.height;
  width_ = static_cast<int>(fit.width);
  height_ = static_cast<int>(fit.height);
  Boxes(static_cast<int>(delivered.width), width_, columnOf_, columnsIn_);
  Boxes(static_cast<int>(delivered.height), height_, rowOf_, rowsIn_);
  sums_.assign(3 * static_cast<std::size_t>(width_) * height_, 0);
  return true;
}

void PictureInArea::Take(int y, int x, int step, std::span<const Rgb> pixels) {
  std::uint32_t* row = &sums_[3 * static_cast<std::size_t>(rowOf_[static_cast<std::size_t>(y)]) * width_];
  // The pixels of one of the area's columns are summed apart, then added
  // to its sums once.
  std::uint32_t red = 0, green = 0, blue = 0;
  int column = columnOf_[static_cast<std::size_t>(x)];
  for (const Rgb pixel : pixels) {
    if (const int next = columnOf_[static_cast<std::size_t>(x)]; next != column) {
      std::uint32_t* sum = row + 3 * column;
      sum[0] += red, sum[1] += green, sum[2] += blue;
      red = green = blue = 0;
      column = next;
    }
    red += pixel & 0xFF;
    green += (pixel >> 8) & 0xFF;
    blue += (pixel >> 16) & 0xFF;
    x += step;
  }
  std::uint32_t* sum = row + 3 * column;
  sum[0] += red, sum[1] += green, sum[2] += blue;
}

Bitmap PictureInArea::Area() const {
  Bitmap area(kPictureWidth, kPictureHeight);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const std::uint32_t* sum = &sums_[3 * (static_cast<std::size_t>(y) * width_ + x)];
      const std::uint32_t count =
          static_cast<std::uint32_t>(columnsIn_[static_cast<std::size_t>(x)] * rowsIn_[static_cast<std::size_t>(y)]);
      Rgb average = 0;
      for (int c = 0; c < 3; ++c) average |= ((sum[c] + count / 2) / count) << (8 * c);
      area.At(x, y) = average;
    }
  }
  return area;
}

std::optional<PictureSize> PictureInArea::ScaledTo() const {
  if (!scaled_) return std::nullopt;
  return PictureSize{width_, height_};
}


Bitmap RowsTwoAtATime(const Bitmap& picture) {
  Bitmap halved(picture.width, picture.height / 2);
  for (int y = 0; y < halved.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgb upper = picture.At(x, 2 * y), lower = picture.At(x, 2 * y + 1);
      Rgb average = 0;
      for (int c = 0; c < 3; ++c) {
        average |= ((((upper >> (8 * c)) & 0xFF) + ((lower >> (8 * c)) & 0xFF) + 1) / 2) << (8 * c);
      }
      halved.At(x, y) = average;
    }
  }
  return halved;
}

}  // namespace kumodo
