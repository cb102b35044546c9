#include "toolkit/qt/colours.h"

#include <QGuiApplication>
#include <QPalette>

namespace tk::qt {

namespace {

// The classic system colour indexes, each matched to the palette role that plays its part.
QPalette::ColorRole roleOfSystemColour(unsigned index) {
  switch (index) {
    case 4:
      return QPalette::Window;  // menu
    case 5:
      return QPalette::Base;  // window background
    case 7:
      return QPalette::WindowText;  // menu text
    case 8:
      return QPalette::Text;  // window text
    case 13:
      return QPalette::Highlight;
    case 14:
      return QPalette::HighlightedText;
    case 15:
      return QPalette::Button;  // button face
    case 16:
      return QPalette::Dark;  // button shadow
    case 17:
      return QPalette::PlaceholderText;  // grey (disabled) text
    case 18:
      return QPalette::ButtonText;
    case 20:
      return QPalette::Light;  // button highlight
    case 23:
      return QPalette::ToolTipText;
    case 24:
      return QPalette::ToolTipBase;
    default:
      return QPalette::Window;
  }
}

}  // namespace

QColor toQColor(Colour colour) {
  if (isSystemColour(colour)) {
    return QGuiApplication::palette().color(QPalette::Active, roleOfSystemColour(colour & 0xFFu));
  }
  return QColor(int(colour & 0xFFu), int((colour >> 8) & 0xFFu), int((colour >> 16) & 0xFFu));
}

Colour fromQColor(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return Colour(rgb.red()) | (Colour(rgb.green()) << 8) | (Colour(rgb.blue()) << 16);
}

}  // namespace tk::qt
