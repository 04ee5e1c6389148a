#include <windows.h>

#include "platform/text_encoding.h"
#include "platform/win32_text.h"

namespace kumodo {
namespace {

constexpr UINT kShiftJis = 932;

std::wstring Widen(UINT codePage, DWORD flags, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(UINT codePage, DWORD flags, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  // Code page 932 takes a replacement character; UTF-8 refuses one.
  const char* replacement = codePage == CP_UTF8 ? nullptr : "?";
  const int length = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, replacement, nullptr);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), size, text.data(), length, replacement, nullptr);
  return text;
}

}  // namespace

std::wstring SjisToWide(std::string_view sjis) {
  std::wstring wide = Widen(kShiftJis, MB_ERR_INVALID_CHARS, sjis);
  if (!wide.empty() || sjis.empty()) return wide;
  // Some byte is not Shift-JIS: convert character by character, and let a
  // bad byte become "?" and the conversion go on after it.
  for (std::size_t at = 0; at < sjis.size();) {
    const bool pair = IsSjisLeadByte(static_cast<unsigned char>(sjis[at])) && at + 1 < sjis.size();
    const std::wstring one = Widen(kShiftJis, MB_ERR_INVALID_CHARS, sjis.substr(at, pair ? 2 : 1));
    if (one.empty()) {
      wide.push_back(L'?');
      at += 1;
    } else {
      wide += one;
      at += pair ? 2 : 1;
    }
  }
  return wide;
}

std::wstring Utf8ToWide(std::string_view utf8) { return Widen(CP_UTF8, 0, utf8); }
std::string WideToUtf8(std::wstring_view wide) { return Narrow(CP_UTF8, 0, wide); }

std::string SjisToUtf8(std::string_view sjis) { return WideToUtf8(SjisToWide(sjis)); }
std::string Utf8ToSjis(std::string_view utf8) {
  // Code page 932 has nothing beyond the 16-bit characters: a surrogate pair
  // is one character, one "?", not two.
  std::wstring wide = Utf8ToWide(utf8);
  std::erase_if(wide, [](wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; });
  return Narrow(kShiftJis, WC_NO_BEST_FIT_CHARS, wide);
}

}  // namespace kumodo
