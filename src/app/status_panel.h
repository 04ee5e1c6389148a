#pragma once
#include "app/editor.h"

namespace kumodo {

// Paints the fixed parts of the side and bottom panels: the background, the
// colour selectors with their labels, the three tile palettes (and from them
// the 192 tile images the tile fills use), the function-key labels beside the
// tool icons, and the resolution label. Defines the buttons of the tile
// palette and of the drawing and border colour selectors.
void PaintStatusPanel(Editor& editor);

// A line of its own under the panels, for what the user must know where no
// message box can say it; an empty text clears it.
void ShowStatusMessage(Editor& editor, const std::string& utf8Text);

}  // namespace kumodo
