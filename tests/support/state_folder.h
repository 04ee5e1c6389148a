#pragma once
// The user's state folder, where the editor keeps its recovery journals, as
// a fresh temporary folder: no test reads or leaves a journal in the real
// home folder, and none sees another's. XDG_STATE_HOME on Linux,
// LOCALAPPDATA on Windows; each system reads its own and ignores the other.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace kumodo::support {

// Sets an environment variable on both systems (putenv is there on both;
// glibc keeps the very text it is given, so the texts live as long as the
// program).
inline void SetEnvironment(const std::string& name, const std::string& value) {
  static std::map<std::string, std::string> texts;
  std::string& text = texts[name + "=" + value];
  text = name + "=" + value;
  ::putenv(text.data());
}

// A new folder of the temporary folder, "kumodo-<what>-<process>-<n>".
inline std::filesystem::path MakeTemporaryFolder(const std::string& what) {
  static int made = 0;
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("kumodo-" + what + "-" + std::to_string(::getpid()) + "-" + std::to_string(made++));
  std::filesystem::create_directories(path);
  return path;
}

class StateFolder {
 public:
  StateFolder() : path_(MakeTemporaryFolder("state")) {
    for (const char* name : kVariables) {
      const char* before = std::getenv(name);
      before_[name] = before ? before : "";
      SetEnvironment(name, path_.string());
    }
  }
  ~StateFolder() {
    for (const auto& [name, value] : before_) SetEnvironment(name, value);
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  StateFolder(const StateFolder&) = delete;
  StateFolder& operator=(const StateFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Where the editor puts its journals.
  std::filesystem::path Journals() const { return path_ / "kumodo"; }

 private:
  static constexpr const char* kVariables[] = {"XDG_STATE_HOME", "LOCALAPPDATA"};
  std::filesystem::path path_;
  std::map<std::string, std::string> before_;
};

}  // namespace kumodo::support
