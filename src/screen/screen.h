#pragma once
// The screen: the back buffer that holds every pixel drawn, the text layer
// laid over it, and their presentation in the window. Drawing marks the
// screen changed; presentation is throttled to about 60 frames a second,
// with explicit flushes where a change must show at once.
#include <cstdint>

#include "platform/bitmap.h"
#include "platform/glyphs.h"
#include "platform/platform.h"
#include "screen/text_layer.h"

namespace kumodo {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr std::uint64_t kPresentIntervalMs = 16;

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

struct Screen {
  explicit Screen(Platform& platform) : platform(&platform) {}

  Platform* platform;
  GlyphSource glyphs;
  Bitmap backBuffer{kScreenWidth, kScreenHeight};
  TextLayer text;
  ScreenPoint lastPoint;  // end of the last line, box or pixel drawn
  bool changed = false;
  std::uint64_t lastPresentMs = 0;
  Bitmap frame;  // the composed picture last presented
};

// Call after drawing on the back buffer or changing the text.
void MarkScreenChanged(Screen& screen);
// True when the last frame is old enough for another.
bool PresentDue(Screen& screen);
// Presents when something changed and the last frame is old enough.
void PresentIfDue(Screen& screen);
// Presents now when anything changed.
void FlushScreen(Screen& screen);
// Sleeps, pumping window events, after presenting what is due.
void SleepPumping(Screen& screen, int milliseconds);

// The back buffer with the text layer drawn over it.
Bitmap ComposeFrame(Screen& screen);

// Text output at the text cursor, with the window's height as the visible area.
void PrintText(Screen& screen, std::string_view sjisText);

}  // namespace kumodo
