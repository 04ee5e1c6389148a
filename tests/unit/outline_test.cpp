// The tracer and the simplifier on colour grids alone, no editor started.
#include "trace/outline.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "support/colour_grids.h"

namespace kumodo {
namespace {

std::vector<std::array<int, 5>> Traced(const ColourGrid& grid, int x, int y) {
  DrawingState state;
  WorkLists lists;
  TraceRegionOutline(grid, x + 1, y + 1, state, lists);
  std::vector<std::array<int, 5>> entries;
  for (int i = 0; i < lists.count[0]; ++i) {
    const OperationRecord& e = lists.entries[0][i];
    entries.push_back({e[1], e[2], e[3], e[4], e[6]});
  }
  return entries;
}

TEST(Tracer, ARectangleGivesItsFourCornersAndTheWayBack) {
  const ColourGrid grid = GridWithRectangle(10, 20, 19, 29);
  using Entries = std::vector<std::array<int, 5>>;
  EXPECT_EQ(Traced(grid, 15, 24), (Entries{{10, 24, 10, 20, 1}, {10, 20, 19, 20, 1}, {19, 20, 19, 29, 1},
                                           {19, 29, 10, 29, 1}, {10, 29, 10, 24, 0}}));
  EXPECT_EQ(Traced(grid, 12, 29), (Entries{{10, 29, 10, 20, 1}, {10, 20, 19, 20, 1}, {19, 20, 19, 29, 1},
                                           {19, 29, 10, 29, 0}}));
}

TEST(Tracer, ASinglePixelAndThePicturesLeftEdge) {
  ColourGrid grid = GridWithRectangle(50, 50, 50, 50);
  using Entries = std::vector<std::array<int, 5>>;
  EXPECT_EQ(Traced(grid, 50, 50), (Entries{{50, 50, 50, 50, 0}}));
  grid = GridWithRectangle(0, 10, 5, 12);
  const Entries edge = Traced(grid, 0, 11);
  ASSERT_FALSE(edge.empty());
  EXPECT_EQ(edge[0][0], 0) << "starts at once: the border column is on its left";
  EXPECT_EQ(edge.back()[2], 0);
  EXPECT_EQ(edge.back()[3], 11) << "and comes back to the start";
}

TEST(Tracer, AnyGridContentKeepsEveryStepInsideThePictureOfTheFramedHeight) {
  std::mt19937 dice(7);
  ColourGrid grid;
  for (std::int8_t& level : grid.levels) level = static_cast<std::int8_t>(dice() % 3 == 0 ? dice() % 8 : 0);
  for (int height : {200, 400, 37}) {
    grid.Frame(height);
    for (int start = 0; start < 50; ++start) {
      const int x = static_cast<int>(dice() % 640);
      const int y = static_cast<int>(dice() % static_cast<unsigned>(height));
      for (const auto& [x1, y1, x2, y2, turn] : Traced(grid, x, y)) {
        ASSERT_TRUE(x1 >= 0 && x1 <= 639 && x2 >= 0 && x2 <= 639) << height << ": " << x << ", " << y;
        ASSERT_TRUE(y1 >= 0 && y1 < height && y2 >= 0 && y2 < height) << height << ": " << x << ", " << y;
      }
    }
  }
}

// The passes as the converter runs them: the square's outline, the same five
// lines the outline tool records.
std::vector<OutlineLine> OutlineOf(const ColourGrid& grid, int x, int y) {
  DrawingState state;
  WorkLists lists;
  TraceRegionOutline(grid, x + 1, y + 1, state, lists);
  SimplifyTraceSteps(lists, state);
  return MergeChordsToLines(lists);
}

TEST(Simplifier, ASquaresOutlineAndATinyAreasNone) {
  using Lines = std::vector<OutlineLine>;
  EXPECT_EQ(OutlineOf(GridWithRectangle(100, 100, 199, 199), 150, 150),
            (Lines{{{100, 150}, {100, 100}}, {{100, 100}, {199, 100}}, {{199, 100}, {199, 199}},
                   {{199, 199}, {100, 199}}, {{100, 199}, {100, 150}}}));
  EXPECT_TRUE(OutlineOf(GridWithRectangle(50, 50, 50, 50), 50, 50).empty());
}

// Blobs of every size and place: an outline is a closed chain of lines, each
// starting where the one before ended, all inside the picture.
TEST(Simplifier, EveryOutlineIsAClosedChainInsideThePicture) {
  std::mt19937 dice(11);
  for (int blob = 0; blob < 60; ++blob) {
    const int cx = static_cast<int>(dice() % 640);
    const int cy = static_cast<int>(dice() % 400);
    const double radius = 3 + dice() % 150;
    const double wobble = static_cast<double>(dice() % 20);
    ColourGrid grid;
    for (int x = 0; x < 640; ++x) {
      for (int y = 0; y < 400; ++y) {
        const double angle = std::atan2(y - cy, x - cx);
        const bool inside = std::hypot(x - cx, y - cy) < radius + wobble * std::sin(7 * angle);
        grid.Set(x, y, inside ? 4 : 1);
      }
    }
    const std::vector<OutlineLine> lines = OutlineOf(grid, cx, cy);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const OutlineLine& line = lines[i];
      for (const TracePoint& p : {line.from, line.to}) {
        ASSERT_TRUE(p.x >= 0 && p.x <= 639 && p.y >= 0 && p.y <= 399) << "blob " << blob << ", line " << i;
      }
      ASSERT_EQ(line.from, lines[(i + lines.size() - 1) % lines.size()].to) << "blob " << blob << ", line " << i;
    }
  }
}

}  // namespace
}  // namespace kumodo
