#pragma once
#include <string>

namespace kumodo {

// The number form the program shows and writes: up to 15 significant digits,
// the 16th rounding the 15th half up; no leading space or plus sign; fixed
// form ("400", "0.0001") for decimal exponents -3 to 15, otherwise one digit,
// ".", 14 digits and an exponent ("1.00000000000000e+020", "1.00000000000000e-05").
std::string NumberToText(double value);

}  // namespace kumodo
