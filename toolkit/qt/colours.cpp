#include "toolkit/qt/colours.h"

#include <QGuiApplication>
#include <QPalette>

#include "toolkit/painting.h"

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

QColor readableTextOn(const QColor& background) {
  return toQColor(tk::readableTextOn(fromQColor(background)));
}

QPalette lightPalette() {
  const QColor window(239, 239, 239);
  const QColor dark = window.darker(150);
  const QColor mid = window.darker(130);
  QPalette palette(Qt::black, window, window.lighter(150), dark, mid, Qt::black, Qt::white);
  palette.setColor(QPalette::Midlight, mid.lighter(110));
  palette.setColor(QPalette::Button, window);
  palette.setColor(QPalette::ButtonText, Qt::black);
  palette.setColor(QPalette::Shadow, dark.darker(135));
  palette.setColor(QPalette::AlternateBase, QColor(247, 247, 247));
  palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
  palette.setColor(QPalette::ToolTipText, Qt::black);
  palette.setColor(QPalette::Link, QColor(0, 0, 255));
  palette.setColor(QPalette::LinkVisited, QColor(255, 0, 255));
  palette.setColor(QPalette::PlaceholderText, QColor(0, 0, 0, 128));
  palette.setColor(QPalette::Highlight, QColor(48, 140, 198));
  palette.setColor(QPalette::HighlightedText, Qt::white);

  const QColor disabledText(190, 190, 190);
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, disabledText);
  }
  palette.setColor(QPalette::Disabled, QPalette::Base, window);
  palette.setColor(QPalette::Disabled, QPalette::Dark, QColor(209, 209, 209).darker(110));
  palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));
  return palette;
}

}  // namespace tk::qt
