#include "toolkit/qt/qt_services.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "toolkit/qt/colours.h"
#include "toolkit/qt/strings.h"
#ifdef _WIN32
#include "toolkit/windows_services.h"
#endif

namespace tk::qt {

namespace {

// A modal dialog's owner: the window active when it opens, which gets the focus back when it
// closes. Left to the window manager, the focus can go to another of the program's windows (the
// main window, where the About window opened the box).
class DialogOwner {
 public:
  DialogOwner() : window_(QApplication::activeWindow()) {}
  DialogOwner(const DialogOwner&) = delete;
  DialogOwner& operator=(const DialogOwner&) = delete;
  ~DialogOwner() {
    if (window_ && window_->isVisible()) window_->activateWindow();
  }
  QWidget* window() const { return window_; }

 private:
  QPointer<QWidget> window_;
};

}  // namespace

void QtMessageBox::show(std::string_view text, std::string_view title) {
  const DialogOwner owner;
  QMessageBox box(QMessageBox::NoIcon, toQString(title.empty() ? appTitle_ : title),
                  toQString(text), QMessageBox::Ok, owner.window());
  box.exec();
}

std::optional<Colour> QtColourDialog::choose(Colour initial) {
  const DialogOwner owner;
  const QColor chosen = QColorDialog::getColor(toQColor(initial), owner.window());
  if (!chosen.isValid()) return std::nullopt;  // Cancel
  return fromQColor(chosen);
}

// On Windows the paths come from the registry in the ANSI code page, not in UTF-8 as Qt would
// read them, and Qt's hidden-file test knows nothing of system files: plain Win32 does both.
bool QtFileSystem::isPlainFile(const std::string& path) {
#ifdef _WIN32
  return windows::isPlainFile(path);
#else
  const QFileInfo info(toQString(path));
  return info.exists() && info.isFile() && !info.isHidden();
#endif
}

bool QtProcesses::start(const std::string& path) {
#ifdef _WIN32
  return windows::startProgram(path);
#else
  if (path.empty()) return false;
  return QProcess::startDetached(toQString(path), {});
#endif
}

void QtProcesses::endProcess(int status) {
  // At once: no further event, timer or destructor runs.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace tk::qt
