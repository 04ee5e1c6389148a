#pragma once
// The picture is always the replay of the operation list; undo removes the
// last group and restores the picture from a one-step snapshot or by replay.
#include "picture/picture_editor.h"
#include "picture/record_drawing.h"

namespace kumodo {

constexpr int kNoProbe = -1;

// Rebuilds the canvas from the list (over the chosen underlay), shows it and
// takes the snapshot for the next undo; the drawing state is left as it was.
// With a probe colour it also finds the first line record that turned the
// probe pixel into that colour.
void ReplayPicture(PictureEditor& editor, int probeColour);

// The editor's tile images, captured from its palette swatches, for drawing records.
TileSource EditorTiles(const PictureEditor& editor);

// Copies the canvas into the snapshot image for the next undo and sets the
// snapshot marker: a tool passes the list count before its action, the
// replay the index of the record after which it took the copy.
void TakeSnapshot(PictureEditor& editor, int marker);
// Copies the canvas into the clean image, so that previews start from the finished picture.
void CommitCanvas(PictureEditor& editor);

// The undo command: removes the last group, keeps it for redo, and redraws.
void UndoCommand(PictureEditor& editor);
// The redo command: puts back the group undone last, exactly its records,
// and redraws; nothing when none is kept or it no longer fits the list.
void RedoCommand(PictureEditor& editor);

}  // namespace kumodo
