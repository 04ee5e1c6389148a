#pragma once
// Importing a picture as a tracing aid: it is reduced to the eight digital
// colours (or eight grey levels) and kept as two underlays and the colour
// grid the outline tracer reads. It adds nothing to the document.
#include "app/editor.h"

namespace kumodo {

// Checks the import image's size, asks for the reduction mode, reduces the
// picture and redraws the editor's picture over the chosen underlay.
void ImportPicture(Editor& editor);

// Reduces the whole 640 x 400 picture area of the screen into the colour
// grid, work image 1 (dimmed) and work image 2 (reduced); digital chooses the
// digital colours over grey levels.
void ReducePicture(Editor& editor, bool digital);

// Draws the picture imported last as records, as kumodo-export
// --from-picture reduces a picture for the eye, within what one part of a
// machine program holds: one undo step, ending a line under way. The
// status line then gives the records, their bytes and how close the
// drawing looks to the picture; it says so when no picture was imported or
// the list has no room. A search of more than a few tenths of a second
// shows the progress bar.
void DrawImportedPicture(Editor& editor);

}  // namespace kumodo
