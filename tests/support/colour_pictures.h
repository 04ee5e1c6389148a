#pragma once
// Reduced pictures made to test how pictures become records: areas with
// holes and areas inside the holes, rings against the picture's edges, thin
// lines of every slope, single dots, every colour.
#include <cmath>
#include <random>

#include "export/basic_program.h"
#include "export/picture_records.h"

namespace kumodo::colour_pictures {

inline void Put(ColourPicture& picture, int x, int y, int colour) {
  if (x >= 0 && x < 640 && y >= 0 && y < picture.height)
    picture.colours[y * 640 + x] = static_cast<std::uint8_t>(colour);
}

// Shapes drawn over each other on a background, each of the count a random
// one of: a filled ellipse, a ring (an ellipse with a hole of another
// colour), a box reaching past an edge, a thin line, a few single dots.
inline ColourPicture Shapes(unsigned seed, int height, int count) {
  std::mt19937 random(seed);
  auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  ColourPicture picture{height, std::vector<std::uint8_t>(static_cast<std::size_t>(640) * height,
                                                          static_cast<std::uint8_t>(between(0, 7)))};
  for (int n = 0; n < count; ++n) {
    const int colour = between(0, 7), other = (colour + between(1, 7)) % 8;
    const int cx = between(-20, 660), cy = between(-20, height + 20);
    const int rx = between(1, 120), ry = between(1, height / 3);
    switch (between(0, 4)) {
      case 0:
      case 1:
        for (int y = cy - ry; y <= cy + ry; ++y) {
          for (int x = cx - rx; x <= cx + rx; ++x) {
            const double d = std::hypot((x - cx) / static_cast<double>(rx), (y - cy) / static_cast<double>(ry));
            if (d <= 1.0) Put(picture, x, y, d < 0.5 && between(0, 1) ? other : colour);
          }
        }
        break;
      case 2:
        for (int y = cy - ry; y <= cy + ry; ++y) {
          for (int x = cx - rx; x <= cx + rx; ++x) Put(picture, x, y, colour);
        }
        break;
      case 3: {
        const int x2 = between(0, 639), y2 = between(0, height - 1);
        const int steps = std::max(std::abs(x2 - cx), std::abs(y2 - cy));
        for (int k = 0; k <= steps; ++k) {
          Put(picture, cx + (x2 - cx) * k / std::max(steps, 1), cy + (y2 - cy) * k / std::max(steps, 1), colour);
        }
        break;
      }
      default:
        for (int k = between(1, 12); k > 0; --k) Put(picture, between(0, 639), between(0, height - 1), between(0, 7));
    }
  }
  return picture;
}

// Every pixel a random colour in a box: the most areas for its size.
inline void Noise(ColourPicture& picture, unsigned seed, int left, int top, int width, int height) {
  std::mt19937 random(seed);
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) Put(picture, x, y, static_cast<int>(random() % 8));
  }
}

// The bytes of the obvious program of a picture: one LINE for each
// horizontal run of a colour in each row, as the records' lines take them.
inline std::size_t RunPerLineBytes(const ColourPicture& picture, const Settings& settings,
                                   const BasicCommands& commands) {
  const TileStringTable tiles = BuildTileStringTable();
  std::size_t bytes = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < 640;) {
      const int colour = picture.colours[y * 640 + x];
      int end = x;
      while (end + 1 < 640 && picture.colours[y * 640 + end + 1] == colour) ++end;
      OperationRecord run{};
      run[field::Kind] = kind::Line;
      run[field::X1] = static_cast<std::int16_t>(x);
      run[field::Y1] = run[field::Y2] = static_cast<std::int16_t>(y);
      run[field::X2] = static_cast<std::int16_t>(end);
      run[field::Colour] = static_cast<std::int16_t>(colour);
      run[field::Chain] = 1;
      bytes += RecordLineBytes(run, settings, commands, tiles);
      x = end + 1;
    }
  }
  return bytes;
}

}  // namespace kumodo::colour_pictures
