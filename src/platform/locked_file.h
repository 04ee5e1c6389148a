#pragma once
// A file one running program keeps for itself: made or claimed under a lock
// that no other process can take while the holder lives, appended to, and
// moved or removed by its holder. The system drops the lock when the
// process ends, however it ends, so a file whose lock can be taken belongs
// to a program no longer running. The recovery journal's file.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kumodo {

class LockedFile {
 public:
  // Makes a new file at the path, never one that exists (nor through a
  // link), and locks it. Nothing, with the reason, when it cannot.
  static std::unique_ptr<LockedFile> Create(const std::string& utf8Path, std::string* reason);

  enum class ClaimRefusal { None, InUse, NotOurs, CannotOpen };
  // Opens the file at the path and locks it: only a regular file of the
  // user's own, not through a link, never waited on (a FIFO or device is
  // refused at once). Nothing when another process holds it (InUse), when
  // it is anything else (NotOurs), or when it cannot be opened.
  static std::unique_ptr<LockedFile> Claim(const std::string& utf8Path, ClaimRefusal* refusal);

  // Closing unlocks and leaves the file where it is.
  ~LockedFile();
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  const std::string& Path() const { return path_; }

  // The whole file, when it holds at most maxBytes.
  std::optional<std::string> ReadAll(std::size_t maxBytes, std::string* reason);
  // Writes the bytes at the end and hands them to the system: they survive
  // the process (a kill, a crash), and reach the disk at the next Sync.
  bool Append(std::string_view bytes, std::string* reason);
  // Puts everything appended on the disk, so that it survives a power cut.
  // It may wait on the disk: the recovery journal calls it off the main
  // thread. Safe beside Append and Remove from another thread.
  void Sync();
  // Gives the file another name in the same folder, still held.
  bool MoveTo(const std::string& utf8Path, std::string* reason);
  // Removes the file while it is still held, so that no other process can
  // claim it between.
  void Remove();

 private:
  LockedFile(std::string path, std::intptr_t handle) : path_(std::move(path)), handle_(handle) {}

  std::string path_;
  std::intptr_t handle_;  // the descriptor, or the HANDLE on Windows
};

}  // namespace kumodo
