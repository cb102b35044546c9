// The Qt backend against a small demo form: the screen follows the model without echoing code's
// changes back as user input, the user's actions reach the model (and respect Enabled and
// MaxLength), timers run on the real loop with "now" at the due instant, keyboard handling
// (Enter, Esc, tab order, first focus, menu shortcuts), drawing and the platform services.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <thread>

#include "tests/backend_demo_forms.h"
#include "toolkit/qt/colours.h"
#include "toolkit/qt/form_window.h"
#include "toolkit/qt/geometry.h"
#include "toolkit/qt/qt_platform.h"
#include "toolkit/qt/window_access.h"
#include "toolkit/testing/driven_clock.h"
#include "toolkit/testing/test_platform.h"
#include "toolkit/toolkit.h"

namespace {

using backend_demo::DemoForm;
using backend_demo::DialogForm;
using backend_demo::EventLog;
using tk::qt::widgetOf;

QApplication& application() {
  static int argc = 1;
  static char name[] = "qt_backend_test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: torn down among the exit handlers it would outlive Qt's own statics.
  static auto* app = new QApplication(argc, argv);
  return *app;
}

class QtBackendTest : public ::testing::Test {
 protected:
  template <typename W>
  W* widget(tk::Control& control) {
    auto* found = qobject_cast<W*>(widgetOf(control));
    EXPECT_NE(found, nullptr) << control.name();
    return found;
  }
  tk::qt::FormWindow& window() { return *tk::qt::windowOf(form); }

  // Clicks a check box or option button on its indicator, the part that always takes clicks.
  static void clickIndicator(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
  }

  QRgb pixelAt(int x, int y) { return tk::qt::grabClient(form).pixel(x, y); }

  QApplication& app = application();  // first: everything below needs it
  tk::testing::ScriptedRegistry registry;
  tk::testing::DrivenClock clock;  // real time, until a test makes it jump
  tk::qt::QtPlatform qt{registry, tk::AppInfo{"Demo App", 1, 2, 0}, clock};
  EventLog log;
  DemoForm form{qt.platform(), log};
};

// Setting a property from code shows on the widget, and the widget emits nothing a view could
// take for the user's action.
TEST_F(QtBackendTest, CodeChangesShowOnWidgetsWithoutEchoingBack) {
  form.show();
  struct Case {
    const char* what;
    tk::Control* control;
    int raises;  // how often the change raises the control's own event, as it does headless
    const char* widgetSignal;
    std::function<void()> setFromCode;
    std::function<bool()> widgetShows;
  };
  const std::vector<Case> cases = {
      {"text", &form.txtName, 1, SIGNAL(textChanged(QString)), [&] { form.txtName.setText("xyz"); },
       [&] { return widget<QLineEdit>(form.txtName)->text() == "xyz"; }},
      {"caption", &form.cmdCancel, 0, SIGNAL(clicked()), [&] { form.cmdCancel.setCaption("Stop"); },
       [&] { return widget<QPushButton>(form.cmdCancel)->text() == "Stop"; }},
      {"check", &form.chkFlag, 1, SIGNAL(toggled(bool)), [&] { form.chkFlag.setValue(1); },
       [&] { return widget<QCheckBox>(form.chkFlag)->isChecked(); }},
      {"option", &form.optB, 1, SIGNAL(toggled(bool)), [&] { form.optB.setValue(true); },
       [&] { return widget<QRadioButton>(form.optB)->isChecked(); }},
      {"list index", &form.lstItems, 1, SIGNAL(itemSelectionChanged()),
       [&] { form.lstItems.setListIndex(1); },
       [&] { return widget<QListWidget>(form.lstItems)->currentRow() == 1; }},
      {"combo index", &form.cboPick, 1, SIGNAL(currentIndexChanged(int)),
       [&] { form.cboPick.setListIndex(2); },
       [&] { return widget<QComboBox>(form.cboPick)->currentText() == "3"; }},
      {"combo item", &form.cboPick, 0, SIGNAL(currentIndexChanged(int)),
       [&] { form.cboPick.addItem("4"); },
       [&] { return widget<QComboBox>(form.cboPick)->count() == 4; }},
      {"progress", &form.barProgress, 0, SIGNAL(valueChanged(int)),
       [&] { form.barProgress.setValue(42); },
       [&] { return widget<QProgressBar>(form.barProgress)->value() == 42; }},
      {"enabled", &form.cmdGo, 0, SIGNAL(clicked()), [&] { form.cmdGo.setEnabled(false); },
       [&] { return !widget<QPushButton>(form.cmdGo)->isEnabled(); }},
      {"visible", &form.chkFlag, 0, SIGNAL(toggled(bool)), [&] { form.chkFlag.setVisible(false); },
       [&] { return widget<QCheckBox>(form.chkFlag)->isHidden(); }},
      {"bounds", &form.cmdCancel, 0, SIGNAL(clicked()),
       [&] {
         form.cmdCancel.setBounds({1500, 150, 1500, 450});
       },
       [&] { return widget<QPushButton>(form.cmdCancel)->geometry() == QRect(100, 10, 100, 30); }},
      {"accessibility", &form.sldPick, 0, SIGNAL(valueChanged(int)),
       [&] { form.sldPick.setAccessibility("Colour to change", "Pick a colour"); },
       [&] {
         auto* slider = widget<QSlider>(form.sldPick);
         return slider->accessibleName() == "Colour to change" &&
                slider->toolTip() == "Pick a colour";
       }},
      {"max length", &form.txtName, 0, SIGNAL(textChanged(QString)),
       [&] { form.txtName.setMaxLength(5); },
       [&] { return widget<QLineEdit>(form.txtName)->maxLength() == 5; }},
  };
  for (const Case& c : cases) {
    QSignalSpy spy(widgetOf(*c.control), c.widgetSignal);
    const int earlier = log[c.control->name()];
    c.setFromCode();
    EXPECT_TRUE(c.widgetShows()) << c.what;
    EXPECT_EQ(spy.count(), 0) << c.what << ": the widget echoed a change made by code";
    // An echo would raise the model's event once more than the change itself does.
    EXPECT_EQ(log[c.control->name()], earlier + c.raises) << c.what;
  }
  EXPECT_FALSE(widget<QRadioButton>(form.optA)->isChecked());
  EXPECT_EQ(form.chkFlag.value(), 1);
  EXPECT_EQ(form.lstItems.listIndex(), 1);
  EXPECT_EQ(form.cboPick.listIndex(), 2);
}

TEST_F(QtBackendTest, UserActionsReachTheModelAndRespectEnabledAndMaxLength) {
  form.show();
  QTest::mouseClick(widget<QPushButton>(form.cmdGo), Qt::LeftButton);
  QTest::mouseClick(widget<QPushButton>(form.cmdOff), Qt::LeftButton);  // disabled
  EXPECT_EQ(log["cmdGo"], 1);
  EXPECT_EQ(log["cmdOff"], 0);

  QLineEdit* name = widget<QLineEdit>(form.txtName);
  name->setFocus();
  name->end(false);
  QTest::keyClicks(name, "cdef");  // "ab" + at most one more character
  EXPECT_EQ(form.txtName.text(), "abc");
  EXPECT_EQ(name->text(), "abc");
  EXPECT_EQ(log["txtName"], 1);
  QTest::keyClick(name, Qt::Key_Backspace);
  EXPECT_EQ(form.txtName.text(), "ab");

  QCheckBox* flag = widget<QCheckBox>(form.chkFlag);
  clickIndicator(flag);
  EXPECT_EQ(form.chkFlag.value(), tk::CheckBox::Checked);
  EXPECT_EQ(log["chkFlag"], 1);
  // A handler that puts the box back, as a one-shot "clear" box does, wins over Qt's toggle.
  form.chkFlag.onClick = [&] { form.chkFlag.setValue(tk::CheckBox::Unchecked); };
  clickIndicator(flag);
  clickIndicator(flag);
  EXPECT_EQ(form.chkFlag.value(), tk::CheckBox::Unchecked);
  EXPECT_FALSE(flag->isChecked());

  QListWidget* list = widget<QListWidget>(form.lstItems);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(1)).center());
  EXPECT_EQ(form.lstItems.listIndex(), 1);
  EXPECT_EQ(log["lstItems"], 1);

  QComboBox* combo = widget<QComboBox>(form.cboPick);
  combo->lineEdit()->selectAll();
  QTest::keyClicks(combo->lineEdit(), "2");
  EXPECT_EQ(form.cboPick.text(), "2");
  EXPECT_EQ(form.cboPick.listIndex(), 1);  // typed text equal to an item selects it
  QTest::keyClicks(combo->lineEdit(), "5");
  EXPECT_EQ(form.cboPick.text(), "25");
  EXPECT_EQ(form.cboPick.listIndex(), -1);
  EXPECT_EQ(combo->currentText(), "25");  // deselecting did not wipe what the user typed
  Q_EMIT combo->activated(2);             // the user picked the third item from the drop-down
  EXPECT_EQ(form.cboPick.listIndex(), 2);
  EXPECT_EQ(combo->currentText(), "3");

  QSlider* slider = widget<QSlider>(form.sldPick);
  for (int i = 0; i < 6; ++i) QTest::keyClick(slider, Qt::Key_Down);  // min is at the top
  EXPECT_EQ(form.sldPick.value(), 4);
  QTest::keyClick(slider, Qt::Key_Up);
  EXPECT_EQ(form.sldPick.value(), 3);

  form.txtName.setEnabled(false);
  form.sldPick.setEnabled(false);
  QTest::keyClicks(name, "z");
  QTest::keyClick(slider, Qt::Key_Up);
  EXPECT_EQ(form.txtName.text(), "ab");
  EXPECT_EQ(form.sldPick.value(), 3);
}

// Types characters that have no key of their own on a US keyboard (QTest knows only ASCII keys),
// each as one key press carrying the character, as an input method delivers it.
void typeCharacters(QWidget* target, const QString& characters) {
  for (QChar c : characters) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
  }
}

TEST_F(QtBackendTest, TypingAndPastingCountCharactersNotBytes) {
  form.show();
  QLineEdit* name = widget<QLineEdit>(form.txtName);
  name->setFocus();
  name->selectAll();
  typeCharacters(name, QString::fromUtf8("éé"));
  EXPECT_EQ(form.txtName.text(), "éé");
  EXPECT_EQ(name->text(), QString::fromUtf8("éé"));
  typeCharacters(name, QString::fromUtf8("€x"));  // the third character, then no room
  EXPECT_EQ(form.txtName.text(), "éé€");
  EXPECT_EQ(name->text(), QString::fromUtf8("éé€"));

  QApplication::clipboard()->setText(QString::fromUtf8("ü€éa"));
  name->selectAll();
  name->paste();
  EXPECT_EQ(form.txtName.text(), "ü€é");
  EXPECT_EQ(name->text(), QString::fromUtf8("ü€é"));
}

TEST_F(QtBackendTest, OptionButtonsShowTheModelsExclusionPerContainer) {
  form.show();
  auto* a = widget<QRadioButton>(form.optA);
  auto* b = widget<QRadioButton>(form.optB);
  auto* outside = widget<QRadioButton>(form.optOutside);
  clickIndicator(a);
  clickIndicator(b);
  EXPECT_TRUE(form.optB.value());
  EXPECT_FALSE(form.optA.value());
  EXPECT_FALSE(a->isChecked());
  EXPECT_TRUE(b->isChecked());
  EXPECT_TRUE(outside->isChecked());  // another container's group is untouched
  // Clicking the selected button again keeps it selected and raises nothing new.
  clickIndicator(b);
  EXPECT_TRUE(b->isChecked());
  EXPECT_EQ(log["optA"], 1);
  EXPECT_EQ(log["optB"], 1);
}

// What assistive technology meets through Qt: roles and names from the model, actions that click
// as the mouse does (queued, so they run once the request is answered), and the graphical
// controls a container paints as children of its own.
TEST_F(QtBackendTest, AccessibleInterfacesTakeTheModelsRolesAndTheirActionsClick) {
  form.cboPick.setAccessibility("Pick one");
  form.shpDot.setAccessibility("Dot");
  form.show();
  const auto accessible = [](tk::Control& control) {
    return QAccessible::queryAccessibleInterface(widgetOf(control));
  };
  const auto act = [](QAccessibleInterface* control) {
    control->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  };
  const auto waitFor = [](const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i) QTest::qWait(10);
    return done();
  };

  QAccessibleInterface* a = accessible(form.optA);
  EXPECT_EQ(a->role(), QAccessible::RadioButton);
  EXPECT_EQ(accessible(form.chkFlag)->role(), QAccessible::CheckBox);
  EXPECT_EQ(accessible(form.cmdGo)->text(QAccessible::Name), "Go");
  act(a);
  EXPECT_TRUE(waitFor([&] { return form.optA.value(); }));
  act(accessible(form.optB));
  EXPECT_TRUE(waitFor([&] { return form.optB.value() && !form.optA.value(); }));
  EXPECT_FALSE(a->state().checked) << "the other button of the group shows it is deselected";
  EXPECT_EQ(log["optA"], 1);
  EXPECT_EQ(log["optB"], 1);
  act(accessible(form.chkFlag));
  EXPECT_TRUE(waitFor([&] { return form.chkFlag.value() == tk::CheckBox::Checked; }));
  EXPECT_EQ(log["chkFlag"], 1);

  EXPECT_EQ(accessible(form.cboPick)->text(QAccessible::Name), "Pick one");
  // Text written into the combo box's field is an edit, as typing is: the selection follows.
  QComboBox* combo = widget<QComboBox>(form.cboPick);
  QAccessibleInterface* field = QAccessible::queryAccessibleInterface(combo->lineEdit());
  field->editableTextInterface()->replaceText(0, field->textInterface()->characterCount(), "2");
  EXPECT_EQ(form.cboPick.text(), "2");
  EXPECT_EQ(form.cboPick.listIndex(), 1);
  EXPECT_EQ(log["cboPick"], 1);
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(form.cboPick.listIndex(), 2);
  EXPECT_EQ(form.cboPick.text(), "3");
  EXPECT_EQ(log["cboPick"], 2);

  QAccessibleInterface* client = QAccessible::queryAccessibleInterface(window().client());
  std::map<QString, QAccessible::Role> painted;
  for (int i = 0; i < client->childCount(); ++i) {
    QAccessibleInterface* child = client->child(i);
    if (child->object() == nullptr) painted[child->text(QAccessible::Name)] = child->role();
  }
  EXPECT_EQ(painted["Note"], QAccessible::StaticText);
  EXPECT_EQ(painted["Dot"], QAccessible::Graphic);
  EXPECT_EQ(painted.count("linDiag"), 0u);
}

TEST_F(QtBackendTest, EnterAndEscPressTheDefaultAndCancelButtons) {
  form.show();
  QLineEdit* name = widget<QLineEdit>(form.txtName);
  QTest::keyClick(name, Qt::Key_Return);
  QTest::keyClick(name, Qt::Key_Escape);
  EXPECT_EQ(log["cmdGo"], 1);
  EXPECT_EQ(log["cmdCancel"], 1);
  // On a focused button Enter presses that button, not the default one.
  QTest::keyClick(widget<QPushButton>(form.cmdCancel), Qt::Key_Return);
  EXPECT_EQ(log["cmdCancel"], 2);
  EXPECT_EQ(log["cmdGo"], 1);
  // The keypad's Enter too; a disabled default button stays unpressed.
  QTest::keyClick(name, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(log["cmdGo"], 2);
  form.cmdGo.setEnabled(false);
  QTest::keyClick(name, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(log["cmdGo"], 2);
}

TEST_F(QtBackendTest, FocusStartsAtTheFirstAvailableControlAndTabFollowsTabIndex) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  // cmdOff (tab 0) is disabled, so the focus starts on cmdGo (tab 1).
  EXPECT_EQ(QApplication::focusWidget(), widgetOf(form.cmdGo));
  const std::vector<tk::Control*> expected = {
      &form.cmdCancel, &form.txtName,    &form.chkFlag, &form.cboPick, &form.lstItems,
      &form.sldPick,   &form.optOutside, &form.optA,    &form.optB,    &form.cmdGo};
  for (tk::Control* next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    // An editable combo box hands its focus to its edit field.
    if (focused && focused->parentWidget() == widgetOf(form.cboPick)) {
      focused = focused->parentWidget();
    }
    EXPECT_EQ(focused, widgetOf(*next)) << "expected " << next->name();
  }
}

TEST_F(QtBackendTest, MenuItemsCarryTheirShortcutsAndReachTheModel) {
  form.show();
  auto* quit = window().findChild<QAction*>("mnuQuit");
  ASSERT_NE(quit, nullptr);
  EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  EXPECT_EQ(window().menuBar()->actions().size(), 1);
  quit->trigger();
  EXPECT_EQ(log["mnuQuit"], 1);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(log["mnuQuit"], 2);
}

TEST_F(QtBackendTest, WindowHasTheFormsTitleAndFixedClientSize) {
  form.show();
  EXPECT_EQ(window().windowTitle(), "Demo");
  form.setCaption("Renamed");
  EXPECT_EQ(window().windowTitle(), "Renamed");
  EXPECT_EQ(window().client()->size(), QSize(600, 300));
  EXPECT_EQ(window().minimumSize(), window().maximumSize());
  EXPECT_FALSE(window().windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window().windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(tk::qt::grabClient(form).size(), QSize(600, 300));
}

TEST_F(QtBackendTest, BusyPointerShowsOverTheFormsOwnSurfaceOnly) {
  form.mousePointer = tk::MousePointer::ArrowHourglass;
  form.show();
  EXPECT_EQ(window().client()->cursor().shape(), Qt::BusyCursor);
  EXPECT_EQ(widgetOf(form.cmdGo)->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(widgetOf(form.txtName)->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(QtBackendTest, DialogFormIsAFixedToolWindowAtItsScreenPosition) {
  DialogForm dialog(qt.platform());
  dialog.show();
  tk::qt::FormWindow* shown = tk::qt::windowOf(dialog);
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(shown->windowFlags() & Qt::Tool);
  EXPECT_FALSE(shown->windowFlags() & Qt::WindowMinMaxButtonsHint);
  EXPECT_EQ(shown->geometry().topLeft() + shown->client()->pos(), QPoint(156, 129));
  EXPECT_EQ(shown->client()->size(), QSize(200, 100));
  EXPECT_EQ(shown->menuBar()->actions().size(), 0);
  // Its OK button unloads it from inside its own click: the window goes once that is over.
  QPointer<tk::qt::FormWindow> window = shown;
  QTest::keyClick(widgetOf(dialog.cmdOK), Qt::Key_Escape);
  EXPECT_FALSE(dialog.isLoaded());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

TEST_F(QtBackendTest, ClosingTheWindowUnloadsTheFormWhichCanBeShownAgain) {
  form.show();
  QPointer<tk::qt::FormWindow> first = &window();
  first->close();
  EXPECT_FALSE(form.isLoaded());
  EXPECT_EQ(qt.windows().windowCount(), 0u);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());

  form.txtName.setText("new");  // changed while no window shows it
  form.show();
  EXPECT_EQ(widget<QLineEdit>(form.txtName)->text(), "new");
  EXPECT_EQ(qt.windows().windowCount(), 1u);
}

// What the containers paint: back colours, shapes, lines and labels, children of a frame placed
// relative to it, and repainting after a change from code.
TEST_F(QtBackendTest, ContainersPaintTheirGraphicalControls) {
  form.show();
  const QImage image = tk::qt::grabClient(form);
  const QColor back(0xE0, 0xE0, 0xE0);
  struct Probe {
    const char* what;
    int x, y;
    QColor colour;
  };
  const std::vector<Probe> probes = {
      {"form back colour", 350, 200, back},
      {"circle centre", 130, 180, Qt::red},
      {"circle centred in its wider bounds: left of it is background", 104, 180, back},
      {"line middle", 250, 210, Qt::blue},
      {"opaque label", 60, 228, Qt::yellow},
      {"label inside the frame", 267 + 8 + 50, 8 + 80 + 10, Qt::green},
      // The frame keeps the toolkit's default back colour, the button face.
      {"frame back colour", 267 + 100, 8 + 112, tk::qt::toQColor(tk::SystemColour::buttonFace)},
  };
  for (const Probe& p : probes) EXPECT_EQ(QColor(image.pixel(p.x, p.y)), p.colour) << p.what;
  // The image is drawn unscaled from its top left corner: its pixels match the picture's
  // wherever the picture is opaque.
  const QImage bell = QImage(":/pictures/alarm.gif").convertToFormat(QImage::Format_ARGB32);
  ASSERT_FALSE(bell.isNull());
  int compared = 0;
  for (int y = 0; y < bell.height(); y += 7) {
    for (int x = 0; x < bell.width(); x += 7) {
      const QRgb source = bell.pixel(x, y);
      if (qAlpha(source) < 255) continue;
      ++compared;
      EXPECT_EQ(QColor(image.pixel(420 + x, 8 + y)), QColor(source)) << x << "," << y;
    }
  }
  EXPECT_GT(compared, 50);
  auto* icon = qobject_cast<QLabel*>(widgetOf(form.picIcon));
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(icon->pixmap().isNull());
  EXPECT_EQ(icon->frameShadow(), QFrame::Sunken);

  form.shpDot.setFillColour(0x00FF00);
  form.linDiag.setVisible(false);
  QApplication::processEvents();
  EXPECT_EQ(QColor(pixelAt(130, 180)), QColor(Qt::green));
  EXPECT_EQ(QColor(pixelAt(250, 210)), QColor(0xE0, 0xE0, 0xE0));
}

// The area a widget is asked to paint.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
  QRegion painted;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
};

// What a control tells a screen reader is no part of how it looks. The stopwatch's dial speaks
// its reading, which changes every second; repainting the dial for it repainted the whole face.
TEST_F(QtBackendTest, OnlyChangesToHowAControlLooksRepaintIt) {
  form.show();
  QWidget* client = widgetOf(form);
  ASSERT_NE(client, nullptr);
  QApplication::processEvents();
  PaintRecorder recorder(client);

  form.shpDot.setAccessibleName("a dot");
  form.shpDot.setAccessibleDescription("red");
  form.announce("something happened");
  QApplication::processEvents();
  EXPECT_TRUE(recorder.painted.isEmpty()) << recorder.painted.boundingRect().width();

  form.shpDot.setFillColour(0x00FF00);
  QApplication::processEvents();
  EXPECT_FALSE(recorder.painted.isEmpty());
  EXPECT_LT(recorder.painted.boundingRect().width(), client->width() / 2);
}

// A moved line is repainted where it was, or the old line stays on screen. Where it was must be
// known from the container's real size, not the size it had before it was laid out.
TEST_F(QtBackendTest, AMovedLineIsRepaintedWhereItWasAndWhereItIs) {
  form.show();
  QWidget* client = widgetOf(form);
  ASSERT_NE(client, nullptr);
  QApplication::processEvents();
  PaintRecorder recorder(client);

  form.linDiag.setX2(3000);  // from slanting down to the right, to straight down
  QApplication::processEvents();
  EXPECT_TRUE(recorder.painted.contains(QPoint(250, 210))) << "the old line's middle";
  EXPECT_TRUE(recorder.painted.contains(QPoint(200, 210))) << "the new line's middle";
}

// The client area at `scale` times the size, painted over black: whole, or only `region`.
QImage renderClient(QWidget* client, double scale, const QRegion& region = {}) {
  QImage image(int(std::ceil(client->width() * scale)), int(std::ceil(client->height() * scale)),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::black);
  // render() puts the region's top left corner at the offset given.
  client->render(&image, region.boundingRect().topLeft(), region, QWidget::DrawWindowBackground);
  return image;
}

int largestDifference(const QImage& a, const QImage& b, const QRect& area) {
  int largest = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))});
    }
  }
  return largest;
}

// Shapes and slanting lines are painted from pictures drawn once. At whole and fractional
// positions and scales, whole or in part, as a tick's repaint asks, each must look as the same
// control drawn directly.
TEST_F(QtBackendTest, ShapesAndLinesRepaintedInPartLookAsDrawnDirectly) {
  form.shpDot.setBounds({1507, 2411, 907, 607});  // a fraction of a pixel off the grid
  form.show();
  QWidget* client = window().client();
  struct Case {
    tk::Control& control;
    QRectF area;
    std::function<void(QPainter&)> drawDirectly;
    std::function<void()> before = [] {};
  };
  auto diagonal = [&](QPointF from, QPointF to) {
    return [&, from, to](QPainter& painter) {
      QPen pen(tk::qt::toQColor(form.linDiag.borderColour()), 3);
      pen.setCapStyle(Qt::RoundCap);
      painter.setPen(pen);
      painter.drawLine(from, to);
    };
  };
  const QRectF dot = tk::qt::toQRectF(tk::shapeArea(form.shpDot, 1));
  const std::vector<Case> cases = {
      {form.shpDot, dot,
       [&](QPainter& painter) {
         painter.setPen(QPen(tk::qt::toQColor(form.shpDot.borderColour()), 1));
         painter.setBrush(Qt::red);
         painter.drawEllipse(dot.adjusted(0.5, 0.5, -0.5, -0.5));
       }},
      {form.linDiag, QRectF(200, 160, 100, 100), diagonal({200, 160}, {300, 260})},
      // Turned the other way it covers the same box of pixels, and must not show as before.
      {form.linDiag, QRectF(200, 160, 100, 100), diagonal({200, 260}, {300, 160}),
       [&] {
         form.linDiag.setY1(3900);
         form.linDiag.setY2(2400);
       }},
  };
  for (const Case& c : cases) {
    c.before();
    for (double scale : {1.0, 1.5, 2.0}) {
      c.control.setVisible(false);
      QImage direct = renderClient(client, scale);
      {
        QPainter painter(&direct);
        painter.setRenderHint(QPainter::Antialiasing);
        c.drawDirectly(painter);
      }
      c.control.setVisible(true);
      const QImage whole = renderClient(client, scale);
      const QRect onImage = QTransform::fromScale(scale, scale).mapRect(c.area).toAlignedRect();
      EXPECT_LE(largestDifference(whole, direct, onImage), 2)
          << c.control.name() << " whole, at " << scale;

      // Its lower right quarter alone, the way a hand passing over it is repainted.
      const QRect quarter(c.area.center().toPoint(), c.area.bottomRight().toPoint());
      const QImage part = renderClient(client, scale, quarter);
      const QRect quarterOnImage = QTransform::fromScale(scale, scale)
                                       .mapRect(QRectF(quarter))
                                       .toAlignedRect()
                                       .adjusted(1, 1, -1, -1);  // clear of the clip's own edge
      EXPECT_LE(largestDifference(part, direct, quarterOnImage), 2)
          << c.control.name() << " in part, at " << scale;
    }
  }
}

TEST_F(QtBackendTest, GraphicalButtonIsFilledWithItsColourAndReadable) {
  form.show();
  const QRect go = widgetOf(form.cmdGo)->geometry();
  const QColor face(pixelAt(go.left() + 4, go.center().y()));
  EXPECT_GT(face.green(), 150);
  EXPECT_LT(face.red(), 100);
  EXPECT_LT(face.blue(), 100);
  EXPECT_EQ(widgetOf(form.cmdGo)->palette().color(QPalette::ButtonText), QColor(Qt::black));
}

// A form with timers only; timer tests need no window.
class TimerForm : public tk::Form {
 public:
  explicit TimerForm(tk::Platform& platform) : tk::Form(platform, "frmTimers", "", 100, 100) {}
  tk::Timer tmrFirst{*this, "tmrFirst", 0};
  tk::Timer tmrSecond{*this, "tmrSecond", 0};
};

class QtEventLoopTest : public QtBackendTest {
 protected:
  tk::EventLoop& loop() { return qt.platform().loop; }
  // Runs the Qt loop until `done` holds; false after `timeoutMs`.
  static bool runUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    return QTest::qWaitFor(done, timeoutMs);
  }
  TimerForm timers{qt.platform()};
};

TEST_F(QtEventLoopTest, HandlersSeeTheInstantTheirTickWasDue) {
  std::vector<tk::Milliseconds> seen;
  timers.tmrFirst.onTimer = [&] { seen.push_back(loop().now()); };
  const tk::Milliseconds start = loop().now();
  timers.tmrFirst.setInterval(100);
  ASSERT_TRUE(runUntil([&] { return seen.size() >= 3; }));
  timers.tmrFirst.setEnabled(false);
  ASSERT_GE(seen.size(), 3u);
  // Armed one interval after "now" when enabled; the clock may move on a little between the
  // test reading it and the timer being armed.
  EXPECT_GE(seen[0] - start, 100);
  EXPECT_LE(seen[0] - start, 120);
  EXPECT_EQ(seen[1] - seen[0], 100);
  EXPECT_EQ(seen[2] - seen[1], 100);
}

TEST_F(QtEventLoopTest, TicksMissedWhileAHandlerBlockedAllFireInOrder) {
  using Clock = std::chrono::steady_clock;
  std::vector<tk::Milliseconds> seen;
  std::vector<Clock::time_point> ranAt;
  timers.tmrFirst.onTimer = [&] {
    seen.push_back(loop().now());
    ranAt.push_back(Clock::now());
    if (seen.size() == 1) std::this_thread::sleep_for(std::chrono::milliseconds(350));
  };
  timers.tmrFirst.setInterval(100);
  ASSERT_TRUE(runUntil([&] { return seen.size() >= 5; }));
  timers.tmrFirst.setEnabled(false);
  for (std::size_t i = 1; i < 5; ++i) EXPECT_EQ(seen[i] - seen[i - 1], 100) << i;
  // Ticks 2..4 came due during the blocked 350 ms and ran straight after it, together.
  const auto burst = std::chrono::duration_cast<std::chrono::milliseconds>(ranAt[3] - ranAt[1]);
  EXPECT_LT(burst.count(), 60);
}

TEST_F(QtEventLoopTest, TimersKeepFiringWhileAModalDialogBlocksAHandler) {
  int secondTicks = 0;
  int ticksDuringDialog = -1;
  timers.tmrSecond.onTimer = [&] { ++secondTicks; };
  // The modal dialog opens from a periodic timer's own handler, which leaves the loop's next
  // wake-up to be armed from inside the nested loop.
  bool opened = false;
  timers.tmrFirst.onTimer = [&] {
    if (opened) return;
    opened = true;
    QDialog dialog;
    QTimer::singleShot(450, &dialog, &QDialog::accept);
    const int before = secondTicks;
    dialog.exec();
    ticksDuringDialog = secondTicks - before;
  };
  timers.tmrFirst.setInterval(10);
  timers.tmrSecond.setInterval(100);
  ASSERT_TRUE(runUntil([&] { return ticksDuringDialog >= 0; }));
  timers.tmrFirst.setEnabled(false);
  EXPECT_GE(ticksDuringDialog, 3);
}

// After a resume the deadline under way lies behind the clock, and the loop wakes for it at once:
// a minute-long timer whose minute passed in the sleep fires long before a minute of waiting.
TEST_F(QtEventLoopTest, AResumeWakesTheLoopAtOnce) {
  std::vector<tk::Milliseconds> seen;
  timers.tmrFirst.onTimer = [&] { seen.push_back(loop().now()); };
  const tk::Milliseconds start = loop().now();
  timers.tmrFirst.setInterval(60'000);
  clock.jump(std::chrono::seconds(125));
  qt.loop().clockJumped();
  ASSERT_TRUE(runUntil([&] { return seen.size() >= 2; }, 20'000));
  timers.tmrFirst.setEnabled(false);
  // Both minutes that passed, each at the instant it was due, and not the third.
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1] - seen[0], 60'000);
  EXPECT_GE(seen[0] - start, 60'000);
  EXPECT_LE(seen[0] - start, 60'100);
}

// Counts the events of one type that reach a widget.
class EventCounter : public QObject {
 public:
  EventCounter(QWidget* widget, std::initializer_list<QEvent::Type> types)
      : widget_(widget), types_(types) {
    widget_->installEventFilter(this);
  }
  ~EventCounter() override { widget_->removeEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (std::find(types_.begin(), types_.end(), event->type()) != types_.end()) ++count;
    return false;
  }

 private:
  QWidget* widget_;
  std::vector<QEvent::Type> types_;
};

// After the computer slept, the overdue ticks run one after another: the widgets take only what
// the last one left, once.
TEST_F(QtEventLoopTest, ACatchUpReachesTheWidgetsOnceWhenItEnds) {
  form.show();
  int fired = 0;
  timers.tmrFirst.onTimer = [&] {
    ++fired;
    form.chkFlag.setVisible(!form.chkFlag.visible());
    form.txtName.setText(std::to_string(fired));
  };
  timers.tmrFirst.setInterval(100);
  ASSERT_TRUE(runUntil([&] { return fired >= 1; }));
  EventCounter flagShownOrHidden(widget<QCheckBox>(form.chkFlag), {QEvent::Show, QEvent::Hide});
  const int before = fired;
  clock.jump(std::chrono::seconds(10));
  ASSERT_TRUE(runUntil([&] { return fired >= before + 100; }));
  timers.tmrFirst.setEnabled(false);
  EXPECT_LE(flagShownOrHidden.count, 1) << "a hundred flips reach the widget as one at most";
  EXPECT_EQ(widget<QCheckBox>(form.chkFlag)->isVisible(), form.chkFlag.visible());
  EXPECT_EQ(widget<QLineEdit>(form.txtName)->text().toStdString(), std::to_string(fired));

  // Awake again: each tick reaches the widgets while it runs. A machine stalled for a second makes
  // a catch-up of its own, rightly held, so the test waits for four ticks seen on the widget at
  // once rather than counting on the next four.
  int reachedAtOnce = 0;
  timers.tmrFirst.onTimer = [&] {
    auto* flag = widget<QCheckBox>(form.chkFlag);
    const bool wasShown = flag->isVisible();
    form.chkFlag.setVisible(!wasShown);
    if (flag->isVisible() != wasShown) ++reachedAtOnce;
  };
  timers.tmrFirst.setEnabled(true);
  EXPECT_TRUE(runUntil([&] { return reachedAtOnce >= 4; }))
      << "only " << reachedAtOnce << " ticks reached the widget after the catch-up";
  timers.tmrFirst.setEnabled(false);
}

TEST_F(QtBackendTest, MessageBoxShowsTheTextUnderTheAppTitleByDefault) {
  QString title, text;
  QTimer::singleShot(50, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    box->accept();
  });
  qt.platform().messages.show("Saved.");
  EXPECT_EQ(title, "Demo App");
  EXPECT_EQ(text, "Saved.");
}

TEST_F(QtBackendTest, ColourDialogReturnsTheChosenColourOrNothingOnCancel) {
  auto answerWith = [](std::optional<QColor> colour) {
    QTimer::singleShot(50, [colour] {
      auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      if (colour) {
        dialog->setCurrentColor(*colour);
        dialog->accept();
      } else {
        dialog->reject();
      }
    });
  };
  answerWith(QColor(0x11, 0x22, 0x33));
  EXPECT_EQ(qt.platform().colours.choose(0x0000FF), std::optional<tk::Colour>(0x332211));
  answerWith(std::nullopt);
  EXPECT_EQ(qt.platform().colours.choose(0x0000FF), std::nullopt);
}

TEST(QtColours, ConvertBetweenToolkitAndQtColours) {
  application();
  struct Case {
    tk::Colour colour;
    QColor qt;
  };
  for (const Case& c :
       {Case{0x0000FF, QColor(255, 0, 0)}, Case{0x00C000, QColor(0, 192, 0)},
        Case{0xFFC0FF, QColor(255, 192, 255)}, Case{0x332211, QColor(0x11, 0x22, 0x33)}}) {
    EXPECT_EQ(tk::qt::toQColor(c.colour), c.qt) << std::hex << c.colour;
    EXPECT_EQ(tk::qt::fromQColor(c.qt), c.colour) << std::hex << c.colour;
  }
  const QPalette palette = QApplication::palette();
  EXPECT_EQ(tk::qt::toQColor(tk::SystemColour::windowBackground), palette.color(QPalette::Base));
  EXPECT_EQ(tk::qt::toQColor(tk::SystemColour::windowText), palette.color(QPalette::Text));
  EXPECT_EQ(tk::qt::toQColor(tk::SystemColour::buttonFace), palette.color(QPalette::Button));
  EXPECT_EQ(tk::qt::toQColor(tk::SystemColour::buttonText), palette.color(QPalette::ButtonText));
}

TEST_F(QtBackendTest, FileTestAcceptsOnlyVisiblePlainFiles) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* name : {"plain.exe", ".hidden.exe"}) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  struct Case {
    QString path;
    bool plain;
  };
  for (const Case& c :
       {Case{dir.filePath("plain.exe"), true}, Case{dir.filePath(".hidden.exe"), false},
        Case{dir.path(), false}, Case{dir.filePath("missing.exe"), false}}) {
    EXPECT_EQ(qt.platform().files.isPlainFile(c.path.toStdString()), c.plain)
        << c.path.toStdString();
  }
}

TEST_F(QtBackendTest, StartsProgramsDirectlyAndReportsFailure) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString marker = dir.filePath("ran");
  // A path with a space and shell syntax: run directly, it names one (missing) program.
  const QString shellLike = dir.path() + "/no such; touch " + marker;
  EXPECT_FALSE(qt.platform().processes.start(shellLike.toStdString()));
  EXPECT_FALSE(qt.platform().processes.start(""));
  EXPECT_TRUE(qt.platform().processes.start("/bin/true"));
  QTest::qWait(200);
  EXPECT_FALSE(QFile::exists(marker));
}

}  // namespace
