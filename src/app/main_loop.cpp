#include "app/main_loop.h"

namespace kumodo {
namespace {

void SampleInput(Editor& editor) {
  LoopState& loop = editor.loop;
  loop.passCounter = static_cast<std::uint8_t>((loop.passCounter + 1) % 8);
  loop.previousPointer = loop.pointer;
  loop.previousLeftButton = loop.leftButton;
  loop.previousRightButton = loop.rightButton;
  loop.pointer = editor.platform.ReadPointer();
  loop.leftButton = editor.platform.IsButtonDown(MouseButton::Left);
  loop.rightButton = editor.platform.IsButtonDown(MouseButton::Right);
}

// Enter and Space are the only keys turned into one event per press.
void UpdateKeyboardClick(Editor& editor) {
  LoopState& loop = editor.loop;
  const bool down = editor.platform.IsKeyDown(vk::Enter) || editor.platform.IsKeyDown(vk::Space);
  loop.keyboardClick = down ? (loop.keyboardClick == 0 ? 1 : 2) : 0;
}

}  // namespace

void RunPass(Editor& editor) {
  SampleInput(editor);
  UpdateKeyboardClick(editor);
  SleepPumping(editor.screen, 1);
  // The button may have been pressed during the sleep; the tools see it now.
  editor.loop.leftButton = editor.platform.IsButtonDown(MouseButton::Left);
  editor.loop.rightButton = editor.platform.IsButtonDown(MouseButton::Right);
}

void RunEditor(Editor& editor) {
  StartUp(editor);
  for (;;) RunPass(editor);
}

}  // namespace kumodo
