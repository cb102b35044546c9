#pragma once
// Number arithmetic, reading and formatting that the forms rely on. Locale-independent: the
// decimal separator is always ".".

#include <cstdint>
#include <string>
#include <string_view>

namespace tk {

// 16-bit integer arithmetic: a result outside -32768..32767 raises the overflow run-time error.
std::int16_t checked16(long long value);
inline std::int16_t add16(long long a, long long b) { return checked16(a + b); }
inline std::int16_t sub16(long long a, long long b) { return checked16(a - b); }
inline std::int16_t mul16(long long a, long long b) { return checked16(a * b); }

// Nearest 16-bit integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// Outside the 16-bit range, or not a number: the overflow run-time error.
std::int16_t roundHalfEven16(double value);

// The number at the start of a text. Blanks, tabs and line feeds are ignored wherever they
// stand; the longest leading part that forms a number (sign, digits, decimal point, exponent
// with E or D) gives the value; "&H" and "&O" introduce hexadecimal and octal numbers. A text
// that does not begin with a number gives 0. A decimal too large for a double gives +-infinity.
double readNumber(std::string_view text);

// The shortest decimal text that reads back as the same double: 5.5 -> "5.5", 7 -> "7",
// -0 -> "0", 1e21 -> "1e+21".
std::string shortestText(double value);

// Decimal text of an integer: no leading zeros, no blank, "-" when negative.
std::string decimalText(long long value);

}  // namespace tk
