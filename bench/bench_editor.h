#pragma once
// A started editor on the scripted platform whose window never closes.
#include <random>

#include "app/main_loop.h"
#include "platform/headless_platform.h"
#include "support/state_folder.h"

namespace kumodo {

// Its recovery journals go to a temporary state folder, never the user's.
struct BenchEditor {
  BenchEditor() : platform({}, ~0ull / 2), editor(platform) { StartUp(editor); }
  support::StateFolder state;
  HeadlessPlatform platform;
  Editor editor;
};

// A drawing as users make them: boxes of lines, fills and tile fills inside
// them, dots and two-colour lines, 30,000 records in all.
inline void MixedDocument(OperationList& list) {
  std::mt19937 random(2);
  DrawingState d;
  while (list.count < kMaxOperations - 8) {
    const int x = random() % 600, y = random() % 360, w = 4 + random() % 36, h = 4 + random() % 36;
    d.mode = kind::Line;
    d.drawingColour = 7;
    const int corners[5][2] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}, {x, y}};
    for (int i = 0; i < 4; ++i) {
      d.x1 = corners[i][0], d.y1 = corners[i][1], d.x2 = corners[i + 1][0], d.y2 = corners[i + 1][1];
      AppendOperation(list, d, static_cast<std::int16_t>(i + 1));
    }
    d.x1 = x + 1, d.y1 = y + 1, d.borderColour = 7;
    d.drawingColour = static_cast<std::int16_t>(random() % 7);
    d.secondColour = static_cast<std::int16_t>(random() % 7);
    d.tileKind = static_cast<std::uint8_t>(random() % 3);
    d.mode = random() % 2 ? kind::Paint : kind::TilePaint;
    AppendOperation(list, d, 1);
    d.mode = kind::Dot;
    d.x1 = random() % 640, d.y1 = random() % 400;
    AppendOperation(list, d, 1);
    d.mode = kind::TwoColourLine;
    d.x1 = random() % 640, d.y1 = random() % 400, d.x2 = random() % 640, d.y2 = random() % 400;
    AppendOperation(list, d, 1);
  }
}

}  // namespace kumodo
