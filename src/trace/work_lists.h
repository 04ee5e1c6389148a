#pragma once
// The outline tracer's two work lists: list 0 the boundary steps of a trace,
// list 1 the chords the simplifier makes of them. Entries have the layout of
// operation records: kind 1, x1, y1, x2, y2, colour, turn code, sequence number.
#include <array>
#include <vector>

#include "picture/operations.h"

namespace kumodo {

constexpr int kWorkListCapacity = 30000;  // plus one entry that later appends overwrite

struct WorkLists {
  std::array<std::vector<OperationRecord>, 2> entries{std::vector<OperationRecord>(kWorkListCapacity + 1),
                                                      std::vector<OperationRecord>(kWorkListCapacity + 1)};
  std::array<int, 2> count{0, 0};
};

}  // namespace kumodo
