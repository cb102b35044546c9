#include "store/record_codec.h"

#include <algorithm>

namespace store {
namespace {

// The widths of the fields in the file follow the types of the record's fields.
using settings::ClockSettings;
static_assert(sizeof(ClockSettings::backwards) == 2 && sizeof(ClockSettings::alarmOn) == 2 &&
              sizeof(ClockSettings::alarmMinutes) == 2 &&
              sizeof(ClockSettings::alarmSeconds) == 2 && sizeof(ClockSettings::digitalOn) == 2 &&
              sizeof(ClockSettings::saved) == 2);
static_assert(sizeof(ClockSettings::secondHandColour) == 4 &&
              sizeof(ClockSettings::minuteHandColour) == 4 &&
              sizeof(ClockSettings::digitalBorderColour) == 4 &&
              sizeof(ClockSettings::faceColour) == 4 && sizeof(ClockSettings::digitsColour) == 4);

// Writes the `width` low bytes of `value` at `offset`, least significant first.
void putLittleEndian(SlotsImage& image, std::size_t offset, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) {
    image[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

void putField(SlotsImage& image, std::size_t& offset, std::int16_t value) {
  putLittleEndian(image, offset, static_cast<std::uint16_t>(value), 2);
  offset += 2;
}

void putField(SlotsImage& image, std::size_t& offset, std::uint32_t value) {
  putLittleEndian(image, offset, value, 4);
  offset += 4;
}

// Reads a little-endian field of `sizeof(Field)` bytes at `offset` into `field`. Past the end of
// `bytes` the field keeps its value; cut by the end, the missing high bytes read as 0.
template <typename Field>
void getField(std::span<const std::uint8_t> bytes, std::size_t& offset, Field& field) {
  constexpr std::size_t width = sizeof(Field);
  if (offset < bytes.size()) {
    const std::size_t present = std::min(width, bytes.size() - offset);
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < present; ++i) {
      value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    }
    field = static_cast<Field>(value);
  }
  offset += width;
}

}  // namespace

SlotsImage encodeSlots(const settings::Slots& slots) {
  SlotsImage image{};
  std::size_t offset = 0;
  for (const settings::ClockSettings& s : slots) {
    putField(image, offset, s.backwards);
    putField(image, offset, s.alarmOn);
    putField(image, offset, s.alarmMinutes);
    putField(image, offset, s.alarmSeconds);
    putField(image, offset, s.digitalOn);
    putField(image, offset, s.secondHandColour);
    putField(image, offset, s.minuteHandColour);
    putField(image, offset, s.digitalBorderColour);
    putField(image, offset, s.faceColour);
    putField(image, offset, s.digitsColour);
    putField(image, offset, s.saved);
  }
  return image;
}

void decodeSlots(std::span<const std::uint8_t> bytes, settings::Slots& slots) {
  std::size_t offset = 0;
  for (settings::ClockSettings& s : slots) {
    getField(bytes, offset, s.backwards);
    getField(bytes, offset, s.alarmOn);
    getField(bytes, offset, s.alarmMinutes);
    getField(bytes, offset, s.alarmSeconds);
    getField(bytes, offset, s.digitalOn);
    getField(bytes, offset, s.secondHandColour);
    getField(bytes, offset, s.minuteHandColour);
    getField(bytes, offset, s.digitalBorderColour);
    getField(bytes, offset, s.faceColour);
    getField(bytes, offset, s.digitsColour);
    getField(bytes, offset, s.saved);
  }
}

}  // namespace store
