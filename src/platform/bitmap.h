#pragma once
// A plain 32-bit pixel buffer. Pixels hold the system's RGB values,
// 0x00BBGGRR (red in the low byte). Shared by every layer: the platform
// presents and decodes into it, the raster above draws on it.
#include <cstdint>
#include <vector>

namespace kumodo {

using Rgb = std::uint32_t;

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // row-major, width * height

  Bitmap() = default;
  Bitmap(int w, int h, Rgb fill = 0)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

  bool Empty() const { return width <= 0 || height <= 0; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  Rgb& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

}  // namespace kumodo
