#include "toolkit/qt/window_access.h"

#include "toolkit/qt/form_window.h"

namespace tk::qt {

FormWindow* windowOf(const Form& form) { return dynamic_cast<FormWindow*>(form.observer()); }

QWidget* widgetOf(const Control& control) {
  FormWindow* window = windowOf(control.form());
  return window ? window->widgetOf(control) : nullptr;
}

QImage grabClient(const Form& form) {
  FormWindow* window = windowOf(form);
  return window ? window->client()->grab().toImage() : QImage();
}

}  // namespace tk::qt
