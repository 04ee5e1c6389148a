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

}  // namespace kumodo
