#include "platform/headless_platform.h"

#include <algorithm>

namespace kumodo {
namespace {

bool Earlier(const ScriptEvent& a, const ScriptEvent& b) { return a.atMs < b.atMs; }

}  // namespace

HeadlessPlatform::HeadlessPlatform(std::vector<ScriptEvent> script, std::uint64_t closeAfterMs)
    : script_(std::move(script)) {
  std::stable_sort(script_.begin(), script_.end(), Earlier);
  closeAtMs_ = (script_.empty() ? 0 : script_.back().atMs) + closeAfterMs;
}

void HeadlessPlatform::AddEvents(const std::vector<ScriptEvent>& events) {
  script_.erase(script_.begin(), script_.begin() + static_cast<std::ptrdiff_t>(nextEvent_));
  nextEvent_ = 0;
  for (ScriptEvent event : events) {
    event.atMs = std::max(event.atMs, now_);
    script_.push_back(event);
  }
  std::stable_sort(script_.begin(), script_.end(), Earlier);
}

void HeadlessPlatform::Pump() {
  input_.BeginPump();
  while (nextEvent_ < script_.size() && script_[nextEvent_].atMs <= now_) {
    const ScriptEvent& event = script_[nextEvent_++];
    const MouseButton button = event.x == 0 ? MouseButton::Left : MouseButton::Right;
    bool& held = event.x == 0 ? leftHeld_ : rightHeld_;
    switch (event.kind) {
      case ScriptEvent::Kind::MovePointer:
        pointer_ = {event.x, event.y};
        break;
      case ScriptEvent::Kind::PressButton:
        input_.PressButton(button, pointer_);
        held = true;
        break;
      case ScriptEvent::Kind::ReleaseButton:
        input_.ReleaseButton(button, pointer_);
        held = false;
        break;
      case ScriptEvent::Kind::PressKey:
        input_.PressKey(event.x);
        break;
      case ScriptEvent::Kind::ReleaseKey:
        input_.ReleaseKey(event.x);
        break;
      case ScriptEvent::Kind::CloseWindow:
        throw WindowClosed();
    }
  }
  if (now_ >= closeAtMs_) throw WindowClosed();
}

void HeadlessPlatform::SetWindowTitle(std::string_view sjisTitle) { titles.emplace_back(sjisTitle); }
void HeadlessPlatform::SetWindowIcon(const Bitmap& image) { icon = image; }
void HeadlessPlatform::SetWindowOpacity(int alpha) { opacity = alpha; }

void HeadlessPlatform::Present(const Bitmap& frame) {
  ++presents;
  lastFrame = frame;
  Pump();
}

// As on the desktop: until a poll has seen a press, the pointer is where it happened.
PointerPosition HeadlessPlatform::ReadPointer() {
  Pump();
  return input_.left.PressUnseen() ? input_.left.PressedAt() : pointer_;
}

void HeadlessPlatform::MoveCursorBy(int dx, int dy) {
  pointer_.x += dx;
  pointer_.y += dy;
  cursorMoves.push_back({dx, dy});
}

void HeadlessPlatform::Sleep(int milliseconds) {
  now_ += static_cast<std::uint64_t>(std::max(milliseconds, 0));
  Pump();
}

MessageBoxAnswer HeadlessPlatform::ShowMessageBox(std::string_view sjisText, std::string_view sjisCaption,
                                                  MessageBoxButtons buttons, MessageBoxIcon icon) {
  messageBoxes.push_back({std::string(sjisText), std::string(sjisCaption), buttons, icon});
  MessageBoxAnswer answer = buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel;
  if (!messageBoxAnswers_.empty()) {
    answer = messageBoxAnswers_.front();
    messageBoxAnswers_.pop_front();
  }
  ForgetInputDuringPrompt();
  return answer;
}

std::optional<std::string> HeadlessPlatform::NextFileAnswer(const std::vector<FileFilter>& filters) {
  fileDialogFilters.push_back(filters);
  ForgetInputDuringPrompt();
  if (fileDialogAnswers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(fileDialogAnswers_.front());
  fileDialogAnswers_.pop_front();
  return answer;
}

std::optional<std::string> HeadlessPlatform::ChooseFileToOpen(const std::vector<FileFilter>& filters) {
  return NextFileAnswer(filters);
}

std::optional<std::string> HeadlessPlatform::ChooseFileToSave(const std::vector<FileFilter>& filters) {
  return NextFileAnswer(filters);
}

}  // namespace kumodo
