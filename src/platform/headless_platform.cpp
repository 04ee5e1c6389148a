#include "platform/headless_platform.h"

#include <algorithm>

namespace kumodo {

HeadlessPlatform::HeadlessPlatform(std::vector<ScriptEvent> script, std::uint64_t closeAfterMs)
    : script_(std::move(script)) {
  std::stable_sort(script_.begin(), script_.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.atMs < b.atMs; });
  closeAtMs_ = (script_.empty() ? 0 : script_.back().atMs) + closeAfterMs;
}

void HeadlessPlatform::Pump() {
  left_.BeginPump();
  right_.BeginPump();
  while (nextEvent_ < script_.size() && script_[nextEvent_].atMs <= now_) {
    const ScriptEvent& event = script_[nextEvent_++];
    ButtonLatch& button = event.x == 0 ? left_ : right_;
    switch (event.kind) {
      case ScriptEvent::Kind::MovePointer:
        pointer_ = {event.x, event.y};
        break;
      case ScriptEvent::Kind::PressButton:
        button.Press();
        break;
      case ScriptEvent::Kind::ReleaseButton:
        button.Release();
        break;
      case ScriptEvent::Kind::PressKey:
        keysDown_.insert(event.x);
        break;
      case ScriptEvent::Kind::ReleaseKey:
        keysDown_.erase(event.x);
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

PointerPosition HeadlessPlatform::ReadPointer() {
  Pump();
  return pointer_;
}

bool HeadlessPlatform::IsButtonDown(MouseButton button) {
  return button == MouseButton::Left ? left_.Observe() : right_.Observe();
}

bool HeadlessPlatform::IsKeyDown(int virtualKey) { return keysDown_.count(virtualKey) != 0; }

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
                                                  MessageBoxButtons buttons) {
  messageBoxes.push_back({std::string(sjisText), std::string(sjisCaption), buttons});
  MessageBoxAnswer answer = buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel;
  if (!messageBoxAnswers_.empty()) {
    answer = messageBoxAnswers_.front();
    messageBoxAnswers_.pop_front();
  }
  return answer;
}

std::optional<std::string> HeadlessPlatform::NextFileAnswer(const std::vector<FileFilter>& filters) {
  fileDialogFilters.push_back(filters);
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
