#pragma once
// Records of the picture view and of how the picture is shown.
#include <cstdint>

#include "screen/layout.h"

namespace kumodo {

struct ViewState {
  int zoom = 1;   // 1, 2, 4 or 8
  int zoomX = 1;  // screen pixels per picture pixel
  int zoomY = 1;  // twice the zoom in the 200-line setting
  int scrollX = 0;
  int scrollY = 0;
  int visibleWidth = kViewWidth;
  int visibleHeight = kViewHeight;
  int maxScrollX = 0;
  int maxScrollY = 0;
  int lastColumn = kPictureWidth - 1;
  int lastRow = kPictureHeight - 1;  // 199 in the 200-line setting
  bool draggingVertical = false;
  bool draggingHorizontal = false;
  int grabVertical = 0;
  int grabHorizontal = 0;
};

// What is drawn under the records: the index into ImageSet::work. The black
// picture is work image Black, captured at start-up; an import makes the other two.
namespace underlay {
constexpr int Black = 0;
constexpr int Dimmed = 1;   // the imported picture, dimmed
constexpr int Reduced = 2;  // the imported picture in the reduced colours
}  // namespace underlay

struct PictureState {
  bool paintDisplay = true;  // paint and tile paint records shown, their tools available
  int underlay = underlay::Black;
  int probeX = 0;            // the two-colour line tool's probe
  int probeY = 0;
  int pickedColour = 0;
  int foundIndex = -1;
};

}  // namespace kumodo
