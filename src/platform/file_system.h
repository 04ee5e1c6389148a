#pragma once
// Files by path. Paths cross the whole program as UTF-8 text, on every
// system; only this layer turns them into what the system's calls take.
#include <cstdio>
#include <optional>
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

// The folder the running program's file is in.
std::string ExecutableFolder();
// The user's folder for programs' settings: $XDG_CONFIG_HOME, or ~/.config
// where that is not set (%APPDATA% on Windows).
std::string UserConfigurationFolder();
// The user's folder for what programs keep between runs that is no setting
// (the recovery journal): $XDG_STATE_HOME, or ~/.local/state where that is
// not set (%LOCALAPPDATA% on Windows).
std::string UserStateFolder();

// fopen for a UTF-8 path. Only a regular file is opened: a FIFO, device or
// folder is refused at once, never waited on.
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);

// No file is read whole past this size unless the caller says more.
constexpr std::size_t kMaxWholeFileBytes = std::size_t{64} << 20;

// The whole of a regular file of at most maxBytes, or nothing with the
// reason: a FIFO, device or folder (refused without waiting on it), a file
// too large, or what the system said.
std::optional<std::string> ReadWholeFile(const std::string& utf8Path, std::string* reason = nullptr,
                                         std::size_t maxBytes = kMaxWholeFileBytes);
// The first bytes of a regular file, all of it when it is shorter.
std::optional<std::string> ReadFileStart(const std::string& utf8Path, std::size_t bytes, std::string* reason = nullptr);
// The last bytes of a regular file, all of it when it is shorter.
std::optional<std::string> ReadFileEnd(const std::string& utf8Path, std::size_t bytes, std::string* reason = nullptr);

struct FileResult {
  bool ok = false;
  std::string reason;  // what the system said (UTF-8), when not ok
};

// Whose symbolic links a write goes through. A name the user chose is the
// user's to point anywhere; a name the program derives from it (the BASIC
// program beside a document, the settings file) was never chosen, and a
// link at it that another user planted, as in a shared folder, would make
// a save overwrite any file the user may write, of its maker's choosing.
enum class LinksFollowed { Any, OwnOnly };

// Replaces the file with the bytes, keeping what the user had:
// - the bytes go to a temporary file of a unique name beside the target,
//   made exclusively, and take the target's place only once complete and
//   synced (with the folder), so a failed write leaves the previous file;
// - a symbolic link is written through to its target (with OwnOnly, only
//   links that belong to the user running the program: any other link is
//   refused, and nothing is written); a file with several
//   names (hard links) is rewritten in place once the new content is safe in
//   the temporary file; the replaced file's mode (and owner, where allowed)
//   stay;
// - a read-only file or anything but a regular file is refused;
// - where no temporary file can be made beside it, the file is written in
//   place, and a failure says so.
FileResult WriteWholeFile(const std::string& utf8Path, std::string_view bytes,
                          LinksFollowed links = LinksFollowed::Any);

}  // namespace kumodo
