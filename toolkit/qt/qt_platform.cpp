#include "toolkit/qt/qt_platform.h"

#include <QGuiApplication>

namespace tk::qt {

QtPlatform::QtPlatform(RegistryService& registry, AppInfo app)
    : messages_(app.title),
      platform_{loop_, windows_, messages_, colours_, files_, processes_, registry, std::move(app)} {
  // The process ends when the last form is unloaded, which the window system decides; a closed
  // message box or a hidden dialog must not end it.
  QGuiApplication::setQuitOnLastWindowClosed(false);
}

}  // namespace tk::qt
