#pragma once
// One view class per windowed control kind. A view owns no model state: it shows its control's
// properties on a native control (model -> window, never taken for the user's action, since the
// view ignores what its own changes notify) and forwards the user's genuine actions, as the
// control reports them to its container, to the control's user-input methods (window -> model),
// then shows whatever the model made of them.

#include <windows.h>

#include <memory>
#include <string>

#include "toolkit/buttons.h"
#include "toolkit/common_controls.h"
#include "toolkit/frame.h"
#include "toolkit/graphics.h"
#include "toolkit/lists.h"
#include "toolkit/painting.h"
#include "toolkit/text.h"
#include "toolkit/win32/colours.h"

namespace tk::win32 {

class FormWindow;

class ControlView {
 public:
  ControlView(Control& control, FormWindow& window, HWND handle);
  virtual ~ControlView();
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  Control& control() const { return control_; }
  HWND handle() const { return handle_; }

  // Shows one changed property of the control on its window.
  void apply(Property property);
  // Shows every property, for a newly made window or after the DPI changed.
  void applyAll();

  // Whether Tab stops here (the kind takes the focus and has a place in the tab order).
  virtual bool takesFocus() const { return control_.tabIndex() >= 0; }
  // A notification the control sent its container (WM_COMMAND, WM_NOTIFY, WM_HSCROLL or
  // WM_VSCROLL).
  void notified(UINT message, WPARAM wParam, LPARAM lParam);
  // WM_CTLCOLOR*: the brush the control's background is filled with; null for the default.
  virtual HBRUSH background(HDC) { return nullptr; }
  // WM_DRAWITEM, for owner-drawn controls.
  virtual void draw(const DRAWITEMSTRUCT&) {}
  // Enter on the focused control: true when the control took it (a button pressed itself).
  virtual bool pressEnter() { return false; }

 protected:
  // What a property means for the kind, after the common ones (bounds, visibility, enabling,
  // accessibility) are shown here.
  virtual void applyOwn(Property property) = 0;
  // Where the window is placed for the design's place in pixels at the window's DPI.
  virtual PixelRect shownBounds(const PixelRect& designed) { return designed; }
  virtual void userAction(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  FormWindow& window() const { return window_; }

 private:
  static LRESULT CALLBACK answerAccessibility(HWND handle, UINT message, WPARAM wParam,
                                              LPARAM lParam);
  void tellReaders();

  Control& control_;
  FormWindow& window_;
  HWND handle_;
  WNDPROC systemProc_ = nullptr;  // the window class's own, which answers everything else
  bool applying_ = false;         // what the control notifies meanwhile is our own doing
  bool told_ = false;             // whether readers have heard of the window
  std::wstring toldName_;         // what they were last told
  std::wstring toldDescription_;
};

// Makes the view of a windowed control, its window a child of `parent`. Frames are made by the
// form's window, which also fills them.
std::unique_ptr<ControlView> makeView(Control& control, FormWindow& window, HWND parent);

// The text a native control shows now.
std::wstring windowText(HWND handle);

// Creates a child window for a control: shown, in the form's font, in front of its siblings.
HWND createControlWindow(const wchar_t* windowClass, DWORD style, DWORD extendedStyle, HWND parent,
                         FormWindow& window);

// The view of a control of kind Model.
template <typename Model>
class ViewOf : public ControlView {
 public:
  using ModelType = Model;

 protected:
  ViewOf(Model& model, FormWindow& window, HWND handle) : ControlView(model, window, handle) {}
  Model& model() const { return static_cast<Model&>(control()); }
};

class CommandButtonView : public ViewOf<CommandButton> {
 public:
  CommandButtonView(CommandButton& button, FormWindow& window, HWND parent);
  void draw(const DRAWITEMSTRUCT& item) override;
  bool pressEnter() override;

 protected:
  void applyOwn(Property property) override;
  void userAction(UINT message, WPARAM wParam, LPARAM lParam) override;
  PixelRect shownBounds(const PixelRect& designed) override;
};

// The check box and the option button: a box or circle with a caption on their back colour.
template <typename Model>
class CheckedButtonView : public ViewOf<Model> {
 public:
  HBRUSH background(HDC dc) override;

 protected:
  CheckedButtonView(Model& model, FormWindow& window, HWND parent, DWORD buttonStyle);
  void applyOwn(Property property) override;
  void userAction(UINT message, WPARAM wParam, LPARAM lParam) override;
  PixelRect shownBounds(const PixelRect& designed) override;

 private:
  SolidBrush brush_;
};

class CheckBoxView : public CheckedButtonView<CheckBox> {
 public:
  CheckBoxView(CheckBox& box, FormWindow& window, HWND parent);
};

// The system's exclusion is off: the model clears the other buttons of the group, and the view
// of each follows.
class OptionButtonView : public CheckedButtonView<OptionButton> {
 public:
  OptionButtonView(OptionButton& button, FormWindow& window, HWND parent);
};

class TextBoxView : public ViewOf<TextBox> {
 public:
  TextBoxView(TextBox& box, FormWindow& window, HWND parent);

 protected:
  void applyOwn(Property property) override;
  void userAction(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class ComboBoxView : public ViewOf<ComboBox> {
 public:
  ComboBoxView(ComboBox& box, FormWindow& window, HWND parent);

 protected:
  void applyOwn(Property property) override;
  void userAction(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void showSelectionAndText();
  void fitHeight();
  void narrowFieldMargins();
};

class ListBoxView : public ViewOf<ListBox> {
 public:
  ListBoxView(ListBox& list, FormWindow& window, HWND parent);

 protected:
  void applyOwn(Property property) override;
  void userAction(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void showSelection();
};

class ProgressBarView : public ViewOf<ProgressBar> {
 public:
  ProgressBarView(ProgressBar& bar, FormWindow& window, HWND parent);
  bool takesFocus() const override { return false; }
  HBRUSH background(HDC dc) override;

 protected:
  void applyOwn(Property property) override;
  void userAction(UINT, WPARAM, LPARAM) override {}

 private:
  SolidBrush brush_;
};

class SliderView : public ViewOf<Slider> {
 public:
  SliderView(Slider& slider, FormWindow& window, HWND parent);
  HBRUSH background(HDC dc) override;

 protected:
  void applyOwn(Property property) override;
  void userAction(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  SolidBrush brush_;
};

class PictureBoxView : public ViewOf<PictureBox> {
 public:
  PictureBoxView(PictureBox& box, FormWindow& window, HWND parent);
  bool takesFocus() const override { return false; }

 protected:
  void applyOwn(Property property) override;
  void userAction(UINT, WPARAM, LPARAM) override {}
};

class FrameView : public ControlView {
 public:
  FrameView(Frame& frame, FormWindow& window, HWND handle);
  bool takesFocus() const override { return false; }

 protected:
  void applyOwn(Property property) override;
  void userAction(UINT, WPARAM, LPARAM) override {}
};

}  // namespace tk::win32
