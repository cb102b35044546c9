#pragma once
// The top-level window that shows one form: its menu bar, its client area and every control,
// following the form as its observer and handing the user's actions back to it.

#include <QKeySequence>
#include <QMainWindow>
#include <map>
#include <memory>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/held_changes.h"
#include "toolkit/qt/container_widgets.h"
#include "toolkit/qt/control_views.h"

namespace tk {
class Menu;
}

namespace tk::qt {

class FormWindow : public QMainWindow, public ControlObserver {
 public:
  explicit FormWindow(Form& form);
  ~FormWindow() override;

  Form& form() const { return form_; }
  QWidget* client() const { return client_; }
  // The widget that shows a windowed control or a container; null for graphical controls.
  QWidget* widgetOf(const Control& control) const;

  void propertyChanged(Control& control, Property property) override;

  // A catch-up's changes reach the screen once, when it ends.
  void holdChanges() { heldChanges_.hold(); }
  void releaseChanges() { heldChanges_.release(); }

  // Shows the window (placed as the form asks), restored if it was minimised, in front and
  // active; the first time, with the focus on the first control in tab order that can take it.
  void present();
  // Stops showing the form and forwarding input to it, before the window goes away.
  void detach();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void setWindowStyle();
  void addMenu(QMenu* parentMenu, Menu& menu);
  void addControls(Container& container, QWidget* containerWidget);
  std::vector<ControlView*> viewsInTabOrder() const;
  void setTabOrder();
  void focusFirstControl();
  void giveMenuShortcutsPriority();
  void fixSize();
  void returnToNormalState(Qt::WindowState state);
  void fixSizeAgainWhenNormal();
  bool isMenuShortcut(const QKeyEvent& key) const;
  void showChange(Control& control, Property property);

  Form& form_;
  ClientAreaWidget* client_;
  std::map<const Control*, std::unique_ptr<ControlView>> views_;
  std::map<const Container*, ContainerWidget*> containers_;
  std::vector<QKeySequence> menuShortcuts_;
  QSize fixedSize_;            // the whole window's, menu bar and title included; set when shown
  bool sizeReleased_ = false;  // only while a maximised or full-screen state is undone
  bool askingForNormalState_ = false;
  bool detached_ = false;
  HeldChanges heldChanges_{
      [this](Control& control, Property property) { showChange(control, property); }};
};

}  // namespace tk::qt
