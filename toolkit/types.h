#pragma once
// Basic value types of the window toolkit: lengths, colours, rectangles, run-time errors.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tk {

// Lengths are twips (1/1440 inch); 15 twips make one device-independent pixel at 96 dpi.
using Twips = int;
inline constexpr int twipsPerPixel = 15;

// Colours are 0x00BBGGRR (red in the low byte). A value with the top bit set names a system
// colour by its index in the low byte.
using Colour = std::uint32_t;
inline constexpr bool isSystemColour(Colour c) { return (c & 0x80000000u) != 0; }
inline constexpr unsigned systemColourIndex(Colour c) { return c & 0xFFu; }

// The system colours the forms and the backends name, by the system's own indexes.
namespace SystemColour {
inline constexpr Colour menu = 0x80000004;
inline constexpr Colour windowBackground = 0x80000005;
inline constexpr Colour menuText = 0x80000007;
inline constexpr Colour windowText = 0x80000008;
inline constexpr Colour highlight = 0x8000000D;
inline constexpr Colour highlightText = 0x8000000E;
inline constexpr Colour buttonFace = 0x8000000F;
inline constexpr Colour buttonShadow = 0x80000010;
inline constexpr Colour grayText = 0x80000011;
inline constexpr Colour buttonText = 0x80000012;
inline constexpr Colour buttonHighlight = 0x80000014;
inline constexpr Colour infoText = 0x80000017;
inline constexpr Colour infoBackground = 0x80000018;
}  // namespace SystemColour

struct Rect {
  Twips left = 0;
  Twips top = 0;
  Twips width = 0;
  Twips height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// An error raised by a handler that the program does not catch. It travels up to the toolkit's
// outermost event dispatch, which shows it and ends the process.
class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int number() const { return number_; }

  static RuntimeError overflow() { return {6, "Overflow"}; }
  static RuntimeError subscriptOutOfRange() { return {9, "Subscript out of range"}; }
  static RuntimeError outOfMemory() { return {7, "Out of memory"}; }
  static RuntimeError invalidPropertyValue() { return {380, "Invalid property value"}; }
  // Any other exception that escapes a handler.
  static RuntimeError internalError() { return {51, "Internal error"}; }

 private:
  int number_;
};

}  // namespace tk
