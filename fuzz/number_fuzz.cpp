// Feeds arbitrary text to the number reader. Whatever it reads must never be NaN; a finite value
// written back as its shortest text must read back the same; and for a plain decimal text (digits,
// point, exponent, signs) the reader must agree with the C library's strtod on whether the number
// is infinite, and on its value wherever that is a normal double.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "toolkit/numbers.h"

namespace {

void fail(const std::string& text, const char* what, double got, double expected) {
  std::fprintf(stderr, "reading \"%s\": %s: got %.17g, expected %.17g\n", text.c_str(), what, got,
               expected);
  std::abort();
}

bool isPlainDecimal(std::string_view text) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  for (char c : text) {
    const bool allowed =
        (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
    if (!allowed) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const double value = tk::readNumber(text);
  if (std::isnan(value)) fail(text, "NaN", value, 0);
  if (std::isfinite(value)) {
    const double again = tk::readNumber(tk::shortestText(value));
    if (again != value) fail(text, "written and read back", again, value);
  }
  if (isPlainDecimal(text)) {
    const double expected = std::strtod(text.c_str(), nullptr);
    if (std::isinf(value) != std::isinf(expected)) fail(text, "infinite or not", value, expected);
    if (std::fabs(expected) >= DBL_MIN && !std::isinf(expected) && value != expected) {
      fail(text, "value", value, expected);
    }
  }
  return 0;
}
