#pragma once
// A picture divided into regions for the eye: first its runs of dots that
// share their nearest apparent colour, then merged two at a time, always
// the pair of neighbours whose merging changes the picture least as the
// eye sees it (the sizes times the squared distance of their mean colours
// in Oklab), down to one region. Any point of that sequence is a simplified
// picture: the fewer regions, the fewer records it takes to draw.
#include <cstdint>
#include <vector>

#include "platform/bitmap.h"

namespace kumodo {

// Each dot's apparent colour (an index of ApparentColours()), 640 a row.
struct ApparentPicture {
  int height = 0;
  std::vector<std::uint8_t> colours;
};

class RegionMerging {
 public:
  // The picture is 640 dots wide. `plainOnly` keeps to the eight colours.
  RegionMerging(const Bitmap& picture, bool plainOnly);

  int Finest() const { return finest_; }
  // The picture when `regions` regions are left (1 to Finest()): each dot
  // the apparent colour nearest its region's mean colour.
  ApparentPicture At(int regions) const;

 private:
  struct Sums {
    double red = 0, green = 0, blue = 0;
    long long dots = 0;
  };

  int height_ = 0;
  bool plainOnly_ = false;
  int finest_ = 0;
  std::vector<int> regionOf_;                // each dot's first region
  std::vector<Sums> sums_;                   // of each first region
  std::vector<std::pair<int, int>> merges_;  // in order: the first joins the second
};

}  // namespace kumodo
