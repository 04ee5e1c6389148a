#include "picture/operations.h"

#include <gtest/gtest.h>

namespace kumodo {
namespace {

OperationRecord Appended(DrawingState state, std::int16_t position = 1) {
  OperationList list;
  AppendOperation(list, state, position);
  EXPECT_EQ(list.count, 1);
  return list.slots[0];
}

TEST(Operations, EachKindStoresItsOwnFields) {
  DrawingState d;
  d.mode = kind::Line;
  d.x1 = 10, d.y1 = 20, d.x2 = 30, d.y2 = 40;
  d.drawingColour = 2, d.borderColour = 5, d.secondColour = 6, d.tileKind = 1;
  EXPECT_EQ(Appended(d), (OperationRecord{1, 10, 20, 30, 40, 2, 0, 1}));

  d = DrawingState();
  d.mode = kind::Paint, d.x1 = 5, d.y1 = 6, d.x2 = 99, d.drawingColour = 4, d.borderColour = 7;
  EXPECT_EQ(Appended(d), (OperationRecord{3, 5, 6, 0, 0, 4, 7, 1}));

  d = DrawingState();
  d.mode = kind::TilePaint, d.x1 = 100, d.y1 = 50, d.tileKind = 1, d.secondColour = 6, d.drawingColour = 1,
  d.borderColour = 7;
  EXPECT_EQ(Appended(d), (OperationRecord{4, 100, 50, 1, 6, 1, 7, 1}));

  d = DrawingState();
  d.mode = kind::Dot, d.x1 = 0, d.y1 = 399, d.drawingColour = 5, d.borderColour = 3;
  EXPECT_EQ(Appended(d), (OperationRecord{8, 0, 399, 0, 0, 5, 0, 1}));

  d = DrawingState();
  d.mode = kind::TwoColourLine, d.x1 = 1, d.y1 = 2, d.x2 = 3, d.y2 = 4, d.drawingColour = 6, d.secondColour = 2;
  EXPECT_EQ(Appended(d, 3), (OperationRecord{10, 1, 2, 3, 4, 6, 2, 3}));
}

TEST(Operations, CoordinatesAreTruncatedTowardZero) {
  DrawingState d;
  d.x1 = 12.9, d.y1 = -0.5, d.x2 = -3.7, d.y2 = 0.99;
  const OperationRecord record = Appended(d);
  EXPECT_EQ(record[field::X1], 12);
  EXPECT_EQ(record[field::Y1], 0);
  EXPECT_EQ(record[field::X2], -3);
  EXPECT_EQ(record[field::Y2], 0);
}

TEST(Operations, LoadingPutsTheFieldsBackWithKindAndSecondColourSharingFields) {
  OperationList list;
  list.slots[0] = {4, 100, 50, 2, 6, 1, 7, 1};
  DrawingState d;
  LoadOperation(list, 0, d);
  EXPECT_EQ(d.mode, 4);
  EXPECT_EQ(d.x1, 100);
  EXPECT_EQ(d.x2, 2);
  EXPECT_EQ(d.tileKind, 2);
  EXPECT_EQ(d.y2, 6);
  EXPECT_EQ(d.secondColour, 6);
  EXPECT_EQ(d.drawingColour, 1);
  EXPECT_EQ(d.borderColour, 7);
}

TEST(Operations, UndoRemovesTheLastGroup) {
  OperationList list;
  DrawingState d;
  AppendOperation(list, d, 1);  // a single line
  for (std::int16_t p = 1; p <= 3; ++p) AppendOperation(list, d, p);  // a polyline of three
  UndoLastGroup(list);
  EXPECT_EQ(list.count, 1);
  EXPECT_EQ(list.slots[1], OperationRecord{});
  UndoLastGroup(list);
  EXPECT_EQ(list.count, 0);
  UndoLastGroup(list);
  EXPECT_EQ(list.count, 0);
}

TEST(Operations, UndoSurvivesChainPositionsFromHandEditedDocuments) {
  OperationList list;
  DrawingState d;
  for (int i = 0; i < 5; ++i) AppendOperation(list, d, 1);
  list.slots[4][field::Chain] = 0;
  UndoLastGroup(list);
  EXPECT_EQ(list.count, 4) << "a position below 1 removes one record";
  list.slots[3][field::Chain] = -7;
  UndoLastGroup(list);
  EXPECT_EQ(list.count, 3);
  list.slots[2][field::Chain] = 500;
  UndoLastGroup(list);
  EXPECT_EQ(list.count, 0) << "a position above the count empties the list";
}

TEST(Operations, AFullListKeepsTheLatestActionInTheSpareSlotOnly) {
  OperationList list;
  DrawingState d;
  for (int i = 0; i < kMaxOperations; ++i) AppendOperation(list, d, 1);
  ASSERT_EQ(list.count, kMaxOperations);
  d.mode = kind::Dot;
  d.x1 = 7;
  AppendOperation(list, d, 1);
  EXPECT_EQ(list.count, kMaxOperations);
  EXPECT_EQ(list.slots[kMaxOperations][field::Kind], kind::Dot);
  d.x1 = 8;
  AppendOperation(list, d, 1);
  EXPECT_EQ(list.slots[kMaxOperations][field::X1], 8) << "the next action replaces it";
  UndoLastGroup(list);
  EXPECT_EQ(list.count, kMaxOperations - 1);
  EXPECT_EQ(list.slots[kMaxOperations], OperationRecord{});
  EXPECT_EQ(list.slots[kMaxOperations - 1], OperationRecord{});
}

}  // namespace
}  // namespace kumodo
