#include <windows.h>
#include <io.h>

#include <cstdlib>
#include <new>

#include "platform/file_reasons.h"
#include "platform/file_system.h"
#include "platform/message_language.h"
#include "platform/win32_text.h"

namespace kumodo {

std::string SystemReason(unsigned long error) {
  wchar_t* message = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::string reason = message ? WideToUtf8(message) : "error " + std::to_string(error);
  LocalFree(message);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
    reason.pop_back();
  }
  return reason;
}

namespace {

FileResult Failure() { return {false, SystemReason(GetLastError())}; }

// Only files on a disk are read or replaced: a pipe would wait, a device
// ("CON", "NUL") never ends.
std::string NotRegular() {
  return InMessageLanguage("通常のファイルではありません (フォルダー、パイプ、デバイスなど)",
                           "not a regular file (a folder, pipe or device)");
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (Valid()) CloseHandle(handle_);
  }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Which bytes of a file are read: all of it (a longer file is refused), or
// at most the limit from its start or up to its end.
enum class FilePart { Whole, Start, End };

std::optional<std::string> ReadDiskFile(const std::string& path, std::size_t limit, FilePart part,
                                        std::string* reason) {
  const bool whole = part == FilePart::Whole;
  auto fail = [&](std::string why) {
    if (reason) *reason = std::move(why);
    return std::nullopt;
  };
  // Sharing removal too: a file its holder may rename or remove (an
  // editor's recovery journal) can still be read.
  Handle file(CreateFileW(NativePath(path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return fail(SystemReason(GetLastError()));
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) return fail(NotRegular());
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return fail(SystemReason(GetLastError()));
  const std::string tooLarge = TooLargeReason(limit);
  if (whole && static_cast<std::uint64_t>(size.QuadPart) > limit) return fail(tooLarge);
  if (part == FilePart::End && static_cast<std::uint64_t>(size.QuadPart) > limit) {
    LARGE_INTEGER from{};
    from.QuadPart = size.QuadPart - static_cast<LONGLONG>(limit);
    if (!SetFilePointerEx(file.Get(), from, nullptr, FILE_BEGIN)) return fail(SystemReason(GetLastError()));
  }
  std::string bytes;
  try {
    bytes.resize(std::min<std::uint64_t>(static_cast<std::uint64_t>(size.QuadPart), limit));
  } catch (const std::bad_alloc&) {
    return fail(OutOfMemoryReason());
  }
  std::size_t have = 0;
  while (have < bytes.size()) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - have, 1u << 30));
    if (!ReadFile(file.Get(), bytes.data() + have, chunk, &done, nullptr)) return fail(SystemReason(GetLastError()));
    if (done == 0) break;
    have += done;
  }
  bytes.resize(have);
  return bytes;
}

// A temporary file of a unique name in the folder, made exclusively.
std::wstring MakeTemporaryFile(const std::wstring& folder) {
  wchar_t name[MAX_PATH + 1];
  if (GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"kmd", 0, name) == 0) return {};
  return name;
}

FileResult WriteInto(HANDLE file, std::string_view bytes) {
  for (std::size_t written = 0; written < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 30));
    DWORD done = 0;
    if (!WriteFile(file, bytes.data() + written, chunk, &done, nullptr)) return Failure();
    written += done;
  }
  if (!FlushFileBuffers(file)) return Failure();
  return {true, {}};
}

// Rewrites the file itself, where no temporary file can be made beside it.
FileResult WriteInPlace(const std::wstring& target, std::string_view bytes) {
  Handle file(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return Failure();
  return WriteInto(file.Get(), bytes);
}

}  // namespace

std::string ExecutableFolder() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return Utf8Path(std::filesystem::path(path).parent_path());
}

std::string UserConfigurationFolder() {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  return appData ? WideToUtf8(appData) : ExecutableFolder();
}

std::string UserStateFolder() {
  const wchar_t* localAppData = _wgetenv(L"LOCALAPPDATA");
  return localAppData ? WideToUtf8(localAppData) : UserConfigurationFolder();
}

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
  std::FILE* file = _wfopen(NativePath(utf8Path).c_str(), Utf8ToWide(mode).c_str());
  if (file && GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

std::optional<std::string> ReadWholeFile(const std::string& utf8Path, std::string* reason, std::size_t maxBytes) {
  return ReadDiskFile(utf8Path, maxBytes, FilePart::Whole, reason);
}

std::optional<std::string> ReadFileStart(const std::string& utf8Path, std::size_t bytes, std::string* reason) {
  return ReadDiskFile(utf8Path, bytes, FilePart::Start, reason);
}

std::optional<std::string> ReadFileEnd(const std::string& utf8Path, std::size_t bytes, std::string* reason) {
  return ReadDiskFile(utf8Path, bytes, FilePart::End, reason);
}

// Links at a name need the right to make them, which another user in a
// shared folder has not: every link is the user's own.
FileResult WriteWholeFile(const std::string& path, std::string_view bytes, LinksFollowed) {
  const std::filesystem::path native = NativePath(path);
  const std::wstring target = native.wstring();
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {false, NotRegular()};
  // A file marked read-only is not replaced behind its owner's back.
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return {false, ReadOnlyReason()};
  const std::wstring temporary = MakeTemporaryFile(native.parent_path().wstring());
  if (temporary.empty()) {
    if (!exists) return Failure();
    FileResult result = WriteInPlace(target, bytes);
    if (!result.ok) {
      result.reason = WrittenInPlaceReason() + result.reason;
    }
    return result;
  }
  {
    Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    const FileResult written = file.Valid() ? WriteInto(file.Get(), bytes) : Failure();
    if (!written.ok) {
      DeleteFileW(temporary.c_str());
      return written;
    }
  }
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const FileResult failure = Failure();
    DeleteFileW(temporary.c_str());
    return failure;
  }
  // The replaced file's attributes (hidden, archive, ...) stay.
  if (exists) SetFileAttributesW(target.c_str(), attributes);
  return {true, {}};
}

}  // namespace kumodo
