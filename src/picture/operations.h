#pragma once
// The document: a list of operation records, each eight signed 16-bit
// fields, and the drawing state records are made from and loaded into.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kumodo {

// Field 0 of a record, and the tool modes.
namespace kind {
constexpr int Line = 1;
constexpr int Polyline = 2;  // a mode only: its segments are Line records
constexpr int Paint = 3;
constexpr int TilePaint = 4;
// 5, 6 and 7: a row of the tile mixture of kind 0, 1 or 2, from x1 to x2 on
// row y1. Only the BASIC program draws them; the editor makes none.
constexpr int MixtureRow = 5;
constexpr int Dot = 8;
constexpr int Trace = 9;  // a mode only: its outline is Line records
constexpr int TwoColourLine = 10;
}  // namespace kind

// The positions of a record's eight fields, as the CSV document stores them.
// Fields a kind does not use are 0.
namespace field {
constexpr int Kind = 0;
constexpr int X1 = 1;
constexpr int Y1 = 2;
constexpr int X2 = 3;
constexpr int Y2 = 4;
constexpr int Colour = 5;  // the drawing colour; a mixture row's first colour
// The fill's border colour. A two-colour line keeps its line's (second)
// colour here, its dots being in Colour; so does a mixture row.
constexpr int Border = 6;
constexpr int LineColour = 6;
// The position in its chain, from 1: undo removes as many records as the
// last one's position says.
constexpr int Chain = 7;
// A tile fill has no second point: these two positions hold its tile.
constexpr int TileKind = 3;  // 0 to 2
constexpr int Second = 4;    // the second colour of the tile
}  // namespace field

using OperationRecord = std::array<std::int16_t, 8>;

constexpr int kMaxOperations = 30000;

struct OperationList {
  // Slot kMaxOperations is a spare that is never counted: when the list is
  // full it holds the latest action that did not fit.
  std::vector<OperationRecord> slots = std::vector<OperationRecord>(kMaxOperations + 1);
  int count = 0;
  // The first slot written since the recovery journal last took the list's
  // changes (app/recovery.h), so that it writes only what changed, however
  // long the list. A new list counts as changed from its start.
  int changedFrom = 0;
};

// The groups undo removed, newest last, each exactly as it left the list:
// redo puts them back. A new drawing action, an open, an import or a change
// of the editing resolution forgets them.
struct UndoneGroups {
  std::vector<std::vector<OperationRecord>> groups;
};

struct DrawingState {
  std::int16_t mode = kind::Line;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::int16_t drawingColour = 1;
  std::int16_t borderColour = 0;
  std::int16_t secondColour = 0;
  std::uint8_t tileKind = 0;
  std::int32_t chainCounter = 0;   // segments stored for the chain being drawn
  std::int32_t snapshotMarker = 0;  // nonzero while an undo snapshot is held
};

// Makes a record from the drawing state (coordinates truncated toward zero)
// with the given chain position and appends it; on a full list it goes to
// the spare slot and the count stays.
void AppendOperation(OperationList& list, const DrawingState& state, std::int16_t chainPosition);

// Copies the record's fields into the drawing state, all but its chain position.
void LoadOperation(const OperationList& list, int index, DrawingState& state);

// Where the last group starts: as many records back from the end as the
// last record's chain position says. A position below 1 counts as 1, one
// above the count as the whole list. 0 for an empty list.
int LastGroupStart(const OperationList& list);

// Removes the last group (see LastGroupStart).
void UndoLastGroup(OperationList& list);

// Blanks every slot from index to the spare slot.
void ClearFrom(OperationList& list, int index);

// Appends the records as they are, when they all fit; false (and nothing
// appended) when they do not.
bool AppendRecords(OperationList& list, std::span<const OperationRecord> records);

// A list of the records, as many as it holds.
OperationList ListOfRecords(std::span<const OperationRecord> records);

}  // namespace kumodo
