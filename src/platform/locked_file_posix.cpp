#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_reasons.h"
#include "platform/locked_file.h"

namespace kumodo {
namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

void SetReason(std::string* reason, int error) {
  if (reason) *reason = std::strerror(error);
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

std::unique_ptr<LockedFile> LockedFile::Create(const std::string& utf8Path, std::string* reason) {
  const int fd = ::open(utf8Path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_APPEND, 0600);
  if (fd < 0) {
    SetReason(reason, errno);
    return nullptr;
  }
  // Waited for: a program starting meanwhile may claim the new, still empty
  // file, and leaves it at once.
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    SetReason(reason, errno);
    ::close(fd);
    ::unlink(utf8Path.c_str());
    return nullptr;
  }
  return std::unique_ptr<LockedFile>(new LockedFile(utf8Path, fd));
}

std::unique_ptr<LockedFile> LockedFile::Claim(const std::string& utf8Path, ClaimRefusal* refusal) {
  auto refuse = [&](ClaimRefusal why) {
    if (refusal) *refusal = why;
    return nullptr;
  };
  // Looked at before it is opened: opening a device may do something.
  struct stat named;
  if (::lstat(utf8Path.c_str(), &named) != 0) return refuse(ClaimRefusal::CannotOpen);
  if (!S_ISREG(named.st_mode) || named.st_uid != ::geteuid()) return refuse(ClaimRefusal::NotOurs);
  const int fd = ::open(utf8Path.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return refuse(errno == ELOOP ? ClaimRefusal::NotOurs : ClaimRefusal::CannotOpen);
  std::unique_ptr<LockedFile> file(new LockedFile(utf8Path, fd));
  struct stat opened;
  if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_uid != ::geteuid()) {
    return refuse(ClaimRefusal::NotOurs);
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return refuse(ClaimRefusal::InUse);
  // Its holder may have removed it, or put another in its place, before letting go.
  struct stat now;
  if (::lstat(utf8Path.c_str(), &now) != 0 || !SameFile(now, opened)) return refuse(ClaimRefusal::InUse);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (refusal) *refusal = ClaimRefusal::None;
  return file;
}

LockedFile::~LockedFile() { ::close(Fd(handle_)); }

std::optional<std::string> LockedFile::ReadAll(std::size_t maxBytes, std::string* reason) {
  struct stat info;
  if (::fstat(Fd(handle_), &info) != 0) {
    SetReason(reason, errno);
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
    if (reason) *reason = TooLargeReason(maxBytes);
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t have = 0;
  while (have < bytes.size()) {
    const ssize_t n = ::pread(Fd(handle_), bytes.data() + have, bytes.size() - have, static_cast<off_t>(have));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetReason(reason, errno);
      return std::nullopt;
    }
    if (n == 0) break;
    have += static_cast<std::size_t>(n);
  }
  bytes.resize(have);
  return bytes;
}

bool LockedFile::Append(std::string_view bytes, std::string* reason) {
  for (std::size_t written = 0; written < bytes.size();) {
    const ssize_t n = ::write(Fd(handle_), bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetReason(reason, errno);
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

void LockedFile::Sync() { ::fdatasync(Fd(handle_)); }

bool LockedFile::MoveTo(const std::string& utf8Path, std::string* reason) {
  if (::rename(path_.c_str(), utf8Path.c_str()) != 0) {
    SetReason(reason, errno);
    return false;
  }
  path_ = utf8Path;
  return true;
}

void LockedFile::Remove() { ::unlink(path_.c_str()); }

}  // namespace kumodo
