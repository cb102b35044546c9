// The stopwatch running: start-up state, the one-second tick, run control, the dial and the
// readout, and the 16-bit limits of the reading.

#include <cmath>
#include <cstdint>

#include "about/frm_about.h"
#include "clock/spoken_reading.h"
#include "clock_fixture.h"

namespace {

using clock_window::handEnds;

TEST_F(ClockTest, StartsWithFilledListsDefaultsAndTheDesignedReadoutUntilTheFirstTick) {
  start();
  for (tk::ComboBox* list : {&clock->lstMinutes, &clock->lstSeconds}) {
    ASSERT_EQ(list->items().size(), 60u);
    EXPECT_EQ(list->items().front(), "0");
    EXPECT_EQ(list->items().back(), "59");
    EXPECT_EQ(list->listIndex(), 0);
    EXPECT_EQ(list->text(), "0");
  }
  EXPECT_EQ(clock->lstAlarm.listIndex(), 1);
  EXPECT_FALSE(clock->txtMinutes.enabled());
  EXPECT_FALSE(clock->txtSeconds.enabled());
  EXPECT_EQ(clock->currentSettings(), settings::defaultSettings);

  EXPECT_EQ(clock->Clockface.bounds(), (tk::Rect{2000, 1000, 2000, 2000}));
  for (tk::Line* hand : {&clock->secondHand, &clock->minuteHand}) {
    EXPECT_EQ(hand->ends().x1, 3000);
    EXPECT_EQ(hand->ends().y1, 2000);
  }
  EXPECT_EQ(clock->secondHand.ends().x2, 4440) << "end points keep the design until the first tick";
  EXPECT_EQ(readout(), "Minutes:Seconds");
  EXPECT_EQ(reading(), "0:0");
  EXPECT_EQ(clock->flashCount(), 0);
  EXPECT_EQ(clock->ProgressBar.value(), 0);

  // The defaults are shown: colours, the readout, the direction and the slot controls.
  EXPECT_EQ(clock->secondHand.borderColour(), 0x000000u);
  EXPECT_EQ(clock->minuteHand.borderColour(), 0x0000FFu);
  EXPECT_EQ(clock->Clockface.fillColour(), 0xFFFFFFu);
  EXPECT_TRUE(clock->frmDigital.visible());
  EXPECT_FALSE(clock->imgAlarm.visible());
  EXPECT_TRUE(clock->optForwards.value());
  EXPECT_EQ(clock->chkDigitalToggle.value(), 1);
  EXPECT_TRUE(clock->optLoadSaveOne.enabled());
  EXPECT_TRUE(clock->optLoadSaveOne.value());
  for (int slot = 2; slot <= 5; ++slot) EXPECT_FALSE(clock->slotOption(slot).enabled()) << slot;
  EXPECT_FALSE(clock->cmdLoad.enabled());

  runTicks(1);
  EXPECT_EQ(readout(), "0:1");
  EXPECT_EQ(tp.loop.now(), 1) << "the first tick comes at once";
  runTicks(1);
  EXPECT_EQ(tp.loop.now(), 1001) << "then one a second";
}

// The load event may keep the user reading a message for a while (here: the save file's name is
// taken by a folder). None of that time is counted: the first tick comes when the window shows.
TEST_F(ClockTest, NothingIsCountedBeforeTheWindowIsOnScreen) {
  std::filesystem::create_directory("fileClockSave.bin");
  tp.messages.whileOpen = [this] { tp.loop.advance(5000); };
  start();
  ASSERT_EQ(tp.messages.texts.size(), 1u) << "the load event reported the save file";
  EXPECT_EQ(tp.windows.shown, std::vector<std::string>{"frmClock"});
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(reading(), "0:0");

  runTicks(1);
  EXPECT_EQ(readout(), "0:1");
  EXPECT_EQ(tp.loop.now(), 5001) << "the first tick comes at once after the window shows";
  runTicks(1);
  EXPECT_EQ(readout(), "0:2");
  EXPECT_EQ(tp.loop.now(), 6001);
}

struct TickCase {
  const char* name;
  int presetMinutes, presetSeconds;
  bool backwards;
  std::vector<std::pair<int, const char*>> after;  // ticks so far -> reading
};

TEST_F(ClockTest, TicksCountAndCarryTheMinuteInBothDirections) {
  const TickCase cases[] = {
      {"forwards over a minute", 0, 58, false, {{1, "0:59"}, {2, "1:0"}, {3, "1:1"}}},
      {"backwards from 5:0", 5, 0, true, {{1, "5:-1"}, {59, "5:-59"}, {60, "4:0"}, {61, "4:-1"}}},
      {"backwards from 5:30", 5, 30, true, {{1, "5:29"}, {29, "5:1"}, {30, "4:0"}, {31, "4:-1"}}},
      {"backwards from 0:0", 0, 0, true, {{1, "0:-1"}, {59, "0:-59"}, {60, "-1:0"}, {61, "-1:-1"}}},
      {"minutes pass 59", 59, 59, false, {{1, "60:0"}}},
  };
  for (const TickCase& c : cases) {
    SCOPED_TRACE(c.name);
    freshCase();
    start();
    if (c.backwards) clock->optBackwards.click();
    preset(c.presetMinutes, c.presetSeconds);
    int done = 0;
    for (auto [count, expected] : c.after) {
      runTicks(count - done);
      done = count;
      EXPECT_EQ(reading(), expected) << "after " << count << " ticks";
      EXPECT_EQ(readout(), expected);
    }
  }
}

TEST_F(ClockTest, ChangingDirectionAtMinusOneSecondCarriesForwards) {
  start();
  clock->optBackwards.click();
  preset(5, 0);
  runTicks(1);
  ASSERT_EQ(reading(), "5:-1");
  clock->optForwards.click();
  runTicks(1);
  EXPECT_EQ(reading(), "6:0");
}

TEST_F(ClockTest, ResetAndPresetShowOnlyAtTheNextTick) {
  start();
  runTicks(3);
  clock->cmdReset.click();
  EXPECT_EQ(readout(), "0:3") << "no redraw before the next tick";
  runTicks(1);
  EXPECT_EQ(readout(), "0:1");

  preset(10, 20);
  EXPECT_EQ(readout(), "0:1");
  runTicks(1);
  EXPECT_EQ(readout(), "10:21");

  clock->cmdStartStop.click();
  EXPECT_EQ(clock->cmdStartStop.caption(), "Start");
  preset(7, 7);
  clock->cmdReset.click();
  tp.loop.advance(5000);
  EXPECT_EQ(readout(), "10:21") << "a stopped watch does not tick";
  clock->cmdStartStop.click();
  EXPECT_EQ(clock->cmdStartStop.caption(), "Stop");
  tp.loop.advance(999);
  EXPECT_EQ(readout(), "10:21");
  tp.loop.advance(1);
  EXPECT_EQ(readout(), "0:1") << "the first tick after Start comes one second later";
}

TEST_F(ClockTest, TypedPresetTextThatIsNoItemPresetsMinusOne) {
  start();
  clock->lstSeconds.edit("x");
  clock->cmdPreset.click();
  runTicks(1);
  EXPECT_EQ(reading(), "1:0") << "0:-1 advanced by one second reaches 0 seconds and carries";
}

TEST_F(ClockTest, AlarmFiresOnTheFifthTickAndTheFlashWindowClosesOnTheEighth) {
  start();
  clock->lstAlarm.choose(0);
  clock->txtSeconds.typeText("5");
  ASSERT_EQ(clock->currentSettings().alarmSeconds, 5);

  runTicks(4);
  EXPECT_EQ(flashes, 0);
  EXPECT_TRUE(tp.windows.attentionAskedFor.empty());
  runTicks(1);
  EXPECT_EQ(tp.windows.attentionAskedFor, std::vector<std::string>{"frmClock"})
      << "the alarm asks for the user's attention as it starts";
  EXPECT_EQ(clock->flashCount(), 1);
  EXPECT_TRUE(clock->TimerAlarmFlash.enabled());
  EXPECT_EQ(clock->TimerAlarmFlash.interval(), 10);
  runTicks(2);
  EXPECT_EQ(clock->flashCount(), 3);
  EXPECT_TRUE(clock->TimerAlarmFlash.enabled()) << "still blinking before the eighth tick";
  runTicks(1);
  EXPECT_EQ(reading(), "0:8");
  EXPECT_FALSE(clock->TimerAlarmFlash.enabled());
  EXPECT_FALSE(clock->imgAlarm.visible());
  EXPECT_TRUE(clock->frmDigital.visible());
  EXPECT_EQ(flashes, 30)
      << "10 ms after the alarm tick, then every 100 ms until the third tick after";
  EXPECT_EQ(tp.windows.attentionAskedFor.size(), 1u) << "once an alarm";
}

// What a screen reader hears of the running watch: the reading in words on the dial, Start/Stop
// saying whether the watch runs, and one announcement when the alarm starts blinking.
TEST(SpokenReading, SaysTheReadingAsTheReadoutShowsItSignIncluded) {
  const struct {
    std::int16_t minutes, seconds;
    const char* words;
  } cases[] = {
      {0, 0, "0 minutes 0 seconds"},
      {5, 12, "5 minutes 12 seconds"},
      {1, 1, "1 minute 1 second"},
      {5, -1, "5 minutes minus 1 second"},
      {-3, -59, "minus 3 minutes minus 59 seconds"},
      {-1, 0, "minus 1 minute 0 seconds"},
      {INT16_MIN, 59, "minus 32768 minutes 59 seconds"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(clock_window::spokenReading(c.minutes, c.seconds), c.words);
  }
}

struct AnnouncementCounter : tk::ControlObserver {
  int count = 0;
  void propertyChanged(tk::Control&, tk::Property property) override {
    if (property == tk::Property::Announcement) ++count;
  }
};

TEST_F(ClockTest, AScreenReaderHearsTheReadingTheRunStateAndTheAlarmOnce) {
  start();
  EXPECT_EQ(clock->Clockface.accessibleName(), "0 minutes 0 seconds");
  EXPECT_EQ(clock->Clockface.accessibleRole(), tk::AccessibleRole::StaticText);
  EXPECT_EQ(clock->cmdStartStop.accessibleName(), "Stop the stopwatch");
  EXPECT_EQ(clock->cmdStartStop.accessibleDescription(), "The stopwatch is running");

  AnnouncementCounter counter;
  clock->setObserver(&counter);
  clock->optBackwards.click();
  clock->lstAlarm.choose(0);
  clock->txtSeconds.setText("-2");
  runTicks(1);
  EXPECT_EQ(clock->Clockface.accessibleName(), "0 minutes minus 1 second");
  EXPECT_EQ(counter.count, 0);
  runTicks(1);
  EXPECT_EQ(clock->lastAnnouncement(), "Alarm: 0 minutes minus 2 seconds");
  runTicks(4);
  EXPECT_EQ(counter.count, 1) << "announced when the blinking starts, not at every blink";
  clock->setObserver(nullptr);

  clock->cmdStartStop.click();
  EXPECT_EQ(clock->cmdStartStop.accessibleName(), "Start the stopwatch");
  EXPECT_EQ(clock->cmdStartStop.accessibleDescription(), "The stopwatch is stopped");
}

TEST_F(ClockTest, TheColourSliderNamesThePartItPicks) {
  start();
  const char* parts[] = {"Second Hand", "Minute Hand", "Digital Border", "Stopwatch Face",
                         "Digital Digits"};
  for (int position = 0; position <= 4; ++position) {
    clock->sldColourPick.slideTo(position);
    EXPECT_EQ(clock->sldColourPick.positionName(), parts[position]);
  }
}

TEST_F(ClockTest, AnAlarmTheCountDownNeverProducesNeverFires) {
  start();
  clock->lstAlarm.choose(0);
  clock->txtMinutes.typeText("4");
  clock->txtSeconds.typeText("30");
  clock->optBackwards.click();
  preset(5, 0);
  runTicks(120);
  EXPECT_EQ(flashes, 0);

  clock->txtSeconds.edit("-30");  // the count down passes 4:-30
  preset(5, 0);
  runTicks(89);
  EXPECT_EQ(flashes, 0);
  runTicks(1);
  EXPECT_EQ(reading(), "4:-30");
  tp.loop.advance(20);
  EXPECT_EQ(flashes, 1);
}

TEST_F(ClockTest, ReadoutFollowsTheDigitalSwitchFromTheFourthTick) {
  start();
  clock->chkDigitalToggle.click();
  EXPECT_FALSE(settings::isSet(clock->currentSettings().digitalOn));
  runTicks(3);
  EXPECT_TRUE(clock->frmDigital.visible());
  runTicks(1);
  EXPECT_FALSE(clock->frmDigital.visible());
  clock->chkDigitalToggle.click();
  runTicks(1);
  EXPECT_TRUE(clock->frmDigital.visible());
}

TEST_F(ClockTest, StopDuringTheFlashEndsIt) {
  start();
  clock->lstAlarm.choose(0);
  clock->txtSeconds.typeText("2");
  runTicks(2);
  tp.loop.advance(250);
  ASSERT_GT(flashes, 0);
  clock->cmdStartStop.click();
  EXPECT_FALSE(clock->TimerAlarmFlash.enabled());
  EXPECT_FALSE(clock->imgAlarm.visible());
  EXPECT_TRUE(clock->frmDigital.visible()) << "the readout follows the digital switch";
  const int before = flashes;
  tp.loop.advance(3000);
  EXPECT_EQ(flashes, before);
}

// A computer that sleeps with the watch running: on waking, the loop fires every tick the sleep
// held back, so the reading counts the time asleep.
TEST_F(ClockTest, ASleepIsCaughtUpTickByTick) {
  struct Case {
    tk::Milliseconds asleep;
    bool backwards;
    const char* reading;
  };
  for (const Case& c : {Case{60'000, false, "1:1"}, Case{600'000, false, "10:1"},
                        Case{3'600'000, true, "-60:-1"}, Case{86'400'000, false, "1440:1"}}) {
    freshCase();
    start();
    if (c.backwards) clock->optBackwards.click();
    runTicks(1);  // the first tick, at once
    tp.loop.sleep(c.asleep);
    EXPECT_EQ(ticks, 1 + c.asleep / 1000) << c.reading;
    EXPECT_EQ(reading(), c.reading);
    EXPECT_EQ(readout(), c.reading);
  }
}

// The alarm's blinking is for a person to see, so an alarm reached in the burst of ticks after a
// sleep blinks from the last of them for the usual three ticks; one reached before the sleep
// ends as it would have.
TEST_F(ClockTest, AnAlarmReachedDuringASleepBlinksAfterTheCatchUp) {
  struct Case {
    const char* alarmMinutes;
    const char* alarmSeconds;
    int ticksBefore;
    bool blinksAfter;
  };
  // Reached inside the burst; on its last tick, 5:1; before the sleep, still blinking at its start.
  for (const Case& c :
       {Case{"1", "30", 1, true}, Case{"5", "1", 1, true}, Case{"0", "2", 3, false}}) {
    freshCase();
    start();
    clock->lstAlarm.choose(0);
    clock->txtMinutes.typeText(c.alarmMinutes);
    clock->txtSeconds.typeText(c.alarmSeconds);
    runTicks(c.ticksBefore);
    // Asleep for five minutes and 500 ms: the last overdue tick is half a second late.
    if (c.ticksBefore > 2) {
      ASSERT_TRUE(clock->TimerAlarmFlash.enabled());
    }
    tp.loop.sleep(300'500);
    SCOPED_TRACE(std::string(c.alarmMinutes) + ":" + c.alarmSeconds);
    ASSERT_EQ(clock->minutes(), 5);
    EXPECT_EQ(clock->TimerAlarmFlash.enabled(), c.blinksAfter);
    if (!c.blinksAfter) {
      EXPECT_FALSE(clock->imgAlarm.visible());
      continue;
    }
    EXPECT_EQ(clock->flashCount(), 1) << "as if the alarm tick had just come";
    const int flashesInBurst = flashes;
    runTicks(2);
    EXPECT_TRUE(clock->TimerAlarmFlash.enabled());
    runTicks(1);
    EXPECT_FALSE(clock->TimerAlarmFlash.enabled());
    EXPECT_FALSE(clock->imgAlarm.visible());
    EXPECT_GE(flashes - flashesInBurst, 25) << "two and a half seconds of blinking, seen";
  }
}

TEST(DialGeometry, WorkedValuesComeOutExactly) {
  const clock_window::DialGeometry dial{3000, 2000, 1000, 3.14159265358979};
  struct SecondCase {
    std::int16_t seconds;
    float x, y;
  };
  const SecondCase seconds[] = {
      {0, 3000.0f, 1000.0f},
      {1, 3104.528564453125f, 1005.4780883789062f},
      {15, 4000.0f, 2000.0f},
      {30, 3000.0f, 3000.0f},
      {45, 2000.0f, 2000.0f},
      {-1, 2895.471435546875f, 1005.4780883789062f},
      {59, 2895.471435546875f, 1005.4780883789062f},
  };
  for (const auto& c : seconds) {
    const auto ends = handEnds(0, c.seconds, dial);
    EXPECT_EQ(ends.secondX, c.x) << c.seconds;
    EXPECT_EQ(ends.secondY, c.y) << c.seconds;
  }
  struct MinuteCase {
    std::int16_t minutes;
    int x, y;
  };
  const MinuteCase minutes[] = {{5, 3500, 1134},  {10, 3866, 1500}, {0, 3000, 1000},
                                {60, 3000, 1000}, {-5, 2500, 1134}, {75, 4000, 2000},
                                {15, 4000, 2000}, {-1, 2895, 1005}};
  for (const auto& c : minutes) {
    const auto ends = handEnds(c.minutes, 0, dial);
    EXPECT_EQ(ends.minuteX, c.x) << c.minutes;
    EXPECT_EQ(ends.minuteY, c.y) << c.minutes;
  }
  EXPECT_DOUBLE_EQ(clock_window::handAngle(1, dial.piValue), -1.4660765716752353);
}

TEST(DialGeometry, EverySixteenBitReadingHasHandPositions) {
  const clock_window::DialGeometry dial{3000, 2000, 1000, 3.14159265358979};
  for (int m = INT16_MIN; m <= INT16_MAX; ++m) {
    const auto ends = handEnds(static_cast<std::int16_t>(m), -59, dial);
    ASSERT_LE(std::abs(ends.minuteX - 3000), 1000) << m;
  }
}

TEST_F(ClockTest, UpdateDisplayWritesLabelsHandsAndProgressForNegativeReadings) {
  start();
  clock->optBackwards.click();
  preset(5, 0);
  runTicks(12);
  EXPECT_EQ(readout(), "5:-12");
  EXPECT_EQ(clock->ProgressBar.value(), 12);
  const auto at48 = handEnds(5, 48, clock->dial());
  EXPECT_EQ(clock->secondHand.ends().x2, at48.secondX) << "-12 seconds point where 48 would";
  EXPECT_EQ(clock->secondHand.ends().y2, at48.secondY);
  EXPECT_EQ(clock->minuteHand.ends().x2, 3500);
  EXPECT_EQ(clock->minuteHand.ends().y2, 1134);
}

TEST_F(ClockTest, TheReadingStopsAtItsSixteenBitLimitsInsteadOfOverflowing) {
  struct Limit {
    std::int16_t minutes, seconds;
    bool backwards;
    const char* last;
  };
  for (const Limit& c :
       {Limit{32767, 58, false, "32767:59"}, Limit{-32768, -58, true, "-32768:-59"}}) {
    freshCase();
    start();
    if (c.backwards) clock->optBackwards.click();
    clock->presetReading(c.minutes, c.seconds);
    runTicks(1);
    EXPECT_EQ(readout(), c.last);
    runTicks(1);
    EXPECT_EQ(reading(), c.last) << "the last reading is kept";
    EXPECT_EQ(readout(), c.last);
    EXPECT_EQ(clock->cmdStartStop.caption(), "Start");
    EXPECT_FALSE(clock->Timer1.enabled());
    EXPECT_TRUE(tp.messages.texts.empty());
    EXPECT_FALSE(tp.processes.endStatus.has_value());
  }
}

TEST_F(ClockTest, CountingDownPastTheOldCrashPointDrawsOn) {
  start();
  clock->optBackwards.click();
  clock->presetReading(-32753, 0);
  runTicks(61);
  EXPECT_EQ(reading(), "-32754:-1");
  EXPECT_FALSE(tp.processes.endStatus.has_value());
}

TEST_F(ClockTest, AboutOpensOneWindowAndExitEndsTheProcess) {
  start();
  clock->mnuAbout.click();
  auto* first = clock->aboutWindow();
  clock->mnuAbout.click();
  EXPECT_EQ(clock->aboutWindow(), first);
  EXPECT_EQ(tp.windows.open.size(), 2u);
  runTicks(2);  // the watch keeps running meanwhile
  clock->mnuExit.click();
  EXPECT_EQ(tp.processes.endStatus, 0);
  EXPECT_EQ(readSaveFile().size(), 0u) << "Exit writes nothing";
}

// Closing the main window takes the About window with it, so that no window is left to keep
// the program running.
TEST_F(ClockTest, ClosingTheMainWindowUnloadsTheAboutWindow) {
  start();
  clock->mnuAbout.click();
  ASSERT_EQ(tp.windows.open.size(), 2u);
  clock->unload();
  EXPECT_TRUE(tp.windows.open.empty());
  EXPECT_FALSE(clock->aboutWindow()->isLoaded());
}

}  // namespace

namespace {

void collectWindowed(tk::Container& container, std::vector<tk::Control*>& out) {
  for (tk::Control* c : container.children()) {
    if (c->windowed()) out.push_back(c);
    if (c->kind() == tk::Kind::Frame) collectWindowed(static_cast<tk::Container&>(*c), out);
  }
}

TEST_F(ClockTest, EveryControlThatTakesTheFocusSaysWhatItIsFor) {
  start();
  std::vector<tk::Control*> windowed;
  collectWindowed(*clock, windowed);
  ASSERT_EQ(windowed.size(), 24u);
  for (tk::Control* c : windowed) EXPECT_FALSE(c->accessibleName().empty()) << c->name();
  for (int slot = 1; slot <= 5; ++slot) {
    EXPECT_EQ(clock->slotOption(slot).accessibleName(), "Slot " + std::to_string(slot));
    EXPECT_EQ(clock->slotOption(slot).toolTip(), "Slot " + std::to_string(slot));
  }
  EXPECT_EQ(clock->chkDigitalToggle.accessibleName(), "Digital Clock On");
  EXPECT_EQ(clock->sldColourPick.accessibleName(), "Colour target");
  EXPECT_FALSE(clock->sldColourPick.toolTip().empty());
}

}  // namespace
