#pragma once
// The top-level window that shows one form: its menu bar, its client area and every control,
// following the form as its observer and handing the user's actions back to it.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/held_changes.h"

struct IAccessible;

namespace tk {
class Menu;
}

namespace tk::win32 {

class ContainerWindow;
class ControlView;

class FormWindow : public ControlObserver {
 public:
  explicit FormWindow(Form& form);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  Form& form() const { return form_; }
  HWND handle() const { return window_; }
  HWND client() const;
  // The window showing a windowed control or a container; null for graphical controls.
  HWND handleOf(const Control& control) const;
  ControlView* viewOf(HWND handle) const;

  int dpi() const { return dpi_; }
  double scale() const;
  HFONT font() const { return font_; }
  int nextControlId() { return nextControlId_++; }
  bool detached() const { return detached_; }

  void propertyChanged(Control& control, Property property) override;

  // A catch-up's changes reach the screen once, when it ends.
  void holdChanges() { heldChanges_.hold(); }
  void releaseChanges() { heldChanges_.release(); }

  // Shows the window (placed as the form asks) and, the first time, gives the focus to the first
  // control in tab order that can take it.
  void present();
  // Stops showing the form and forwarding input to it, before the window goes away.
  void detach();

  // The keys a dialog handles, for a message on its way to this window or a control in it: the
  // menus' shortcuts wherever the focus is, Tab in the order of TabIndex, Enter and Esc for the
  // default and cancel buttons, Alt with a caption's access key. True when the key was used.
  bool translateKey(MSG& message);

  // Flashes the task-bar button while another window is the active one, until this one is.
  void askForAttention();

  void showToolTip(HWND handle, const std::string& toolTip);
  // What assistive technology reads of a control's or container's window: its accessible name,
  // description and role, and a container's painted children, which have no windows of their
  // own. Null where the system's own object says all. The caller owns one reference.
  IAccessible* accessibleObjectOf(HWND handle) const;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void makeMenus();
  void addMenu(HMENU parentMenu, Menu& menu, std::vector<ACCEL>& accelerators);
  void addControls(Container& container, HWND containerWindow);
  std::vector<ControlView*> viewsInTabOrder() const;
  ControlView* focusedView() const;
  void moveFocus(int direction);
  void focusOn(ControlView& view);
  void focusFirstControl();
  bool pressDefaultOrCancel(WPARAM key);
  void fixSize();
  void changeDpi(int dpi, const RECT& suggested);
  void showChange(Control& control, Property property);
  void stopAskingForAttention();

  Form& form_;
  HWND window_ = nullptr;
  int dpi_ = 96;
  HFONT font_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HWND toolTips_ = nullptr;
  std::vector<Menu*> menuItems_;  // by command id, from firstMenuId
  std::map<const Container*, std::unique_ptr<ContainerWindow>> containers_;
  std::map<const Control*, std::unique_ptr<ControlView>> views_;
  std::unordered_map<HWND, ControlView*> viewsByHandle_;
  HWND lastFocus_ = nullptr;  // given back when the window is active again
  int nextControlId_ = 100;
  bool shownBefore_ = false;
  bool detached_ = false;
  bool askingForAttention_ = false;
  HeldChanges heldChanges_{
      [this](Control& control, Property property) { showChange(control, property); }};
};

}  // namespace tk::win32
