#pragma once
// The save file's image of the five slots: five packed little-endian records of 32 bytes, one
// per slot in slot order, no header. Fields of a record, at these offsets:
//
//   0 backwards i16    2 alarmOn i16       4 alarmMinutes i16      6 alarmSeconds i16
//   8 digitalOn i16   10 secondHandColour u32   14 minuteHandColour u32
//  18 digitalBorderColour u32   22 faceColour u32   26 digitsColour u32   30 saved i16
//
// Every field is moved on its own, byte by byte, so the image does not depend on how the compiler
// lays out ClockSettings. Nothing is validated: flags and alarm values travel exactly as stored.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "settings/clock_settings.h"

namespace store {

inline constexpr std::size_t recordSize = 32;
inline constexpr std::size_t imageSize = recordSize * settings::slotCount;  // 160

using SlotsImage = std::array<std::uint8_t, imageSize>;

SlotsImage encodeSlots(const settings::Slots& slots);

// Reads the slots from a file's bytes, which may be of any length. A field that lies wholly past
// the end of `bytes` keeps the value it had in `slots`. A field cut by the end takes the bytes
// that are present as its low bytes, with the missing high bytes 0 (so a file ending one byte
// into a colour FF gives that colour 0x000000FF) -- what a read positioned byte by byte yields.
// Bytes beyond the five records are ignored.
void decodeSlots(std::span<const std::uint8_t> bytes, settings::Slots& slots);

}  // namespace store
