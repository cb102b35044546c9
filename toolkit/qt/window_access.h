#pragma once
// Reaching the Qt side of a shown form: for rendering tests and diagnostics.

#include <QImage>

#include "toolkit/form.h"

class QWidget;

namespace tk::qt {

class FormWindow;

// The window showing `form`, or null when it is not shown.
FormWindow* windowOf(const Form& form);
// The widget showing a windowed control or a container, or null.
QWidget* widgetOf(const Control& control);
// The form's client area as drawn now (its controls included); null when not shown.
QImage grabClient(const Form& form);

}  // namespace tk::qt
