#include "toolkit/qt/form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "toolkit/change_routing.h"
#include "toolkit/menu.h"
#include "toolkit/qt/accessibility.h"
#include "toolkit/qt/geometry.h"
#include "toolkit/qt/strings.h"

namespace tk::qt {

namespace {

// The toolkit's one font for every control. The designs were laid out for a small dialog font
// of about 10 pixels; the usual desktop font is wider and would wrap or cut their captions.
QFont toolkitFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(10);
  return font;
}

}  // namespace

FormWindow::FormWindow(Form& form)
    : form_(form), client_((installAccessibleInterfaces(), new ClientAreaWidget(form, this))) {
  setObjectName(toQString(form.name()));
  setFont(toolkitFont());
  setWindowTitle(toQString(form.caption()));
  for (Menu* menu : form.menus()) addMenu(nullptr, *menu);

  client_->setFixedSize(toPixels(form.bounds().width), toPixels(form.bounds().height));
  if (form.mousePointer == MousePointer::ArrowHourglass) client_->setCursor(Qt::BusyCursor);
  setCentralWidget(client_);
  containers_[&form] = client_;
  addControls(form, client_);
  setTabOrder();
  giveMenuShortcutsPriority();
  setWindowStyle();
}

FormWindow::~FormWindow() { detach(); }

QWidget* FormWindow::widgetOf(const Control& control) const {
  if (auto view = views_.find(&control); view != views_.end()) return view->second->widget();
  if (auto container = containers_.find(static_cast<const Container*>(&control));
      container != containers_.end()) {
    return container->second;
  }
  return nullptr;
}

void FormWindow::setWindowStyle() {
  Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
  if (form_.borderStyle == BorderStyle::FixedDialog) {
    flags |= form_.showInTaskbar ? Qt::Dialog : Qt::Tool;
  } else if (form_.borderStyle == BorderStyle::None && form_.menus().empty()) {
    flags = Qt::Window | Qt::FramelessWindowHint;
  } else {
    // A borderless window with a menu bar still gets a title bar, so that it can be moved and
    // closed; the client area keeps its size either way.
    flags |= form_.showInTaskbar ? Qt::Window : Qt::Tool;
  }
  setWindowFlags(flags);
}

void FormWindow::addMenu(QMenu* parentMenu, Menu& menu) {
  const QString caption = toQString(menu.caption());
  if (!menu.items().empty()) {
    QMenu* submenu = parentMenu ? parentMenu->addMenu(caption) : menuBar()->addMenu(caption);
    submenu->setObjectName(toQString(menu.name()));
    for (Menu* item : menu.items()) addMenu(submenu, *item);
    return;
  }
  QAction* action = parentMenu ? parentMenu->addAction(caption) : menuBar()->addAction(caption);
  action->setObjectName(toQString(menu.name()));
  if (!menu.shortcut().empty()) {
    action->setShortcut(QKeySequence(toQString(menu.shortcut())));
    menuShortcuts_.push_back(action->shortcut());
  }
  connect(action, &QAction::triggered, this, [this, &menu] {
    if (!detached_) menu.click();
  });
}

void FormWindow::addControls(Container& container, QWidget* containerWidget) {
  for (Control* child : container.children()) {
    if (!child->windowed()) continue;
    std::unique_ptr<ControlView> view;
    if (auto* frame = dynamic_cast<Frame*>(child)) {
      auto* frameWidget = new FrameWidget(*frame, containerWidget);
      containers_[frame] = frameWidget;
      view = std::make_unique<FrameView>(*frame, frameWidget);
      addControls(*frame, frameWidget);
    } else {
      view = makeView(*child, containerWidget);
    }
    if (!view) continue;
    view->applyAll();
    views_[child] = std::move(view);
  }
}

void FormWindow::propertyChanged(Control& control, Property property) {
  heldChanges_.changed(control, property);
}

void FormWindow::showChange(Control& control, Property property) {
  auto showForm = [this](Property property) {
    if (property == Property::Caption) setWindowTitle(toQString(form_.caption()));
    if (property == Property::Announcement) announce(*client_);
    if (changesLook(property)) client_->update();
  };
  routeChange(form_, control, property, views_, containers_, showForm,
              [&control, property](ContainerWidget& container) {
                if (changesLook(property)) container.showChange(control);
                notifyGraphicalChange(container, control);
              });
}

std::vector<ControlView*> FormWindow::viewsInTabOrder() const {
  std::vector<ControlView*> order;
  for (const auto& [control, view] : views_) {
    if (control->tabIndex() >= 0 && (view->widget()->focusPolicy() & Qt::TabFocus)) {
      order.push_back(view.get());
    }
  }
  std::sort(order.begin(), order.end(), [](ControlView* a, ControlView* b) {
    return a->control().tabIndex() < b->control().tabIndex();
  });
  return order;
}

void FormWindow::setTabOrder() {
  const std::vector<ControlView*> order = viewsInTabOrder();
  for (std::size_t i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(order[i - 1]->widget(), order[i]->widget());
  }
}

void FormWindow::focusFirstControl() {
  for (ControlView* view : viewsInTabOrder()) {
    QWidget* widget = view->widget();
    if (widget->isVisibleTo(this) && widget->isEnabled()) {
      widget->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

// Text fields claim some Ctrl keys for themselves (Ctrl+A selects all); the menus' shortcuts
// must win wherever the focus is, so the fields are told not to claim those.
void FormWindow::giveMenuShortcutsPriority() {
  if (menuShortcuts_.empty()) return;
  for (QWidget* widget : client_->findChildren<QWidget*>()) widget->installEventFilter(this);
}

bool FormWindow::isMenuShortcut(const QKeyEvent& key) const {
  const QKeySequence pressed(key.keyCombination());
  return std::find(menuShortcuts_.begin(), menuShortcuts_.end(), pressed) != menuShortcuts_.end();
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
  // Left unaccepted, the shortcut override goes to the menu action instead of the widget.
  if (event->type() == QEvent::ShortcutOverride &&
      isMenuShortcut(*static_cast<QKeyEvent*>(event))) {
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void FormWindow::present() {
  const bool firstShowing = !isVisible();
  if (firstShowing) fixSize();
  if (form_.manualPosition) {
    // The form's position is that of its client area's top left corner.
    const QPoint clientTopLeft(toPixels(form_.screenLeft), toPixels(form_.screenTop));
    setGeometry(QRect(clientTopLeft - client_->pos(), fixedSize_));
  }
  // A window the user or the window manager minimised comes back as it was; shown as it is, it
  // would stay minimised, since the window system puts off activating a window it has unmapped.
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  if (firstShowing) {
    connect(windowHandle(), &QWindow::windowStateChanged, this, &FormWindow::returnToNormalState,
            Qt::UniqueConnection);
  }
  raise();
  activateWindow();
  if (firstShowing) focusFirstControl();
}

// The whole window keeps its size, and says so to the window system (the same minimum and
// maximum size), so that none offers to resize or maximise it.
void FormWindow::fixSize() {
  layout()->activate();
  fixedSize_ = sizeHint();
  setFixedSize(fixedSize_);
}

// Some Wayland compositors maximise or fill the screen with a window whatever size it asked
// for, and then end a client whose window does not take exactly the size they chose. There the
// window lets itself be that size for the moment (its client area stays as designed) until it
// is back to normal; on X11 it simply keeps its size. Either way it asks at once to be a normal
// window again.
void FormWindow::returnToNormalState(Qt::WindowState state) {
  if (askingForNormalState_) return;  // our own request: the window system has not answered yet
  if (state != Qt::WindowMaximized && state != Qt::WindowFullScreen) {
    fixSizeAgainWhenNormal();
    return;
  }
  if (QGuiApplication::platformName() == QLatin1String("wayland")) {
    sizeReleased_ = true;
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  QTimer::singleShot(0, this, [this] {
    askingForNormalState_ = true;
    windowHandle()->setWindowStates(Qt::WindowNoState);
    askingForNormalState_ = false;
  });
}

// The window system tells the normal state and the size that goes with it in either order. The
// widget's state is the one the window system last reported; the window's own already shows our
// request for the normal state, and fixing the size on that alone could take the size away while
// the compositor still holds the window maximised, which it would end the program for.
void FormWindow::fixSizeAgainWhenNormal() {
  const Qt::WindowStates enlarged = Qt::WindowMaximized | Qt::WindowFullScreen;
  if (sizeReleased_ && !(windowState() & enlarged) &&
      windowHandle()->windowStates() == Qt::WindowNoState && size() == fixedSize_) {
    sizeReleased_ = false;
    setFixedSize(fixedSize_);
  }
}

void FormWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  fixSizeAgainWhenNormal();
}

void FormWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) fixSizeAgainWhenNormal();
}

void FormWindow::detach() {
  if (detached_) return;
  detached_ = true;
  for (const auto& entry : views_) entry.second->widget()->blockSignals(true);
}

void FormWindow::closeEvent(QCloseEvent* event) {
  if (detached_) {
    event->accept();
    return;
  }
  // Closing from the title bar unloads the form, which takes the window away.
  event->ignore();
  form_.unload();
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
  // Keys that reach the window were not used by the focused control: Enter and Esc press the
  // form's default and cancel buttons.
  CommandButton* button = nullptr;
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) button = form_.defaultButton;
  if (event->key() == Qt::Key_Escape) button = form_.cancelButton;
  if (button == nullptr || detached_ || event->modifiers() & ~Qt::KeypadModifier) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  event->accept();
  button->click();
}

}  // namespace tk::qt
