#include <utility>

#include "toolkit/painting.h"
#include "toolkit/win32/accessibility.h"
#include "toolkit/win32/comctl.h"
#include "toolkit/win32/control_views.h"
#include "toolkit/win32/form_window.h"
#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {
constexpr wchar_t viewProperty[] = L"StopwatchToolkitView";
}

ControlView::ControlView(Control& control, FormWindow& window, HWND handle)
    : control_(control), window_(window), handle_(handle) {
  // A frame's window answers for itself, its painted children included.
  if (control.kind() == Kind::Frame) return;
  SetPropW(handle_, viewProperty, this);
  systemProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&answerAccessibility)));
}

ControlView::~ControlView() {
  if (systemProc_ == nullptr || !IsWindow(handle_)) return;
  SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc_));
  RemovePropW(handle_, viewProperty);
}

// The control's accessible name and tooltip, where the system's object would read only the
// window's text (a slot button shows no caption at all).
LRESULT CALLBACK ControlView::answerAccessibility(HWND handle, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  auto* view = static_cast<ControlView*>(GetPropW(handle, viewProperty));
  if (view == nullptr) return DefWindowProcW(handle, message, wParam, lParam);
  if (message == WM_GETOBJECT) {
    if (LRESULT answer = answerGetObject(
            wParam, lParam, [&] { return view->window().accessibleObjectOf(handle); })) {
      return answer;
    }
  }
  return CallWindowProcW(view->systemProc_, handle, message, wParam, lParam);
}

void ControlView::apply(Property property) {
  const bool wasApplying = std::exchange(applying_, true);
  switch (property) {
    case Property::Bounds: {
      const PixelRect bounds = shownBounds(pixelRect(control_.bounds(), window_.scale()));
      SetWindowPos(handle_, nullptr, int(bounds.left), int(bounds.top), int(bounds.width),
                   int(bounds.height), SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case Property::Visible:
      ShowWindow(handle_, control_.visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Property::Enabled:
      EnableWindow(handle_, control_.enabled());
      break;
    case Property::Accessibility:
      window_.showToolTip(handle_, control_.toolTip());
      tellReaders();
      break;
    default:
      break;
  }
  applyOwn(property);
  applying_ = wasApplying;
}

// Readers hear a new name or description of the window; the first ones, which come with the
// window, are news to nobody.
void ControlView::tellReaders() {
  OwnFacts now = ownFactsOf(control_, handle_);
  const bool first = !told_;
  told_ = true;
  if (std::exchange(toldName_, now.name) != now.name && !first) {
    notifyNameChange(handle_, CHILDID_SELF);
  }
  if (std::exchange(toldDescription_, now.description) != now.description && !first) {
    notifyDescriptionChange(handle_, CHILDID_SELF);
  }
}

void ControlView::applyAll() {
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(window_.font()), FALSE);
  for (Property property : viewProperties) apply(property);
}

void ControlView::notified(UINT message, WPARAM wParam, LPARAM lParam) {
  if (applying_ || window_.detached()) return;
  userAction(message, wParam, lParam);
}

std::wstring windowText(HWND handle) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(handle)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(handle, text.data(), int(text.size()))));
  return text;
}

HWND createControlWindow(const wchar_t* windowClass, DWORD style, DWORD extendedStyle, HWND parent,
                         FormWindow& window) {
  HWND handle = CreateWindowExW(extendedStyle, windowClass, L"", WS_CHILD | style, 0, 0, 0, 0,
                                parent, reinterpret_cast<HMENU>(window.nextControlId()),
                                GetModuleHandleW(nullptr), nullptr);
  // A later control lies in front of the earlier ones, as in the design.
  SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return handle;
}

namespace {
template <typename View>
std::unique_ptr<ControlView> viewOf(Control& control, FormWindow& window, HWND parent) {
  return std::make_unique<View>(static_cast<typename View::ModelType&>(control), window, parent);
}
}  // namespace

std::unique_ptr<ControlView> makeView(Control& control, FormWindow& window, HWND parent) {
  switch (control.kind()) {
    case Kind::CommandButton:
      return viewOf<CommandButtonView>(control, window, parent);
    case Kind::CheckBox:
      return viewOf<CheckBoxView>(control, window, parent);
    case Kind::OptionButton:
      return viewOf<OptionButtonView>(control, window, parent);
    case Kind::TextBox:
      return viewOf<TextBoxView>(control, window, parent);
    case Kind::ComboBox:
      return viewOf<ComboBoxView>(control, window, parent);
    case Kind::ListBox:
      return viewOf<ListBoxView>(control, window, parent);
    case Kind::ProgressBar:
      return viewOf<ProgressBarView>(control, window, parent);
    case Kind::Slider:
      return viewOf<SliderView>(control, window, parent);
    case Kind::PictureBox:
      return viewOf<PictureBoxView>(control, window, parent);
    default:
      return nullptr;
  }
}

FrameView::FrameView(Frame& frame, FormWindow& window, HWND handle)
    : ControlView(frame, window, handle) {}

void FrameView::applyOwn(Property property) {
  if (property == Property::BackColour || property == Property::Caption) {
    InvalidateRect(handle(), nullptr, FALSE);
  }
}

}  // namespace tk::win32
