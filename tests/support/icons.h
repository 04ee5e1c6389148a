#pragma once
// Where the editor's icons are, asked of its own icon table (and of the
// icons' bitmaps in res/ for their sizes), so that a test clicks what the
// editor shows wherever the table puts it.
#include <string>

#include "app/panels.h"
#include "screen/image.h"
#include "screen/layout.h"

namespace kumodo::icons {

inline const IconPlace& Place(int panelIndex, int button) {
  const IconPlace* icon = FindIcon(panelIndex, button);
  if (!icon) throw std::logic_error("no icon " + std::to_string(panelIndex) + "/" + std::to_string(button));
  return *icon;
}

// The rectangle the panels hit-test: both its right and bottom edges count.
inline ScreenBox Box(int panelIndex, int button) {
  const IconPlace& icon = Place(panelIndex, button);
  Image bitmap;
  bitmap.Load(std::string(KUMODO_SOURCE_DIR) + "/res/" + icon.name);
  return {icon.left, icon.top, icon.left + bitmap.Width(), icon.top + bitmap.Height()};
}

inline PointerPosition Centre(int panelIndex, int button) {
  const ScreenBox box = Box(panelIndex, button);
  return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

// A point on the face just inside the top-left corner, clear of the label:
// its colour tells whether the icon shows selected.
inline PointerPosition Face(int panelIndex, int button) {
  const IconPlace& icon = Place(panelIndex, button);
  return {icon.left + 5, icon.top + 5};
}

}  // namespace kumodo::icons
