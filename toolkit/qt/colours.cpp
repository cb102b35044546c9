#include "toolkit/qt/colours.h"

#include <QGuiApplication>
#include <QPalette>

namespace tk::qt {

namespace {

// Each system colour matched to the palette role that plays its part.
QPalette::ColorRole roleOfSystemColour(Colour colour) {
  switch (colour) {
    case SystemColour::menu:
      return QPalette::Window;
    case SystemColour::windowBackground:
      return QPalette::Base;
    case SystemColour::menuText:
      return QPalette::WindowText;
    case SystemColour::windowText:
      return QPalette::Text;
    case SystemColour::highlight:
      return QPalette::Highlight;
    case SystemColour::highlightText:
      return QPalette::HighlightedText;
    case SystemColour::buttonFace:
      return QPalette::Button;
    case SystemColour::buttonShadow:
      return QPalette::Dark;
    case SystemColour::grayText:
      return QPalette::PlaceholderText;
    case SystemColour::buttonText:
      return QPalette::ButtonText;
    case SystemColour::buttonHighlight:
      return QPalette::Light;
    case SystemColour::infoText:
      return QPalette::ToolTipText;
    case SystemColour::infoBackground:
      return QPalette::ToolTipBase;
    default:
      return QPalette::Window;
  }
}

}  // namespace

QColor toQColor(Colour colour) {
  if (isSystemColour(colour)) {
    return QGuiApplication::palette().color(
        QPalette::Active, roleOfSystemColour(0x80000000u | systemColourIndex(colour)));
  }
  return QColor(int(colour & 0xFFu), int((colour >> 8) & 0xFFu), int((colour >> 16) & 0xFFu));
}

Colour fromQColor(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return Colour(rgb.red()) | (Colour(rgb.green()) << 8) | (Colour(rgb.blue()) << 16);
}

}  // namespace tk::qt
