#include "picture/record_drawing.h"

#include <array>
#include <cmath>

#include "picture/tiles.h"
#include "screen/layout.h"
#include "screen/palette.h"

namespace kumodo {
namespace {

// Rounds half up by the first decimal digit, as the dots are placed.
int RoundForDot(double value) {
  const double whole = std::floor(value);
  const double firstDecimal = std::floor(10 * value) - 10 * whole;
  return static_cast<int>(whole) + (firstDecimal >= 5 ? 1 : 0);
}

// `value` after `count` additions of `step`, each sum rounded as a loop
// would round it, in a few operations. While the running value stays within
// one binade (between two powers of two) every addition adds the same
// rounded amount, at most the first one differing (ties go to even), so a
// whole run inside the binade is added at once; only the steps next to a
// binade's edge are taken one by one.
double AddedUp(double value, double step, long long count) {
  auto sameBinade = [](double a, double b) {
    return a != 0 && b != 0 && std::signbit(a) == std::signbit(b) && std::ilogb(a) == std::ilogb(b);
  };
  while (count > 0) {
    const double once = value + step;
    const double twice = once + step;
    const double increment = once - value;  // exact: both lie in one binade
    if (count < 3 || !sameBinade(value, twice) || twice - once != increment) {
      value = once;
      --count;
      continue;
    }
    // The run ends one step before the value would leave the binade.
    const double magnitude = std::fabs(value);
    const double low = std::ldexp(1.0, std::ilogb(value));
    const bool outward = std::signbit(increment) == std::signbit(value);
    const double room = outward ? 2 * low - magnitude : magnitude - low;
    long long run = increment == 0 ? count : static_cast<long long>(room / std::fabs(increment)) - 1;
    run = std::min(run, count);
    while (run > 0 && !sameBinade(value, value + static_cast<double>(run + 1) * increment)) --run;
    if (run <= 0) {
      value = once;
      --count;
      continue;
    }
    value += static_cast<double>(run) * increment;
    count -= run;
  }
  return value;
}

// A line of the record's kind: both end points drawn.
void DrawRecordLine(Bitmap& canvas, const DrawingState& d, Rgb colour) {
  const int x2 = static_cast<int>(d.x2);
  const int y2 = static_cast<int>(d.y2);
  DrawLineSegment(canvas, static_cast<int>(d.x1), static_cast<int>(d.y1), x2, y2, colour);
  SetPixel(canvas, x2, y2, colour);
}

}  // namespace

Brush FillBrush(const DrawingState& d, const TileSource& tiles, int fillValue) {
  if (fillValue <= 7) return Brush::Solid(PaletteColour(fillValue));
  const bool tileExists = d.tileKind < kTileKinds && d.drawingColour >= 0 && d.drawingColour <= 7 &&
                          d.secondColour >= 0 && d.secondColour <= 7;
  if (!tileExists) return Brush::Solid(PaletteColour(d.drawingColour));
  return Brush::Tile(tiles(d.tileKind, d.drawingColour, d.secondColour));
}

void ForEachTwoColourDot(const DrawingState& d, int width, int height, const std::function<void(int x, int y)>& plot) {
  const double dx = d.x2 - d.x1;
  const double dy = d.y2 - d.y1;
  // One pixel a step along the longer axis; the other coordinate follows,
  // added up step by step as the dots were always placed.
  const bool alongX = std::fabs(dx) > std::fabs(dy);
  const double majorStep = (alongX ? dx : dy) < 0 ? -1 : 1;
  const double minorStep = alongX ? dy / std::fabs(dx) : (dy == 0 ? 0 : dx / std::fabs(dy));
  const double majorEnd = alongX ? d.x2 : d.y2;
  const int majorSize = alongX ? width : height;
  const int minorSize = alongX ? height : width;
  // A coordinate below -1, or from the canvas size on, rounds to a point off
  // the canvas: such steps plot nothing, and once a coordinate has left the
  // canvas moving away, no later step can plot. A line reaching far outside
  // is walked only where it may touch the canvas: the steps before it along
  // the longer axis are skipped, the other coordinate added up over them
  // exactly as the walk would (AddedUp).
  auto outside = [](double value, int size) { return value < -1 || value >= size; };
  auto leaving = [](double value, double step, int size) {
    return (value >= size && step >= 0) || (value < -1 && step <= 0);
  };
  auto beforeEnd = [&](double major) { return majorStep > 0 ? major <= majorEnd : major >= majorEnd; };
  double minor = alongX ? d.y1 : d.x1;
  double major = alongX ? d.x1 : d.y1;
  // The coordinates are whole numbers: so are the steps until the canvas.
  const double skipped = std::max(0.0, std::min(majorStep > 0 ? -1 - major : major - majorSize + 1,
                                                std::fabs(majorEnd - major) + 1));
  minor = AddedUp(minor, minorStep, static_cast<long long>(std::ceil(skipped)));
  major += majorStep * std::ceil(skipped);
  for (; beforeEnd(major); major += majorStep, minor += minorStep) {
    if (outside(major, majorSize) || outside(minor, minorSize)) {
      if (leaving(major, majorStep, majorSize) || leaving(minor, minorStep, minorSize)) break;
      continue;
    }
    const int rx = RoundForDot(alongX ? major : minor);
    const int ry = RoundForDot(alongX ? minor : major);
    if ((std::abs(rx) % 2) + (std::abs(ry) % 2) == 1) plot(rx, ry);
  }
}

void DrawTwoColourDots(Bitmap& canvas, const DrawingState& d) {
  const Rgb colour = PaletteColour(d.drawingColour);
  ForEachTwoColourDot(d, canvas.width, canvas.height, [&](int x, int y) { SetPixel(canvas, x, y, colour); });
}

void DrawLoadedRecord(Bitmap& canvas, const DrawingState& d, bool paintDisplay, const TileSource& tiles) {
  const int x = static_cast<int>(d.x1);
  const int y = static_cast<int>(d.y1);
  switch (d.mode) {
    case kind::Line:
      DrawRecordLine(canvas, d, PaletteColour(d.drawingColour));
      break;
    case kind::Paint:
      if (paintDisplay) FloodFillToBorder(canvas, x, y, PaletteColour(d.borderColour), FillBrush(d, tiles, d.drawingColour));
      break;
    case kind::TilePaint:
      if (paintDisplay) {
        const int fillValue = (d.tileKind + 1) * 10 + d.secondColour * 8 + d.drawingColour;
        FloodFillToBorder(canvas, x, y, PaletteColour(d.borderColour), FillBrush(d, tiles, fillValue));
      }
      break;
    case kind::Dot:
      SetPixel(canvas, x, y, PaletteColour(d.drawingColour));
      break;
    case kind::TwoColourLine:
      DrawRecordLine(canvas, d, PaletteColour(d.borderColour));
      DrawTwoColourDots(canvas, d);
      break;
    default:
      break;
  }
}

TileSource RuleTiles() {
  // The 192 tiles, made once from the tile rule.
  static const std::array<Bitmap, kTileKinds * 64> tiles = [] {
    std::array<Bitmap, kTileKinds * 64> made;
    for (int kind = 0; kind < kTileKinds; ++kind) {
      for (int first = 0; first < 8; ++first) {
        for (int second = 0; second < 8; ++second) {
          Bitmap& tile = made[static_cast<std::size_t>(TileImageNumber(kind, first, second))];
          tile = Bitmap(8, 8);
          for (int ty = 0; ty < 8; ++ty) {
            for (int tx = 0; tx < 8; ++tx) tile.At(tx, ty) = PaletteColour(TilePixelColour(kind, first, second, tx, ty));
          }
        }
      }
    }
    return made;
  }();
  return [](int kind, int first, int second) -> const Bitmap& {
    return tiles[static_cast<std::size_t>(TileImageNumber(kind, first, second))];
  };
}

Bitmap RenderPicture(const OperationList& list, int height, bool paintDisplay, const TileSource& tiles) {
  Bitmap canvas(kPictureWidth, height);
  DrawingState state;
  for (int i = 0; i <= list.count; ++i) {
    LoadOperation(list, i, state);
    DrawLoadedRecord(canvas, state, paintDisplay, tiles);
  }
  return canvas;
}

}  // namespace kumodo
