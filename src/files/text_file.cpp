#include "files/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kumodo {
namespace {

FileResult Failure() { return {false, std::strerror(errno)}; }

}  // namespace

FileResult WriteTextFile(const std::string& path, std::string_view bytes) {
  const std::string temporary = path + ".kumodo-tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Failure();
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      const FileResult failure = Failure();
      ::close(fd);
      ::unlink(temporary.c_str());
      return failure;
    }
    written += static_cast<std::size_t>(n);
  }
  // The replaced file keeps its permissions.
  struct stat existing;
  if (::stat(path.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    const FileResult failure = Failure();
    ::unlink(temporary.c_str());
    return failure;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const FileResult failure = Failure();
    ::unlink(temporary.c_str());
    return failure;
  }
  return {true, {}};
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string* reason) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    if (reason) *reason = std::strerror(EISDIR);
    return std::nullopt;
  }
  std::ifstream file(path, std::ios::binary);
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
  return std::filesystem::path(path).replace_extension(extension).string();
}

std::string FileNamePart(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace kumodo
