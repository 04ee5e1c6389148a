#include "files/text_to_number.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace kumodo {
namespace {

double ReadDigits(std::string_view text, std::size_t at, int base, bool& hasDigits) {
  double value = 0;
  for (; at < text.size(); ++at) {
    const int c = std::toupper(static_cast<unsigned char>(text[at]));
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0 || digit >= base) break;
    value = value * base + digit;
    hasDigits = true;
  }
  return value;
}

}  // namespace

double TextToNumber(std::string_view text, bool* hasDigits) {
  bool digits = false;
  if (!hasDigits) hasDigits = &digits;
  *hasDigits = false;
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  if (at < text.size() && text[at] == '&') {
    const int kind = at + 1 < text.size() ? std::toupper(static_cast<unsigned char>(text[at + 1])) : 0;
    if (kind == 'H') return ReadDigits(text, at + 2, 16, *hasDigits);
    if (kind == 'O') return ReadDigits(text, at + 2, 8, *hasDigits);
    return 0;
  }
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  double value = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    value = value * 10 + (text[at] - '0');
    *hasDigits = true;
  }
  if (at < text.size() && text[at] == '.') {
    double scale = 0.1;
    for (++at; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at, scale /= 10) {
      value += (text[at] - '0') * scale;
      *hasDigits = true;
    }
  }
  return negative ? -value : value;
}

std::int32_t TruncateToInt32(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

std::int64_t TruncateToInt64(double value) {
  if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) {
    return std::numeric_limits<std::int64_t>::min();
  }
  return static_cast<std::int64_t>(value);
}

}  // namespace kumodo
