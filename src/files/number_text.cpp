#include "files/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kumodo {

std::string NumberToText(double value) {
  if (value == 0.0 || !std::isfinite(value)) return "0";
  std::string sign = value < 0 ? "-" : "";
  // The exact decimal expansion, so that rounding happens once, at the 16th digit.
  char expansion[64];
  std::snprintf(expansion, sizeof expansion, "%.30e", std::fabs(value));
  std::string digits;
  for (const char* p = expansion; *p && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') digits.push_back(*p);
  }
  int exponent = std::atoi(std::strchr(expansion, 'e') + 1) + 1;  // digits before the point
  const bool roundUp = digits[15] >= '5';
  digits.resize(15);
  if (roundUp) {
    int i = 14;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits.insert(digits.begin(), '1');
      digits.resize(15);
      ++exponent;
    }
  }

  if (exponent >= -3 && exponent <= 15) {
    std::string text;
    if (exponent < 1) {
      text = "0." + std::string(-exponent, '0') + digits;
    } else {
      text = digits.substr(0, exponent) + "." + digits.substr(exponent);
    }
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return sign + text;
  }
  char exponentText[16];
  std::snprintf(exponentText, sizeof exponentText, exponent > 15 ? "+%03d" : "%03d", exponent - 1);
  return sign + digits.substr(0, 1) + "." + digits.substr(1) + "e" + exponentText;
}

}  // namespace kumodo
