#include "screen/screen.h"

namespace kumodo {

void MarkScreenChanged(Screen& screen) {
  screen.changed = true;
  PresentIfDue(screen);
}

bool PresentDue(Screen& screen) { return screen.platform->NowMs() - screen.lastPresentMs >= kPresentIntervalMs; }

void PresentIfDue(Screen& screen) {
  if (screen.changed && PresentDue(screen)) FlushScreen(screen);
}

void FlushScreen(Screen& screen) {
  if (!screen.changed) return;
  screen.changed = false;
  screen.lastPresentMs = screen.platform->NowMs();
  screen.frame = ComposeFrame(screen);
  screen.platform->Present(screen.frame);
}

void SleepPumping(Screen& screen, int milliseconds) {
  PresentIfDue(screen);
  screen.platform->Sleep(milliseconds);
}

Bitmap ComposeFrame(Screen& screen) {
  Bitmap frame = screen.backBuffer;
  ScrollTextToFit(screen.text, kScreenHeight);
  RenderTextRows(screen.text, screen.glyphs, frame);
  return frame;
}

void PrintText(Screen& screen, std::string_view sjisText) {
  PrintText(screen.text, sjisText, kScreenHeight);
  MarkScreenChanged(screen);
}

}  // namespace kumodo
