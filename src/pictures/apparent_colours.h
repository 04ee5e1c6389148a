#pragma once
// The colours the machine shows: its eight, and the two-colour mixtures a
// tile fill paints, which the eye takes for colours of their own once it
// averages the dots. Chosen among in a perceptual colour space (Oklab), where
// equal distances look about equally different.
#include <array>
#include <cstdint>

#include "platform/bitmap.h"

namespace kumodo {

struct Oklab {
  float l = 0, a = 0, b = 0;
};

// The colour as the eye sees it: sRGB decoded to linear light, then Oklab.
Oklab OklabOf(Rgb colour);
float DistanceSquared(const Oklab& p, const Oklab& q);

// One apparent colour: a plain colour (kind -1), or a tile of one kind with
// its first colour (the minority; kind 0 half of the dots) and second.
struct ApparentColour {
  int kind = -1;
  int first = 0;
  int second = 0;
  Rgb mean = 0;  // its dots averaged, as the eye and a blur take them
  Oklab lab;

  bool Solid() const { return kind < 0; }
  // The colour number of its dot at (x, y) of the screen.
  int ColourAt(int x, int y) const;
};

// The 8 plain colours (numbers 0 to 7, as the colours), then the 140
// mixtures: kind 0 of each pair, kinds 1 and 2 of each ordered pair.
constexpr int kApparentColours = 148;
const std::array<ApparentColour, kApparentColours>& ApparentColours();

// The nearest apparent colour of the colour, among all of them or among the
// plain ones only. A kind 2 tile of a black majority is never chosen: its
// rows of black alone make the machine's PAINT go on for ever around holes.
int NearestApparentColour(const Oklab& colour, bool plainOnly = false);

}  // namespace kumodo
