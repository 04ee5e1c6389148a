#include "pictures/region_merging.h"

#include <algorithm>
#include <numeric>
#include <queue>
#include <unordered_map>
#include <unordered_set>

#include "pictures/apparent_colours.h"
#include "screen/layout.h"

namespace kumodo {
namespace {

struct Region {
  double l = 0, a = 0, b = 0;  // Oklab sums
  long long dots = 0;
  int stamp = 0;  // changes at every merge, so that older costs are known stale
  bool alive = true;
  std::unordered_set<int> neighbours;
};

// What merging two regions changes, as the eye sees it: Ward's increase of
// the squared distances of the dots from their region's mean colour.
double MergeCost(const Region& p, const Region& q) {
  const double n = static_cast<double>(p.dots), m = static_cast<double>(q.dots);
  const double dl = p.l / n - q.l / m, da = p.a / n - q.a / m, db = p.b / n - q.b / m;
  return n * m / (n + m) * (dl * dl + da * da + db * db);
}

struct Candidate {
  double cost;
  int p, q, stampP, stampQ;
  bool operator>(const Candidate& other) const { return cost > other.cost; }
};

int Find(std::vector<int>& parent, int x) {
  while (parent[x] != x) x = parent[x] = parent[parent[x]];
  return x;
}

}  // namespace

RegionMerging::RegionMerging(const Bitmap& picture, bool plainOnly) : height_(picture.height), plainOnly_(plainOnly) {
  const int width = kPictureWidth;
  const std::size_t size = static_cast<std::size_t>(width) * height_;
  // Each dot's nearest apparent colour, asked once per colour the picture holds.
  std::unordered_map<Rgb, std::uint8_t> nearest;
  std::vector<std::uint8_t> first(size);
  std::vector<Oklab> lab(size);
  for (std::size_t p = 0; p < size; ++p) {
    const Rgb colour = picture.pixels[p] & 0xFFFFFF;
    lab[p] = OklabOf(colour);
    const auto [known, added] = nearest.try_emplace(colour, 0);
    if (added) known->second = static_cast<std::uint8_t>(NearestApparentColour(lab[p], plainOnly));
    first[p] = known->second;
  }
  // The first regions: dots of one nearest colour joined through their four neighbours.
  regionOf_.assign(size, -1);
  std::vector<Region> regions;
  std::vector<int> stack;
  for (std::size_t start = 0; start < size; ++start) {
    if (regionOf_[start] >= 0) continue;
    const int id = static_cast<int>(regions.size());
    regions.emplace_back();
    Sums sums;
    regionOf_[start] = id;
    stack.assign(1, static_cast<int>(start));
    while (!stack.empty()) {
      const int p = stack.back();
      stack.pop_back();
      Region& region = regions[id];
      region.l += lab[p].l, region.a += lab[p].a, region.b += lab[p].b, ++region.dots;
      const Rgb colour = picture.pixels[p];
      sums.red += colour & 0xFF, sums.green += (colour >> 8) & 0xFF, sums.blue += (colour >> 16) & 0xFF, ++sums.dots;
      const int x = p % width, y = p / width;
      const int around[4] = {x > 0 ? p - 1 : -1, x < width - 1 ? p + 1 : -1, y > 0 ? p - width : -1,
                             y < height_ - 1 ? p + width : -1};
      for (const int q : around) {
        if (q >= 0 && regionOf_[q] < 0 && first[q] == first[start]) {
          regionOf_[q] = id;
          stack.push_back(q);
        }
      }
    }
    sums_.push_back(sums);
  }
  finest_ = static_cast<int>(regions.size());
  for (std::size_t p = 0; p < size; ++p) {
    const int x = static_cast<int>(p % width), y = static_cast<int>(p / width);
    const int here = regionOf_[p];
    if (x + 1 < width && regionOf_[p + 1] != here) {
      regions[here].neighbours.insert(regionOf_[p + 1]);
      regions[regionOf_[p + 1]].neighbours.insert(here);
    }
    if (y + 1 < height_ && regionOf_[p + width] != here) {
      regions[here].neighbours.insert(regionOf_[p + width]);
      regions[regionOf_[p + width]].neighbours.insert(here);
    }
  }
  std::priority_queue<Candidate, std::vector<Candidate>, std::greater<>> queue;
  for (int p = 0; p < finest_; ++p) {
    for (const int q : regions[p].neighbours) {
      if (p < q) queue.push({MergeCost(regions[p], regions[q]), p, q, 0, 0});
    }
  }
  // Costs change as regions grow: a stale one is worked out again when it
  // comes up, and goes back in the queue.
  merges_.reserve(static_cast<std::size_t>(finest_));
  while (!queue.empty()) {
    const Candidate next = queue.top();
    queue.pop();
    Region& p = regions[next.p];
    Region& q = regions[next.q];
    if (!p.alive || !q.alive) continue;
    if (p.stamp != next.stampP || q.stamp != next.stampQ) {
      queue.push({MergeCost(p, q), next.p, next.q, p.stamp, q.stamp});
      continue;
    }
    // The region with more neighbours stays, so that each neighbour list
    // moves a few times at most.
    const bool pStays = p.neighbours.size() >= q.neighbours.size();
    const int stays = pStays ? next.p : next.q, goes = pStays ? next.q : next.p;
    Region& kept = regions[stays];
    Region& gone = regions[goes];
    kept.l += gone.l, kept.a += gone.a, kept.b += gone.b, kept.dots += gone.dots;
    ++kept.stamp;
    gone.alive = false;
    kept.neighbours.erase(goes);
    for (const int n : gone.neighbours) {
      if (n == stays) continue;
      regions[n].neighbours.erase(goes);
      regions[n].neighbours.insert(stays);
      if (kept.neighbours.insert(n).second) {
        queue.push({MergeCost(kept, regions[n]), std::min(stays, n), std::max(stays, n),
                    stays < n ? kept.stamp : regions[n].stamp, stays < n ? regions[n].stamp : kept.stamp});
      }
    }
    gone.neighbours.clear();
    merges_.emplace_back(goes, stays);
  }
}

ApparentPicture RegionMerging::At(int regions) const {
  const int count = static_cast<int>(sums_.size());
  std::vector<int> parent(static_cast<std::size_t>(count));
  std::iota(parent.begin(), parent.end(), 0);
  const int merged = std::clamp(count - regions, 0, static_cast<int>(merges_.size()));
  for (int m = 0; m < merged; ++m) parent[merges_[m].first] = merges_[m].second;
  std::vector<Sums> totals(static_cast<std::size_t>(count));
  for (int r = 0; r < count; ++r) {
    Sums& total = totals[Find(parent, r)];
    total.red += sums_[r].red, total.green += sums_[r].green, total.blue += sums_[r].blue;
    total.dots += sums_[r].dots;
  }
  std::vector<std::uint8_t> colourOf(static_cast<std::size_t>(count));
  for (int r = 0; r < count; ++r) {
    if (Find(parent, r) != r) continue;
    const Sums& total = totals[r];
    const double n = static_cast<double>(total.dots);
    const Rgb mean = static_cast<Rgb>(total.red / n + 0.5) | static_cast<Rgb>(total.green / n + 0.5) << 8 |
                     static_cast<Rgb>(total.blue / n + 0.5) << 16;
    colourOf[r] = static_cast<std::uint8_t>(NearestApparentColour(OklabOf(mean), plainOnly_));
  }
  ApparentPicture result{height_, std::vector<std::uint8_t>(regionOf_.size())};
  for (std::size_t p = 0; p < regionOf_.size(); ++p) result.colours[p] = colourOf[Find(parent, regionOf_[p])];
  return result;
}

}  // namespace kumodo
