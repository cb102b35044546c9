#pragma once
// Registry values and what GetKeyValue makes of each: one table for the scripted registry of the
// headless tests and for the real Windows registry under Wine, which must answer alike.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "toolkit/testing/test_platform.h"

namespace registry_cases {

using Value = tk::testing::ScriptedRegistry::Value;

inline std::vector<std::uint8_t> bytes(const std::string& text) {
  return {text.begin(), text.end()};
}
// A registry text value: its characters and the terminating zero byte.
inline Value text(const std::string& s) { return {1, bytes(s + '\0')}; }
inline Value ofType(std::uint32_t type, std::vector<std::uint8_t> data) {
  return {type, std::move(data)};
}

// With its terminating zero, the longest text that fits the 1024-byte buffer, and one too long.
inline const std::string path1023(1023, 'p');
inline const std::string path1024(1024, 'q');

struct ValueCase {
  const char* name;
  Value value;
  std::string keyValOnEntry;
  bool expectRead;
  std::string expectKeyVal;
};

inline std::vector<ValueCase> valueCases() {
  const std::string full1024(1024, 'z');
  return {
      {"TextLosesItsTerminatingZero", text("C:\\x"), "old", true, "C:\\x"},
      {"TextWithoutTerminatorKeepsAll", {1, bytes("abc")}, "", true, "abc"},
      {"TextOf1024BytesWithZero", text(path1023), "", true, path1023},
      {"TextOf1024CharactersWithoutZero", {1, bytes(full1024)}, "", true, full1024},
      {"TextOf1025BytesIsNotRead", text(path1024), "old", false, ""},
      // 1A 00 00 00: the last zero is cut, then 00 00 1A last to first give "&h001A".
      {"NumberBecomesHexThenDecimal", ofType(4, {0x1A, 0, 0, 0}), "", true, "26"},
      // Each byte in hex without leading zeros: 45 23 01 -> "1", "23", "45".
      {"NumberBytesHaveNoLeadingZeros", ofType(4, {0x45, 0x23, 0x01, 0}), "", true, "74565"},
      {"NumberReadLikeAHexLiteral", ofType(4, {0xFF, 0xFF, 0xFF, 0xFF}), "", true, "-1"},
      {"NumberWiderThan32BitsStaysText", ofType(4, {0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), "", true,
       "&h7FFFFFFFFF"},
      {"NumberFollowsWhatKeyValHeld", ofType(4, {0x1A, 0, 0, 0}), "x", true, "&hx001A"},
      {"ExpandableTextKeepsKeyVal", {2, bytes("%SystemRoot%\0")}, "kept", true, "kept"},
      {"BinaryKeepsKeyVal", {3, {1, 2, 3}}, "kept", true, "kept"},
  };
}

inline void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.name; }

}  // namespace registry_cases
