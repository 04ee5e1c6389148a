#include "pictures/apparent_colours.h"

#include <cmath>

#include "picture/tiles.h"
#include "screen/palette.h"

namespace kumodo {
namespace {

float Linear(int channel) {
  const float c = static_cast<float>(channel) / 255.0f;
  return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

std::array<ApparentColour, kApparentColours> MakeApparentColours() {
  std::array<ApparentColour, kApparentColours> colours{};
  int n = 0;
  auto add = [&](int kind, int first, int second) {
    ApparentColour& colour = colours[n++];
    colour.kind = kind;
    colour.first = first;
    colour.second = second;
    int sum[3] = {0, 0, 0};
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const Rgb dot = PaletteColour(colour.ColourAt(x, y));
        for (int c = 0; c < 3; ++c) sum[c] += static_cast<int>((dot >> (8 * c)) & 0xFF);
      }
    }
    for (int c = 0; c < 3; ++c) colour.mean |= static_cast<Rgb>((sum[c] + 32) / 64) << (8 * c);
    colour.lab = OklabOf(colour.mean);
  };
  for (int plain = 0; plain < 8; ++plain) add(-1, plain, plain);
  for (int first = 0; first < 8; ++first) {
    for (int second = first + 1; second < 8; ++second) add(0, first, second);
  }
  for (int kind = 1; kind < kTileKinds; ++kind) {
    for (int first = 0; first < 8; ++first) {
      for (int second = 0; second < 8; ++second) {
        if (first != second) add(kind, first, second);
      }
    }
  }
  return colours;
}

}  // namespace

Oklab OklabOf(Rgb colour) {
  const float r = Linear(static_cast<int>(colour & 0xFF));
  const float g = Linear(static_cast<int>((colour >> 8) & 0xFF));
  const float b = Linear(static_cast<int>((colour >> 16) & 0xFF));
  const float l = std::cbrt(0.4122214708f * r + 0.5363325363f * g + 0.0514459929f * b);
  const float m = std::cbrt(0.2119034982f * r + 0.6806995451f * g + 0.1073969566f * b);
  const float s = std::cbrt(0.0883024619f * r + 0.2817188376f * g + 0.6299787005f * b);
  return {0.2104542553f * l + 0.7936177850f * m - 0.0040720468f * s,
          1.9779984951f * l - 2.4285922050f * m + 0.4505937099f * s,
          0.0259040371f * l + 0.7827717662f * m - 0.8086757660f * s};
}

float DistanceSquared(const Oklab& p, const Oklab& q) {
  const float dl = p.l - q.l, da = p.a - q.a, db = p.b - q.b;
  return dl * dl + da * da + db * db;
}

int ApparentColour::ColourAt(int x, int y) const {
  return Solid() ? first : TilePixelColour(kind, first, second, x & 7, y & 7);
}

const std::array<ApparentColour, kApparentColours>& ApparentColours() {
  static const std::array<ApparentColour, kApparentColours> colours = MakeApparentColours();
  return colours;
}

int NearestApparentColour(const Oklab& colour, bool plainOnly) {
  const auto& colours = ApparentColours();
  const int count = plainOnly ? 8 : kApparentColours;
  int best = 0;
  float bestDistance = DistanceSquared(colour, colours[0].lab);
  for (int n = 1; n < count; ++n) {
    if (colours[n].kind == 2 && colours[n].second == 0) continue;
    const float distance = DistanceSquared(colour, colours[n].lab);
    if (distance < bestDistance) best = n, bestDistance = distance;
  }
  return best;
}

}  // namespace kumodo
