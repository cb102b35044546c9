// The user's settings in the window: typing the alarm time, switching the alarm, its blinking,
// recolouring, and showing a whole record (loaded from a slot) in the window.

#include <climits>

#include "clock/colour_targets.h"
#include "clock_fixture.h"

namespace {

using settings::ClockSettings;

TEST_F(ClockTest, TypedAlarmTimesAreEchoedAndStoredOrReplacedByZero) {
  start();
  clock->lstAlarm.choose(0);
  struct Case {
    const char* typed;
    const char* text;
    const char* label;
    std::int16_t field;
  };
  const Case cases[] = {
      {"59", "59", "59", 59},   {"-59", "-59", "-59", -59}, {"60", "0", "0", 0},
      {"-60", "0", "0", 0},     {"1e3", "0", "0", 0},       {"5.5", "5.5", "5.5", 6},
      {"4.5", "4.5", "4.5", 4}, {"-.5", "-.5", "-0.5", 0},  {"12a", "12a", "12", 12},
      {"", "", "0", 0},         {"-", "-", "0", 0},         {"007", "007", "7", 7},
      {"&HF", "&HF", "15", 15}, {"&H7F", "&H7", "7", 7},    {"1e9", "0", "0", 0},
  };
  for (const Case& c : cases) {
    for (auto [box, label, field] :
         {std::tuple{&clock->txtMinutes, &clock->lblAlarmMinutes, &ClockSettings::alarmMinutes},
          std::tuple{&clock->txtSeconds, &clock->lblAlarmSeconds, &ClockSettings::alarmSeconds}}) {
      box->edit("");
      box->typeText(c.typed);
      EXPECT_EQ(box->text(), c.text) << box->name() << " typed " << c.typed;
      EXPECT_EQ(label->caption(), c.label) << box->name() << " typed " << c.typed;
      EXPECT_EQ(clock->currentSettings().*field, c.field) << box->name() << " typed " << c.typed;
    }
  }
}

TEST_F(ClockTest, TheAlarmSwitchEnablesTheBoxesWithoutTouchingTheTime) {
  start();
  clock->lstAlarm.choose(0);
  clock->txtMinutes.edit("3");
  EXPECT_TRUE(clock->txtMinutes.enabled());
  EXPECT_TRUE(clock->txtSeconds.enabled());
  EXPECT_EQ(clock->currentSettings().alarmOn, settings::flagTrue);
  clock->lstAlarm.choose(1);
  EXPECT_FALSE(clock->txtMinutes.enabled());
  EXPECT_FALSE(clock->txtSeconds.enabled());
  EXPECT_EQ(clock->currentSettings().alarmOn, settings::flagFalse);
  EXPECT_EQ(clock->currentSettings().alarmMinutes, 3);
  clock->txtMinutes.typeText("9");
  EXPECT_EQ(clock->txtMinutes.text(), "3") << "a disabled box takes no typing";
}

// Counts how often each of the readout and the alarm picture changes visibility.
struct VisibilityCounter : tk::ControlObserver {
  int readout = 0, picture = 0;
  const tk::Control* frame;
  const tk::Control* image;
  void propertyChanged(tk::Control& c, tk::Property p) override {
    if (p != tk::Property::Visible) return;
    if (&c == frame) ++readout;
    if (&c == image) ++picture;
  }
};

TEST_F(ClockTest, TheAlarmBlinksReadoutAndPictureAboutThirtyTimes) {
  for (bool digitalOn : {true, false}) {
    SCOPED_TRACE(digitalOn ? "readout on" : "readout off");
    freshCase();
    start();
    if (!digitalOn) clock->chkDigitalToggle.click();
    clock->lstAlarm.choose(0);
    clock->txtSeconds.typeText("5");
    runTicks(4);
    EXPECT_EQ(clock->frmDigital.visible(), digitalOn);

    VisibilityCounter counter;
    counter.frame = &clock->frmDigital;
    counter.image = &clock->imgAlarm;
    clock->setObserver(&counter);
    runTicks(1);
    tp.loop.advance(10);
    EXPECT_TRUE(clock->imgAlarm.visible()) << "the picture shows at the first toggle";
    EXPECT_EQ(clock->frmDigital.visible(), !digitalOn)
        << "readout and picture toggle independently";
    runTicks(3);
    clock->setObserver(nullptr);
    EXPECT_EQ(counter.picture, 30);
    EXPECT_EQ(counter.readout, 30);
    EXPECT_FALSE(clock->imgAlarm.visible());
    EXPECT_EQ(clock->frmDigital.visible(), digitalOn);
  }
}

TEST_F(ClockTest, ColourChoicesChangeOnlyTheSliderTarget) {
  struct Target {
    int slider;
    tk::Colour ClockSettings::*field;
  };
  const Target targets[] = {{0, &ClockSettings::secondHandColour},
                            {1, &ClockSettings::minuteHandColour},
                            {2, &ClockSettings::digitalBorderColour},
                            {3, &ClockSettings::faceColour},
                            {4, &ClockSettings::digitsColour}};
  for (const Target& t : targets) {
    freshCase();
    start();
    const ClockSettings before = clock->currentSettings();
    clock->sldColourPick.slideTo(t.slider);
    tp.colours.answers.push_back(0xFF0000);  // pure blue
    clock->cmdChangeColour.click();

    ClockSettings expected = before;
    expected.*t.field = 0xFF0000;
    EXPECT_EQ(clock->currentSettings(), expected) << "slider " << t.slider;
    const ClockSettings& now = clock->currentSettings();
    EXPECT_EQ(clock->secondHand.borderColour(), now.secondHandColour);
    EXPECT_EQ(clock->minuteHand.borderColour(), now.minuteHandColour);
    EXPECT_EQ(clock->frmDigital.backColour(), now.digitalBorderColour);
    EXPECT_EQ(clock->Clockface.fillColour(), now.faceColour);
    for (const tk::Label* l : {&clock->lblDigitalClockSeconds, &clock->lblDigitalClockMinutes,
                               &clock->lblMinutesName, &clock->lblSecondsName}) {
      EXPECT_EQ(l->foreColour(), now.digitsColour) << l->name();
    }
  }
}

// The slider offers 0..4 only; any other position, should one come, recolours nothing.
TEST(ColourTargets, EachSliderPositionPicksOneColourAndOthersNone) {
  tk::Colour ClockSettings::*const fields[] = {
      &ClockSettings::secondHandColour, &ClockSettings::minuteHandColour,
      &ClockSettings::digitalBorderColour, &ClockSettings::faceColour,
      &ClockSettings::digitsColour};
  for (const int position : {INT_MIN, -1, 0, 1, 2, 3, 4, 5, INT_MAX}) {
    ClockSettings record = settings::defaultSettings;
    tk::Colour* field = clock_window::colourFieldAt(record, position);
    if (field) *field = 0x123456;
    ClockSettings expected = settings::defaultSettings;
    if (position >= 0 && position <= 4) expected.*fields[position] = 0x123456;
    EXPECT_EQ(record, expected) << "position " << position;
  }
}

TEST_F(ClockTest, CancellingTheColourDialogChangesNothing) {
  start();
  clock->sldColourPick.slideTo(3);
  tp.colours.answers.push_back(0x0000FF);
  clock->cmdChangeColour.click();
  ASSERT_EQ(clock->Clockface.fillColour(), 0x0000FFu);

  clock->sldColourPick.slideTo(0);
  const ClockSettings before = clock->currentSettings();
  tp.colours.answers.push_back(std::nullopt);
  clock->cmdChangeColour.click();
  EXPECT_EQ(clock->currentSettings(), before);
  EXPECT_EQ(clock->secondHand.borderColour(), 0x000000u);
  EXPECT_EQ(tp.colours.openedWith.back(), 0x0000FFu)
      << "the dialog opens on the last colour chosen";
}

TEST_F(ClockTest, SlotButtonsFollowTheSavedFlagsOfTheFile) {
  struct Case {
    std::array<bool, 5> saved;
    std::array<bool, 5> enabled;
    bool load;
  };
  const Case cases[] = {
      {{false, false, false, false, false}, {true, false, false, false, false}, false},
      {{true, false, false, false, false}, {true, true, false, false, false}, true},
      {{true, true, false, false, false}, {true, true, true, false, false}, true},
      {{false, false, true, false, false}, {true, false, true, true, false}, false},
      {{false, false, false, false, true}, {true, false, false, false, true}, false},
      {{true, true, true, true, true}, {true, true, true, true, true}, true},
  };
  for (const Case& c : cases) {
    freshCase();
    settings::Slots slots{};
    for (int k = 0; k < 5; ++k)
      slots[k].saved = c.saved[k] ? settings::flagTrue : settings::flagFalse;
    slots[2].saved = c.saved[2] ? 1 : 0;  // any nonzero value counts as saved
    writeSaveFile(slots);
    start();
    for (int slot = 1; slot <= 5; ++slot) {
      EXPECT_EQ(clock->slotOption(slot).enabled(), c.enabled[slot - 1]) << "slot " << slot;
    }
    EXPECT_EQ(clock->cmdLoad.enabled(), c.load);
    EXPECT_EQ(clock->currentSettings(), settings::defaultSettings) << "start-up never loads a slot";
  }
}

TEST_F(ClockTest, LoadingARecordShowsItWholeAndTheControlsWriteTheirValuesBack) {
  ClockSettings record = settings::defaultSettings;
  record.saved = settings::flagTrue;
  record.alarmMinutes = 75;
  record.alarmSeconds = -32768;
  record.alarmOn = 1;
  record.backwards = settings::flagTrue;
  record.digitalOn = settings::flagFalse;
  record.faceColour = 0x00FF00;
  settings::Slots slots{};
  slots[0] = record;
  writeSaveFile(slots);
  start();
  clock->cmdLoad.click();

  EXPECT_EQ(clock->txtMinutes.text(), "0");
  EXPECT_EQ(clock->lblAlarmMinutes.caption(), "0");
  EXPECT_EQ(clock->txtSeconds.text(), "0") << "a stored -32768 is out of range like 75";
  EXPECT_EQ(clock->lblAlarmSeconds.caption(), "0");
  EXPECT_EQ(clock->lstAlarm.listIndex(), 0);
  EXPECT_TRUE(clock->txtMinutes.enabled());
  EXPECT_TRUE(clock->optBackwards.value()) << "the window shows the direction the watch counts in";
  EXPECT_EQ(clock->chkDigitalToggle.value(), 0);
  EXPECT_FALSE(clock->frmDigital.visible());
  EXPECT_EQ(clock->Clockface.fillColour(), 0x00FF00u);

  const ClockSettings& now = clock->currentSettings();
  EXPECT_EQ(now.alarmMinutes, 0);
  EXPECT_EQ(now.alarmSeconds, 0);
  EXPECT_EQ(now.alarmOn, settings::flagTrue) << "the list's Click writes -1 back";
  EXPECT_EQ(now.backwards, settings::flagTrue);
  EXPECT_EQ(clock->slots()[0].alarmMinutes, 75) << "the slot keeps what the file held";

  preset(5, 0);
  runTicks(1);
  EXPECT_EQ(reading(), "5:-1");
}

// A flag is any nonzero value for true, and the file may hold 1 or 0x8000 where the window writes
// -1. Showing a record sets the direction buttons and the digital switch from it, whose Clicks
// must not write -1 over what was loaded: saved into another slot, the record keeps its bytes.
TEST_F(ClockTest, ShowingARecordKeepsItsFlagsAsStored) {
  for (const settings::Flag stored :
       {settings::Flag{1}, settings::Flag{-32768}, settings::Flag{256}}) {
    SCOPED_TRACE("stored " + std::to_string(stored));
    freshCase();
    ClockSettings record = settings::defaultSettings;
    record.saved = settings::flagTrue;
    record.backwards = stored;
    record.digitalOn = stored;
    settings::Slots slots{};
    slots[0] = record;  // shown first, so that showing slot 2 sets both controls
    slots[0].backwards = settings::flagFalse;
    slots[0].digitalOn = settings::flagFalse;
    slots[1] = record;
    writeSaveFile(slots);
    start();
    clock->cmdLoad.click();
    clock->optLoadSaveTwo.click();
    clock->cmdLoad.click();
    EXPECT_TRUE(clock->optBackwards.value());
    EXPECT_EQ(clock->chkDigitalToggle.value(), tk::CheckBox::Checked);
    EXPECT_EQ(clock->currentSettings().backwards, stored);
    EXPECT_EQ(clock->currentSettings().digitalOn, stored);

    clock->optLoadSaveThree.click();
    clock->cmdSave.click();
    const auto file = readSaveFile();
    ASSERT_EQ(file.size(), 160u);
    const auto low = static_cast<std::uint8_t>(stored & 0xFF);
    const auto high = static_cast<std::uint8_t>((stored >> 8) & 0xFF);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 64, file.begin() + 66),
              (std::vector<std::uint8_t>{low, high}))
        << "backwards in slot 3";
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 72, file.begin() + 74),
              (std::vector<std::uint8_t>{low, high}))
        << "digital readout on in slot 3";

    // The user's own clicks still write the window's values.
    clock->optForwards.click();
    clock->optBackwards.click();
    clock->chkDigitalToggle.click();
    clock->chkDigitalToggle.click();
    EXPECT_EQ(clock->currentSettings().backwards, settings::flagTrue);
    EXPECT_EQ(clock->currentSettings().digitalOn, settings::flagTrue);
  }
}

// A record in the file may hold any 16-bit alarm time. Whenever a record is shown, the boxes,
// the labels and the settings agree on a time within -59..59; one outside shows and counts as 0.
// Each record is loaded twice: the second time the boxes already hold what the first one showed,
// so no Change event comes to put the field right. Then it is saved into slot 2, and the slots
// are cleared.
TEST_F(ClockTest, StoredAlarmTimesOutsideTheRangeShowAndCountAsZero) {
  const std::int16_t storedValues[] = {-32768, -1000, -100, -60, -59, 0, 59, 60, 75, 999, 32767};
  for (const std::int16_t stored : storedValues) {
    SCOPED_TRACE("stored " + std::to_string(stored));
    freshCase();
    ClockSettings record = settings::defaultSettings;
    record.saved = settings::flagTrue;
    record.alarmOn = settings::flagTrue;
    record.alarmMinutes = stored;
    record.alarmSeconds = stored;
    settings::Slots slots{};
    slots[0] = record;
    writeSaveFile(slots);
    const auto storedFile = readSaveFile();
    start();

    const std::int16_t shown = stored >= -59 && stored <= 59 ? stored : 0;
    const std::string text = std::to_string(shown);
    const auto expectShown = [&](const std::string& when) {
      EXPECT_EQ(clock->txtMinutes.text(), text) << when;
      EXPECT_EQ(clock->txtSeconds.text(), text) << when;
      EXPECT_EQ(clock->lblAlarmMinutes.caption(), text) << when;
      EXPECT_EQ(clock->lblAlarmSeconds.caption(), text) << when;
      EXPECT_EQ(clock->currentSettings().alarmMinutes, shown) << when;
      EXPECT_EQ(clock->currentSettings().alarmSeconds, shown) << when;
    };
    clock->cmdLoad.click();
    expectShown("first load");
    clock->cmdLoad.click();
    expectShown("second load");
    clock->optLoadSaveTwo.click();
    clock->cmdSave.click();
    expectShown("save");

    const auto file = readSaveFile();
    ASSERT_EQ(file.size(), 160u);
    const auto low = static_cast<std::uint8_t>(shown & 0xFF);
    const auto high = static_cast<std::uint8_t>((shown >> 8) & 0xFF);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 36, file.begin() + 40),
              (std::vector<std::uint8_t>{low, high, low, high}))
        << "slot 2 holds the time the window showed";
    EXPECT_TRUE(std::equal(file.begin(), file.begin() + 32, storedFile.begin()))
        << "slot 1 keeps the bytes it was read from";
    EXPECT_EQ(clock->slots()[0].alarmMinutes, stored);

    clock->chkClearSaved.click();
    expectShown("clear saved");
  }
}

}  // namespace
