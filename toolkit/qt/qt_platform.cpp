#include "toolkit/qt/qt_platform.h"

#include <QApplication>
#include <QStyle>

#include "toolkit/qt/colours.h"

namespace tk::qt {

QtPlatform::QtPlatform(RegistryService& registry, AppInfo app, const ElapsedClock& clock)
    : loop_(clock), messages_(app.title), platform_{loop_,  windows_,   messages_, colours_,
                                                    files_, processes_, registry,  std::move(app)} {
  // The process ends when the last form is unloaded, which the window system decides; a closed
  // message box or a hidden dialog must not end it.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  // The ticks of a catch-up are shown once, where they end.
  loop_.setCatchUpListener(&windows_);
  // One look on every desktop: the colours the forms give their buttons show in every style.
  if (QApplication::style()->name() != QStringLiteral("fusion")) QApplication::setStyle("Fusion");
  // And one set of colours: a dark desktop theme would put its light text on the white
  // backgrounds the designs fix, and lose the outlines drawn against the window.
  QApplication::setPalette(lightPalette());
}

}  // namespace tk::qt
