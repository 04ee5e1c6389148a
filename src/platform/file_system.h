#pragma once
// Files by path. Paths cross the whole program as UTF-8 text, on every
// system; only this layer turns them into what the system's calls take.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace kumodo {

inline std::filesystem::path NativePath(std::string_view utf8Path) {
  return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

inline std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// fopen for a UTF-8 path.
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);

struct FileResult {
  bool ok = false;
  std::string reason;  // what the system said (UTF-8), when not ok
};

// Writes the bytes to a temporary file beside the target and puts it in the
// target's place only once complete, so a failed write never leaves a
// half-written file in place of the previous one.
FileResult WriteWholeFile(const std::string& utf8Path, std::string_view bytes);

}  // namespace kumodo
