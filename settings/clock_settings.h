#pragma once
// The unit in which the user's choices are held, saved and restored.

#include <array>
#include <cstdint>

#include "toolkit/types.h"

namespace settings {

// 16-bit flags: true is -1 (all bits set), false 0. Any nonzero value read back counts as true.
using Flag = std::int16_t;
inline constexpr Flag flagTrue = -1;
inline constexpr Flag flagFalse = 0;
inline constexpr bool isSet(Flag flag) { return flag != 0; }
inline constexpr Flag toFlag(bool value) { return value ? flagTrue : flagFalse; }

// A record as an empty slot holds it, every field zero (what a missing or short save file reads
// as); the settings a window starts with are defaultSettings below.
struct ClockSettings {
  Flag backwards = 0;
  Flag alarmOn = 0;
  std::int16_t alarmMinutes = 0;
  std::int16_t alarmSeconds = 0;
  Flag digitalOn = 0;
  tk::Colour secondHandColour = 0;
  tk::Colour minuteHandColour = 0;
  tk::Colour digitalBorderColour = 0;
  tk::Colour faceColour = 0;
  tk::Colour digitsColour = 0;
  Flag saved = 0;

  friend bool operator==(const ClockSettings&, const ClockSettings&) = default;
};

// The settings the window starts with; not saved, as no slot holds them yet.
inline constexpr ClockSettings defaultSettings{
    .backwards = flagFalse,
    .alarmOn = flagFalse,
    .alarmMinutes = 0,
    .alarmSeconds = 0,
    .digitalOn = flagTrue,
    .secondHandColour = 0x000000,     // black
    .minuteHandColour = 0x0000FF,     // red
    .digitalBorderColour = 0xFFFFFF,  // white
    .faceColour = 0xFFFFFF,           // white
    .digitsColour = 0x000000,         // black
    .saved = flagFalse,
};

inline constexpr int slotCount = 5;
// The five save slots; slot n (1..5) is element n - 1.
using Slots = std::array<ClockSettings, slotCount>;

}  // namespace settings
