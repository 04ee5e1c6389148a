#pragma once
// The icon panels: the table of buttons, their bitmaps, hit-testing, drawing,
// and the handler that takes a press of the left button.
#include "app/editor.h"

namespace kumodo {

// A button with a bitmap of its own: the bitmap's file in res/ and where
// its top-left corner goes.
struct IconPlace {
  int panel;
  int button;
  const char* name;
  int left;
  int top;
};

// The icon table's entry for a button; null for one drawn elsewhere (the
// colour selectors and the tile palettes).
const IconPlace* FindIcon(int panelIndex, int button);

// Fills the button table with the icons' names and places, and loads both
// looks of every icon from res/ ("res/NAME" selected, "res/nNAME" not). A
// button whose selected look is missing does not exist.
void LoadIcons(Editor& editor);

void DrawPanel(Editor& editor, int panelIndex);
void ShowEditorPanels(Editor& editor);
void ShowSettingsPanels(Editor& editor);

// While the left button is down: hit-test, select and redraw, then let the
// scroll bars follow the pointer until the button is released.
void HandlePanelPress(Editor& editor);
// Lets the thumbs follow the pointer until the left button is released.
void DragScrollBars(Editor& editor);

// The underlay and window transparency button of panel 0.
void ChooseUnderlay(Editor& editor, int button);
// Panel 4: paint display on (button 0) or off, hiding the paint tools.
void SwitchPaintDisplay(Editor& editor, int button);
// Tool button 0 to 6 of panel 1, also chosen by F1 to F6.
void SelectTool(Editor& editor, int button);
// The tile a fill records, settled where the tool or the tile palette entry
// is chosen: the entry's kind (64 entries each) for tile paint, kind 0 for
// the two-colour line's dots; other tools keep it.
void ChooseTileKind(Editor& editor);

}  // namespace kumodo
