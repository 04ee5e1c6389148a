#include "picture/replay.h"

#include "picture/record_drawing.h"
#include "picture/tiles.h"
#include "picture/view.h"
#include "screen/layout.h"
#include "screen/palette.h"
#include "screen/primitives.h"

namespace kumodo {
namespace {

constexpr int kViewRefreshEvery = 100;

void RestoreSnapshot(PictureEditor& editor) {
  editor.images.snapshot.DrawInto(editor.images.canvas, 0, 0);
  ShowCanvas(editor);
}

}  // namespace

TileSource EditorTiles(const PictureEditor& editor) {
  return [&editor](int tileKind, int first, int second) -> const Bitmap& {
    return editor.images.tiles[TileImageNumber(tileKind, first, second)].Pixels();
  };
}

void TakeSnapshot(PictureEditor& editor, int marker) {
  editor.images.canvas.DrawInto(editor.images.snapshot, 0, 0);
  editor.drawing.snapshotMarker = marker;
}

void CommitCanvas(PictureEditor& editor) { editor.images.canvas.DrawInto(editor.images.clean, 0, 0); }

void ReplayPicture(PictureEditor& editor, int probeColour) {
  DrawingState& d = editor.drawing;
  OperationList& list = editor.operations;
  const DrawingState saved = d;
  d.snapshotMarker = 0;
  editor.picture.foundIndex = -1;
  int probed = 0;  // what the probe pixel was after the record before
  // The last record before the group the next undo removes, by undo's own rule.
  const int snapshotIndex = list.count > 0 ? LastGroupStart(list) - 1 : -1;
  const TileSource tiles = EditorTiles(editor);

  DrawLine(editor.screen, kView.left, kView.top, false, kView.right, kView.bottom, 0, kFilledBoxMode, 0);
  DrawLineRgb(editor.screen, &editor.images.canvas.Pixels(), 0, 0, false, kPictureWidth - 1, kPictureHeight - 1, 0,
              kFilledBoxMode, 0);
  // The black underlay is the cleared canvas itself.
  if (editor.picture.underlay == underlay::Dimmed || editor.picture.underlay == underlay::Reduced) {
    editor.images.work[editor.picture.underlay].DrawInto(editor.images.canvas, 0, 0);
    ShowCanvas(editor);
  }
  for (int i = 0; i <= list.count; ++i) {
    LoadOperation(list, i, d);
    DrawLoadedRecord(editor.images.canvas.Pixels(), d, editor.picture.paintDisplay, tiles);
    if (probeColour != kNoProbe) {
      const int before = probed;
      probed =
          PointColour(editor.images.canvas.Pixels(), editor.loop.pointer, editor.picture.probeX, editor.picture.probeY);
      if (editor.picture.foundIndex == -1 && d.mode == kind::Line && probed != before && probed == probeColour) {
        editor.picture.foundIndex = i;
      }
    }
    // Showing the view costs a whole-picture copy; do it only when a frame is due.
    if (i % kViewRefreshEvery == 0 && PresentDue(editor.screen)) ShowCanvas(editor);
    if (i == snapshotIndex) {
      TakeSnapshot(editor, i);
    }
  }
  CommitCanvas(editor);
  ShowCanvas(editor);
  // Everything the records were loaded into goes back, the points too: a
  // line under way keeps its first point. Only the snapshot is the replay's.
  const std::int32_t marker = d.snapshotMarker;
  d = saved;
  d.snapshotMarker = marker;
  ShowColourIndicator(editor);
  FlushScreen(editor.screen);
}

void UndoCommand(PictureEditor& editor) {
  OperationList& list = editor.operations;
  if (list.count == 0) return;
  editor.undone.groups.emplace_back(list.slots.begin() + LastGroupStart(list), list.slots.begin() + list.count);
  UndoLastGroup(list);
  if (editor.drawing.snapshotMarker != 0) {
    RestoreSnapshot(editor);
    CommitCanvas(editor);
    editor.drawing.snapshotMarker = 0;
  } else {
    ReplayPicture(editor, kNoProbe);
  }
  ShowMagnifier(editor);
}

void RedoCommand(PictureEditor& editor) {
  std::vector<std::vector<OperationRecord>>& groups = editor.undone.groups;
  OperationList& list = editor.operations;
  if (groups.empty() || !AppendRecords(list, groups.back())) return;
  groups.pop_back();
  // The replay also takes the snapshot, so an undo right after takes the group out again.
  ReplayPicture(editor, kNoProbe);
  ShowMagnifier(editor);
}

}  // namespace kumodo
