#include "toolkit/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "toolkit/types.h"

namespace tk {

std::int16_t checked16(long long value) {
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    throw RuntimeError::overflow();
  }
  return static_cast<std::int16_t>(value);
}

std::int16_t roundHalfEven16(double value) {
  if (std::isnan(value)) throw RuntimeError::overflow();
  // nearbyint rounds in the current mode, which is round-to-nearest-even unless someone
  // changed it; do the halves explicitly so the result never depends on that.
  double whole = std::floor(value);
  double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  if (whole < -32768.0 || whole > 32767.0) throw RuntimeError::overflow();
  return static_cast<std::int16_t>(whole);
}

namespace {

bool isIgnoredBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string withoutBlanks(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (!isIgnoredBlank(c)) kept.push_back(c);
  }
  return kept;
}

int digitValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// "&H..." / "&O...": values that fit 16 bits are read as a signed 16-bit integer and values
// that fit 32 bits as a signed 32-bit one (so &HFFFF is -1), the way integer literals of this
// notation have always behaved. Longer numbers keep their unsigned value.
double readPrefixedInteger(std::string_view digits, int base) {
  unsigned long long value = 0;
  bool tooLong = false;
  for (char c : digits) {
    int d = digitValue(c);
    if (d >= base) break;
    if (value > (std::numeric_limits<unsigned long long>::max() >> 4)) tooLong = true;
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
  }
  if (tooLong) return std::numeric_limits<double>::infinity();
  if (value <= 0xFFFFu) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  if (value <= 0xFFFFFFFFu) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return static_cast<double>(value);
}

// Length of the longest prefix of s that forms a decimal number, and whether it has any digit.
struct DecimalPrefix {
  std::size_t length = 0;
  bool hasDigits = false;
  long long exponent = 0;       // the exponent as written, saturated
  long long integerDigits = 0;  // significant digits before the point
  long long fractionZeros = 0;  // zeros after the point before the first significant digit
  bool significant = false;     // a digit other than 0 was seen
};

DecimalPrefix scanDecimal(std::string_view s) {
  DecimalPrefix p;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  bool leading = true;
  while (i < s.size() && isDigit(s[i])) {
    if (s[i] != '0') leading = false;
    if (!leading) ++p.integerDigits;
    p.hasDigits = true;
    ++i;
  }
  p.significant = !leading;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && isDigit(s[i])) {
      if (s[i] != '0') p.significant = true;
      if (!p.significant) ++p.fractionZeros;
      p.hasDigits = true;
      ++i;
    }
  }
  if (!p.hasDigits) return {};
  p.length = i;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    std::size_t j = i + 1;
    bool negative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) negative = s[j++] == '-';
    if (j < s.size() && isDigit(s[j])) {
      long long e = 0;
      while (j < s.size() && isDigit(s[j])) {
        e = std::min(e * 10 + (s[j] - '0'), 1'000'000'000LL);
        ++j;
      }
      p.exponent = negative ? -e : e;
      p.length = j;
    }
  }
  return p;
}

}  // namespace

double readNumber(std::string_view text) {
  const std::string s = withoutBlanks(text);
  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return readPrefixedInteger(std::string_view(s).substr(2), 16);
    if (s[1] == 'O' || s[1] == 'o') return readPrefixedInteger(std::string_view(s).substr(2), 8);
    return 0.0;
  }
  const DecimalPrefix prefix = scanDecimal(s);
  if (prefix.length == 0) return 0.0;

  // from_chars knows neither a leading '+' nor the D exponent; give it what it understands.
  std::string number = s.substr(0, prefix.length);
  bool negative = false;
  if (number[0] == '+' || number[0] == '-') {
    negative = number[0] == '-';
    number.erase(0, 1);
  }
  for (char& c : number) {
    if (c == 'd' || c == 'D') c = 'e';
  }
  double value = 0.0;
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Out of range one way or the other: the power of ten of the first significant digit says
    // which ("0.000...1e1" is tiny, however large its exponent alone).
    const long long leadingPower =
        prefix.integerDigits > 0 ? prefix.integerDigits - 1 : -(prefix.fractionZeros + 1);
    const bool huge = prefix.significant && leadingPower + prefix.exponent > 0;
    value = huge ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

std::string shortestText(double value) {
  if (value == 0.0) return "0";  // also turns -0 into "0"
  std::array<char, 32> buffer{};
  auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  (void)error;  // 32 characters always hold the shortest form of a double
  return std::string(buffer.data(), end);
}

std::string decimalText(long long value) { return std::to_string(value); }

}  // namespace tk
