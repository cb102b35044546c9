#pragma once
// Draws the graphical controls (shapes, lines, images, labels), which have no window of their
// own: their container paints them, in stacking order.

#include <QPainter>

#include "toolkit/control.h"

namespace tk::qt {

// Paints `control` if it is a visible graphical control; windowed controls are skipped.
void paintGraphical(QPainter& painter, const Control& control);

// The area that painting `control` touches, in its container's pixels; empty when nothing shows.
QRectF paintedArea(const Control& control);

// A picture from the program's resources by file name ("arrows.gif"); null when there is none.
QPixmap resourcePicture(const std::string& name);

}  // namespace tk::qt
