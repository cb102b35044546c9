#include "toolkit/win32/form_window.h"

#include <algorithm>

#include "toolkit/accessible_text.h"
#include "toolkit/change_routing.h"
#include "toolkit/menu.h"
#include "toolkit/painting.h"
#include "toolkit/text.h"
#include "toolkit/win32/accessibility.h"
#include "toolkit/win32/comctl.h"
#include "toolkit/win32/container_windows.h"
#include "toolkit/win32/control_views.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/pictures.h"
#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {

constexpr wchar_t formClassName[] = L"StopwatchToolkitForm";
// Above IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc.
constexpr int firstMenuId = 1000;

// The program's icon: the first icon group in the program file, if it has one.
HICON programIcon(int size) {
  HMODULE program = GetModuleHandleW(nullptr);
  LPWSTR first = nullptr;
  EnumResourceNamesW(
      program, RT_GROUP_ICON,
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
        *reinterpret_cast<LPWSTR*>(found) = name;
        return FALSE;
      },
      reinterpret_cast<LONG_PTR>(&first));
  if (first == nullptr) return nullptr;
  return static_cast<HICON>(LoadImageW(program, first, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void registerFormClass(WNDPROC windowProc) {
  static const bool registered = [windowProc] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hIcon = programIcon(GetSystemMetrics(SM_CXICON));
    windowClass.hIconSm = programIcon(GetSystemMetrics(SM_CXSMICON));
    windowClass.lpszClassName = formClassName;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
}

DWORD styleOf(const Form& form) {
  if (form.borderStyle == BorderStyle::FixedDialog) return WS_POPUP | WS_CAPTION | WS_SYSMENU;
  // A borderless window with a menu bar still gets a title bar, so that it can be moved and
  // closed; the client area keeps its size either way.
  if (form.borderStyle == BorderStyle::None && form.menus().empty()) return WS_POPUP;
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
}

DWORD extendedStyleOf(const Form& form) {
  DWORD style = WS_EX_CONTROLPARENT;
  if (form.borderStyle == BorderStyle::FixedDialog) style |= WS_EX_DLGMODALFRAME;
  if (!form.showInTaskbar) style |= WS_EX_TOOLWINDOW;
  return style;
}

// "Ctrl+Q", "Ctrl+Shift+F5": the accelerator the shortcut text names; false for one it cannot.
bool parseShortcut(const std::string& shortcut, ACCEL& accelerator) {
  accelerator = {FVIRTKEY, 0, 0};
  std::size_t start = 0;
  while (start < shortcut.size()) {
    const std::size_t plus = shortcut.find('+', start + 1);
    const std::string part =
        shortcut.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    start = plus == std::string::npos ? shortcut.size() : plus + 1;
    if (part == "Ctrl") {
      accelerator.fVirt |= FCONTROL;
    } else if (part == "Shift") {
      accelerator.fVirt |= FSHIFT;
    } else if (part == "Alt") {
      accelerator.fVirt |= FALT;
    } else if (part.size() == 1 && std::isalnum(static_cast<unsigned char>(part[0]))) {
      accelerator.key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(part[0])));
    } else if (part.size() >= 2 && part[0] == 'F' &&
               std::isdigit(static_cast<unsigned char>(part[1]))) {
      accelerator.key = static_cast<WORD>(VK_F1 + std::stoi(part.substr(1)) - 1);
    } else {
      return false;
    }
  }
  return accelerator.key != 0;
}

bool isPressed(int key) { return GetKeyState(key) < 0; }

}  // namespace

FormWindow::FormWindow(Form& form) : form_(form) {
  registerFormClass(&FormWindow::windowProc);
  window_ = CreateWindowExW(extendedStyleOf(form), formClassName, toWide(form.caption()).c_str(),
                            styleOf(form), CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  dpi_ = dpiOf(window_);
  font_ = createMessageFont(dpi_);
  makeMenus();

  auto client = std::make_unique<ClientAreaWindow>(form, *this, window_);
  HWND clientHandle = client->handle();
  containers_[&form] = std::move(client);
  addControls(form, clientHandle);
  fixSize();
  for (auto& [container, window] : containers_) window->rescale();
}

FormWindow::~FormWindow() {
  detach();
  DestroyWindow(window_);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  DeleteObject(font_);
}

HWND FormWindow::client() const { return containers_.at(&form_)->handle(); }

HWND FormWindow::handleOf(const Control& control) const {
  if (auto view = views_.find(&control); view != views_.end()) return view->second->handle();
  if (auto container = containers_.find(static_cast<const Container*>(&control));
      container != containers_.end()) {
    return container->second->handle();
  }
  return nullptr;
}

ControlView* FormWindow::viewOf(HWND handle) const {
  auto found = viewsByHandle_.find(handle);
  return found == viewsByHandle_.end() ? nullptr : found->second;
}

double FormWindow::scale() const { return scaleOf(dpi_); }

void FormWindow::makeMenus() {
  if (form_.menus().empty()) return;
  HMENU menuBar = CreateMenu();
  std::vector<ACCEL> accelerators;
  for (Menu* menu : form_.menus()) addMenu(menuBar, *menu, accelerators);
  SetMenu(window_, menuBar);
  if (!accelerators.empty()) {
    accelerators_ = CreateAcceleratorTableW(accelerators.data(), int(accelerators.size()));
  }
}

void FormWindow::addMenu(HMENU parentMenu, Menu& menu, std::vector<ACCEL>& accelerators) {
  std::wstring caption = toWide(menu.caption());
  if (!menu.items().empty()) {
    HMENU submenu = CreatePopupMenu();
    for (Menu* item : menu.items()) addMenu(submenu, *item, accelerators);
    AppendMenuW(parentMenu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                caption.c_str());
    return;
  }
  const auto id = static_cast<WORD>(firstMenuId + menuItems_.size());
  menuItems_.push_back(&menu);
  ACCEL accelerator;
  if (!menu.shortcut().empty() && parseShortcut(menu.shortcut(), accelerator)) {
    accelerator.cmd = id;
    accelerators.push_back(accelerator);
    caption += L"\t" + toWide(menu.shortcut());
  }
  AppendMenuW(parentMenu, MF_STRING, id, caption.c_str());
}

void FormWindow::addControls(Container& container, HWND containerWindow) {
  for (Control* child : container.children()) {
    if (!child->windowed()) continue;
    std::unique_ptr<ControlView> view;
    if (auto* frame = dynamic_cast<Frame*>(child)) {
      auto frameWindow = std::make_unique<FrameWindow>(*frame, *this, containerWindow);
      HWND frameHandle = frameWindow->handle();
      containers_[frame] = std::move(frameWindow);
      view = std::make_unique<FrameView>(*frame, *this, frameHandle);
      addControls(*frame, frameHandle);
    } else {
      view = makeView(*child, *this, containerWindow);
    }
    if (!view) continue;
    viewsByHandle_[view->handle()] = view.get();
    view->applyAll();
    views_[child] = std::move(view);
  }
}

void FormWindow::propertyChanged(Control& control, Property property) {
  heldChanges_.changed(control, property);
}

void FormWindow::showChange(Control& control, Property property) {
  if (detached_) return;
  auto showForm = [this](Property property) {
    if (property == Property::Caption) SetWindowTextW(window_, toWide(form_.caption()).c_str());
    if (property == Property::Announcement) containers_.at(&form_)->announce();
    if (changesLook(property)) InvalidateRect(client(), nullptr, FALSE);
  };
  routeChange(form_, control, property, views_, containers_, showForm,
              [&control, property](ContainerWindow& container) {
                if (changesLook(property)) container.showChange(control);
                container.notifySpokenChange(control);
              });
}

void FormWindow::askForAttention() {
  if (detached_ || GetForegroundWindow() == window_) return;
  FLASHWINFO flash{sizeof(FLASHWINFO), window_, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
  FlashWindowEx(&flash);
  askingForAttention_ = true;
}

// Windows stops a FLASHW_TIMERNOFG flash itself when the window comes to the foreground; Wine
// does not, so the window stops it when it is activated.
void FormWindow::stopAskingForAttention() {
  if (!askingForAttention_) return;
  askingForAttention_ = false;
  FLASHWINFO stop{sizeof(FLASHWINFO), window_, FLASHW_STOP, 0, 0};
  FlashWindowEx(&stop);
}

// The window's outer size makes the client area exactly the design's at the window's DPI; a
// menu bar that wraps onto a second line is made up for.
void FormWindow::fixSize() {
  const int width = toPixels(form_.bounds().width, scale());
  const int height = toPixels(form_.bounds().height, scale());
  const HMENU menu = GetMenu(window_);
  SIZE size =
      windowSizeFor(width, height, styleOf(form_), extendedStyleOf(form_), menu != nullptr, dpi_);
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(window_, &client);
  if (client.bottom != height || client.right != width) {
    size.cx += width - client.right;
    size.cy += height - client.bottom;
    SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(containers_.at(&form_)->handle(), nullptr, 0, 0, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::changeDpi(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  DeleteObject(std::exchange(font_, createMessageFont(dpi_)));
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  fixSize();
  for (auto& [control, view] : views_) {
    SendMessageW(view->handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    view->apply(Property::Bounds);
  }
  for (auto& [container, window] : containers_) window->rescale();
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
}

void FormWindow::present() {
  const bool firstShowing = !shownBefore_;
  shownBefore_ = true;
  if (form_.manualPosition) {
    // The form's position is that of its client area's top left corner.
    RECT outer;
    GetWindowRect(window_, &outer);
    POINT clientOrigin{0, 0};
    ClientToScreen(window_, &clientOrigin);
    SetWindowPos(window_, nullptr,
                 toPixels(form_.screenLeft, scale()) - (clientOrigin.x - outer.left),
                 toPixels(form_.screenTop, scale()) - (clientOrigin.y - outer.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window_);
  if (firstShowing) focusFirstControl();
}

void FormWindow::detach() {
  if (detached_) return;
  detached_ = true;
  ShowWindow(window_, SW_HIDE);
}

std::vector<ControlView*> FormWindow::viewsInTabOrder() const {
  std::vector<ControlView*> order;
  for (const auto& [control, view] : views_) {
    if (view->takesFocus()) order.push_back(view.get());
  }
  std::sort(order.begin(), order.end(), [](ControlView* a, ControlView* b) {
    return a->control().tabIndex() < b->control().tabIndex();
  });
  return order;
}

ControlView* FormWindow::focusedView() const {
  for (HWND focus = GetFocus(); focus != nullptr && focus != window_; focus = GetParent(focus)) {
    if (ControlView* view = viewOf(focus)) return view;
  }
  return nullptr;
}

void FormWindow::focusOn(ControlView& view) {
  SetFocus(view.handle());
  // Tabbing into a text field selects its text, as in every dialog.
  const Kind kind = view.control().kind();
  if (kind == Kind::TextBox) SendMessageW(view.handle(), EM_SETSEL, 0, -1);
  if (kind == Kind::ComboBox) SendMessageW(view.handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void FormWindow::moveFocus(int direction) {
  std::vector<ControlView*> order = viewsInTabOrder();
  std::erase_if(order, [](ControlView* view) {
    return !IsWindowVisible(view->handle()) || !IsWindowEnabled(view->handle());
  });
  if (order.empty()) return;
  const auto count = static_cast<int>(order.size());
  const auto current = std::find(order.begin(), order.end(), focusedView());
  int next = direction > 0 ? 0 : count - 1;
  if (current != order.end()) next = (int(current - order.begin()) + direction + count) % count;
  focusOn(*order[static_cast<std::size_t>(next)]);
}

void FormWindow::focusFirstControl() {
  for (ControlView* view : viewsInTabOrder()) {
    if (IsWindowVisible(view->handle()) && IsWindowEnabled(view->handle())) {
      focusOn(*view);
      return;
    }
  }
}

// Enter presses the focused command button, or else the default button; Esc presses the cancel
// button.
bool FormWindow::pressDefaultOrCancel(WPARAM key) {
  if (key == VK_RETURN) {
    ControlView* focused = focusedView();
    if (focused && focused->pressEnter()) return true;
  }
  CommandButton* button = key == VK_RETURN ? form_.defaultButton : form_.cancelButton;
  if (button == nullptr) return false;
  button->click();
  return true;
}

bool FormWindow::translateKey(MSG& message) {
  if (detached_ || message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (accelerators_ && TranslateAcceleratorW(window_, accelerators_, &message)) return true;
  if (message.message == WM_KEYDOWN && !isPressed(VK_CONTROL) && !isPressed(VK_MENU)) {
    if (message.wParam == VK_TAB) {
      moveFocus(isPressed(VK_SHIFT) ? -1 : 1);
      return true;
    }
    if (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) {
      // An open drop-down list takes Enter and Esc itself.
      const auto wants = SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam,
                                      reinterpret_cast<LPARAM>(&message));
      if (!(wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) &&
          pressDefaultOrCancel(message.wParam)) {
        return true;
      }
    }
  }
  // Access keys and the arrow keys among buttons, as in any dialog.
  return IsDialogMessageW(window_, &message);
}

void FormWindow::showToolTip(HWND handle, const std::string& toolTip) {
  if (toolTip.empty()) return;
  if (toolTips_ == nullptr) {
    toolTips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  std::wstring text = toWide(toolTip);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(handle);
  tool.lpszText = text.data();
  SendMessageW(toolTips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

IAccessible* FormWindow::accessibleObjectOf(HWND handle) const {
  if (ControlView* view = viewOf(handle); view && view->control().kind() != Kind::Frame) {
    return accessibleObject(handle, ownFactsOf(view->control(), handle));
  }
  for (const auto& [container, window] : containers_) {
    if (window->handle() == handle) return window->accessibleObject();
  }
  return nullptr;
}

LRESULT CALLBACK FormWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return self->handle(message, wParam, lParam);
}

LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (lParam == 0 && id >= firstMenuId && !detached_) {
        const auto index = static_cast<std::size_t>(id - firstMenuId);
        if (index < menuItems_.size()) menuItems_[index]->click();
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        if (HWND focus = GetFocus(); focus && IsChild(window_, focus)) lastFocus_ = focus;
      } else if (!detached_) {
        stopAskingForAttention();
        if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_)) {
          SetFocus(lastFocus_);
        } else {
          focusFirstControl();
        }
      }
      return 0;
    case WM_DPICHANGED:
      changeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      // Closing from the title bar unloads the form, which takes the window away.
      if (!detached_) form_.unload();
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

}  // namespace tk::win32
