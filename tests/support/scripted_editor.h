#pragma once
// An editor on the scripted platform, and a few words to write scripts with.
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "platform/headless_platform.h"
#include "support/state_folder.h"

namespace kumodo::scripted {

class Script {
 public:
  // The pointer goes to (x, y) at `at`; the left button goes down 5 ms later
  // and up 5 ms after that.
  Script& ClickAt(std::uint64_t at, int x, int y) {
    MoveTo(at, x, y);
    events_.push_back({at + 5, ScriptEvent::Kind::PressButton, 0});
    events_.push_back({at + 10, ScriptEvent::Kind::ReleaseButton, 0});
    return *this;
  }
  Script& MoveTo(std::uint64_t at, int x, int y) {
    events_.push_back({at, ScriptEvent::Kind::MovePointer, x, y});
    return *this;
  }
  // Holds a key for `forMs` milliseconds.
  Script& Key(std::uint64_t at, int virtualKey, std::uint64_t forMs = 30) {
    events_.push_back({at, ScriptEvent::Kind::PressKey, virtualKey});
    events_.push_back({at + forMs, ScriptEvent::Kind::ReleaseKey, virtualKey});
    return *this;
  }
  Script& Press(std::uint64_t at) {
    events_.push_back({at, ScriptEvent::Kind::PressButton, 0});
    return *this;
  }
  Script& Release(std::uint64_t at) {
    events_.push_back({at, ScriptEvent::Kind::ReleaseButton, 0});
    return *this;
  }
  Script& RightClick(std::uint64_t at) {
    events_.push_back({at, ScriptEvent::Kind::PressButton, 1});
    events_.push_back({at + 5, ScriptEvent::Kind::ReleaseButton, 1});
    return *this;
  }
  std::vector<ScriptEvent> Events() const { return events_; }

 private:
  std::vector<ScriptEvent> events_;
};

// A fresh working folder holding the program's res/ and command file, as
// the editor finds them when started from the repository; the settings file
// it writes stays there, and it has a state folder of its own for the
// recovery journals. The test process works in it until destroyed.
class WorkingFolder {
 public:
  WorkingFolder() : path_(support::MakeTemporaryFolder("work")) {
    const std::filesystem::path source(KUMODO_SOURCE_DIR);
    Link(source / "res", path_ / "res");
    Link(source / "kumodo-basic-cmd.txt", path_ / "kumodo-basic-cmd.txt");
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~WorkingFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  // A copy where the system cannot link (Wine).
  static void Link(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    if (error) std::filesystem::copy(target, link, std::filesystem::copy_options::recursive);
  }

  std::filesystem::path path_;
  std::filesystem::path previous_;
  support::StateFolder state_;
};

// A started editor whose scripted window never closes on its own.
struct ScriptedEditor {
  explicit ScriptedEditor(const Script& script = Script())
      : platform(script.Events(), 1'000'000'000), editor(platform) {
    StartUp(editor);
  }
  // Runs passes until the virtual clock reaches `ms`.
  void RunUntil(std::uint64_t ms) {
    while (platform.NowMs() < ms) RunPass(editor);
  }

  WorkingFolder folder;
  HeadlessPlatform platform;
  Editor editor;
};

}  // namespace kumodo::scripted
