// The Stopwatch window asked to be maximised and then to fill the screen, on the platform the
// test is started on (window_states_test.sh runs it natively on Wayland under weston, and on
// X11): each time it comes back as a normal window of its designed size, still telling the
// window system that it keeps that size, and goes on counting. A Wayland compositor that
// rejects the window's answer ends the whole process with a protocol error, failing the run.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWindow>

#include "clock/frm_clock.h"
#include "toolkit/qt/form_window.h"
#include "toolkit/qt/qt_platform.h"
#include "toolkit/qt/window_access.h"
#include "toolkit/testing/temp_folder.h"
#include "toolkit/testing/test_platform.h"

namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "window_states_test";
  static char* argv[] = {name, nullptr};
  static auto* app = new QApplication(argc, argv);  // outlives Qt's own statics
  return *app;
}

class WindowStatesTest : public ::testing::Test {
 protected:
  WindowStatesTest() { frmClock.show(); }

  // True once the window is a normal one again, of its designed size and fixed at it.
  bool backToNormal() const {
    tk::qt::FormWindow* shown = tk::qt::windowOf(frmClock);
    QWindow* window = shown->windowHandle();
    return window->windowStates() == Qt::WindowNoState && shown->client()->size() == designed &&
           window->minimumSize() == window->maximumSize() &&
           window->size() == window->minimumSize();
  }

  const QSize designed{529, 407};
  QApplication& app = application();
  tk::testing::TempFolder folder;  // the window makes its save file in the current folder
  tk::testing::ScriptedRegistry registry;
  tk::qt::QtPlatform qt{registry, tk::AppInfo{"Bransk - Quorvel - Clock", 1, 2, 0}};
  clock_window::FrmClock frmClock{qt.platform()};
};

TEST_F(WindowStatesTest, MaximiseAndFullScreenRequestsLeaveTheDesignedSize) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  ASSERT_NE(platform, nullptr) << "start it through window_states_test.sh";
  ASSERT_EQ(QGuiApplication::platformName().toStdString(), platform);
  QWindow* window = tk::qt::windowOf(frmClock)->windowHandle();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  ASSERT_TRUE(backToNormal()) << "the window is not fixed at its size to begin with";

  const std::vector<std::pair<const char*, void (QWindow::*)()>> requests = {
      {"maximise", &QWindow::showMaximized}, {"full screen", &QWindow::showFullScreen}};
  for (const auto& [name, request] : requests) {
    (window->*request)();
    // Two more seconds shown on the readout: two more frames the window system has taken.
    int ticks = 0;
    std::string shown = frmClock.lblDigitalClockSeconds.caption();
    const bool settled = QTest::qWaitFor(
        [&] {
          if (frmClock.lblDigitalClockSeconds.caption() != shown) {
            shown = frmClock.lblDigitalClockSeconds.caption();
            ++ticks;
          }
          return ticks >= 2 && backToNormal();
        },
        15000);
    EXPECT_TRUE(settled) << name << ": state " << int(window->windowStates()) << ", window "
                         << window->width() << "x" << window->height() << ", client "
                         << tk::qt::windowOf(frmClock)->client()->width() << "x"
                         << tk::qt::windowOf(frmClock)->client()->height() << ", ticks " << ticks;
  }
}

}  // namespace
