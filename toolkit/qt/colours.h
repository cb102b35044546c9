#pragma once
// Converting the toolkit's 0x00BBGGRR colours (or system colour indexes) to Qt colours and back.

#include <QColor>

#include "toolkit/types.h"

namespace tk::qt {

// A system colour is looked up in the application's palette, so the window follows the theme.
QColor toQColor(Colour colour);
Colour fromQColor(const QColor& colour);

}  // namespace tk::qt
