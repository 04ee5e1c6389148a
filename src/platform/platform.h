#pragma once
// The one interface through which the program reaches the operating system.
// Texts that cross it (titles, message boxes, filter descriptions) are
// Shift-JIS; file paths are UTF-8 (see file_system.h).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bitmap.h"

namespace kumodo {

// Keys are named by the Win32 virtual-key numbers the program was designed with.
namespace vk {
constexpr int Enter = 13;
constexpr int Shift = 16;    // either Shift key
constexpr int Control = 17;  // either Ctrl key
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Digit0 = 48;   // main keyboard 0..9 are 48..57
constexpr int LetterA = 65;  // A..Z are 65..90
constexpr int Numpad0 = 96;  // numeric keypad 0..9 are 96..105
constexpr int F1 = 112;      // F1..F12 are 112..123
constexpr int F9 = 120;
constexpr int F12 = 123;
}  // namespace vk

enum class MouseButton { Left, Right };
enum class MessageBoxButtons { Ok, OkCancel };
// The picture beside a message box's text.
enum class MessageBoxIcon { None, Warning, Error };
enum class MessageBoxAnswer { Ok, Cancel };

struct PointerPosition {
  int x = 0;
  int y = 0;
};

// One entry of a file dialog's type list: a Shift-JIS description and
// patterns separated by ";" ("*.bmp;*.jpg").
struct FileFilter {
  std::string description;
  std::string patterns;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The window. Closing it ends the process with exit code 0 at the next
  // pump (sleep, input poll or presentation), whatever the program is doing.
  virtual void SetWindowTitle(std::string_view sjisTitle) = 0;
  virtual void SetWindowIcon(const Bitmap& icon) = 0;
  virtual void SetWindowOpacity(int alpha) = 0;  // 255 opaque, 128 half
  // Shows an 800 x 600 frame in the client area.
  virtual void Present(const Bitmap& frame) = 0;

  // Input. Positions are client coordinates and may lie outside the window.
  virtual PointerPosition ReadPointer() = 0;
  virtual bool IsButtonDown(MouseButton button) = 0;
  // The button as it stands, without counting as the poll that sees a press:
  // a quick click that only a peek has seen still shows at the next poll.
  virtual bool PeekButton(MouseButton button) = 0;
  // Where the button was last let go, once a poll has seen it up: a busy
  // program may have read the pointer last well before that.
  virtual PointerPosition ReleasedAt(MouseButton button) = 0;
  virtual bool IsKeyDown(int virtualKey) = 0;
  // A place in the input: where a loop of the program's own that reads no
  // keys begins (a press held on the panels, the settings screen). Until it
  // ends, clicks do not wait for the keys made before them.
  virtual std::uint64_t InputMark() = 0;
  // Called when such a loop ends, having seen the left button let go: the
  // keys pressed since the mark and before that release must not act later
  // (a key held since reads up until pressed again); keys pressed before
  // the mark, or after the release, still act, in their turn.
  virtual void ForgetKeysSince(std::uint64_t mark) = 0;
  // Called after each pass of the main loop: the program has acted on the
  // mouse events its polls have seen. A key pressed after a click shows only
  // then, so it acts after the click, as it was made.
  virtual void InputActedOn() = 0;
  virtual void MoveCursorBy(int dx, int dy) = 0;

  // Time. Sleep pumps window events while it waits.
  virtual void Sleep(int milliseconds) = 0;
  virtual std::uint64_t NowMs() = 0;

  // Modal prompts. A closed message box answers Cancel; a cancelled file
  // dialog answers nothing.
  virtual MessageBoxAnswer ShowMessageBox(std::string_view sjisText, std::string_view sjisCaption,
                                          MessageBoxButtons buttons, MessageBoxIcon icon) = 0;
  virtual std::optional<std::string> ChooseFileToOpen(const std::vector<FileFilter>& filters) = 0;
  // False when no prompt can be shown at all (on Linux: the prompt helper is
  // not beside the program); the dialogs would then only ever answer nothing.
  virtual bool PromptsAvailable() = 0;
  virtual std::optional<std::string> ChooseFileToSave(const std::vector<FileFilter>& filters) = 0;
  virtual void Beep() = 0;
};

}  // namespace kumodo
