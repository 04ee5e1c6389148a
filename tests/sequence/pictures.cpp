#include "sequence/pictures.h"

#include <cstdint>
#include <fstream>
#include <random>

#include "screen/palette.h"

namespace kumodo::sequence {
namespace {

struct Picture {
  int width;
  int height;
  std::vector<Rgb> pixels = std::vector<Rgb>(static_cast<std::size_t>(width) * height);

  void Fill(int left, int top, int right, int bottom, Rgb colour) {
    for (int y = std::max(top, 0); y <= std::min(bottom, height - 1); ++y) {
      for (int x = std::max(left, 0); x <= std::min(right, width - 1); ++x) pixels[y * width + x] = colour;
    }
  }
};

void Put16(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t value) {
  Put16(out, static_cast<int>(value & 0xFFFF));
  Put16(out, static_cast<int>(value >> 16));
}

// An uncompressed 24-bit BMP, rows bottom up.
std::string BmpBytes(const Picture& picture) {
  const int rowBytes = (picture.width * 3 + 3) / 4 * 4;
  std::string out = "BM";
  Put32(out, static_cast<std::uint32_t>(54 + rowBytes * picture.height));
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(picture.width));
  Put32(out, static_cast<std::uint32_t>(picture.height));
  Put16(out, 1);
  Put16(out, 24);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  for (int y = picture.height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < picture.width; ++x) {
      const Rgb pixel = picture.pixels[y * picture.width + x];
      row += static_cast<char>((pixel >> 16) & 0xFF);
      row += static_cast<char>((pixel >> 8) & 0xFF);
      row += static_cast<char>(pixel & 0xFF);
    }
    row.resize(static_cast<std::size_t>(rowBytes), '\0');
    out += row;
  }
  return out;
}

// Rectangles of the digital colours; some reach the picture's edges, and
// with `thin` most are one pixel wide or high.
Picture Shapes(int width, int height, unsigned seed, bool thin) {
  std::mt19937 dice(seed);
  auto pick = [&](int lo, int hi) { return lo + static_cast<int>(dice() % static_cast<unsigned>(hi - lo + 1)); };
  Picture picture{width, height};
  picture.Fill(0, 0, width - 1, height - 1, PaletteColour(pick(0, 7)));
  for (int i = 0; i < 40; ++i) {
    const int left = pick(-20, width - 1);
    const int top = pick(-20, height - 1);
    const int right = thin && i % 2 ? left : left + pick(0, width / 3);
    const int bottom = thin && i % 2 == 0 ? top : top + pick(0, height / 3);
    picture.Fill(left, top, right, bottom, PaletteColour(pick(0, 7)));
  }
  // Areas along the bottom rows of both editing resolutions.
  picture.Fill(0, height - 3, width / 2, height - 1, PaletteColour(pick(0, 7)));
  picture.Fill(width / 3, 195, width - 1, 204, PaletteColour(pick(0, 7)));
  return picture;
}

// Lone pixels and tiny blocks on a background: areas too small to outline.
Picture Speckles(unsigned seed) {
  std::mt19937 dice(seed);
  Picture picture{640, 400};
  picture.Fill(0, 0, 639, 399, PaletteColour(3));
  for (int y = 1; y < 400; y += 3) {
    for (int x = 1 + y % 2; x < 640; x += 3) {
      const int size = dice() % 4 == 0 ? 1 : 0;
      picture.Fill(x, y, x + size, y + size, PaletteColour(static_cast<int>(dice() % 3)));
    }
  }
  return picture;
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

std::vector<TestPicture> MakeTestPictures(const std::filesystem::path& folder) {
  std::vector<TestPicture> pictures;
  auto add = [&](const std::string& name, const std::string& bytes, TestPicture::Kind kind) {
    Write(folder / name, bytes);
    pictures.push_back({(folder / name).string(), kind});
  };
  add("shapes.bmp", BmpBytes(Shapes(640, 400, 1, false)), TestPicture::Kind::Fits);
  add("half.bmp", BmpBytes(Shapes(640, 200, 2, false)), TestPicture::Kind::Fits);
  add("small.bmp", BmpBytes(Shapes(200, 120, 3, false)), TestPicture::Kind::Fits);
  add("thin.bmp", BmpBytes(Shapes(640, 400, 4, true)), TestPicture::Kind::Fits);
  add("speckles.bmp", BmpBytes(Speckles(7)), TestPicture::Kind::Fits);
  add("too-wide.bmp", BmpBytes(Shapes(641, 400, 5, false)), TestPicture::Kind::TooLarge);
  add("cut.bmp", BmpBytes(Shapes(640, 400, 6, false)).substr(0, 4000), TestPicture::Kind::Broken);
  return pictures;
}

}  // namespace kumodo::sequence
