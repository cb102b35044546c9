// The real Stopwatch window as the Qt backend draws it (offscreen): the client area's size, the
// arrows picture behind the controls where the design puts it, the green Stop button, and the
// keyboard focus on it when the window opens.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "clock/frm_clock.h"
#include "toolkit/qt/form_window.h"
#include "toolkit/qt/qt_platform.h"
#include "toolkit/qt/window_access.h"
#include "toolkit/testing/test_platform.h"

namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "qt_clock_window_render_test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: torn down among the exit handlers it would outlive Qt's own statics.
  static auto* app = new QApplication(argc, argv);
  return *app;
}

// The window reads and creates its save file in the current folder: give it an empty one.
class InEmptyFolder {
 public:
  InEmptyFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(folder_.path()); }
  ~InEmptyFolder() { QDir::setCurrent(previous_); }

 private:
  QTemporaryDir folder_;
  QString previous_;
};

bool isArrowRed(QRgb pixel) { return qRed(pixel) > 150 && qGreen(pixel) < 90 && qBlue(pixel) < 90; }

int redPixelsIn(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) count += isArrowRed(image.pixel(x, y));
  }
  return count;
}

class ClockWindowRenderTest : public ::testing::Test {
 protected:
  ClockWindowRenderTest() { frmClock.show(); }

  QApplication& app = application();
  InEmptyFolder folder;
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

}  // namespace
