#include "toolkit/qt/qt_window_system.h"

#include <QApplication>

#include "toolkit/qt/form_window.h"

namespace tk::qt {

QtWindowSystem::~QtWindowSystem() {
  for (auto& [form, window] : windows_) {
    const_cast<Form*>(form)->setObserver(nullptr);
    delete window;
  }
}

void QtWindowSystem::show(Form& form) {
  FormWindow*& window = windows_[&form];
  if (window == nullptr) {
    window = new FormWindow(form);
    form.setObserver(window);
  }
  window->present();
}

void QtWindowSystem::unload(Form& form) {
  auto found = windows_.find(&form);
  if (found == windows_.end()) return;
  FormWindow* window = found->second;
  windows_.erase(found);
  form.setObserver(nullptr);
  window->detach();
  window->hide();
  // Unloading often happens inside the window's own event (its OK button, its close box), so
  // the widget is deleted once that event is over.
  window->deleteLater();
  if (windows_.empty()) QCoreApplication::quit();
}

void QtWindowSystem::askForAttention(Form& form) {
  // Only an inactive window asks; Qt ends the request when the window becomes active.
  if (FormWindow* window = windowOf(form)) QApplication::alert(window);
}

void QtWindowSystem::catchUpBegins() {
  for (auto& [form, window] : windows_) window->holdChanges();
}

void QtWindowSystem::catchUpEnds() {
  for (auto& [form, window] : windows_) window->releaseChanges();
}

FormWindow* QtWindowSystem::windowOf(const Form& form) const {
  auto found = windows_.find(&form);
  return found == windows_.end() ? nullptr : found->second;
}

}  // namespace tk::qt
