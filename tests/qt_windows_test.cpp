// The real windows as the Qt backend shows them (offscreen): the Stopwatch window's size, the
// arrows picture behind the controls, the green Stop button with the focus, the hands and the
// progress bar where the reading puts them; captions that stay readable on a dark desktop theme;
// and the About window's Esc and Enter.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStyleOptionButton>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "about/frm_about.h"
#include "clock/frm_clock.h"
#include "toolkit/qt/colours.h"
#include "toolkit/qt/form_window.h"
#include "toolkit/qt/geometry.h"
#include "toolkit/qt/qt_platform.h"
#include "toolkit/qt/window_access.h"
#include "toolkit/testing/temp_folder.h"
#include "toolkit/testing/test_platform.h"

namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "qt_windows_test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: torn down among the exit handlers it would outlive Qt's own statics.
  static auto* app = new QApplication(argc, argv);
  return *app;
}

bool isArrowRed(QRgb pixel) { return qRed(pixel) > 150 && qGreen(pixel) < 90 && qBlue(pixel) < 90; }

int redPixelsIn(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) count += isArrowRed(image.pixel(x, y));
  }
  return count;
}

std::string colourName(QRgb pixel) { return QColor(pixel).name().toStdString(); }

class ClockWindowRenderTest : public ::testing::Test {
 protected:
  ClockWindowRenderTest() { frmClock.show(); }

  QApplication& app = application();
  tk::testing::TempFolder folder;  // the window makes its save file in the current folder
  tk::testing::ScriptedRegistry registry;
  tk::qt::QtPlatform qt{registry, tk::AppInfo{"Bransk - Quorvel - Clock", 1, 2, 0}};
  clock_window::FrmClock frmClock{qt.platform()};
};

TEST_F(ClockWindowRenderTest, ClientAreaHasTheDesignedSize) {
  const QImage image = tk::qt::grabClient(frmClock);
  EXPECT_EQ(image.size(), QSize(529, 407));
  EXPECT_EQ(tk::qt::windowOf(frmClock)->windowTitle(), "Stopwatch");
}

// The two red arrows of the background picture show wherever no control covers them: across the
// top towards Preset Now, and down the left side and along the bottom towards Change Colour.
TEST_F(ClockWindowRenderTest, ArrowsPictureShowsBehindTheControls) {
  const QImage image = tk::qt::grabClient(frmClock);
  struct Stretch {
    const char* what;
    QRect area;
  };
  const std::vector<Stretch> stretches = {
      {"top arrow's tail, left of the preset lists", QRect(8, 7, 20, 45)},
      {"top arrow's shaft, between the lists and Preset Now", QRect(140, 35, 130, 30)},
      {"top arrow's head, before Preset Now", QRect(280, 30, 35, 45)},
      {"left arrow below the slider", QRect(5, 300, 40, 60)},
      {"bottom arrow, towards Change Colour", QRect(60, 360, 240, 30)},
  };
  for (const Stretch& s : stretches) {
    // A thick arrow crossing the area leaves a good share of it red.
    const int share = 100 * redPixelsIn(image, s.area) / (s.area.width() * s.area.height());
    EXPECT_GE(share, 10) << s.what;
  }
  // Where the picture is transparent the window's own background shows.
  EXPECT_EQ(redPixelsIn(image, QRect(420, 230, 100, 40)), 0) << "right of the direction buttons";
}

TEST_F(ClockWindowRenderTest, StopButtonIsGreenAtTheTopRightAndHasTheFocus) {
  auto* stop = qobject_cast<QPushButton*>(tk::qt::widgetOf(frmClock.cmdStartStop));
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(stop->geometry(), QRect(408, 0, 81, 25));
  EXPECT_EQ(stop->text(), "Stop");

  const QImage image = tk::qt::grabClient(frmClock);
  int green = 0;
  const QRect inside = stop->geometry().adjusted(4, 4, -4, -4);
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      const QRgb p = image.pixel(x, y);
      green += qGreen(p) > 150 && qRed(p) < 120 && qBlue(p) < 120;
    }
  }
  // The face is green apart from the caption's letters.
  EXPECT_GT(green, inside.width() * inside.height() * 2 / 3);

  ASSERT_TRUE(QTest::qWaitForWindowActive(tk::qt::windowOf(frmClock)));
  EXPECT_EQ(QApplication::focusWidget(), stop);
}

// The coloured buttons show their colour itself, flat: the style's shading would make the red of
// Preset Now a salmon close to Reset's pink. The inner corners sit clear of the centred captions.
TEST_F(ClockWindowRenderTest, ColouredButtonsShowExactlyTheirColours) {
  const QImage image = tk::qt::grabClient(frmClock);
  struct Face {
    tk::CommandButton& button;
    QColor colour;
  };
  const std::vector<Face> faces = {{frmClock.cmdPreset, QColor(255, 0, 0)},
                                   {frmClock.cmdStartStop, QColor(0, 192, 0)},
                                   {frmClock.cmdReset, QColor(255, 192, 255)}};
  for (const Face& face : faces) {
    const QRect inside = tk::qt::widgetOf(face.button)->geometry().adjusted(3, 3, -4, -4);
    for (QPoint corner : {inside.topLeft(), inside.topRight(), inside.bottomLeft(),
                          inside.bottomRight(), QPoint(inside.left(), inside.center().y())}) {
      EXPECT_EQ(colourName(image.pixel(corner)), face.colour.name().toStdString())
          << face.button.name() << " at " << corner.x() << "," << corner.y();
    }
  }
}

// WCAG's contrast ratio of two colours, 1 (none) to 21 (black on white).
double contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The strongest contrast any pixel of `area` makes with `background`: a caption's letters.
double strongestContrast(const QImage& image, const QRect& area, const QColor& background) {
  double strongest = 1;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      strongest = std::max(strongest, contrast(image.pixel(x, y), background));
    }
  }
  return strongest;
}

// What a dark desktop theme hands the application before any window is made.
QPalette darkDesktopPalette() {
  const QColor window(53, 53, 53);
  QPalette palette(QColor(238, 238, 236), window, window.lighter(130), window.darker(130),
                   window.darker(115), Qt::white, QColor(45, 45, 45));
  palette.setColor(QPalette::Button, window);
  palette.setColor(QPalette::ButtonText, QColor(238, 238, 236));
  return palette;
}

struct DarkDesktop {
  DarkDesktop() {
    application();
    QApplication::setPalette(darkDesktopPalette());
  }
};

class DarkDesktopTest : public DarkDesktop, public ClockWindowRenderTest {
 protected:
  // A frame's caption, set into its top edge from 8 pixels in, in client coordinates.
  QRect frameCaption(const tk::Frame& frame) const {
    QWidget* widget = tk::qt::widgetOf(frame);
    const QFontMetrics metrics = widget->fontMetrics();
    const QRect caption(8, 0, metrics.horizontalAdvance(QString::fromStdString(frame.caption())),
                        metrics.height());
    return caption.translated(widget->mapTo(tk::qt::windowOf(frmClock)->client(), QPoint()));
  }

  // The caption beside an option button's or a check box's indicator, in client coordinates.
  QRect buttonCaption(const tk::Control& control) const {
    auto* button = qobject_cast<QAbstractButton*>(tk::qt::widgetOf(control));
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
    const QRect caption = button->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, button);
    return caption.translated(button->mapTo(tk::qt::windowOf(frmClock)->client(), QPoint()));
  }
};

// The captions on the white backgrounds the design fixes stay dark on a dark desktop theme, and
// the progress bar keeps its outline against the window.
TEST_F(DarkDesktopTest, CaptionsOnFixedBackgroundsStayReadable) {
  const QImage image = tk::qt::grabClient(frmClock);
  const QColor white(Qt::white);
  // "Digital Clock On" is a label over the check box that shows only its box, below the text.
  const QRect clockOnLabel = tk::qt::toPixels(frmClock.lblDigitalToggle.bounds());
  const QRect clockOnText(
      clockOnLabel.topLeft(),
      QPoint(clockOnLabel.right(), tk::qt::widgetOf(frmClock.chkDigitalToggle)->y() - 1));
  struct Caption {
    const char* text;
    QRect area;
  };
  const std::vector<Caption> captions = {
      {"Load/Save", frameCaption(frmClock.frmLoadSave)},
      {"Digital Display!", frameCaption(frmClock.frmDigital)},
      {"Clear Saved", buttonCaption(frmClock.chkClearSaved)},
      {"Backwards", buttonCaption(frmClock.optBackwards)},
      {"Forwards", buttonCaption(frmClock.optForwards)},
      {"Digital Clock On", clockOnText},
  };
  for (const Caption& caption : captions) {
    EXPECT_GE(strongestContrast(image, caption.area, white), 7.0) << caption.text;
  }

  // The empty groove's outline: its top edge against the window just above it.
  const QRect bar = tk::qt::widgetOf(frmClock.ProgressBar)->geometry();
  const QColor window(image.pixel(bar.center().x(), bar.top() - 2));
  double weakestEdge = 21;
  for (int x = bar.left() + 4; x < bar.right() - 4; ++x) {
    weakestEdge = std::min(weakestEdge, contrast(image.pixel(x, bar.top()), window));
  }
  EXPECT_GE(weakestEdge, 1.5) << "progress bar outline";
}

// A caption on a background of its control's own follows that colour: the readout's frame takes
// the colour the user chooses for it, and an option button may have any back colour.
TEST_F(DarkDesktopTest, CaptionsReadOnAnyBackColourOfTheirOwn) {
  for (tk::Colour colour : {0x000000u, 0x400000u, 0x00FFFFu, 0xFFFFFFu}) {
    frmClock.frmDigital.setBackColour(colour);
    frmClock.optForwards.setBackColour(colour);
    const QImage image = tk::qt::grabClient(frmClock);
    const QColor background = tk::qt::toQColor(colour);
    EXPECT_GE(strongestContrast(image, frameCaption(frmClock.frmDigital), background), 7.0)
        << "Digital Display! on " << std::hex << colour;
    EXPECT_GE(strongestContrast(image, buttonCaption(frmClock.optForwards), background), 7.0)
        << "Forwards on " << std::hex << colour;
  }
}

// At 1.5 times the size, a container 97 pixels wide ends half way through its last device pixel.
// That pixel is still the container's own: its background covers it whole, with no grey line
// left down the edge (over the black the image starts as, the line would show dark).
TEST_F(ClockWindowRenderTest, ContainersCoverTheirLastDevicePixelAtOneAndAHalfTimes) {
  constexpr double scale = 1.5;
  for (const tk::Container* container :
       std::vector<const tk::Container*>{&frmClock, &frmClock.frmLoadSave, &frmClock.frmDigital}) {
    QWidget* widget = tk::qt::widgetOf(*container);
    const QSize pixels(int(std::ceil(widget->width() * scale)),
                       int(std::ceil(widget->height() * scale)));
    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    const QColor background = tk::qt::toQColor(container->backColour());
    // Below a frame's caption and clear of the controls along the right edge.
    for (int y : {pixels.height() * 2 / 5, pixels.height() * 3 / 5}) {
      EXPECT_EQ(colourName(image.pixel(pixels.width() - 1, y)), background.name().toStdString())
          << container->name() << " at row " << y;
    }
  }
}

// Page Down and Page Up move the colour slider by the usual large step of five, so one press
// goes from the first part to the last and back.
TEST_F(ClockWindowRenderTest, SliderPagesByFivePlaces) {
  auto* slider = qobject_cast<QSlider*>(tk::qt::widgetOf(frmClock.sldColourPick));
  ASSERT_NE(slider, nullptr);
  QTest::keyClick(slider, Qt::Key_PageDown);
  EXPECT_EQ(frmClock.sldColourPick.value(), 4);
  QTest::keyClick(slider, Qt::Key_PageUp);
  EXPECT_EQ(frmClock.sldColourPick.value(), 0);
}

// Waits for the real loop's ticks until the readout shows `seconds`.
bool waitForSeconds(clock_window::FrmClock& clock, const std::string& seconds) {
  return QTest::qWaitFor([&] { return clock.lblDigitalClockSeconds.caption() == seconds; }, 3000);
}

bool near(QRgb pixel, QRgb colour) {
  return std::abs(qRed(pixel) - qRed(colour)) < 60 &&
         std::abs(qGreen(pixel) - qGreen(colour)) < 60 &&
         std::abs(qBlue(pixel) - qBlue(colour)) < 60;
}

// The share of points along a line (from 30% to 95% of its length, clear of where the hands
// meet at the centre) whose pixel has the given colour.
int percentAlong(const QImage& image, QPointF from, QPointF to, QRgb colour) {
  int hits = 0;
  const int samples = 40;
  for (int i = 0; i < samples; ++i) {
    const QPointF p = from + (to - from) * (0.30 + 0.65 * i / (samples - 1));
    hits += near(image.pixel(p.toPoint()), colour);
  }
  return 100 * hits / samples;
}

// The client area as the window last put it on the screen. Unlike a fresh grab, this shows
// whatever a change failed to repaint: a hand left behind where it was.
QImage shownClient(const tk::Form& form) {
  tk::qt::FormWindow* window = tk::qt::windowOf(form);
  const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
  return shown.copy(QRect(window->client()->mapTo(window, QPoint()), window->client()->size()));
}

TEST_F(ClockWindowRenderTest, HandsAndProgressBarShowTheReading) {
  // The second hand at nine, painted; then at three, so that no step of its move covers nine.
  frmClock.presetReading(10, 44);
  ASSERT_TRUE(waitForSeconds(frmClock, "45"));
  QTest::qWait(100);
  frmClock.presetReading(10, 14);
  ASSERT_TRUE(waitForSeconds(frmClock, "15"));
  QTest::qWait(100);
  const QImage image = shownClient(frmClock);
  ASSERT_EQ(image.size(), QSize(529, 407));

  const QPointF centre(3000 / 15.0, 2000 / 15.0);
  const QPointF secondEnd(4000 / 15.0, 2000 / 15.0);  // 15 seconds: three o'clock
  const QPointF minuteEnd(3866 / 15.0, 1500 / 15.0);  // 10 minutes: two o'clock
  EXPECT_GE(percentAlong(image, centre, secondEnd, qRgb(0, 0, 0)), 90) << "black second hand";
  EXPECT_GE(percentAlong(image, centre, minuteEnd, qRgb(255, 0, 0)), 90) << "red minute hand";
  EXPECT_LE(percentAlong(image, centre, QPointF(2000 / 15.0, 2000 / 15.0), qRgb(0, 0, 0)), 10)
      << "the second hand is gone from nine";

  // The bar is filled to 15 of 0..59: the fill ends about a quarter of the way along.
  auto* bar = qobject_cast<QProgressBar*>(tk::qt::widgetOf(frmClock.ProgressBar));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->value(), 15);
  const QRect r = bar->geometry();
  const QRgb empty = image.pixel(r.right() - 3, r.center().y());
  int filledTo = r.left();
  for (int x = r.left() + 2; x < r.right() - 2; ++x) {
    if (!near(image.pixel(x, r.center().y()), empty)) filledTo = x;
  }
  EXPECT_NEAR(double(filledTo - r.left()) / r.width(), 15.0 / 59.0, 0.04);
}

class AboutWindowTest : public ClockWindowRenderTest {
 protected:
  about::FrmAbout& openAbout() {
    frmClock.mnuAbout.click();
    about::FrmAbout& about = *frmClock.aboutWindow();
    QWidget* window = tk::qt::windowOf(about);
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    return about;
  }
};

TEST_F(AboutWindowTest, EscapeAndEnterCloseItAndItOpensAgainFilledIn) {
  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
    about::FrmAbout& about = openAbout();
    EXPECT_EQ(tk::qt::windowOf(about)->windowTitle(), "About Bransk - Quorvel - Clock");
    EXPECT_EQ(about.lblVersion.caption(), "Version 1.2.0");
    QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_FALSE(about.isLoaded()) << "key " << key;
    EXPECT_FALSE(about.isShown());
  }
}

int visibleAboutWindows() {
  int count = 0;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    count += window->isVisible() && window->windowTitle().startsWith("About");
  }
  return count;
}

// Text fields take Ctrl+A as "select all" for themselves; the menu's shortcut must win there too.
TEST_F(AboutWindowTest, CtrlAOpensOneAboutWindowFromEveryTextField) {
  frmClock.lstAlarm.choose(0);  // "On": the alarm boxes take typing
  QWidget* window = tk::qt::windowOf(frmClock);
  for (tk::Control* field : std::vector<tk::Control*>{&frmClock.txtMinutes, &frmClock.txtSeconds,
                                                      &frmClock.lstMinutes, &frmClock.lstSeconds}) {
    if (about::FrmAbout* about = frmClock.aboutWindow(); about && about->isLoaded()) {
      about->unload();
    }
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QWidget* widget = tk::qt::widgetOf(*field);
    widget->setFocus(Qt::MouseFocusReason);
    // An editable combo box keeps the focus itself and hands the keys to its typing field.
    ASSERT_EQ(QApplication::focusWidget(), widget) << field->name();
    auto* combo = qobject_cast<QComboBox*>(widget);
    ASSERT_TRUE(qobject_cast<QLineEdit*>(widget) || (combo && combo->lineEdit())) << field->name();

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    ASSERT_NE(frmClock.aboutWindow(), nullptr) << field->name();
    EXPECT_TRUE(frmClock.aboutWindow()->isShown()) << field->name();
    EXPECT_EQ(visibleAboutWindows(), 1) << field->name();
  }
}

// The etched separator: one crisp row of grey with white rows below it, not a smoothed blur
// of paler greys over neighbouring rows.
TEST_F(AboutWindowTest, SeparatorIsACrispGreyLineOverAWhiteOne) {
  const QImage image = tk::qt::grabClient(openAbout());
  const QColor background(image.pixel(200, 150));
  ASSERT_NE(background, QColor(Qt::white));
  struct Row {
    int y;
    QColor colour;
  };
  // The grey line lies at 2445 twips (row 163), the two-pixel white one at 2460 (rows 164, 165).
  const std::vector<Row> rows = {{162, background},
                                 {163, QColor(0x80, 0x80, 0x80)},
                                 {164, Qt::white},
                                 {165, Qt::white},
                                 {166, background}};
  for (int x : {10, 100, 250, 370}) {
    for (const Row& row : rows) {
      EXPECT_EQ(colourName(image.pixel(x, row.y)), row.colour.name().toStdString())
          << "at " << x << "," << row.y;
    }
  }
}

}  // namespace
