#include "export/picture_records.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <limits>
#include <numeric>
#include <span>
#include <unordered_map>

#include "export/basic_program.h"
#include "export/machine_program.h"
#include "export/program_memory.h"
#include "files/settings_record.h"
#include "picture/tiles.h"
#include "pictures/apparent_colours.h"
#include "pictures/fitting.h"
#include "pictures/region_merging.h"
#include "screen/layout.h"
#include "screen/palette.h"

namespace kumodo {
namespace {

// A line goes on over pixels it may paint for at most this many past the
// last pixel it must: longer stretches are seldom worth the search.
constexpr int kLongestReach = 4;
// Larger areas are always drawn by their edge and fills; smaller ones by
// lines over them all when that costs less.
constexpr int kLargestDrawnByLines = 400;
// A line is chosen by the pixels it must paint, each worth this many of
// those of later areas it paints over (which they may have to paint back);
// a later area's pixel of its own colour is worth nearly as much as one it
// must paint, as that area may then need no line there.
constexpr int kWorthOfNeededPixel = 4;
constexpr int kWorthOfLaterPixel = 3;
// A tile fill's line takes some 80 bytes: one that would paint fewer pixels
// than this is left out.
constexpr int kLeastTileFill = 24;
// A picture is divided into regions for the eye once smoothed this much
// where it changes less than kSharpEdge (in Oklab), so that the regions'
// edges run smooth rather than with every speck of noise, and sharp edges
// stay where they are.
constexpr double kSegmentationSigma = 2.0;
constexpr float kSharpEdge = 0.1f;
// Each drawing of the search has this many times the regions of the last.
constexpr double kRegionsStep = 1.5;

struct Area {
  std::uint8_t colour = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
  int first = 0;  // its first pixel in row order
  int size = 0;   // pixels
  long long BoxSize() const { return static_cast<long long>(right - left + 1) * (bottom - top + 1); }
};

struct AreaLabels {
  std::vector<int> label;  // each pixel's area
  std::vector<Area> areas;
};

// The pixel's four direct neighbours on a picture of the height; -1 for
// those off it.
std::array<int, 4> Neighbours(int p, int height) {
  const int x = p % kPictureWidth, y = p / kPictureWidth;
  return {x > 0 ? p - 1 : -1, x < kPictureWidth - 1 ? p + 1 : -1, y > 0 ? p - kPictureWidth : -1,
          y < height - 1 ? p + kPictureWidth : -1};
}

// The picture's areas: pixels of one colour joined through their four
// direct neighbours, as a fill spreads.
AreaLabels LabelAreas(const ColourPicture& picture) {
  const int height = picture.height;
  const int size = kPictureWidth * height;
  AreaLabels labels;
  labels.label.assign(static_cast<std::size_t>(size), -1);
  std::vector<int> stack;
  for (int p = 0; p < size; ++p) {
    if (labels.label[p] >= 0) continue;
    Area area;
    area.colour = picture.colours[p];
    area.first = p;
    area.left = area.right = p % kPictureWidth;
    area.top = area.bottom = p / kPictureWidth;
    const int id = static_cast<int>(labels.areas.size());
    labels.label[p] = id;
    stack.push_back(p);
    while (!stack.empty()) {
      const int q = stack.back();
      stack.pop_back();
      ++area.size;
      const int x = q % kPictureWidth, y = q / kPictureWidth;
      area.left = std::min(area.left, x), area.right = std::max(area.right, x);
      area.top = std::min(area.top, y), area.bottom = std::max(area.bottom, y);
      for (const int n : Neighbours(q, height)) {
        if (n >= 0 && labels.label[n] < 0 && picture.colours[n] == area.colour) {
          labels.label[n] = id;
          stack.push_back(n);
        }
      }
    }
    labels.areas.push_back(area);
  }
  return labels;
}

// The colour most common in the square reaching this far around each pixel
// (the pixel's own where it is among the most common): the edges between
// colours run smoother and specks smaller than the square go.
ColourPicture Smoothed(const ColourPicture& picture, int reach) {
  if (reach == 0) return picture;
  ColourPicture smooth = picture;
  const int height = picture.height;
  // Each column's counts over the rows of the square, moved down a row at a time.
  std::vector<std::array<int, 8>> columns(kPictureWidth, std::array<int, 8>{});
  auto addRow = [&](int row, int step) {
    if (row < 0 || row >= height) return;
    for (int x = 0; x < kPictureWidth; ++x) columns[x][picture.colours[row * kPictureWidth + x] & 7] += step;
  };
  for (int row = 0; row < reach; ++row) addRow(row, 1);
  for (int y = 0; y < height; ++y) {
    addRow(y + reach, 1);
    addRow(y - reach - 1, -1);
    std::array<int, 8> counts{};
    auto addColumn = [&](int x, int step) {
      if (x < 0 || x >= kPictureWidth) return;
      for (int colour = 0; colour < 8; ++colour) counts[colour] += step * columns[x][colour];
    };
    for (int x = 0; x < reach; ++x) addColumn(x, 1);
    for (int x = 0; x < kPictureWidth; ++x) {
      addColumn(x + reach, 1);
      addColumn(x - reach - 1, -1);
      int best = picture.colours[y * kPictureWidth + x] & 7;
      for (int colour = 0; colour < 8; ++colour) {
        if (counts[colour] > counts[best]) best = colour;
      }
      smooth.colours[y * kPictureWidth + x] = static_cast<std::uint8_t>(best);
    }
  }
  return smooth;
}

struct LabelledPicture {
  ColourPicture picture;
  AreaLabels labels;
};

// Every area of fewer pixels than the least takes the colour it shares
// most of its edge with, until none is left (or a few rounds have run);
// the picture left, with its areas.
LabelledPicture WithoutSmallAreas(ColourPicture picture, int least) {
  for (int round = 0; round < 4; ++round) {
    AreaLabels labels = LabelAreas(picture);
    std::vector<std::array<int, 8>> shared(labels.areas.size());
    bool any = false;
    for (int p = 0; p < static_cast<int>(picture.colours.size()); ++p) {
      const int area = labels.label[p];
      if (labels.areas[area].size >= least) continue;
      any = true;
      for (const int q : Neighbours(p, picture.height)) {
        if (q >= 0 && labels.label[q] != area) ++shared[area][picture.colours[q]];
      }
    }
    if (!any) return {std::move(picture), std::move(labels)};
    for (int p = 0; p < static_cast<int>(picture.colours.size()); ++p) {
      const std::array<int, 8>& counts = shared[labels.label[p]];
      const auto most = std::max_element(counts.begin(), counts.end());
      if (*most > 0) picture.colours[p] = static_cast<std::uint8_t>(most - counts.begin());
    }
  }
  AreaLabels labels = LabelAreas(picture);
  return {std::move(picture), std::move(labels)};
}

// How far a picture is simplified before it is drawn, from not at all to
// a few large shapes: the smoothing's reach and the least area kept.
struct Simplification {
  int reach;
  int leastArea;
};
// Chosen on sample pictures: drawings keep their shapes best with a short
// reach; photographs and textures also with a short reach but with the
// small areas of their speckle merged.
constexpr Simplification kSimplifications[] = {
    {0, 0},     {0, 2},      {0, 4},      {0, 1024},   {1, 4},      {1, 10},     {1, 25},    {1, 1024},
    {2, 25},    {2, 60},     {2, 1024},   {3, 60},     {3, 150},    {3, 1024},   {4, 300},   {4, 1024},
    {5, 600},   {6, 900},    {6, 4096},   {7, 1200},   {8, 1800},   {9, 2500},   {10, 3500}, {12, 5000},
    {14, 7000}, {16, 10000}, {20, 15000}, {24, 20000}, {32, 30000}, {48, 50000}, {64, 80000}};

// The picture in the colour most of its pixels have.
ColourPicture InMostCommonColour(ColourPicture picture) {
  std::array<std::size_t, 8> counts{};
  for (const std::uint8_t colour : picture.colours) ++counts[colour & 7];
  const auto most = std::max_element(counts.begin(), counts.end());
  std::fill(picture.colours.begin(), picture.colours.end(), static_cast<std::uint8_t>(most - counts.begin()));
  return picture;
}

// The areas of a picture, with their pixels, their outer edges and the
// order they are drawn in.
class Areas {
 public:
  // With `ringsOutside`, each area's fills are bounded by a ring of pixels
  // just outside it where those belong to areas drawn later (which paint
  // them again), so that its own pixels all take its fill: a mixture's edge
  // then shows its dots, not one colour.
  Areas(LabelledPicture labelled, bool ringsOutside)
      : picture_(std::move(labelled.picture)),
        height_(picture_.height),
        label_(std::move(labelled.labels.label)),
        areas_(std::move(labelled.labels.areas)) {
    ListPixels();
    // An area inside another lies strictly within its box, so larger boxes
    // first puts every area after the ones around it.
    order_.resize(areas_.size());
    std::iota(order_.begin(), order_.end(), 0);
    std::sort(order_.begin(), order_.end(), [this](int a, int b) {
      const long long sa = areas_[a].BoxSize(), sb = areas_[b].BoxSize();
      return sa != sb ? sa > sb : areas_[a].first < areas_[b].first;
    });
    position_.resize(areas_.size());
    for (std::size_t k = 0; k < order_.size(); ++k) position_[order_[k]] = static_cast<int>(k);
    FindOuterEdges(ringsOutside);
    target_.resize(picture_.colours.size());
    onEdge_.assign(picture_.colours.size(), 0);
    for (int p : edges_) onEdge_[p] = 1;
    const auto& apparent = ApparentColours();
    for (std::size_t p = 0; p < target_.size(); ++p) {
      target_[p] = static_cast<std::uint8_t>(apparent[picture_.colours[p]].ColourAt(
          static_cast<int>(p % kPictureWidth), static_cast<int>(p / kPictureWidth)));
    }
  }

  int Height() const { return height_; }
  std::size_t Count() const { return areas_.size(); }
  const Area& At(int area) const { return areas_[area]; }
  // The colour number the pixel is drawn in: its area's colour, or its dot
  // of the area's mixture.
  std::uint8_t Target(int pixel) const { return target_[pixel]; }
  const std::vector<int>& Order() const { return order_; }
  int Position(int area) const { return position_[area]; }
  int AreaOf(int pixel) const { return label_[pixel]; }
  std::uint8_t Colour(int pixel) const { return picture_.colours[pixel]; }
  std::span<const int> Pixels(int area) const { return Slice(pixels_, pixelStart_, area); }
  // Its pixels next to a pixel outside it that is not enclosed by it: a
  // fill inside stays in once these have its colour.
  std::span<const int> OuterEdge(int area) const { return Slice(edges_, edgeStart_, area); }
  // What bounds its fills: its outer edge, or with rings outside, the
  // pixels of later areas next to it and its edge's other pixels.
  std::span<const int> Ring(int area) const {
    return rings_.empty() ? OuterEdge(area) : Slice(rings_, ringStart_, area);
  }
  bool OnOuterEdge(int pixel) const { return onEdge_[pixel] != 0; }

 private:
  static std::span<const int> Slice(const std::vector<int>& all, const std::vector<int>& start, int area) {
    return {all.data() + start[area], static_cast<std::size_t>(start[area + 1] - start[area])};
  }

  void ListPixels() {
    pixelStart_.assign(areas_.size() + 1, 0);
    for (int area : label_) ++pixelStart_[area + 1];
    std::partial_sum(pixelStart_.begin(), pixelStart_.end(), pixelStart_.begin());
    pixels_.resize(label_.size());
    std::vector<int> next(pixelStart_.begin(), pixelStart_.end() - 1);
    for (int p = 0; p < static_cast<int>(label_.size()); ++p) pixels_[next[label_[p]]++] = p;
  }

  // Whether a neighbouring area lies strictly within the area's box: each
  // hole holds one, so without one the area has no hole.
  bool EnclosesAny(int id) const {
    const Area& area = areas_[id];
    for (int p : Pixels(id)) {
      for (const int q : Neighbours(p, height_)) {
        if (q < 0) continue;
        const Area& other = areas_[label_[q]];
        if (other.left > area.left && other.right < area.right && other.top > area.top && other.bottom < area.bottom) {
          return true;
        }
      }
    }
    return false;
  }

  // An area's outer edge: its pixels next to a pixel outside it that is not
  // enclosed by it. Without a hole that is any pixel of another area;
  // otherwise, within the area's box, the pixels outside it that reach the
  // box's rim without crossing it are marked open (the rest of the screen
  // beyond the box is open too).
  void FindOuterEdges(bool ringsOutside) {
    edgeStart_.assign(areas_.size() + 1, 0);
    if (ringsOutside) ringStart_.assign(areas_.size() + 1, 0);
    std::vector<int> ring;
    std::vector<std::uint8_t> open;
    std::vector<int> stack;
    for (int id = 0; id < static_cast<int>(areas_.size()); ++id) {
      const Area& area = areas_[id];
      const int w = area.right - area.left + 1, h = area.bottom - area.top + 1;
      const bool enclosing = EnclosesAny(id);
      if (enclosing) {
        open.assign(static_cast<std::size_t>(w) * h, 0);
        auto reach = [&](int lx, int ly) {
          const int local = ly * w + lx;
          if (!open[local] && label_[(area.top + ly) * kPictureWidth + area.left + lx] != id) {
            open[local] = 1;
            stack.push_back(local);
          }
        };
        for (int lx = 0; lx < w; ++lx) reach(lx, 0), reach(lx, h - 1);
        for (int ly = 0; ly < h; ++ly) reach(0, ly), reach(w - 1, ly);
        while (!stack.empty()) {
          const int local = stack.back();
          stack.pop_back();
          const int lx = local % w, ly = local / w;
          if (lx > 0) reach(lx - 1, ly);
          if (lx < w - 1) reach(lx + 1, ly);
          if (ly > 0) reach(lx, ly - 1);
          if (ly < h - 1) reach(lx, ly + 1);
        }
      }
      auto outside = [&](int q) {
        if (q < 0 || label_[q] == id) return false;
        if (!enclosing) return true;
        const int lx = q % kPictureWidth - area.left, ly = q / kPictureWidth - area.top;
        return lx < 0 || lx >= w || ly < 0 || ly >= h || open[ly * w + lx] != 0;
      };
      for (int p : Pixels(id)) {
        const std::array<int, 4> neighbours = Neighbours(p, height_);
        if (std::any_of(neighbours.begin(), neighbours.end(), outside)) edges_.push_back(p);
      }
      edgeStart_[id + 1] = static_cast<int>(edges_.size());
      if (!ringsOutside) continue;
      ring.clear();
      for (int e = edgeStart_[id]; e < edgeStart_[id + 1]; ++e) {
        const int p = edges_[e];
        bool inside = false;
        for (const int q : Neighbours(p, height_)) {
          if (!outside(q)) continue;
          if (position_[label_[q]] > position_[id]) {
            ring.push_back(q);
          } else {
            inside = true;
          }
        }
        // An earlier area's pixels are final: there the ring runs over the area's own.
        if (inside) ring.push_back(p);
      }
      std::sort(ring.begin(), ring.end());
      ring.erase(std::unique(ring.begin(), ring.end()), ring.end());
      rings_.insert(rings_.end(), ring.begin(), ring.end());
      ringStart_[id + 1] = static_cast<int>(rings_.size());
    }
  }

  ColourPicture picture_;
  int height_;
  std::vector<int> label_;
  std::vector<Area> areas_;
  std::vector<int> pixelStart_, pixels_;
  std::vector<int> edgeStart_, edges_;
  std::vector<int> ringStart_, rings_;
  std::vector<int> order_, position_;
  std::vector<std::uint8_t> target_;
  std::vector<std::uint8_t> onEdge_;
};

// The bytes of records' lines. A line's bytes depend only on its kind and
// on the size of each number's token, so each such shape is measured once.
class LineBytes {
 public:
  LineBytes(const Settings& settings, const BasicCommands& commands, const TileStringTable& tiles)
      : settings_(settings), commands_(commands), tiles_(tiles) {}

  // A tile fill's line with its tile in a variable, and the variable's
  // setting, which the first fill of a tile takes besides (machine programs
  // spell a tile used more than once so).
  TileFillBytes TileFill(const OperationRecord& record) {
    const std::uint32_t shape = Shape(record);
    const auto known = tileFills_.find(shape);
    if (known != tileFills_.end()) return known->second;
    const TileFillBytes bytes = MachineTileFillBytes(record, settings_, commands_, tiles_);
    tileFills_.emplace(shape, bytes);
    return bytes;
  }

  std::size_t operator()(const OperationRecord& record) {
    const std::uint32_t shape = Shape(record);
    const auto known = bytes_.find(shape);
    if (known != bytes_.end()) return known->second;
    const std::size_t bytes = RecordLineBytes(record, settings_, commands_, tiles_);
    bytes_.emplace(shape, bytes);
    return bytes;
  }

 private:
  std::uint32_t Shape(const OperationRecord& record) const {
    std::uint32_t shape = static_cast<std::uint32_t>(record[field::Kind]);
    for (int f = field::X1; f <= field::Border; ++f) {
      int value = record[f];
      if (f == field::Y1 || f == field::Y2) value = ProgramY(value, settings_);
      shape = shape * 4 + (value < 0 ? 3 : value <= 9 ? 0 : value <= 255 ? 1 : 2);
    }
    // A tile fill's line spells its tile, whose length is its own.
    if (record[field::Kind] == kind::TilePaint) {
      shape = shape * 256 + static_cast<std::uint32_t>(
                                TileImageNumber(record[field::TileKind], record[field::Colour], record[field::Second]));
    }
    return shape;
  }

  const Settings& settings_;
  const BasicCommands& commands_;
  const TileStringTable& tiles_;
  std::unordered_map<std::uint32_t, std::size_t> bytes_;
  std::unordered_map<std::uint32_t, TileFillBytes> tileFills_;
};

// A record of the fields up to the border, each its own group for undo.
OperationRecord Record(const std::array<int, field::Chain>& fields) {
  OperationRecord record{};
  std::copy(fields.begin(), fields.end(), record.begin());
  record[field::Chain] = 1;
  return record;
}

OperationRecord LineRecord(int x1, int y1, int x2, int y2, int colour) {
  if (x1 == x2 && y1 == y2) return Record({kind::Dot, x1, y1, 0, 0, colour, 0});
  return Record({kind::Line, x1, y1, x2, y2, colour, 0});
}

OperationRecord PaintRecord(int x, int y, int colour) { return Record({kind::Paint, x, y, 0, 0, colour, colour}); }

OperationRecord TilePaintRecord(int x, int y, const ApparentColour& tile, int border) {
  return Record({kind::TilePaint, x, y, tile.kind, tile.second, tile.first, border});
}

struct Point {
  int x, y;
};

// A way a line runs: along x or y (the major axis), `rise` dots across for
// every `period` along, to one side. The dots of a line are the dots
// nearest its true course. The machine's LINE puts them where the editor
// does, except where one lies exactly halfway, so only periods with no such
// dot are used: odd ones.
struct Direction {
  int period;
  int rise;
  bool alongY;
  int across;  // +1 or -1

  // The pattern's dot at step k from the anchor (k may be negative).
  Point Pixel(Point anchor, int k) const {
    const int twice = 2 * k * rise + period;
    const int minor = (twice >= 0 ? twice : twice - 2 * period + 1) / (2 * period);
    return alongY ? Point{anchor.x + across * minor, anchor.y + k} : Point{anchor.x + k, anchor.y + across * minor};
  }
  // The anchor from which the dot is at the given step.
  Point Anchor(Point dot, int step) const {
    const Point offset = Pixel({0, 0}, step);
    return {dot.x - offset.x, dot.y - offset.y};
  }
  // A line of this slope ends only at whole periods from its anchor.
  bool EndsAt(int k) const { return k % period == 0; }
};

constexpr Direction kDirections[] = {
    {1, 0, false, 1}, {1, 0, true, 1},   {1, 1, false, 1}, {1, 1, false, -1},  // level, upright, diagonal
    {3, 1, false, 1}, {3, 1, false, -1}, {3, 1, true, 1},  {3, 1, true, -1},
    {3, 2, false, 1}, {3, 2, false, -1}, {3, 2, true, 1},  {3, 2, true, -1},
};

struct Drawing {
  std::vector<OperationRecord> records;
  std::size_t bytes = 0;
  std::size_t equalPixels = 0;
  std::array<bool, kTileKinds * 64> tileSet{};  // the tiles whose variables are set
};

// What a drawing may take: bytes (0 for no limit) and records.
struct Limit {
  std::size_t bytes;
  std::size_t records;
  bool Holds(const Drawing& drawing) const {
    return (bytes == 0 || drawing.bytes <= bytes) && drawing.records.size() <= records;
  }
};

// What a painter works in, kept from one drawing to the next so that each
// does not take fresh pages from the system.
struct PaintingMemory {
  std::vector<std::uint8_t> canvas;
  std::vector<int> mustPaint;
  std::vector<std::pair<int, std::uint8_t>> changes;
  std::vector<int> stack;
};

// The replay of a picture's records, drawn as they are made.
class Painter {
 public:
  Painter(const Areas& areas, LineBytes& lineBytes, PaintingMemory& memory)
      : areas_(areas),
        lineBytes_(lineBytes),
        canvas_(memory.canvas),
        mustPaint_(memory.mustPaint),
        changes_(memory.changes),
        stack_(memory.stack) {}

  // Every area drawn, and the pixels equal to the reference; drawing stops
  // once past the limit, as such a drawing is of no use.
  Drawing Draw(const ColourPicture& reference, const Limit& limit) {
    const int size = kPictureWidth * areas_.Height();
    canvas_.assign(static_cast<std::size_t>(size), 0);
    mustPaint_.assign(static_cast<std::size_t>(size), 0);
    stamp_ = 0;
    drawing_ = Drawing();
    for (int area : areas_.Order()) {
      DrawArea(area);
      if (!limit.Holds(drawing_)) return std::move(drawing_);
    }
    const auto& apparent = ApparentColours();
    for (int p = 0; p < size; ++p) {
      drawing_.equalPixels +=
          canvas_[p] == apparent[reference.colours[p]].ColourAt(p % kPictureWidth, p / kPictureWidth);
    }
    return std::move(drawing_);
  }

 private:
  void Emit(const OperationRecord& record) {
    drawing_.records.push_back(record);
    if (record[field::Kind] != kind::TilePaint) {
      drawing_.bytes += lineBytes_(record);
      return;
    }
    const TileFillBytes bytes = lineBytes_.TileFill(record);
    bool& set = drawing_.tileSet[static_cast<std::size_t>(
        TileImageNumber(record[field::TileKind], record[field::Colour], record[field::Second]))];
    drawing_.bytes += bytes.named + (set ? 0 : bytes.setting);
    set = true;
  }

  // The area's turn. Its outer edge in its colour, then fills for the rest;
  // or, when that costs more (in small areas), lines over all of it.
  void DrawArea(int area) {
    const std::uint8_t colour = areas_.At(area).colour;
    const auto pixels = areas_.Pixels(area);
    if (std::all_of(pixels.begin(), pixels.end(), [&](int p) { return canvas_[p] == areas_.Target(p); })) return;
    if (colour >= 8) {
      DrawEdgeAndTileFill(area);
      return;
    }
    if (areas_.At(area).size > kLargestDrawnByLines) {
      DrawEdgeAndFill(area);
      return;
    }
    const Mark start = MarkNow();
    keepChanges_ = true;
    DrawEdgeAndFill(area);
    const std::size_t edgeAndFill = drawing_.bytes - start.bytes;
    RollBack(start);
    DrawLinesOver(area, areas_.Pixels(area), colour);
    if (drawing_.bytes - start.bytes > edgeAndFill) {
      RollBack(start);
      DrawEdgeAndFill(area);
    }
    keepChanges_ = false;
    changes_.clear();
  }

  void DrawEdgeAndFill(int area) {
    const std::uint8_t colour = areas_.At(area).colour;
    DrawLinesOver(area, areas_.Ring(area), colour);
    for (int p : areas_.Pixels(area)) {
      if (canvas_[p] != colour) {
        Fill(p, colour);
        Emit(PaintRecord(p % kPictureWidth, p / kPictureWidth, colour));
      }
    }
  }

  // A mixture's area: its outer edge in one of its two colours, which its
  // tile fills take as their border. The colour chosen is the one fewer of
  // the area's inner pixels hold already (a fill cannot cross them); of
  // kinds 1 and 2 the minority's, on a tie, so that a second fill can pass
  // through the first's majority dots. The edge stays in that one colour.
  void DrawEdgeAndTileFill(int area) {
    const ApparentColour& tile = ApparentColours()[areas_.At(area).colour];
    int holding[2] = {0, 0};
    for (int p : areas_.Pixels(area)) {
      holding[0] += canvas_[p] == tile.first;
      holding[1] += canvas_[p] == tile.second;
    }
    const std::uint8_t border = static_cast<std::uint8_t>(holding[1] <= holding[0] ? tile.second : tile.first);
    DrawLinesOver(area, areas_.Ring(area), border);
    for (int p : areas_.Pixels(area)) {
      if (canvas_[p] != areas_.Target(p) && canvas_[p] != border && TileFill(p, tile, border) >= kLeastTileFill) {
        Emit(TilePaintRecord(p % kPictureWidth, p / kPictureWidth, tile, border));
      }
    }
  }

  // Lines in the colour until every one of the pixels has it.
  void DrawLinesOver(int area, std::span<const int> pixels, std::uint8_t colour) {
    ++stamp_;
    for (int p : pixels) {
      if (canvas_[p] != colour) mustPaint_[p] = stamp_;
    }
    for (int p : pixels) {
      if (canvas_[p] != colour) DrawBestLine(area, p, colour);
    }
  }

  // What was drawn up to a point, to draw an area another way.
  struct Mark {
    std::size_t records, bytes;
  };
  Mark MarkNow() {
    changes_.clear();
    return {drawing_.records.size(), drawing_.bytes};
  }
  void RollBack(const Mark& mark) {
    for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) canvas_[change->first] = change->second;
    changes_.clear();
    drawing_.records.resize(mark.records);
    drawing_.bytes = mark.bytes;
  }
  void Set(int p, std::uint8_t colour) {
    if (keepChanges_) changes_.emplace_back(p, canvas_[p]);
    canvas_[p] = colour;
  }

  // A pixel the area's lines may paint: its own, one drawn later, or one
  // already of the lines' colour.
  bool MayPaint(int area, int x, int y, std::uint8_t colour) const {
    if (x < 0 || x >= kPictureWidth || y < 0 || y >= areas_.Height()) return false;
    const int p = y * kPictureWidth + x;
    if (canvas_[p] == colour) return true;
    const int other = areas_.AreaOf(p);
    if (areas_.Position(other) < areas_.Position(area)) return false;
    // Not over a later mixture's area in one of its colours, which could
    // then be its fills' border and cut them short.
    const std::uint8_t label = areas_.At(other).colour;
    if (other == area || label < 8 || areas_.OnOuterEdge(p)) return true;
    const ApparentColour& tile = ApparentColours()[label];
    return colour != tile.first && colour != tile.second;
  }
  // Of the pixels the area's lines may paint: one of another area (drawn
  // later) that does not have the colour yet.
  bool PaintsOver(int area, int x, int y, std::uint8_t colour) const {
    const int p = y * kPictureWidth + x;
    return canvas_[p] != colour && areas_.AreaOf(p) != area;
  }
  bool MustPaint(int x, int y, std::uint8_t colour) const {
    const int p = y * kPictureWidth + x;
    return mustPaint_[p] == stamp_ && canvas_[p] != colour;
  }

  // Where a line of the direction through pixel p at step `at` of its
  // pattern ends, stepping one way: at a step of a whole period, the one
  // with most pixels it must paint, reached over pixels it may paint.
  struct LineEnd {
    int step = 0;
    int worth = kUnreachable;
  };
  static constexpr int kUnreachable = std::numeric_limits<int>::min();
  LineEnd FarthestEnd(int area, Point anchor, const Direction& direction, int at, int way, std::uint8_t colour) const {
    LineEnd best;
    int worth = 0, lastNeeded = at;
    for (int k = at;; k += way) {
      if (k != at) {
        const Point pixel = direction.Pixel(anchor, k);
        if (!MayPaint(area, pixel.x, pixel.y, colour)) break;
        if (MustPaint(pixel.x, pixel.y, colour)) {
          worth += kWorthOfNeededPixel, lastNeeded = k;
        } else if (PaintsOver(area, pixel.x, pixel.y, colour)) {
          worth += areas_.Target(pixel.y * kPictureWidth + pixel.x) == colour ? kWorthOfLaterPixel : -1;
        }
        if (std::abs(k - lastNeeded) > kLongestReach) break;
      }
      if (direction.EndsAt(k) && worth > best.worth) best = {k, worth};
    }
    return best;
  }

  // The line through the pixel that paints most of the pixels still
  // missing: level, upright, diagonal, or of a slope the machine's LINE
  // draws with the same dots.
  void DrawBestLine(int area, int p, std::uint8_t colour) {
    const Point start{p % kPictureWidth, p / kPictureWidth};
    int bestWorth = kUnreachable;
    Point bestFrom{}, bestTo{};
    const Direction* bestDirection = nullptr;
    LineEnd bestBack, bestOn;
    for (const Direction& direction : kDirections) {
      for (int phase = 0; phase < direction.period; ++phase) {
        const Point anchor = direction.Anchor(start, phase);
        const LineEnd back = FarthestEnd(area, anchor, direction, phase, -1, colour);
        const LineEnd on = FarthestEnd(area, anchor, direction, phase, 1, colour);
        if (back.worth == kUnreachable || on.worth == kUnreachable || back.worth + on.worth <= bestWorth) continue;
        bestWorth = back.worth + on.worth;
        bestDirection = &direction, bestBack = back, bestOn = on;
        bestFrom = direction.Pixel(anchor, back.step), bestTo = direction.Pixel(anchor, on.step);
      }
    }
    // From its first dot the line's dots follow the same pattern.
    for (int k = 0; k <= bestOn.step - bestBack.step; ++k) {
      const Point pixel = bestDirection->Pixel(bestFrom, k);
      Set(pixel.y * kPictureWidth + pixel.x, colour);
    }
    Emit(LineRecord(bestFrom.x, bestFrom.y, bestTo.x, bestTo.y, colour));
  }

  // The editor's fill with the border in the fill's own colour.
  void Fill(int start, std::uint8_t colour) {
    stack_.assign(1, start);
    while (!stack_.empty()) {
      const int p = stack_.back();
      stack_.pop_back();
      if (canvas_[p] == colour) continue;
      const int y = p / kPictureWidth, row = y * kPictureWidth;
      int left = p - row, right = left;
      while (left > 0 && canvas_[row + left - 1] != colour) --left;
      while (right < kPictureWidth - 1 && canvas_[row + right + 1] != colour) ++right;
      for (int x = left; x <= right; ++x) Set(row + x, colour);
      for (const int ny : {y - 1, y + 1}) {
        if (ny < 0 || ny >= areas_.Height()) continue;
        for (int x = left; x <= right; ++x) {
          const int q = ny * kPictureWidth + x;
          if (canvas_[q] != colour && (x == left || canvas_[q - 1] == colour)) stack_.push_back(q);
        }
      }
    }
  }

  // The editor's tile fill: the pixels reachable from the start without
  // stepping on the border's colour, found first, then painted with the
  // tile. Not painted, when fewer than kLeastTileFill: what would paint so
  // few pixels is not worth its line. The pixels it would paint.
  int TileFill(int start, const ApparentColour& tile, std::uint8_t border) {
    ++stamp_;
    region_.clear();
    stack_.assign(1, start);
    while (!stack_.empty()) {
      const int p = stack_.back();
      stack_.pop_back();
      if (canvas_[p] == border || mustPaint_[p] == stamp_) continue;
      const int y = p / kPictureWidth, row = y * kPictureWidth;
      int left = p - row, right = left;
      auto open = [&](int q) { return canvas_[q] != border && mustPaint_[q] != stamp_; };
      while (left > 0 && open(row + left - 1)) --left;
      while (right < kPictureWidth - 1 && open(row + right + 1)) ++right;
      for (int x = left; x <= right; ++x) mustPaint_[row + x] = stamp_, region_.push_back(row + x);
      for (const int ny : {y - 1, y + 1}) {
        if (ny < 0 || ny >= areas_.Height()) continue;
        for (int x = left; x <= right; ++x) {
          const int q = ny * kPictureWidth + x;
          if (open(q) && (x == left || !open(q - 1))) stack_.push_back(q);
        }
      }
    }
    const int size = static_cast<int>(region_.size());
    if (size < kLeastTileFill) return size;
    for (const int q : region_) {
      Set(q, static_cast<std::uint8_t>(tile.ColourAt(q % kPictureWidth, q / kPictureWidth)));
    }
    return size;
  }

  const Areas& areas_;
  LineBytes& lineBytes_;
  std::vector<std::uint8_t>& canvas_;
  std::vector<int>& mustPaint_;  // the pixels the lines drawn now must paint hold stamp_
  int stamp_ = 0;
  std::vector<std::pair<int, std::uint8_t>>& changes_;  // pixels changed in the area's turn, and what they held
  bool keepChanges_ = false;                            // while an area is drawn one way to compare with the other
  std::vector<int>& stack_;
  std::vector<int> region_;
  Drawing drawing_;
};

PictureRecords Result(Drawing drawing) {
  PictureRecords result;
  result.records = std::move(drawing.records);
  result.bytes = drawing.bytes;
  result.equalPixels = drawing.equalPixels;
  return result;
}

}  // namespace

std::size_t RecordLineBytes(const OperationRecord& record, const Settings& settings, const BasicCommands& commands,
                            const TileStringTable& tiles) {
  return EstimateProgramMemory(NumberedLine(10000, RecordStatement(record, settings, commands, tiles)) + "\r\n")
      .records;
}

PictureRecords RecordsDrawingPicture(const ColourPicture& picture, const Settings& settings,
                                     const BasicCommands& commands, const TileStringTable& tiles, std::size_t budget,
                                     std::size_t maxRecords) {
  LineBytes lineBytes(settings, commands, tiles);
  PaintingMemory memory;
  const Areas areas(LabelledPicture{picture, LabelAreas(picture)}, true);
  Drawing drawing = Painter(areas, lineBytes, memory).Draw(picture, Limit{budget, maxRecords});
  return Result(std::move(drawing));
}

PictureRecords RecordsForPictureByEye(const Bitmap& picture, const Settings& settings, const BasicCommands& commands,
                                      const TileStringTable& tiles, std::size_t budget, std::size_t maxRecords,
                                      const std::function<void(double)>& progress) {
  const RegionMerging merging(SmoothedKeepingEdges(picture, kSegmentationSigma, kSharpEdge), settings.tiling != 1);
  LineBytes lineBytes(settings, commands, tiles);
  PaintingMemory memory;
  const Limit limit{budget, maxRecords};
  // Nothing drawn, the screen left black, is the last resort.
  PictureRecords best;
  Bitmap drawn(kPictureWidth, picture.height);
  BlurredComparison comparison(picture);
  best.closeness = comparison.To(drawn);
  best.equalPixels = 0;
  // The regions, from one up, each step a good deal more: of the drawings
  // that fit, the one that looks closest. A step past the limit is no use,
  // nor (as more regions take more bytes) are many after it: the search
  // stops after two such. A larger budget so sees every drawing a smaller
  // one does, and never chooses a worse one.
  best.anyFits = false;
  int missed = 0;
  const double finest = 2.0 * merging.Finest();
  for (double regions = 1; regions < finest && missed < 2; regions *= kRegionsStep) {
    if (progress) progress(std::log(regions) / std::log(finest));
    const ApparentPicture apparent = merging.At(std::min(static_cast<int>(regions), merging.Finest()));
    const ColourPicture colours{apparent.height, apparent.colours};
    const Areas areas(LabelledPicture{colours, LabelAreas(colours)}, true);
    Drawing drawing = Painter(areas, lineBytes, memory).Draw(colours, limit);
    if (!limit.Holds(drawing)) {
      ++missed;
      continue;
    }
    missed = 0;
    best.anyFits = true;
    for (std::size_t p = 0; p < drawn.pixels.size(); ++p) drawn.pixels[p] = PaletteColour(memory.canvas[p]);
    const Closeness closeness = comparison.To(drawn);
    if (closeness.rgb < best.closeness.rgb) {
      best = Result(std::move(drawing));
      best.closeness = closeness;
      best.anyFits = true;
    }
    if (static_cast<int>(regions) >= merging.Finest()) break;
  }
  if (progress) progress(1);
  return best;
}

PictureRecords RecordsForSeenPictureByEye(const Bitmap& seen, const Settings& settings,
                                          const BasicCommands& commands, const TileStringTable& tiles,
                                          std::size_t budget, const std::function<void(double)>& progress) {
  const Bitmap picture = PictureHeight(settings) == seen.height ? seen : RowsTwoAtATime(seen);
  return RecordsForPictureByEye(picture, settings, commands, tiles, budget, kMaxOperations, progress);
}

PictureRecords RecordsForPicture(const ColourPicture& picture, const Settings& settings, const BasicCommands& commands,
                                 const TileStringTable& tiles, std::size_t budget, std::size_t maxRecords) {
  LineBytes lineBytes(settings, commands, tiles);
  PaintingMemory memory;
  const Limit limit{budget, maxRecords};
  // Each simplification drawn whole; of those that fit, the one nearest the
  // picture. Trying them all, rather than stopping at the first that fits,
  // means a larger budget never chooses one with fewer equal pixels. The
  // last steps are the picture in its most common colour (one PAINT) and
  // nothing drawn at all, so that some step fits any budget.
  Drawing best;
  best.equalPixels = static_cast<std::size_t>(std::count(picture.colours.begin(), picture.colours.end(), 0));
  auto consider = [&](LabelledPicture simplified) {
    const Areas areas(std::move(simplified), false);
    Drawing drawing = Painter(areas, lineBytes, memory).Draw(picture, limit);
    if (limit.Holds(drawing) && drawing.equalPixels > best.equalPixels) best = std::move(drawing);
  };
  ColourPicture smooth = picture;
  int reach = 0;
  for (const Simplification& simplification : kSimplifications) {
    if (simplification.reach != reach) {
      reach = simplification.reach;
      smooth = Smoothed(picture, reach);
    }
    consider(WithoutSmallAreas(smooth, simplification.leastArea));
    if (best.equalPixels == picture.colours.size()) return Result(std::move(best));
  }
  consider(WithoutSmallAreas(InMostCommonColour(picture), 0));
  return Result(std::move(best));
}

}  // namespace kumodo
