#include "platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace kumodo {
namespace {

// The bytes of the UTF-8 character at the start of the text: a lead byte
// and the continuation bytes that follow it, at least one byte.
std::size_t Utf8CharacterBytes(const char* text, std::size_t left) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  std::size_t bytes = 1;
  while (bytes < expected && bytes < left && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) ++bytes;
  return bytes;
}

// Converts with iconv, replacing what cannot be converted by "?": a whole
// character from UTF-8, a byte from Shift-JIS, so that no input is ever fatal.
std::string Convert(const char* to, const char* from, std::string_view input) {
  const bool fromUtf8 = std::string_view(from) == "UTF-8";
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  std::string output;
  std::vector<char> buffer(4 * input.size() + 16);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  while (inLeft > 0) {
    char* out = buffer.data();
    size_t outLeft = buffer.size();
    size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    output.append(buffer.data(), out - buffer.data());
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      output.push_back('?');
      const std::size_t skip = fromUtf8 ? Utf8CharacterBytes(in, inLeft) : 1;
      in += skip;
      inLeft -= skip;
    }
  }
  iconv_close(cd);
  return output;
}

}  // namespace

std::string Utf8ToSjis(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }
std::string SjisToUtf8(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis); }

}  // namespace kumodo
