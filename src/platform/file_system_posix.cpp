#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"

namespace kumodo {
namespace {

FileResult Failure() { return {false, std::strerror(errno)}; }

}  // namespace

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) { return std::fopen(utf8Path.c_str(), mode); }

FileResult WriteWholeFile(const std::string& path, std::string_view bytes) {
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

}  // namespace kumodo
