#pragma once
// Converting the toolkit's 0x00BBGGRR colours (or system colour indexes) to Qt colours and back.

#include <QColor>
#include <QPalette>

#include "toolkit/types.h"

namespace tk::qt {

// A system colour is looked up in the application's palette, so the window follows the theme.
QColor toQColor(Colour colour);
Colour fromQColor(const QColor& colour);

// Dark text on light backgrounds, light text on dark ones.
QColor readableTextOn(const QColor& background);

// The colours every window is drawn in, whatever the desktop's theme: the designs fix white
// backgrounds and coloured faces that only dark text reads well on, and outlines that only show
// against a light window.
QPalette lightPalette();

}  // namespace tk::qt
