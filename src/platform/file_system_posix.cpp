#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/file_reasons.h"
#include "platform/file_system.h"
#include "platform/file_system_posix.h"
#include "platform/message_language.h"

namespace kumodo {
namespace {

FileResult Failure(int error) { return {false, std::strerror(error)}; }

// Only files that hold bytes are read or replaced: a FIFO would wait for a
// writer for good, a device never ends.
std::string NotRegular() {
  return InMessageLanguage("通常のファイルではありません (フォルダー、FIFO、デバイスなど)",
                           "not a regular file (a folder, FIFO or device)");
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }
  int Get() const { return fd_; }
  // The error of closing, 0 when it closed cleanly.
  int Close() {
    if (fd_ < 0) return 0;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Opens without waiting on the file (O_NONBLOCK), then refuses anything but
// a regular file; the descriptor then blocks as usual.
int OpenRegular(const std::string& path, int flags, std::string* reason) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    if (reason) *reason = std::strerror(errno);
    return -1;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (reason) *reason = NotRegular();
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

int WriteAll(int fd, std::string_view bytes) {
  for (std::size_t written = 0; written < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    written += static_cast<std::size_t>(n);
  }
  return 0;
}

// The file a path names, through its symbolic links: a save writes the
// file a link points at and leaves the link a link. A dangling link names
// the file it would point at. Nothing when a link on the way is not one
// that may be followed.
std::optional<std::string> ThroughLinks(const std::string& path, LinksFollowed links) {
  std::filesystem::path current = NativePath(path);
  for (int hops = 0; hops < 40; ++hops) {
    struct stat link;
    if (::lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) break;
    if (links == LinksFollowed::OwnOnly && link.st_uid != ::geteuid()) return std::nullopt;
    char target[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), target, sizeof target - 1);
    if (n < 0) break;
    const std::filesystem::path next(std::string(target, static_cast<std::size_t>(n)));
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current.string();
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

// After a rename the folder holds the new name only once it is synced.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A world-writable folder with the sticky bit (/tmp, a shared drop folder):
// anyone may put a file or link there, and only its owner may remove it.
bool SharedFolder(const std::string& folder) {
  struct stat info;
  return ::stat(folder.c_str(), &info) == 0 && (info.st_mode & S_ISVTX) && (info.st_mode & S_IWOTH);
}

// Which bytes of a file are read: all of it (a longer file is refused), or
// at most the limit from its start or up to its end.
enum class FilePart { Whole, Start, End };

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t limit, FilePart part,
                                           std::string* reason) {
  const bool whole = part == FilePart::Whole;
  auto fail = [&](std::string why) {
    if (reason) *reason = std::move(why);
    return std::nullopt;
  };
  std::string why;
  Descriptor file(OpenRegular(path, O_RDONLY, &why));
  if (file.Get() < 0) return fail(why);
  struct stat info;
  if (::fstat(file.Get(), &info) != 0) return fail(std::strerror(errno));
  const std::string tooLarge = TooLargeReason(limit);
  if (whole && static_cast<std::uint64_t>(info.st_size) > limit) return fail(tooLarge);
  if (part == FilePart::End && static_cast<std::uint64_t>(info.st_size) > limit &&
      ::lseek(file.Get(), info.st_size - static_cast<off_t>(limit), SEEK_SET) < 0) {
    return fail(std::strerror(errno));
  }
  std::string bytes;
  try {
    bytes.resize(std::min(static_cast<std::size_t>(info.st_size), limit));
  } catch (const std::bad_alloc&) {
    return fail(OutOfMemoryReason());
  }
  // A whole file gets one byte of room past the limit: that tells one that grew too large meanwhile.
  const std::size_t room = whole ? limit + 1 : limit;
  std::size_t have = 0;
  for (;;) {
    if (have == bytes.size()) {
      if (have >= room) {
        if (whole) return fail(tooLarge);
        break;
      }
      bytes.resize(std::min(room, bytes.size() + 65536));
    }
    const ssize_t n = ::read(file.Get(), bytes.data() + have, bytes.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(std::strerror(errno));
    }
    if (n == 0) break;
    have += static_cast<std::size_t>(n);
  }
  bytes.resize(have);
  return bytes;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

FileResult WriteInPlace(const std::string& path, std::string_view bytes, const struct stat& checked) {
  // Opened once, never through a link, without waiting on a FIFO; from here
  // on only the descriptor is used.
  const FileResult swapped{false,
                           InMessageLanguage("確かめた後で別のファイルやリンクに置き換えられたので、書き込みません",
                                             "replaced by another file or a link since it was checked: "
                                             "nothing is written")};
  Descriptor file(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.Get() < 0) return errno == ELOOP ? swapped : Failure(errno);
  struct stat opened;
  if (::fstat(file.Get(), &opened) != 0) return Failure(errno);
  if (!S_ISREG(opened.st_mode)) return {false, NotRegular()};
  if (opened.st_dev != checked.st_dev || opened.st_ino != checked.st_ino || opened.st_uid != checked.st_uid) {
    return swapped;
  }
  ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);
  if (::ftruncate(file.Get(), 0) != 0) return Failure(errno);
  if (const int error = WriteAll(file.Get(), bytes)) return Failure(error);
  if (::fsync(file.Get()) != 0) return Failure(errno);
  if (const int error = file.Close()) return Failure(error);
  return {true, {}};
}

std::string ExecutableFolder() {
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
}

namespace {

// An XDG folder: the variable when it holds an absolute path, else the default under the home folder.
std::string XdgFolder(const char* variable, const char* underHome) {
  const char* folder = std::getenv(variable);
  if (folder && *folder == '/') return folder;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + underHome;
}

}  // namespace

std::string UserConfigurationFolder() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }

std::string UserStateFolder() { return XdgFolder("XDG_STATE_HOME", "/.local/state"); }

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
  const bool plus = std::strchr(mode, '+') != nullptr;
  int flags = plus ? O_RDWR : O_RDONLY;
  if (mode[0] == 'w') flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
  if (mode[0] == 'a') flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
  const int fd = OpenRegular(utf8Path, flags, nullptr);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, mode);
  if (!file) ::close(fd);
  return file;
}

std::optional<std::string> ReadWholeFile(const std::string& utf8Path, std::string* reason, std::size_t maxBytes) {
  return ReadRegularFile(utf8Path, maxBytes, FilePart::Whole, reason);
}

std::optional<std::string> ReadFileStart(const std::string& utf8Path, std::size_t bytes, std::string* reason) {
  return ReadRegularFile(utf8Path, bytes, FilePart::Start, reason);
}

std::optional<std::string> ReadFileEnd(const std::string& utf8Path, std::size_t bytes, std::string* reason) {
  return ReadRegularFile(utf8Path, bytes, FilePart::End, reason);
}

FileResult WriteWholeFile(const std::string& path, std::string_view bytes, LinksFollowed links) {
  const std::optional<std::string> linked = ThroughLinks(path, links);
  if (!linked) {
    return {false, InMessageLanguage("別のユーザーが作ったシンボリックリンクなので、その先には書き込みません",
                                     "a symbolic link another user made: nothing is written through it")};
  }
  const std::string& target = *linked;
  struct stat existing;
  // Not followed: a link here now was put in since the walk above.
  const bool exists = ::lstat(target.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) return {false, NotRegular()};
  // A file marked read-only is not replaced behind its owner's back.
  if (exists && ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
    return {false, ReadOnlyReason()};
  }
  const std::string folder = FolderOf(target);
  const bool mine = !exists || existing.st_uid == ::geteuid();
  // The link rule, applied to files: at a name the user did not choose, in a
  // folder anyone may put files in, a file another user left is not ours to
  // fill, and another name of a file (which anyone may have made) is no
  // reason to write into it.
  const bool shared = links == LinksFollowed::OwnOnly && exists && SharedFolder(folder);
  if (shared && !mine) {
    return {false, InMessageLanguage("共有フォルダーに別のユーザーが置いたファイルなので、書き込みません",
                                     "a file another user left in a shared folder: nothing is written to it")};
  }
  // A name of its own, made exclusively (never through a link planted under
  // it) and short, so that any legal target name still leaves room.
  std::string temporary = folder + "/.kumodo-XXXXXX";
  Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
  if (file.Get() < 0) {
    const int error = errno;
    if (!exists) return Failure(error);
    FileResult result = WriteInPlace(target, bytes, existing);
    if (!result.ok) {
      result.reason = WrittenInPlaceReason() + result.reason;
    }
    return result;
  }
  auto fail = [&](int error) {
    file.Close();
    ::unlink(temporary.c_str());
    return Failure(error);
  };
  if (const int error = WriteAll(file.Get(), bytes)) return fail(error);
  if (!exists) {
    ::fchmod(file.Get(), NewFileMode());
  } else if (mine) {
    // The replaced file's mode and group.
    ::fchmod(file.Get(), existing.st_mode & 07777);
    ::fchown(file.Get(), static_cast<uid_t>(-1), existing.st_gid);
  } else {
    // Another user's file becomes ours, never handed back: its mode and
    // group, but writable by no one else (and never set-id), so that the
    // program written stays as written.
    ::fchmod(file.Get(), existing.st_mode & 0755);
    ::fchown(file.Get(), static_cast<uid_t>(-1), existing.st_gid);
  }
  if (::fsync(file.Get()) != 0) return fail(errno);
  if (const int error = file.Close()) return fail(error);
  if (exists && existing.st_nlink > 1 && !shared) {
    // Other names share the file: only writing into it keeps them sharing.
    // The complete new content stays in the temporary file until then.
    FileResult result = WriteInPlace(target, bytes, existing);
    if (result.ok) {
      ::unlink(temporary.c_str());
    } else {
      result.reason += InMessageLanguage(" (新しい内容は " + temporary + " にあります)", " (the new content is in " + temporary + ")");
    }
    return result;
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return Failure(error);
  }
  SyncFolder(folder);
  return {true, {}};
}

}  // namespace kumodo
