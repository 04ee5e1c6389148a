#pragma once
#include <cstdint>
#include <string_view>

namespace kumodo {

// The program's number reading, shared by documents and data files: blanks
// skipped; "&H" hexadecimal and "&O" octal (any letter case); otherwise an
// optional sign, digits and a decimal fraction. No exponent form. Reading
// stops at the first other character; no digits give 0. hasDigits, when
// given, tells whether any digit was read (a number, not just text reading 0).
double TextToNumber(std::string_view text, bool* hasDigits = nullptr);

// Truncation toward zero to 32 bits, as the processor does it: a value
// outside the range (or not a number) gives -2147483648.
std::int32_t TruncateToInt32(double value);

// Truncation to 64 bits, likewise.
std::int64_t TruncateToInt64(double value);

}  // namespace kumodo
