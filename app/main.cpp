// The program: Qt, the toolkit's Qt backend, the Stopwatch window and the event loop. Everything
// else happens in the windows' handlers.

#include <QApplication>
#include <QIcon>
#include <iostream>

#include "about/system_registry.h"
#include "app_info.h"
#include "clock/frm_clock.h"
#include "display.h"
#include "toolkit/qt/qt_platform.h"

int main(int argc, char* argv[]) {
  if (const auto why = app::whyNoDisplay()) {
    std::cerr << app_info::title << ": no display could be opened: " << *why << ".\n";
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(app_info::title));
  QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                          .arg(app_info::versionMajor)
                                          .arg(app_info::versionMinor)
                                          .arg(app_info::versionRevision));
  QGuiApplication::setDesktopFileName(QStringLiteral("stopwatch"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/stopwatch.png")));

  auto registry = about::systemRegistry();
  tk::qt::QtPlatform qt(*registry, tk::AppInfo{app_info::title, app_info::versionMajor,
                                               app_info::versionMinor, app_info::versionRevision});
  clock_window::FrmClock frmClock(qt.platform());
  frmClock.show();
  return QApplication::exec();
}
