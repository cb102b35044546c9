// The window toolkit's contract: what setting a property raises, option groups, disabled
// controls, timers on the virtual loop and run-time errors reaching the toolkit.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "toolkit/testing/test_platform.h"
#include "toolkit/toolkit.h"

namespace {

struct DemoForm : tk::Form {
  explicit DemoForm(tk::Platform& p) : tk::Form(p, "demo", "Demo", 3000, 3000) {}
  tk::Frame frame{*this, "frame", "Group", {0, 0, 1500, 1500}, 0};
  tk::CommandButton button{*this, "button", "Go", {0, 0, 100, 100}, 1};
  tk::CheckBox check{*this, "check", "Check", {0, 0, 100, 100}, 2};
  tk::OptionButton a{*this, "a", "A", {0, 0, 100, 100}, 3};
  tk::OptionButton b{*this, "b", "B", {0, 0, 100, 100}, 4};
  tk::OptionButton inFrame{frame, "inFrame", "C", {0, 0, 100, 100}, 5};
  tk::TextBox text{*this, "text", "", {0, 0, 100, 100}, 6};
  tk::ListBox list{*this, "list", {"x", "y"}, {0, 0, 100, 100}, 7};
  tk::ComboBox combo{*this, "combo", "Pick", {0, 0, 100, 100}, 8};
  tk::Timer timer{*this, "timer", 0};
};

class ToolkitContract : public ::testing::Test {
 protected:
  tk::testing::TestPlatform tp;
  DemoForm form{tp.platform};
  std::vector<std::string> events;
  void record(tk::Event& e, const std::string& name) {
    e = [this, name] { events.push_back(name); };
  }
};

TEST_F(ToolkitContract, CodeSetsRaiseTheUsersEventOnlyWhenTheValueChanges) {
  record(form.text.onChange, "text");
  record(form.list.onClick, "list");
  record(form.combo.onClick, "combo");
  record(form.check.onClick, "check");
  record(form.a.onClick, "a");
  form.combo.addItem("0");
  form.combo.addItem("1");

  struct Step {
    std::function<void()> set;
    std::vector<std::string> raised;
  };
  const std::vector<Step> steps = {
      {[&] { form.text.setText("12"); }, {"text"}},
      {[&] { form.text.setText("12"); }, {}},
      {[&] { form.list.setListIndex(1); }, {"list"}},
      {[&] { form.list.setListIndex(1); }, {}},
      {[&] { form.combo.setListIndex(0); }, {"combo"}},
      {[&] { form.check.setValue(1); }, {"check"}},
      {[&] { form.check.setValue(1); }, {}},
      {[&] { form.check.setValue(2); }, {"check"}},
      {[&] { form.a.setValue(true); }, {"a"}},
      {[&] { form.a.setValue(true); }, {}},
      {[&] { form.a.setValue(false); }, {}},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    events.clear();
    steps[i].set();
    EXPECT_EQ(events, steps[i].raised) << "step " << i;
  }
  EXPECT_EQ(form.combo.text(), "0") << "a combo's text follows its selection";
}

TEST_F(ToolkitContract, EventsRaisedByCodeRunNestedBeforeTheSetterReturns) {
  form.text.onChange = [&] {
    events.push_back("change:" + form.text.text());
    if (form.text.text() == "99") form.text.setText("0");
    events.push_back("after:" + form.text.text());
  };
  form.text.setText("99");
  EXPECT_EQ(events, (std::vector<std::string>{"change:99", "change:0", "after:0", "after:0"}));
}

TEST_F(ToolkitContract, CheckBoxClearedFromItsOwnClickStopsAfterOneNestedRun) {
  int runs = 0;
  form.check.onClick = [&] {
    ++runs;
    form.check.setValue(0);
  };
  form.check.click();
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(form.check.value(), 0);
}

TEST_F(ToolkitContract, OptionButtonsExcludeEachOtherWithinTheirContainerOnly) {
  form.a.setValue(true);
  form.inFrame.setValue(true);
  form.b.click();
  EXPECT_FALSE(form.a.value());
  EXPECT_TRUE(form.b.value());
  EXPECT_TRUE(form.inFrame.value()) << "a frame is a group of its own";
}

TEST_F(ToolkitContract, AControlLeavesItsContainerWhenDestroyed) {
  const std::vector<tk::Control*> inFrame = form.frame.children();
  {
    tk::Label note{form.frame, "note", "", {}, -1};
    EXPECT_EQ(form.frame.children().back(), &note);
  }
  EXPECT_EQ(form.frame.children(), inFrame);

  // A container that goes first leaves its child nothing to reach back into.
  const std::vector<tk::Control*> onForm = form.children();
  auto frame = std::make_unique<tk::Frame>(form, "gone", "", tk::Rect{}, 9);
  auto child = std::make_unique<tk::OptionButton>(*frame, "child", "", tk::Rect{}, 10);
  frame.reset();
  EXPECT_EQ(child->parent(), nullptr);
  child.reset();
  EXPECT_EQ(form.children(), onForm);
}

TEST_F(ToolkitContract, DisabledControlsIgnoreTheUserButNotCode) {
  int clicks = 0;
  form.button.onClick = [&] { ++clicks; };
  form.text.setMaxLength(3);
  for (tk::Control* c :
       std::vector<tk::Control*>{&form.button, &form.check, &form.a, &form.text, &form.list}) {
    c->setEnabled(false);
  }
  form.button.click();
  form.check.click();
  form.a.click();
  form.text.typeText("5");
  form.list.choose(0);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(form.check.value(), 0);
  EXPECT_FALSE(form.a.value());
  EXPECT_EQ(form.text.text(), "");
  EXPECT_EQ(form.list.listIndex(), -1);

  form.text.setText("7");
  form.list.setListIndex(0);
  EXPECT_EQ(form.text.text(), "7");
  EXPECT_EQ(form.list.listIndex(), 0);
}

TEST_F(ToolkitContract, TypingStopsAtMaxLengthAndCodeIsCutToIt) {
  form.text.setMaxLength(3);
  int changes = 0;
  form.text.onChange = [&] { ++changes; };
  form.text.typeText("12345");
  EXPECT_EQ(form.text.text(), "123");
  EXPECT_EQ(changes, 3) << "one Change per typed character";
  form.text.setText("-32768");
  EXPECT_EQ(form.text.text(), "-32");
}

TEST_F(ToolkitContract, MaxLengthCountsCharactersNotBytes) {
  form.text.setMaxLength(3);
  struct Case {
    const char* input;
    const char* kept;
  };
  // é is two bytes, € three, 😀 four; "\xff" and a lone "\xc3" are no characters and count one
  // each.
  const Case cases[] = {
      {"éé", "éé"},         {"ééé", "ééé"},        {"éééé", "ééé"},
      {"a€😀b", "a€😀"},      {"😀😀😀😀", "😀😀😀"},       {"\xff\xffé", "\xff\xffé"},
      {"ab\xc3", "ab\xc3"}, {"5é\xc3x", "5é\xc3"},
  };
  for (const Case& c : cases) {
    form.text.setText("");
    form.text.typeText(c.input);
    EXPECT_EQ(form.text.text(), c.kept) << "typing " << c.input;
    form.text.setText("");
    form.text.edit(c.input);  // a paste
    EXPECT_EQ(form.text.text(), c.kept) << "pasting " << c.input;
  }
}

TEST_F(ToolkitContract, TypedComboTextSelectsTheMatchingItem) {
  form.combo.addItem("5");
  form.combo.addItem("6");
  form.combo.edit("6");
  EXPECT_EQ(form.combo.listIndex(), 1);
  form.combo.edit("66");
  EXPECT_EQ(form.combo.listIndex(), -1);
  EXPECT_EQ(form.combo.text(), "66");
}

TEST_F(ToolkitContract, TimersFireIntervalAfterArmingThenPeriodically) {
  std::vector<tk::Milliseconds> at;
  form.timer.onTimer = [&] { at.push_back(tp.loop.now()); };
  tp.loop.advance(500);
  EXPECT_TRUE(at.empty()) << "interval 0 raises nothing";

  form.timer.setInterval(100);  // armed at 500
  tp.loop.advance(350);
  EXPECT_EQ(at, (std::vector<tk::Milliseconds>{600, 700, 800}));

  form.timer.setEnabled(false);
  tp.loop.advance(1000);
  EXPECT_EQ(at.size(), 3u);

  form.timer.setEnabled(true);  // at 1850: next at 1950
  tp.loop.advance(120);
  EXPECT_EQ(at.back(), 1950);
}

TEST_F(ToolkitContract, ATimerReArmedFromItsHandlerKeepsItsPeriodFromTheDueInstant) {
  std::vector<tk::Milliseconds> at;
  form.timer.onTimer = [&] {
    at.push_back(tp.loop.now());
    form.timer.setInterval(1000);
  };
  form.timer.setInterval(1);
  tp.loop.advance(3001);
  EXPECT_EQ(at, (std::vector<tk::Milliseconds>{1, 1001, 2001, 3001}));
}

TEST_F(ToolkitContract, TimersDueTogetherFireInDeadlineOrder) {
  tk::Timer second{form, "second", 0};
  form.timer.onTimer = [&] { events.push_back("first@" + std::to_string(tp.loop.now())); };
  second.onTimer = [&] { events.push_back("second@" + std::to_string(tp.loop.now())); };
  form.timer.setInterval(30);
  second.setInterval(20);
  tp.loop.advance(60);
  EXPECT_EQ(events, (std::vector<std::string>{"second@20", "first@30", "second@40", "first@60",
                                              "second@60"}));
}

TEST_F(ToolkitContract, RunTimeErrorReachingTheToolkitIsShownAndEndsTheProcess) {
  form.text.onChange = [] { throw tk::RuntimeError::overflow(); };
  form.button.onClick = [&] {
    form.text.setText("x");  // the nested handler's error travels through this one
    events.push_back("not reached");
  };
  form.button.click();
  EXPECT_TRUE(events.empty());
  ASSERT_EQ(tp.messages.texts.size(), 1u);
  EXPECT_EQ(tp.messages.texts[0], "Run-time error '6':\n\nOverflow");
  EXPECT_EQ(tp.processes.endStatus, 1);
}

// A tick that fails while another handler waits on a modal dialog: the dialog's loop delivered
// the tick, so the error is shown and the process ended right there, inside the dialog, and
// nothing is thrown through the dialog (which a real toolkit's loop cannot carry: it aborts).
TEST_F(ToolkitContract, AnErrorInATickWhileAModalDialogIsOpenIsShownAndEndsTheProcess) {
  struct ErrorCase {
    const char* name;
    std::function<void()> raise;
    const char* message;
  };
  const ErrorCase errors[] = {
      {"overflow", [] { throw tk::RuntimeError::overflow(); }, "Run-time error '6':\n\nOverflow"},
      {"out of memory", [] { throw std::bad_alloc(); }, "Run-time error '7':\n\nOut of memory"},
      {"anything else", [] { throw 42; }, "Run-time error '51':\n\nInternal error"},
  };
  struct Dialog {
    const char* name;
    std::function<void(tk::Platform&)> open;
  };
  const Dialog dialogs[] = {
      {"message box", [](tk::Platform& p) { p.messages.show("The save file is busy."); }},
      {"colour dialog", [](tk::Platform& p) { p.colours.choose(0); }},
  };
  for (const Dialog& dialog : dialogs) {
    for (const ErrorCase& error : errors) {
      SCOPED_TRACE(std::string(error.name) + " in the " + dialog.name);
      tk::testing::TestPlatform platform;
      DemoForm demo{platform.platform};
      demo.timer.onTimer = [&] {
        demo.timer.setEnabled(false);
        error.raise();
      };
      bool endedInsideTheDialog = false;
      bool dialogClosed = false;
      const auto userWaits = [&] {
        if (platform.processes.endStatus) return;  // the error message box itself
        platform.loop.advance(500);
        endedInsideTheDialog = platform.processes.endStatus.has_value();
      };
      platform.messages.whileOpen = userWaits;
      platform.colours.whileOpen = userWaits;
      demo.button.onClick = [&] {
        dialog.open(demo.platform());
        dialogClosed = true;
      };
      demo.timer.setInterval(100);
      demo.button.click();

      EXPECT_TRUE(endedInsideTheDialog);
      EXPECT_EQ(platform.processes.endStatus, 1);
      ASSERT_FALSE(platform.messages.texts.empty());
      EXPECT_EQ(platform.messages.texts.back(), error.message);
      EXPECT_TRUE(dialogClosed) << "the handler that opened the dialog was not unwound";
    }
  }
}

TEST_F(ToolkitContract, ShowLoadsOnceUntilUnloaded) {
  int loads = 0;
  int unloads = 0;
  form.onLoad = [&] { ++loads; };
  form.onUnload = [&] {
    ++unloads;
    EXPECT_EQ(tp.windows.open.count(&form), 1u) << "the unload event comes before the window goes";
  };
  form.show();
  form.show();
  EXPECT_EQ(loads, 1);
  form.unload();
  form.unload();
  EXPECT_EQ(unloads, 1) << "a form that is not loaded has nothing to unload";
  EXPECT_EQ(tp.windows.open.count(&form), 0u);
  form.show();
  EXPECT_EQ(loads, 2);
}

}  // namespace
