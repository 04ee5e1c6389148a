#include "picture/operations.h"

#include <algorithm>

namespace kumodo {
namespace {
std::int16_t Field(double value) { return static_cast<std::int16_t>(static_cast<int>(value)); }
}  // namespace

void AppendOperation(OperationList& list, const DrawingState& state, std::int16_t chainPosition) {
  OperationRecord& record = list.slots[list.count];
  list.changedFrom = std::min(list.changedFrom, list.count);
  record = {};
  record[field::Kind] = state.mode;
  record[field::X1] = Field(state.x1);
  record[field::Y1] = Field(state.y1);
  switch (state.mode) {
    case kind::Paint:
      record[field::Colour] = state.drawingColour;
      record[field::Border] = state.borderColour;
      break;
    case kind::TilePaint:
      record[field::TileKind] = state.tileKind;
      record[field::Second] = state.secondColour;
      record[field::Colour] = state.drawingColour;
      record[field::Border] = state.borderColour;
      break;
    case kind::Dot:
      record[field::Colour] = state.drawingColour;
      break;
    case kind::TwoColourLine:
      record[field::X2] = Field(state.x2);
      record[field::Y2] = Field(state.y2);
      record[field::Colour] = state.drawingColour;
      record[field::LineColour] = state.secondColour;
      break;
    default:
      record[field::X2] = Field(state.x2);
      record[field::Y2] = Field(state.y2);
      record[field::Colour] = state.drawingColour;
      break;
  }
  record[field::Chain] = chainPosition;
  list.count = std::min(list.count + 1, kMaxOperations);
}

void LoadOperation(const OperationList& list, int index, DrawingState& state) {
  const OperationRecord& record = list.slots[index];
  state.mode = record[field::Kind];
  state.x1 = record[field::X1];
  state.y1 = record[field::Y1];
  state.x2 = record[field::X2];
  state.tileKind = static_cast<std::uint8_t>(record[field::TileKind]);
  state.y2 = record[field::Y2];
  state.secondColour = record[field::Second];
  state.drawingColour = record[field::Colour];
  state.borderColour = record[field::Border];
}

int LastGroupStart(const OperationList& list) {
  if (list.count == 0) return 0;
  const int groupSize = list.slots[list.count - 1][field::Chain];
  return groupSize < 1 ? list.count - 1 : std::max(0, list.count - groupSize);
}

void UndoLastGroup(OperationList& list) {
  if (list.count == 0) return;
  list.count = LastGroupStart(list);
  ClearFrom(list, list.count);
}

void ClearFrom(OperationList& list, int index) {
  const int from = std::clamp(index, 0, kMaxOperations + 1);
  list.changedFrom = std::min(list.changedFrom, from);
  std::fill(list.slots.begin() + from, list.slots.end(), OperationRecord{});
}

bool AppendRecords(OperationList& list, std::span<const OperationRecord> records) {
  if (records.size() > static_cast<std::size_t>(kMaxOperations - list.count)) return false;
  std::copy(records.begin(), records.end(), list.slots.begin() + list.count);
  list.changedFrom = std::min(list.changedFrom, list.count);
  list.count += static_cast<int>(records.size());
  return true;
}

OperationList ListOfRecords(std::span<const OperationRecord> records) {
  OperationList list;
  list.count = static_cast<int>(std::min<std::size_t>(records.size(), kMaxOperations));
  std::copy_n(records.begin(), list.count, list.slots.begin());
  return list;
}

}  // namespace kumodo
