#pragma once
// Windows only: the program's texts as the wide strings the system's calls take.
#include <string>
#include <string_view>

namespace kumodo {

std::wstring SjisToWide(std::string_view sjis);  // through code page 932, whatever the system's own
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
// The system's own words for an error code (GetLastError), in UTF-8.
std::string SystemReason(unsigned long error);

}  // namespace kumodo
