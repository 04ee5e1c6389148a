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

struct PictureState {
  bool paintDisplay = true;  // paint and tile paint records shown, their tools available
  int underlay = 0;          // 0 none, or work image 1 or 2 drawn under the records
  int probeX = 0;            // the two-colour line tool's probe
  int probeY = 0;
  int pickedColour = 0;
  int foundIndex = -1;
};

}  // namespace kumodo
