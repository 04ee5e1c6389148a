#include <windows.h>

#include "platform/file_system.h"
#include "platform/win32_text.h"

namespace kumodo {
namespace {

FileResult Failure() {
  wchar_t* message = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, GetLastError(), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::string reason = message ? WideToUtf8(message) : "error " + std::to_string(GetLastError());
  LocalFree(message);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
    reason.pop_back();
  }
  return {false, reason};
}

}  // namespace

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
  return _wfopen(NativePath(utf8Path).c_str(), Utf8ToWide(mode).c_str());
}

FileResult WriteWholeFile(const std::string& path, std::string_view bytes) {
  const std::wstring target = NativePath(path).wstring();
  const std::wstring temporary = target + L".kumodo-tmp";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failure();
  auto fail = [&] {
    const FileResult failure = Failure();
    CloseHandle(file);
    DeleteFileW(temporary.c_str());
    return failure;
  };
  std::size_t written = 0;
  while (written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 30));
    DWORD done = 0;
    if (!WriteFile(file, bytes.data() + written, chunk, &done, nullptr)) return fail();
    written += done;
  }
  if (!FlushFileBuffers(file)) return fail();
  CloseHandle(file);
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const FileResult failure = Failure();
    DeleteFileW(temporary.c_str());
    return failure;
  }
  return {true, {}};
}

}  // namespace kumodo
