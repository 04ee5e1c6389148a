#include "files/text_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kumodo {

std::optional<std::string> ReadWholeFile(const std::string& path, std::string* reason) {
  std::error_code error;
  if (std::filesystem::is_directory(NativePath(path), error)) {
    if (reason) *reason = std::strerror(EISDIR);
    return std::nullopt;
  }
  std::ifstream file(NativePath(path), std::ios::binary);
  if (!file) {
    if (reason) *reason = std::strerror(errno);
    return std::nullopt;
  }
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) {
    if (reason) *reason = std::strerror(errno);
    return std::nullopt;
  }
  return text;
}

std::string WithExtension(const std::string& path, const std::string& extension) {
  return Utf8Path(NativePath(path).replace_extension(NativePath(extension)));
}

std::string FileNamePart(const std::string& path) { return Utf8Path(NativePath(path).filename()); }

}  // namespace kumodo
