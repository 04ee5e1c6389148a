#pragma once
// Documents built to be hard on the machine's model and on the programs
// that complete its fills, at any size: the benchmarks take them at 30,000
// records, the interpreter's runs small ones. Coordinates are the
// document's, rows 0 to height - 1.
#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "picture/operations.h"

namespace kumodo::hard_documents {

inline std::int16_t Value(int value) { return static_cast<std::int16_t>(value); }

inline OperationRecord Line(int x1, int y1, int x2, int y2, int colour) {
  return {kind::Line, Value(x1), Value(y1), Value(x2), Value(y2), Value(colour), 0, 1};
}

inline OperationRecord Paint(int x, int y, int colour, int border) {
  return {kind::Paint, Value(x), Value(y), 0, 0, Value(colour), Value(border), 1};
}

// A tile fill of the mixture `tileKind` of `second` (the majority) and `first`.
inline OperationRecord TilePaint(int x, int y, int tileKind, int second, int first, int border) {
  return {kind::TilePaint, Value(x), Value(y), Value(tileKind), Value(second), Value(first), Value(border), 1};
}

inline void AddBox(std::vector<OperationRecord>& records, int left, int top, int right, int bottom, int colour) {
  records.push_back(Line(left, top, right, top, colour));
  records.push_back(Line(right, top, right, bottom, colour));
  records.push_back(Line(right, bottom, left, bottom, colour));
  records.push_back(Line(left, bottom, left, top, colour));
}

// Fills of the whole screen from points all over it, red and cyan in turn:
// every fill paints every dot.
inline std::vector<OperationRecord> WholeScreenFills(int count, int height) {
  std::mt19937 random(30);
  std::vector<OperationRecord> records;
  for (int n = 0; n < count; ++n) {
    records.push_back(Paint(static_cast<int>(random() % 640), static_cast<int>(random() % height), n % 2 ? 5 : 2, 7));
  }
  return records;
}

// A box over the whole screen with a hole of one dot, filled in turn with a
// black tile (kinds 0 to 2 of black on black: no row of it ever counts as
// held, so around the hole the machine's fill goes back and forth for ever)
// and a plain colour, from points all over the box.
inline std::vector<OperationRecord> NeverEndingTileFills(int count, int height) {
  std::mt19937 random(31);
  std::vector<OperationRecord> records;
  AddBox(records, 0, 0, 639, height - 1, 1);
  records.push_back({kind::Dot, 320, Value(height / 2), 0, 0, 1, 0, 1});
  for (int n = 0; static_cast<int>(records.size()) < count; ++n) {
    const int x = 1 + static_cast<int>(random() % 638), y = 1 + static_cast<int>(random() % (height - 2));
    if (x == 320 && y == height / 2) continue;
    records.push_back(n % 2 ? Paint(x, y, 2 + n % 5, 1) : TilePaint(x, y, n / 2 % 3, 0, 0, 1));
  }
  return records;
}

// Four large boxes, each with holes, filled over and over with kind 2 of a
// black majority (its second and fourth rows black alone, never held), the
// minority colour changing, from points all over them.
inline std::vector<OperationRecord> BlackMajorityTileFills(int count, int height) {
  std::mt19937 random(32);
  std::vector<OperationRecord> records;
  const int half = height / 2;
  for (const int left : {0, 320}) {
    for (const int top : {0, half}) {
      AddBox(records, left, top, left + 319, top + half - 1, 7);
      for (int hole = 0; hole < 3; ++hole) {
        const int x = left + 40 + 100 * hole, y = top + half / 4 + static_cast<int>(random() % (half / 2));
        AddBox(records, x, y, x + 1 + hole * 5, y + 1 + hole * 3, 7);
      }
    }
  }
  for (int n = 0; static_cast<int>(records.size()) < count; ++n) {
    const int x = 1 + static_cast<int>(random() % 638), y = 1 + static_cast<int>(random() % (height - 2));
    records.push_back(TilePaint(x, y, 2, 0, 1 + n % 6, 7));
  }
  return records;
}

// Kind 2 of a black majority over a lattice of one-dot holes (a tile of a
// red majority whose minority is the border colour) across a 640 x 200
// box: the machine's fill would queue millions of stretches, going back and
// forth between the black rows, before it ends.
inline std::vector<OperationRecord> BlackMajorityOverALattice() {
  std::vector<OperationRecord> records;
  AddBox(records, 0, 0, 639, 199, 7);
  records.push_back(TilePaint(1, 1, 2, 2, 7, 7));
  records.push_back(TilePaint(321, 100, 2, 0, 5, 7));
  return records;
}

// A comb of 240 slots of one dot under a spine three rows high, over and
// over crossed by a line along the spine's last row in the colour it is
// then filled with, red and green in turn: the machine's fill stops at that
// row, so every slot needs a seed of its own.
constexpr int kCombSlots = 240;
inline std::vector<OperationRecord> Comb(int count, int) {
  std::vector<OperationRecord> records;
  const int right = 2 * kCombSlots;
  for (int slot = 0; slot < kCombSlots; ++slot) {
    records.push_back({kind::Dot, Value(2 * slot + 1), 3, 0, 0, 7, 0, 1});
  }
  records.push_back(Line(0, 4, right, 4, 7));
  records.push_back(Line(right, 0, right, 4, 7));
  for (int n = 0; static_cast<int>(records.size()) + 2 <= count; ++n) {
    const int colour = n % 2 ? 4 : 2;
    records.push_back(Line(0, 2, right - 1, 2, colour));
    records.push_back(Paint(5, 0, colour, 7));
  }
  while (static_cast<int>(records.size()) < count) records.push_back({kind::Dot, 639, 399, 0, 0, 7, 0, 1});
  return records;
}

// Records of every kind the editor makes, with any points and colours.
inline std::vector<OperationRecord> RandomRecords(int count, int height) {
  std::mt19937 random(33);
  auto x = [&] { return Value(static_cast<int>(random() % 640)); };
  auto y = [&] { return Value(static_cast<int>(random() % height)); };
  auto colour = [&] { return Value(static_cast<int>(random() % 8)); };
  std::vector<OperationRecord> records;
  for (int n = 0; n < count; ++n) {
    switch (random() % 5) {
      case 0:
        records.push_back({kind::Line, x(), y(), x(), y(), colour(), 0, 1});
        break;
      case 1:
        records.push_back({kind::Paint, x(), y(), 0, 0, colour(), colour(), 1});
        break;
      case 2:
        records.push_back(
            {kind::TilePaint, x(), y(), Value(static_cast<int>(random() % 3)), colour(), colour(), colour(), 1});
        break;
      case 3:
        records.push_back({kind::Dot, x(), y(), 0, 0, colour(), 0, 1});
        break;
      default:
        records.push_back({kind::TwoColourLine, x(), y(), x(), y(), colour(), colour(), 1});
    }
  }
  return records;
}

}  // namespace kumodo::hard_documents
