#include "export/machine_paint.h"

#include <algorithm>
#include <cstdlib>

#include "screen/palette.h"

namespace kumodo {
namespace {

struct Interval {
  int left, right, y, direction;  // direction: 0 the seed's row, else the way the fill goes
};

struct Fill {
  Bitmap& screen;
  const PaintPattern& pattern;
  Rgb border;
  std::vector<Interval> pending;
  long long queued = 0;  // stretches queued in all

  Rgb* Row(int y) { return &screen.At(0, y); }

  // How far the row runs from x in steps of `step` before a border or the screen's edge.
  int RunLength(int y, int x, int step) {
    const Rgb* row = Row(y);
    int length = 0;
    for (int at = x; at >= 0 && at < screen.width && row[at] != border; at += step) ++length;
    return length;
  }

  // Queues every stretch of row y between borders within [left, right],
  // except those already holding the pattern's row. A tile row of colour 0
  // alone never counts as held, so such tiles fill through.
  void Check(int left, int right, int y, int direction) {
    if (right < left) return;
    const auto& tileRow = pattern.rows[static_cast<std::size_t>(y) % pattern.rows.size()];
    const bool mayHold = pattern.solid || std::any_of(tileRow.begin(), tileRow.end(), [](Rgb c) { return c != 0; });
    const Rgb* row = Row(y);
    for (int x = left; x <= right;) {
      int width = 0;
      while (x + width <= right && row[x + width] != border) ++width;
      if (width > 0) {
        bool holds = mayHold;
        for (int i = 0; holds && i < width; ++i) holds = row[x + i] == tileRow[static_cast<std::size_t>(x + i) % 8];
        if (!holds) pending.push_back({x, x + width - 1, y, direction}), ++queued;
      }
      x += width + 1;
    }
  }

  bool Run(int x, int y, long long stretches) {
    pending.push_back({x, x, y, 0});
    const int bottom = screen.height - 1;
    while (!pending.empty()) {
      if (queued > stretches) return false;
      const Interval at = pending.back();
      pending.pop_back();
      const int left = at.left - RunLength(at.y, at.left - 1, -1);
      const int right = at.right + RunLength(at.y, at.right + 1, 1);
      if (at.direction == 0) {
        if (at.y + 1 <= bottom) Check(left, right, at.y + 1, 1);
        if (at.y - 1 >= 0) Check(left, right, at.y - 1, -1);
      } else {
        const int onward = at.y + at.direction;
        const int back = at.y - at.direction;
        if (onward >= 0 && onward <= bottom) Check(left, right, onward, at.direction);
        // Where the stretch grew past the row it came from, the fill turns a corner.
        if (back >= 0 && back <= bottom) {
          Check(left, at.left - 1, back, -at.direction);
          Check(at.right + 1, right, back, -at.direction);
        }
      }
      Rgb* row = Row(at.y);
      for (int px = left; px <= right; ++px) row[px] = pattern.At(px, at.y);
    }
    return true;
  }
};

}  // namespace

PaintPattern SolidPattern(int colour) {
  PaintPattern pattern;
  pattern.rows.push_back({});
  pattern.rows[0].fill(PaletteColour(colour));
  return pattern;
}

PaintPattern TilePattern(const std::vector<std::array<unsigned char, 3>>& planeRows) {
  PaintPattern pattern;
  pattern.solid = false;
  for (const auto& planes : planeRows) {
    std::array<Rgb, 8> row{};
    for (int x = 0; x < 8; ++x) {
      int index = 0;
      for (int plane = 0; plane < 3; ++plane) {
        if (planes[static_cast<std::size_t>(plane)] & (0x80 >> x)) index |= 1 << plane;
      }
      row[static_cast<std::size_t>(x)] = PaletteColour(index);
    }
    pattern.rows.push_back(row);
  }
  if (pattern.rows.empty()) pattern.rows.push_back({});
  return pattern;
}

bool MachinePaint(Bitmap& screen, int x, int y, const PaintPattern& pattern, Rgb border, long long stretches) {
  if (!screen.Contains(x, y) || screen.At(x, y) == border) return true;
  return Fill{screen, pattern, border, {}}.Run(x, y, stretches);
}

void MachineLine(Bitmap& screen, int x1, int y1, int x2, int y2, Rgb colour) {
  x1 = std::clamp(x1, 0, screen.width - 1), x2 = std::clamp(x2, 0, screen.width - 1);
  y1 = std::clamp(y1, 0, screen.height - 1), y2 = std::clamp(y2, 0, screen.height - 1);
  if (y2 <= y1) std::swap(x1, x2), std::swap(y1, y2);
  int dx = std::abs(x2 - x1);
  int dy = std::abs(y2 - y1);
  const bool steep = dy > dx;
  if (steep) std::swap(x1, y1), std::swap(x2, y2), std::swap(dx, dy);
  const int sx = x2 > x1 ? 1 : -1;
  const int sy = y2 > y1 ? 1 : -1;
  int error = dx / 2;
  for (int major = x1, minor = y1;; major += sx) {
    if (steep) {
      screen.At(minor, major) = colour;
    } else {
      screen.At(major, minor) = colour;
    }
    if (major == x2) break;
    error -= dy;
    if (error < 0) minor += sy, error += dx;
  }
}

}  // namespace kumodo
