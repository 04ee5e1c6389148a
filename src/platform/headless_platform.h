#pragma once
// A platform without a window, for scripted tests of the real start-up and
// main loop: input comes from a script on a virtual clock that only the
// program's sleeps advance, through the same latches as on the desktop;
// dialog answers are queued; everything the program shows or sounds is
// recorded.
#include <cstdint>
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/button_latch.h"
#include "platform/platform.h"

namespace kumodo {

struct ScriptEvent {
  enum class Kind { MovePointer, PressButton, ReleaseButton, PressKey, ReleaseKey, CloseWindow };
  std::uint64_t atMs = 0;
  Kind kind = Kind::MovePointer;
  int x = 0;  // pointer x, or the button (0 left, 1 right), or the virtual key
  int y = 0;
};

// Thrown out of the main loop when the scripted window is closed, so that a
// test gets control back where the real program would end.
struct WindowClosed : std::runtime_error {
  WindowClosed() : std::runtime_error("window closed") {}
};

struct ShownMessageBox {
  std::string text;     // Shift-JIS
  std::string caption;  // Shift-JIS
  MessageBoxButtons buttons;
  MessageBoxIcon icon;
};

class HeadlessPlatform : public Platform {
 public:
  // The script is sorted by time; the window closes at the last event's time
  // plus closeAfterMs unless the script closes it earlier.
  explicit HeadlessPlatform(std::vector<ScriptEvent> script = {}, std::uint64_t closeAfterMs = 1000);

  // More input, none of it earlier than the virtual clock.
  void AddEvents(const std::vector<ScriptEvent>& events);
  // The window closes when the clock reaches `ms`, unless the script closes it earlier.
  void CloseWindowAt(std::uint64_t ms) { closeAtMs_ = ms; }
  PointerPosition Pointer() const { return pointer_; }

  void QueueMessageBoxAnswer(MessageBoxAnswer answer) { messageBoxAnswers_.push_back(answer); }
  void QueueFileDialogAnswer(std::optional<std::string> path) { fileDialogAnswers_.push_back(std::move(path)); }
  // Queued answers no prompt has taken yet.
  std::size_t UnusedAnswers() const { return messageBoxAnswers_.size() + fileDialogAnswers_.size(); }

  // What the program did.
  std::vector<std::string> titles;
  std::vector<ShownMessageBox> messageBoxes;
  std::vector<PointerPosition> cursorMoves;
  std::vector<std::vector<FileFilter>> fileDialogFilters;
  int beeps = 0;
  int presents = 0;
  int opacity = 255;
  Bitmap lastFrame;
  Bitmap icon;

  void SetWindowTitle(std::string_view sjisTitle) override;
  void SetWindowIcon(const Bitmap& image) override;
  void SetWindowOpacity(int alpha) override;
  void Present(const Bitmap& frame) override;
  PointerPosition ReadPointer() override;
  bool IsButtonDown(MouseButton button) override { return input_.Button(button).Observe(); }
  bool PeekButton(MouseButton button) override { return input_.Button(button).Peek(); }
  PointerPosition ReleasedAt(MouseButton button) override { return input_.Button(button).ReleasedAt(); }
  bool IsKeyDown(int virtualKey) override { return input_.keys.Observe(virtualKey); }
  std::uint64_t InputMark() override { return input_.Mark(); }
  void ForgetKeysSince(std::uint64_t mark) override { input_.ForgetKeysSince(mark); }
  void InputActedOn() override { input_.ActedOn(); }
  void MoveCursorBy(int dx, int dy) override;
  void Sleep(int milliseconds) override;
  std::uint64_t NowMs() override { return now_; }
  MessageBoxAnswer ShowMessageBox(std::string_view sjisText, std::string_view sjisCaption,
                                  MessageBoxButtons buttons, MessageBoxIcon icon) override;
  std::optional<std::string> ChooseFileToOpen(const std::vector<FileFilter>& filters) override;
  std::optional<std::string> ChooseFileToSave(const std::vector<FileFilter>& filters) override;
  bool PromptsAvailable() override { return promptsAvailable; }
  bool promptsAvailable = true;
  void Beep() override { ++beeps; }

 private:
  void Pump();
  void ForgetInputDuringPrompt() { input_.ForgetPrompt(leftHeld_, rightHeld_); }
  std::optional<std::string> NextFileAnswer(const std::vector<FileFilter>& filters);

  std::vector<ScriptEvent> script_;
  std::size_t nextEvent_ = 0;
  std::uint64_t closeAtMs_;
  std::uint64_t now_ = 0;
  PointerPosition pointer_;
  InputLatches input_{256};
  // The buttons as the script holds them, whatever the latches show.
  bool leftHeld_ = false;
  bool rightHeld_ = false;
  std::deque<MessageBoxAnswer> messageBoxAnswers_;
  std::deque<std::optional<std::string>> fileDialogAnswers_;
};

}  // namespace kumodo
