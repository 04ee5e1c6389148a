#include "screen/raster.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace kumodo {

Brush Brush::Tile(const Bitmap& tile8x8) {
  Brush brush;
  brush.tiled = true;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      brush.tile[y * 8 + x] = tile8x8.Contains(x, y) ? tile8x8.At(x, y) : 0;
    }
  }
  return brush;
}

void SetPixel(Bitmap& bitmap, int x, int y, Rgb colour) {
  if (bitmap.Contains(x, y)) bitmap.At(x, y) = colour;
}

namespace {

long long CeilDivide(long long numerator, long long denominator) {
  return numerator >= 0 ? (numerator + denominator - 1) / denominator : -(-numerator / denominator);
}

// The steps 0 <= i < length at which start + direction * i lies in [0, size): [first, last).
std::pair<long long, long long> StepsOnBitmap(long long start, int direction, long long length, int size) {
  const long long first = std::max(0LL, direction > 0 ? -start : start - (size - 1));
  const long long last = std::min(length, direction > 0 ? size - start : start + 1);
  return {first, std::max(first, last)};
}

// Walks the line along its major axis, only over the steps that lie on the
// bitmap: the minor coordinate and the error at the first of them follow in
// closed form from the rule (after i steps the minor axis has moved
// ceil((2 minor i - major + bias) / (2 major)) times), so a line reaching far
// outside costs no more than its visible part. (a, b) is (x, y) for an
// x-major line and (y, x) for a y-major one.
template <class Plot>
void WalkLine(long long a1, long long b1, long long major, long long minor, int stepA, int stepB, long long bias,
              int sizeA, Plot plot) {
  const auto [first, last] = StepsOnBitmap(a1, stepA, major, sizeA);
  if (first >= last) return;
  const long long moved = CeilDivide(2 * minor * first - major + bias, 2 * major);
  long long error = 2 * minor * (first + 1) - major - 2 * major * moved;
  long long a = a1 + stepA * first;
  long long b = b1 + stepB * moved;
  for (long long i = first; i < last; ++i) {
    plot(a, b);
    if (error + bias > 0) {
      b += stepB;
      error += 2 * minor - 2 * major;
    } else {
      error += 2 * minor;
    }
    a += stepA;
  }
}

}  // namespace

void DrawLineSegment(Bitmap& bitmap, int x1, int y1, int x2, int y2, Rgb colour) {
  const long long dx = static_cast<long long>(x2) - x1;
  const long long dy = static_cast<long long>(y2) - y1;
  const long long adx = std::llabs(dx);
  const long long ady = std::llabs(dy);
  const int sx = dx < 0 ? -1 : 1;
  const int sy = dy < 0 ? -1 : 1;
  auto plot = [&](long long x, long long y) {
    if (x >= 0 && y >= 0 && x < bitmap.width && y < bitmap.height) bitmap.At(static_cast<int>(x), static_cast<int>(y)) = colour;
  };
  if (adx > ady) {
    // An x-major line going up rounds its halves the other way.
    WalkLine(x1, y1, adx, ady, sx, sy, dy < 0 ? 1 : 0, bitmap.width, plot);
  } else {
    WalkLine(y1, x1, ady, adx, sy, sx, dx < 0 ? 1 : 0, bitmap.height,
             [&](long long y, long long x) { plot(x, y); });
  }
}

void DrawRectangle(Bitmap& bitmap, int left, int top, int right, int bottom, Rgb pen, std::optional<Rgb> fill) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  if (right == left || bottom == top) return;
  if (fill) {
    for (int y = std::max(top + 1, 0); y <= std::min(bottom - 2, bitmap.height - 1); ++y) {
      for (int x = std::max(left + 1, 0); x <= std::min(right - 2, bitmap.width - 1); ++x) bitmap.At(x, y) = *fill;
    }
  }
  // The outline is the perimeter of the inclusive box, walked as four lines.
  const int lastX = right - 1;
  const int lastY = bottom - 1;
  DrawLineSegment(bitmap, left, top, lastX, top, pen);
  DrawLineSegment(bitmap, lastX, top, lastX, lastY, pen);
  DrawLineSegment(bitmap, lastX, lastY, left, lastY, pen);
  DrawLineSegment(bitmap, left, lastY, left, top, pen);
}

bool FloodFillToBorder(Bitmap& bitmap, int x, int y, Rgb border, const Brush& brush) {
  if (!bitmap.Contains(x, y) || bitmap.At(x, y) == border) return false;
  const int width = bitmap.width;
  const int height = bitmap.height;
  // The region is found on the original pixels first, then painted.
  std::vector<std::uint8_t> inside(static_cast<std::size_t>(width) * height, 0);
  struct Span {
    int y, left, right;
  };
  std::vector<Span> spans;
  std::vector<std::pair<int, int>> seeds{{x, y}};
  auto open = [&](int px, int py) {
    const std::size_t at = static_cast<std::size_t>(py) * width + px;
    return !inside[at] && bitmap.pixels[at] != border;
  };
  while (!seeds.empty()) {
    auto [sx, sy] = seeds.back();
    seeds.pop_back();
    if (!open(sx, sy)) continue;
    int left = sx;
    int right = sx;
    while (left > 0 && open(left - 1, sy)) --left;
    while (right < width - 1 && open(right + 1, sy)) ++right;
    std::fill(inside.begin() + static_cast<std::ptrdiff_t>(sy) * width + left,
              inside.begin() + static_cast<std::ptrdiff_t>(sy) * width + right + 1, 1);
    spans.push_back({sy, left, right});
    for (int ny : {sy - 1, sy + 1}) {
      if (ny < 0 || ny >= height) continue;
      bool inRun = false;
      for (int nx = left; nx <= right; ++nx) {
        const bool candidate = open(nx, ny);
        if (candidate && !inRun) seeds.emplace_back(nx, ny);
        inRun = candidate;
      }
    }
  }
  for (const Span& span : spans) {
    Rgb* row = &bitmap.At(0, span.y);
    if (brush.tiled) {
      for (int px = span.left; px <= span.right; ++px) row[px] = brush.At(px, span.y);
    } else {
      std::fill(row + span.left, row + span.right + 1, brush.colour);
    }
  }
  return true;
}

namespace {

long long FloorDivide(long long numerator, long long denominator) {
  long long quotient = numerator / denominator;
  if ((numerator % denominator != 0) && ((numerator < 0) != (denominator < 0))) --quotient;
  return quotient;
}

// Which source index destination index d shows (0-based, within the
// rectangles). Shrinking keeps the first of a group of rows but the last of a
// group of columns, so the two axes differ.
int StretchSourceIndex(int d, int sourceLength, int destLength, bool rowAxis) {
  const long long s = sourceLength;
  const long long D = destLength;
  if (D >= s) return static_cast<int>(FloorDivide((2LL * d + 1) * s + 2 * D - 1, 2 * D) - 1);
  // Shrinking: source index i falls on destination index ceil((2i + 1) D / 2S) - 1;
  // rows keep the first index that falls on d, columns the last.
  if (rowAxis) return static_cast<int>(FloorDivide(2LL * d * s - D, 2 * D) + 1);
  return static_cast<int>(FloorDivide(2LL * (d + 1) * s - D, 2 * D));
}

}  // namespace

void StretchCopy(const Bitmap& source, int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                 Bitmap& destination, int destX, int destY, int destWidth, int destHeight) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || destWidth <= 0 || destHeight <= 0) return;
  std::vector<int> columns(destWidth);
  for (int d = 0; d < destWidth; ++d) columns[d] = sourceX + StretchSourceIndex(d, sourceWidth, destWidth, false);
  // The destination columns drawn: inside the destination, from a column
  // inside the source (the source columns only grow from left to right).
  int from = std::max(0, -destX);
  int to = std::min(destWidth, destination.width - destX);
  while (from < to && columns[from] < 0) ++from;
  while (to > from && columns[to - 1] >= source.width) --to;
  if (from >= to) return;
  // The view is stretched many times a second: a row that repeats the one
  // above is copied from it, and at equal widths rows are copied whole.
  int previousSourceRow = -1;
  const Rgb* previousRow = nullptr;
  for (int dy = 0; dy < destHeight; ++dy) {
    const int ty = destY + dy;
    if (ty < 0 || ty >= destination.height) continue;
    const int sy = sourceY + StretchSourceIndex(dy, sourceHeight, destHeight, true);
    if (sy < 0 || sy >= source.height) continue;
    Rgb* destRow = &destination.At(0, ty);
    const Rgb* sourceRow = &source.pixels[static_cast<std::size_t>(sy) * source.width];
    if (sy == previousSourceRow) {
      std::copy(previousRow + destX + from, previousRow + destX + to, destRow + destX + from);
    } else if (sourceWidth == destWidth) {
      std::copy(sourceRow + columns[from], sourceRow + columns[from] + (to - from), destRow + destX + from);
    } else {
      for (int dx = from; dx < to; ++dx) destRow[destX + dx] = sourceRow[columns[dx]];
    }
    previousSourceRow = sy;
    previousRow = destRow;
  }
}

}  // namespace kumodo
