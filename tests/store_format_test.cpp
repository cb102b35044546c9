// The bytes of the save file: where each field of each slot lands, how short and long files
// read, and that what was read is written back unchanged.

#include <gtest/gtest.h>

#include <algorithm>

#include "store/record_codec.h"
#include "store_test_support.h"

namespace {

using namespace store_test;
using settings::ClockSettings;
using settings::Slots;

ClockSettings defaultsSaved() {
  ClockSettings s = settings::defaultSettings;
  s.saved = settings::flagTrue;
  return s;
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t count) {
  return Bytes(bytes.begin() + from, bytes.begin() + from + count);
}

Bytes saveAndRead(const Slots& slots) {
  EXPECT_TRUE(store::SaveFile().save(slots));
  return readBytes(store::saveFileName);
}

Slots loadFrom(const Bytes& content, Slots slots = {}) {
  writeBytes(store::saveFileName, content);
  const store::FileResult result = store::SaveFile().load(slots);
  EXPECT_TRUE(result) << result.message();
  return slots;
}

using SaveFileFormat = InFreshFolder;

TEST_F(SaveFileFormat, DefaultSettingsMarkedSavedGiveTheKnownRecordInTheirSlotOnly) {
  const Bytes expected = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
                          0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00,
                          0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF};
  for (std::size_t slot = 0; slot < settings::slotCount; ++slot) {
    Slots slots{};
    slots[slot] = defaultsSaved();
    const Bytes file = saveAndRead(slots);
    ASSERT_EQ(file.size(), 160u);
    for (std::size_t record = 0; record < settings::slotCount; ++record) {
      const Bytes want = record == slot ? expected : Bytes(32, 0);
      EXPECT_EQ(slice(file, 32 * record, 32), want)
          << "slot " << slot + 1 << ", record " << record + 1;
    }
  }
}

TEST_F(SaveFileFormat, EachFieldHasItsOwnOffsetWidthAndByteOrder) {
  ClockSettings s;
  s.backwards = 1;
  s.alarmOn = 0x1234;
  s.alarmMinutes = 1;
  s.alarmSeconds = 30;
  s.digitalOn = -2;
  s.secondHandColour = 0x00332211;
  s.minuteHandColour = 0x80000008;
  s.digitalBorderColour = 0x00665544;
  s.faceColour = 0x00998877;
  s.digitsColour = 0xFFFFFFFF;
  s.saved = -1;
  struct Field {
    const char* name;
    std::size_t offset;
    Bytes bytes;
  };
  const Field fields[] = {
      {"backwards", 0, {0x01, 0x00}},
      {"alarmOn", 2, {0x34, 0x12}},
      {"alarmMinutes", 4, {0x01, 0x00}},
      {"alarmSeconds", 6, {0x1E, 0x00}},
      {"digitalOn", 8, {0xFE, 0xFF}},
      {"secondHandColour", 10, {0x11, 0x22, 0x33, 0x00}},
      {"minuteHandColour", 14, {0x08, 0x00, 0x00, 0x80}},
      {"digitalBorderColour", 18, {0x44, 0x55, 0x66, 0x00}},
      {"faceColour", 22, {0x77, 0x88, 0x99, 0x00}},
      {"digitsColour", 26, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"saved", 30, {0xFF, 0xFF}},
  };
  Slots slots{};
  slots[2] = s;  // slot 3: its record starts at byte 64
  const Bytes file = saveAndRead(slots);
  for (const Field& f : fields) {
    EXPECT_EQ(slice(file, 64 + f.offset, f.bytes.size()), f.bytes) << f.name;
  }
  EXPECT_EQ(loadFrom(file)[2], s);
}

TEST_F(SaveFileFormat, NegativeAndOutOfRangeAlarmValuesTravelAsStored) {
  Slots slots{};
  slots[0].alarmMinutes = -3;
  slots[0].alarmSeconds = 32767;
  slots[1].alarmMinutes = -32768;
  slots[1].alarmSeconds = 60;
  const Bytes file = saveAndRead(slots);
  EXPECT_EQ(slice(file, 4, 4), (Bytes{0xFD, 0xFF, 0xFF, 0x7F}));
  EXPECT_EQ(slice(file, 36, 4), (Bytes{0x00, 0x80, 0x3C, 0x00}));
  EXPECT_EQ(loadFrom(file), slots);
}

TEST_F(SaveFileFormat, AFileOf160BytesIsWrittenBackByteForByte) {
  Bytes file = patternBytes(160);
  // Flags that the window never writes but a file may hold: 1 and 0x1234.
  file[0] = 0x01, file[1] = 0x00;
  file[32 + 30] = 0x34, file[32 + 31] = 0x12;
  const Slots slots = loadFrom(file);
  EXPECT_EQ(slots[0].backwards, 1);
  EXPECT_EQ(slots[1].saved, 0x1234);
  EXPECT_TRUE(settings::isSet(slots[1].saved));
  EXPECT_EQ(saveAndRead(slots), file);
}

TEST_F(SaveFileFormat, BytesBeyondTheFiveRecordsAreKeptWithTheFileLength) {
  for (std::size_t size : {161u, 200u, 200'000u}) {  // the last spans several copy chunks
    const Bytes old = patternBytes(size, 9);
    Slots slots = loadFrom(old);
    slots[4] = defaultsSaved();
    const Bytes file = saveAndRead(slots);
    ASSERT_EQ(file.size(), size);
    EXPECT_TRUE(std::equal(file.begin() + 160, file.end(), old.begin() + 160)) << size;
    const store::SlotsImage image = store::encodeSlots(slots);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), file.begin())) << size;
  }
}

TEST_F(SaveFileFormat, AFortyByteFileFillsSlotOneAndTheFirstFourFieldsOfSlotTwo) {
  const Bytes file = patternBytes(40);
  const Slots fromFile = loadFrom(file);
  Slots expected{};
  store::decodeSlots(patternBytes(160), expected);
  const ClockSettings full = expected[1];
  expected[1] = ClockSettings{};
  expected[1].backwards = full.backwards;
  expected[1].alarmOn = full.alarmOn;
  expected[1].alarmMinutes = full.alarmMinutes;
  expected[1].alarmSeconds = full.alarmSeconds;
  for (int k = 2; k < settings::slotCount; ++k) expected[k] = ClockSettings{};
  EXPECT_EQ(fromFile, expected);
}

TEST_F(SaveFileFormat, AFieldCutByTheEndTakesTheBytesPresentAsItsLowBytes) {
  Slots before{};
  std::fill(before.begin(), before.end(), defaultsSaved());
  struct Case {
    std::size_t length;  // ends inside slot 1's field below
    std::int64_t expected;
  };
  const Bytes file = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B,
                      0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16,
                      0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20};
  {  // one byte into digitalOn (offset 8)
    const Slots slots = loadFrom(slice(file, 0, 9), before);
    EXPECT_EQ(slots[0].alarmSeconds, 0x0807);
    EXPECT_EQ(slots[0].digitalOn, 0x0009);
    EXPECT_EQ(slots[0].secondHandColour, before[0].secondHandColour);  // wholly past the end
  }
  for (const Case& c : {Case{11, 0x0B}, Case{12, 0x0C0B}, Case{13, 0x0D0C0B}}) {
    const Slots slots = loadFrom(slice(file, 0, c.length), before);
    EXPECT_EQ(slots[0].secondHandColour, c.expected) << c.length << " bytes";
    EXPECT_EQ(slots[0].minuteHandColour, before[0].minuteHandColour) << c.length << " bytes";
    EXPECT_EQ(slots[1], before[1]) << c.length << " bytes";
  }
  const Slots slots = loadFrom(slice(file, 0, 31), before);  // one byte into `saved`
  EXPECT_EQ(slots[0].saved, 0x001F);
}

TEST_F(SaveFileFormat, AnEmptyOrMissingFileLeavesEverySlotAsItWas) {
  Slots before{};
  before[0] = defaultsSaved();
  before[3].alarmMinutes = 12;
  EXPECT_EQ(loadFrom({}, before), before);

  fs::remove(store::saveFileName);
  Slots slots = before;
  EXPECT_TRUE(store::SaveFile().load(slots));
  EXPECT_EQ(slots, before);
  EXPECT_TRUE(fs::is_regular_file(store::saveFileName));
  EXPECT_EQ(fs::file_size(store::saveFileName), 0u) << "created empty at the first load";
}

TEST_F(SaveFileFormat, ClearingTheSavedFlagsChangesOnlyTheLastTwoBytesOfEachRecord) {
  const Bytes old = patternBytes(160, 3);
  Slots slots = loadFrom(old);
  for (ClockSettings& s : slots) s.saved = settings::flagFalse;
  const Bytes file = saveAndRead(slots);
  for (std::size_t record = 0; record < settings::slotCount; ++record) {
    EXPECT_EQ(slice(file, 32 * record, 30), slice(old, 32 * record, 30)) << record + 1;
    EXPECT_EQ(slice(file, 32 * record + 30, 2), (Bytes{0, 0})) << record + 1;
  }
}

}  // namespace
