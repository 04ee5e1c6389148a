#include "picture/operations.h"

#include <algorithm>

namespace kumodo {
namespace {
std::int16_t Field(double value) { return static_cast<std::int16_t>(static_cast<int>(value)); }
}  // namespace

void AppendOperation(OperationList& list, const DrawingState& state, std::int16_t chainPosition) {
  OperationRecord& record = list.slots[list.count];
  record = {};
  record[0] = state.mode;
  record[1] = Field(state.x1);
  record[2] = Field(state.y1);
  switch (state.mode) {
    case kind::Paint:
      record[5] = state.drawingColour;
      record[6] = state.borderColour;
      break;
    case kind::TilePaint:
      record[3] = state.tileKind;
      record[4] = state.secondColour;
      record[5] = state.drawingColour;
      record[6] = state.borderColour;
      break;
    case kind::Dot:
      record[5] = state.drawingColour;
      break;
    case kind::TwoColourLine:
      record[3] = Field(state.x2);
      record[4] = Field(state.y2);
      record[5] = state.drawingColour;
      record[6] = state.secondColour;
      break;
    default:
      record[3] = Field(state.x2);
      record[4] = Field(state.y2);
      record[5] = state.drawingColour;
      break;
  }
  record[7] = chainPosition;
  list.count = std::min(list.count + 1, kMaxOperations);
}

void LoadOperation(const OperationList& list, int index, DrawingState& state) {
  const OperationRecord& record = list.slots[index];
  state.mode = record[0];
  state.x1 = record[1];
  state.y1 = record[2];
  state.x2 = record[3];
  state.tileKind = static_cast<std::uint8_t>(record[3]);
  state.y2 = record[4];
  state.secondColour = record[4];
  state.drawingColour = record[5];
  state.borderColour = record[6];
}

int LastGroupStart(const OperationList& list) {
  if (list.count == 0) return 0;
  const int groupSize = list.slots[list.count - 1][7];
  return groupSize < 1 ? list.count - 1 : std::max(0, list.count - groupSize);
}

void UndoLastGroup(OperationList& list) {
  if (list.count == 0) return;
  list.count = LastGroupStart(list);
  ClearFrom(list, list.count);
}

void ClearFrom(OperationList& list, int index) {
  std::fill(list.slots.begin() + std::clamp(index, 0, kMaxOperations + 1), list.slots.end(), OperationRecord{});
}

}  // namespace kumodo
