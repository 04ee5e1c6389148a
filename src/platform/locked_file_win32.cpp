#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/file_reasons.h"
#include "platform/file_system.h"
#include "platform/locked_file.h"
#include "platform/win32_text.h"

// The lock is the share mode: a claim opens the file sharing nothing,
// which fails while any other handle is open on it, and keeps that handle.
// A file made by the holder shares everything instead, so that the holder
// can flush it through a handle of its own and others can read it; a claim
// fails on it all the same. Both handles may rename and remove the file.

namespace kumodo {
namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

void SetReason(std::string* reason, DWORD error) {
  if (reason) *reason = SystemReason(error);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kHolderAccess = GENERIC_READ | GENERIC_WRITE | DELETE;

// A link is opened as itself (and refused by the claim).
HANDLE OpenExisting(const std::string& path, DWORD access, DWORD share) {
  return CreateFileW(NativePath(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

std::unique_ptr<LockedFile> LockedFile::Create(const std::string& utf8Path, std::string* reason) {
  const HANDLE file = CreateFileW(NativePath(utf8Path).c_str(), kHolderAccess, kShareAll, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetReason(reason, GetLastError());
    return nullptr;
  }
  return std::unique_ptr<LockedFile>(new LockedFile(utf8Path, reinterpret_cast<std::intptr_t>(file)));
}

std::unique_ptr<LockedFile> LockedFile::Claim(const std::string& utf8Path, ClaimRefusal* refusal) {
  auto refuse = [&](ClaimRefusal why) {
    if (refusal) *refusal = why;
    return nullptr;
  };
  const HANDLE file = OpenExisting(utf8Path, kHolderAccess, 0);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // A file its holder is removing cannot be opened either.
    return refuse(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? ClaimRefusal::InUse
                                                                                   : ClaimRefusal::CannotOpen);
  }
  std::unique_ptr<LockedFile> claimed(new LockedFile(utf8Path, reinterpret_cast<std::intptr_t>(file)));
  BY_HANDLE_FILE_INFORMATION information{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
    return refuse(ClaimRefusal::NotOurs);
  }
  if (refusal) *refusal = ClaimRefusal::None;
  return claimed;
}

LockedFile::~LockedFile() { CloseHandle(Handle(handle_)); }

std::optional<std::string> LockedFile::ReadAll(std::size_t maxBytes, std::string* reason) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(Handle(handle_), &size)) {
    SetReason(reason, GetLastError());
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
    if (reason) *reason = TooLargeReason(maxBytes);
    return std::nullopt;
  }
  const LARGE_INTEGER start{};
  if (!SetFilePointerEx(Handle(handle_), start, nullptr, FILE_BEGIN)) {
    SetReason(reason, GetLastError());
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t have = 0;
  while (have < bytes.size()) {
    DWORD done = 0;
    if (!ReadFile(Handle(handle_), bytes.data() + have, static_cast<DWORD>(bytes.size() - have), &done, nullptr)) {
      SetReason(reason, GetLastError());
      return std::nullopt;
    }
    if (done == 0) break;
    have += done;
  }
  bytes.resize(have);
  return bytes;
}

bool LockedFile::Append(std::string_view bytes, std::string* reason) {
  const LARGE_INTEGER none{};
  if (!SetFilePointerEx(Handle(handle_), none, nullptr, FILE_END)) {
    SetReason(reason, GetLastError());
    return false;
  }
  for (std::size_t written = 0; written < bytes.size();) {
    DWORD done = 0;
    if (!WriteFile(Handle(handle_), bytes.data() + written, static_cast<DWORD>(bytes.size() - written), &done,
                   nullptr)) {
      SetReason(reason, GetLastError());
      return false;
    }
    written += done;
  }
  return true;
}

// Through a handle of its own: a flush through the holder's handle would
// hold up the holder's next write until the disk is done.
void LockedFile::Sync() {
  const HANDLE file = OpenExisting(path_, GENERIC_WRITE, kShareAll);
  if (file == INVALID_HANDLE_VALUE) return;
  FlushFileBuffers(file);
  CloseHandle(file);
}

bool LockedFile::MoveTo(const std::string& utf8Path, std::string* reason) {
  const std::wstring target = NativePath(utf8Path).wstring();
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  FILE_RENAME_INFO* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::memcpy(rename->FileName, target.c_str(), target.size() * sizeof(wchar_t));
  if (!SetFileInformationByHandle(Handle(handle_), FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) {
    SetReason(reason, GetLastError());
    return false;
  }
  path_ = utf8Path;
  return true;
}

// The name goes at once where the system can (Windows 10 1607 on, whose
// FileDispositionInfoEx and flags the headers give only to programs built
// for it alone); elsewhere when the last handle closes, and until then
// nothing can open it.
void LockedFile::Remove() {
  constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
  DWORD deleteAtOnce = 0x1 | 0x2;  // FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS
  if (SetFileInformationByHandle(Handle(handle_), kFileDispositionInfoEx, &deleteAtOnce, sizeof deleteAtOnce)) return;
  FILE_DISPOSITION_INFO onClose{};
  onClose.DeleteFile = TRUE;
  SetFileInformationByHandle(Handle(handle_), FileDispositionInfo, &onClose, sizeof onClose);
}

}  // namespace kumodo
