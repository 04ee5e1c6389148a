#include "platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace kumodo {
namespace {

// Converts with iconv, replacing what cannot be converted by "?" and
// skipping one input byte, so that no input is ever fatal.
std::string Convert(const char* to, const char* from, std::string_view input) {
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
      ++in;
      --inLeft;
    }
  }
  iconv_close(cd);
  return output;
}

}  // namespace

std::string Utf8ToSjis(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }
std::string SjisToUtf8(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis); }

}  // namespace kumodo
