// The raster against cases produced by the graphics layer it reproduces.
#include "screen/raster.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "screen/palette.h"

namespace kumodo {
namespace {

std::ifstream OpenReference(const std::string& name) {
  std::ifstream file(std::string(KUMODO_TEST_DATA) + "/gdi-reference/" + name);
  EXPECT_TRUE(file.is_open()) << name;
  return file;
}

// The reference files may carry CR LF line ends.
bool ReadLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// Rows of colour digits as palette colours.
Bitmap ReadDigitRows(std::istream& in, int width, int height) {
  Bitmap bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    std::string row;
    ReadLine(in, row);
    EXPECT_EQ(static_cast<int>(row.size()), width) << "row " << y;
    for (int x = 0; x < width && x < static_cast<int>(row.size()); ++x) bitmap.At(x, y) = PaletteColour(row[x] - '0');
  }
  return bitmap;
}

int CountMismatches(const Bitmap& got, const Bitmap& want) {
  int mismatches = 0;
  for (std::size_t i = 0; i < want.pixels.size(); ++i) mismatches += got.pixels[i] != want.pixels[i];
  return mismatches;
}

TEST(RasterReference, EveryLineLeavesOutItsEndPoint) {
  std::ifstream in = OpenReference("lines.txt");
  std::string line;
  int cases = 0;
  while (ReadLine(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int x1, y1, x2, y2;
    std::string colon;
    fields >> x1 >> y1 >> x2 >> y2 >> colon;
    Bitmap want(640, 400);
    std::string point;
    while (fields >> point) {
      const auto comma = point.find(',');
      want.At(std::stoi(point.substr(0, comma)), std::stoi(point.substr(comma + 1))) = 1;
    }
    Bitmap got(640, 400);
    DrawLineSegment(got, x1, y1, x2, y2, 1);
    EXPECT_EQ(CountMismatches(got, want), 0) << line.substr(0, 40);
    ++cases;
  }
  EXPECT_EQ(cases, 400);
}

// The line rule followed step by step over the whole line, as written down.
Bitmap LineOfEveryStep(int width, int height, int x1, int y1, int x2, int y2) {
  Bitmap bitmap(width, height);
  const long long adx = std::llabs(static_cast<long long>(x2) - x1);
  const long long ady = std::llabs(static_cast<long long>(y2) - y1);
  const bool alongX = adx > ady;
  const long long major = alongX ? adx : ady;
  const long long minor = alongX ? ady : adx;
  const int stepA = (alongX ? x2 < x1 : y2 < y1) ? -1 : 1;
  const int stepB = (alongX ? y2 < y1 : x2 < x1) ? -1 : 1;
  const long long bias = (alongX ? y2 < y1 : x2 < x1) ? 1 : 0;
  long long a = alongX ? x1 : y1;
  long long b = alongX ? y1 : x1;
  long long error = 2 * minor - major;
  for (long long i = 0; i < major; ++i) {
    const long long x = alongX ? a : b;
    const long long y = alongX ? b : a;
    if (x >= 0 && y >= 0 && x < width && y < height) bitmap.At(static_cast<int>(x), static_cast<int>(y)) = 1;
    if (error + bias > 0) {
      b += stepB;
      error += 2 * minor - 2 * major;
    } else {
      error += 2 * minor;
    }
    a += stepA;
  }
  return bitmap;
}

// Only the visible part of a line is walked; its pixels must not change.
TEST(Raster, LinesReachingFarOutsideDrawTheirVisiblePixels) {
  std::mt19937 dice(5);
  auto coordinate = [&](int spread) { return static_cast<int>(dice() % (2 * spread + 1)) - spread; };
  for (int line = 0; line < 3000; ++line) {
    const int spread = line % 3 == 0 ? 32768 : line % 3 == 1 ? 1000 : 50;
    const int x1 = coordinate(spread), y1 = coordinate(spread), x2 = coordinate(spread), y2 = coordinate(spread);
    const int width = line % 2 ? 640 : 17;
    const int height = line % 5 ? 400 : 9;
    Bitmap got(width, height);
    DrawLineSegment(got, x1, y1, x2, y2, 1);
    ASSERT_EQ(CountMismatches(got, LineOfEveryStep(width, height, x1, y1, x2, y2)), 0)
        << x1 << ", " << y1 << " to " << x2 << ", " << y2 << " on " << width << " x " << height;
  }
}

TEST(RasterReference, RectanglesOutlineAndFillAsTheGraphicsCall) {
  std::ifstream in = OpenReference("rects.txt");
  std::string header;
  int cases = 0;
  while (ReadLine(in, header)) {
    if (header.empty() || header[0] == '#') continue;
    std::istringstream fields(header);
    int left, top, right, bottom;
    fields >> left >> top >> right >> bottom;
    const Bitmap want = ReadDigitRows(in, 32, 32);
    Bitmap got(32, 32);
    DrawRectangle(got, left, top, right, bottom, PaletteColour(7), PaletteColour(2));
    EXPECT_EQ(CountMismatches(got, want), 0) << header;
    ++cases;
  }
  EXPECT_GT(cases, 10);
}

TEST(RasterReference, BorderFillsWithSolidAndTileBrushes) {
  std::ifstream in = OpenReference("fills.txt");
  std::string header;
  int cases = 0;
  int tiled = 0;
  while (ReadLine(in, header)) {
    if (header.rfind("case", 0) != 0) continue;
    std::istringstream fields(header);
    std::string word, fill;
    int number, x, y, border, result;
    fields >> word >> number >> word >> x >> y >> word >> border >> word >> fill >> word >> result;
    Bitmap got = ReadDigitRows(in, 64, 48);
    std::string separator;
    ReadLine(in, separator);
    EXPECT_EQ(separator, "--");
    const Bitmap want = ReadDigitRows(in, 64, 48);

    Brush brush = Brush::Solid(0);
    if (fill.rfind("tile", 0) == 0) {
      Bitmap tile(8, 8);
      for (int i = 0; i < 64; ++i) tile.pixels[i] = PaletteColour(fill[4 + i] - '0');
      brush = Brush::Tile(tile);
      ++tiled;
    } else {
      brush = Brush::Solid(PaletteColour(std::stoi(fill)));
    }
    const bool succeeded = FloodFillToBorder(got, x, y, PaletteColour(border), brush);
    EXPECT_EQ(succeeded, result == 1) << header;
    EXPECT_EQ(CountMismatches(got, want), 0) << header;
    ++cases;
  }
  EXPECT_EQ(cases, 60);
  EXPECT_GT(tiled, 0);
}

TEST(RasterReference, StretchingReplicatesAndDropsPixels) {
  std::ifstream in = OpenReference("stretch.txt");
  std::string header;
  int cases = 0;
  while (ReadLine(in, header)) {
    if (header.empty() || header[0] == '#') continue;
    std::istringstream fields(header);
    int sw, sh, dw, dh;
    std::string arrow;
    fields >> sw >> sh >> arrow >> dw >> dh;
    Bitmap source(sw, sh);
    for (int y = 0; y < sh; ++y) {
      for (int x = 0; x < sw; ++x) source.At(x, y) = PaletteColour((3 * x + 5 * y) % 8);
    }
    const Bitmap want = ReadDigitRows(in, dw, dh);
    Bitmap got(dw, dh);
    StretchCopy(source, 0, 0, sw, sh, got, 0, 0, dw, dh);
    EXPECT_EQ(CountMismatches(got, want), 0) << header;
    ++cases;
  }
  EXPECT_EQ(cases, 8);
}

TEST(Raster, FloodFillRefusesStartOutsideOrOnBorder) {
  Bitmap bitmap(4, 4, PaletteColour(7));
  EXPECT_FALSE(FloodFillToBorder(bitmap, -1, 0, PaletteColour(1), Brush::Solid(PaletteColour(2))));
  EXPECT_FALSE(FloodFillToBorder(bitmap, 4, 0, PaletteColour(1), Brush::Solid(PaletteColour(2))));
  EXPECT_FALSE(FloodFillToBorder(bitmap, 0, 0, PaletteColour(7), Brush::Solid(PaletteColour(2))));
  EXPECT_EQ(bitmap.At(0, 0), PaletteColour(7));
}

TEST(Raster, StretchIntoAnOffsetTargetKeepsTheVisiblePart) {
  // The zoomed view copies the picture to a negative offset.
  Bitmap source(4, 1);
  for (int x = 0; x < 4; ++x) source.At(x, 0) = PaletteColour(x + 1);
  Bitmap target(2, 1);
  StretchCopy(source, 0, 0, 4, 1, target, -2, 0, 4, 1);
  EXPECT_EQ(target.At(0, 0), PaletteColour(3));
  EXPECT_EQ(target.At(1, 0), PaletteColour(4));
}

}  // namespace
}  // namespace kumodo
