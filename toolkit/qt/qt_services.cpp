#include "toolkit/qt/qt_services.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileInfo>
#include <QMessageBox>
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

void QtMessageBox::show(std::string_view text, std::string_view title) {
  QMessageBox box(QMessageBox::NoIcon, toQString(title.empty() ? appTitle_ : title),
                  toQString(text), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

std::optional<Colour> QtColourDialog::choose(Colour initial) {
  const QColor chosen = QColorDialog::getColor(toQColor(initial), QApplication::activeWindow());
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
