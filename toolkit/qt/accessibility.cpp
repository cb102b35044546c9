#include "toolkit/qt/accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QPointer>
#include <QVariant>
#include <QWindow>
#include <vector>

#include "toolkit/accessible_text.h"
#include "toolkit/form.h"
#include "toolkit/qt/container_widgets.h"
#include "toolkit/qt/geometry.h"
#include "toolkit/qt/strings.h"

namespace tk::qt {

namespace {

constexpr const char* controlProperty = "tkControl";

const Control* linkedControl(const QObject* object) {
  const QVariant link = object->property(controlProperty);
  return link.isValid() ? static_cast<const Control*>(link.value<const void*>()) : nullptr;
}

QAccessible::Role qtRole(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::Window:
      return QAccessible::Window;
    case AccessibleRole::PushButton:
      return QAccessible::Button;
    case AccessibleRole::CheckBox:
      return QAccessible::CheckBox;
    case AccessibleRole::RadioButton:
      return QAccessible::RadioButton;
    case AccessibleRole::Text:
      return QAccessible::EditableText;
    case AccessibleRole::ComboBox:
      return QAccessible::ComboBox;
    case AccessibleRole::List:
      return QAccessible::List;
    case AccessibleRole::ProgressBar:
      return QAccessible::ProgressBar;
    case AccessibleRole::Slider:
      return QAccessible::Slider;
    case AccessibleRole::Grouping:
      return QAccessible::Grouping;
    case AccessibleRole::Pane:
      return QAccessible::Pane;
    case AccessibleRole::StaticText:
      return QAccessible::StaticText;
    case AccessibleRole::Graphic:
    case AccessibleRole::Default:
      break;
  }
  return QAccessible::Graphic;
}

// Text read-only and whole: what a label or the dial says.
class ReadOnlyText : public QAccessibleTextInterface {
 public:
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QString text(int start, int end) const override { return whole().mid(start, end - start); }
  int characterCount() const override { return static_cast<int>(whole().size()); }
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    return {};
  }

 protected:
  virtual QString whole() const = 0;
};

// An object the container paints or presents itself, with no widget of its own.
class PaintedChild : public QAccessibleInterface, public ReadOnlyText {
 public:
  explicit PaintedChild(ContainerWidget* container) : container_(container) {}
  using QAccessibleInterface::text;
  using ReadOnlyText::text;

  bool isValid() const override { return !container_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    return container_ ? container_->window()->windowHandle() : nullptr;
  }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override {
    return container_ ? QAccessible::queryAccessibleInterface(container_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  void setText(QAccessible::Text, const QString&) override {}
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                              : nullptr;
  }

  // Sends what changed since the last call, if anything.
  void notifyChange() {
    const QString now = whole();
    if (now == lastText_) return;
    QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    QAccessibleTextUpdateEvent textChanged(this, 0, lastText_, now);
    QAccessible::updateAccessibility(&textChanged);
    lastText_ = now;
  }

 protected:
  QAccessible::State shownState(bool shown) const {
    QAccessible::State state;
    state.readOnly = true;
    state.invisible = !shown || !container_ || !container_->isVisible();
    return state;
  }
  QRect onScreen(const QRect& inContainer) const {
    if (!container_) return {};
    return {container_->mapToGlobal(inContainer.topLeft()), inContainer.size()};
  }
  ContainerWidget* container() const { return container_.data(); }

 private:
  QPointer<ContainerWidget> container_;
  QString lastText_;
};

// A label, a picture or the dial.
class GraphicalChild : public PaintedChild {
 public:
  GraphicalChild(ContainerWidget* container, const Control& control)
      : PaintedChild(container), control_(control) {}

  QString text(QAccessible::Text type) const override {
    if (type == QAccessible::Name) return whole();
    if (type == QAccessible::Description) return toQString(control_.accessibleDescription());
    return {};
  }
  QRect rect() const override { return onScreen(toPixels(control_.bounds())); }
  QAccessible::Role role() const override { return qtRole(control_.accessibleRole()); }
  QAccessible::State state() const override { return shownState(control_.visible()); }
  using PaintedChild::text;

 protected:
  QString whole() const override { return isValid() ? toQString(spokenText(control_)) : QString(); }

 private:
  const Control& control_;
};

// The form's latest announcement; unseen until the first.
class Announcement : public PaintedChild {
 public:
  Announcement(ContainerWidget* container, const Form& form)
      : PaintedChild(container), form_(form) {}

  QString text(QAccessible::Text type) const override {
    return type == QAccessible::Name ? whole() : QString();
  }
  QRect rect() const override { return container() ? onScreen(container()->rect()) : QRect(); }
  QAccessible::Role role() const override { return QAccessible::Notification; }
  QAccessible::State state() const override {
    return shownState(!form_.lastAnnouncement().empty());
  }
  using PaintedChild::text;

  // A notification is spoken when it comes into view: it leaves view and comes back, so that
  // the same words twice are still two announcements.
  void present() {
    QAccessibleEvent hidden(this, QAccessible::ObjectHide);
    QAccessible::updateAccessibility(&hidden);
    notifyChange();
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
  }

 protected:
  QString whole() const override {
    return isValid() ? toQString(form_.lastAnnouncement()) : QString();
  }

 private:
  const Form& form_;
};

// The client area or a frame: its widgets, then what it paints, then (the client area only)
// the form's announcement.
class ContainerAccessible : public QAccessibleWidget {
 public:
  explicit ContainerAccessible(ContainerWidget* widget)
      : QAccessibleWidget(widget, qtRole(widget->container().accessibleRole())) {
    for (const Control* control : presentedChildren(widget->container())) {
      add(*control, new GraphicalChild(widget, *control));
    }
    if (const auto* form = dynamic_cast<const Form*>(&widget->container())) {
      announcement_ = new Announcement(widget, *form);
      childIds_.push_back(QAccessible::registerAccessibleInterface(announcement_));
    }
  }
  ~ContainerAccessible() override {
    for (QAccessible::Id id : childIds_) QAccessible::deleteAccessibleInterface(id);
  }

  QString text(QAccessible::Text type) const override {
    const Control& container = containerWidget()->container();
    if (type == QAccessible::Name && container.kind() == Kind::Frame) {
      return toQString(spokenName(container));
    }
    if (type == QAccessible::Description) return toQString(container.accessibleDescription());
    return QAccessibleWidget::text(type);
  }

  int childCount() const override {
    return QAccessibleWidget::childCount() + static_cast<int>(childIds_.size());
  }
  QAccessibleInterface* child(int index) const override {
    const int widgets = QAccessibleWidget::childCount();
    if (index < widgets) return QAccessibleWidget::child(index);
    const auto painted = static_cast<std::size_t>(index - widgets);
    return painted < childIds_.size() ? QAccessible::accessibleInterface(childIds_[painted])
                                      : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (std::size_t i = 0; i < childIds_.size(); ++i) {
      if (QAccessible::accessibleInterface(childIds_[i]) == child) {
        return QAccessibleWidget::childCount() + static_cast<int>(i);
      }
    }
    return QAccessibleWidget::indexOfChild(child);
  }

  void childChanged(const Control& control) {
    for (std::size_t i = 0; i < children_.size(); ++i) {
      if (children_[i] == &control) {
        static_cast<GraphicalChild*>(QAccessible::accessibleInterface(childIds_[i]))
            ->notifyChange();
      }
    }
  }
  void announce() {
    if (announcement_) announcement_->present();
  }

 private:
  ContainerWidget* containerWidget() const { return static_cast<ContainerWidget*>(widget()); }
  void add(const Control& control, GraphicalChild* child) {
    children_.push_back(&control);
    childIds_.push_back(QAccessible::registerAccessibleInterface(child));
  }

  std::vector<const Control*> children_;   // the painted ones, in the order of their ids
  std::vector<QAccessible::Id> childIds_;  // theirs, then the announcement's
  Announcement* announcement_ = nullptr;
};

// A command button, check box or option button. Its role is the model's: Qt would call an
// option button a check box, as the model rather than Qt keeps the group exclusive. Every
// action is a click, the same one the mouse makes, run after the request is answered since a
// handler may open a modal dialog.
class ButtonAccessible : public QAccessibleWidget {
 public:
  ButtonAccessible(QAbstractButton* button, const Control& control)
      : QAccessibleWidget(button, qtRole(control.accessibleRole())) {}

  QString text(QAccessible::Text type) const override {
    if (type == QAccessible::Name && widget()->accessibleName().isEmpty()) {
      return button()->text().remove(QLatin1Char('&'));
    }
    return QAccessibleWidget::text(type);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    if (button()->isCheckable()) {
      state.checkable = true;
      state.checked = button()->isChecked();
    }
    state.pressed = button()->isDown();
    return state;
  }
  QStringList actionNames() const override {
    QStringList names = ownActions();
    names += QAccessibleWidget::actionNames();
    return names;
  }
  void doAction(const QString& action) override {
    if (!ownActions().contains(action)) {
      QAccessibleWidget::doAction(action);
      return;
    }
    QMetaObject::invokeMethod(button(), &QAbstractButton::click, Qt::QueuedConnection);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
  QStringList ownActions() const {
    if (button()->isCheckable()) return {toggleAction(), pressAction()};
    return {pressAction()};
  }
};

// An editable combo box, named for what it presets (Qt on Linux names it by its text).
class ComboBoxAccessible : public QAccessibleWidget {
 public:
  explicit ComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  QString text(QAccessible::Text type) const override {
    if (type == QAccessible::Value) return box()->currentText();
    return QAccessibleWidget::text(type);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = box()->isEditable();
    state.expandable = true;
    return state;
  }
  QStringList actionNames() const override {
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (action == showMenuAction()) {
      QMetaObject::invokeMethod(box(), &QComboBox::showPopup, Qt::QueuedConnection);
    } else {
      QAccessibleWidget::doAction(action);
    }
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

  // The drop-down list comes first, as Qt's own combo box gives it: its window is a separate
  // popup, so the widget's children alone would leave the items out of reach.
  int childCount() const override { return QAccessibleWidget::childCount() + 1; }
  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(box()->view());
    return QAccessibleWidget::child(index - 1);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child != nullptr && child->object() == box()->view()) return 0;
    const int index = QAccessibleWidget::indexOfChild(child);
    return index < 0 ? -1 : index + 1;
  }

 private:
  QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* interfaceFor(const QString&, QObject* object) {
  if (auto* container = dynamic_cast<ContainerWidget*>(object)) {
    return new ContainerAccessible(container);
  }
  const Control* control = linkedControl(object);
  if (control == nullptr) return nullptr;
  switch (control->kind()) {
    case Kind::CommandButton:
    case Kind::CheckBox:
    case Kind::OptionButton:
      return new ButtonAccessible(static_cast<QAbstractButton*>(object), *control);
    case Kind::ComboBox:
      return new ComboBoxAccessible(static_cast<QComboBox*>(object));
    default:
      return nullptr;
  }
}

ContainerAccessible* accessibleOf(ContainerWidget& container) {
  if (!QAccessible::isActive()) return nullptr;
  return dynamic_cast<ContainerAccessible*>(QAccessible::queryAccessibleInterface(&container));
}

}  // namespace

void installAccessibleInterfaces() {
  static const bool installed = [] {
    QAccessible::installFactory(interfaceFor);
    return true;
  }();
  (void)installed;
}

void linkToControl(QWidget& widget, const Control& control) {
  widget.setProperty(controlProperty, QVariant::fromValue(static_cast<const void*>(&control)));
}

void notifyGraphicalChange(ContainerWidget& container, const Control& control) {
  if (ContainerAccessible* accessible = accessibleOf(container)) accessible->childChanged(control);
}

void announce(ContainerWidget& clientArea) {
  if (ContainerAccessible* accessible = accessibleOf(clientArea)) accessible->announce();
}

}  // namespace tk::qt
