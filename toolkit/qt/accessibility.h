#pragma once
// What a screen reader meets: the accessible interfaces of the toolkit's widgets, where Qt's own
// would tell it something other than the model says. Buttons take their role from the model (an
// option button is a radio button, though Qt's exclusion is off) and their accessible actions go
// through the same click as the mouse; a combo box is named for what it is, not its text; a
// container presents the graphical controls it paints (labels, the pictures and the dial) as
// children of its own, and the form's announcements as a notification.

#include <QAccessible>

namespace tk {
class Control;
}

class QWidget;

namespace tk::qt {

class ContainerWidget;

// Installs the interfaces; once per process, before the first window is made.
void installAccessibleInterfaces();

// Marks `widget` as the view of `control`, for the interfaces to find the model.
void linkToControl(QWidget& widget, const Control& control);

// Tells assistive technology that a graphical control painted by `container` changed what it
// says (its caption or its accessible text). Costs nothing while no assistive technology listens.
void notifyGraphicalChange(ContainerWidget& container, const Control& control);

// Presents the form's latest announcement as a notification of its client area.
void announce(ContainerWidget& clientArea);

}  // namespace tk::qt
