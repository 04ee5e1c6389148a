#pragma once
// Conversions between the program's Shift-JIS texts (code page 932) and the
// UTF-8 the Linux services speak. Characters with no counterpart become "?".
#include <string>
#include <string_view>

namespace kumodo {

std::string Utf8ToSjis(std::string_view utf8);
std::string SjisToUtf8(std::string_view sjis);

// True for the first byte of a double-byte Shift-JIS character.
constexpr bool IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace kumodo
