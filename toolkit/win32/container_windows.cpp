#include "toolkit/win32/container_windows.h"

#include <algorithm>

#include "toolkit/accessible_text.h"
#include "toolkit/form.h"
#include "toolkit/frame.h"
#include "toolkit/graphics.h"
#include "toolkit/win32/accessibility.h"
#include "toolkit/win32/colours.h"
#include "toolkit/win32/control_views.h"
#include "toolkit/win32/form_window.h"
#include "toolkit/win32/graphical_painter.h"
#include "toolkit/win32/pictures.h"
#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {

constexpr wchar_t containerClassName[] = L"StopwatchToolkitContainer";
constexpr wchar_t pictureBoxClassName[] = L"StopwatchToolkitPicture";

void registerClass(const wchar_t* name, WNDPROC windowProc) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  RegisterClassExW(&windowClass);
}

// A child window's messages reach the object behind it through the window's user data.
template <typename Object>
Object* objectOf(HWND handle, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* object = static_cast<Object*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return object;
  }
  return reinterpret_cast<Object*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
}

// The child window a notification comes from, or null for one that names none.
HWND notifyingChild(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
      return reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM:
      return reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
    default:
      (void)wParam;
      return nullptr;
  }
}

}  // namespace

ContainerWindow::ContainerWindow(const Container& container, FormWindow& window, HWND parent)
    : container_(container),
      window_(window),
      shownAreas_(container, [this](const Control& child) { return shownArea(child); }) {
  static const bool registered = (registerClass(containerClassName, &windowProc), true);
  (void)registered;
  handle_ =
      CreateWindowExW(WS_EX_CONTROLPARENT, containerClassName, toWide(container.name()).c_str(),
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                      nullptr, GetModuleHandleW(nullptr), this);
  SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

ContainerWindow::~ContainerWindow() {
  dropBuffer();
  if (IsWindow(handle_)) SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
}

void ContainerWindow::clientSize(int& width, int& height) const {
  RECT client;
  GetClientRect(handle_, &client);
  width = client.right;
  height = client.bottom;
}

PixelRect ContainerWindow::shownArea(const Control& child) const {
  // A line may reach far outside; only what lies within the window can be shown.
  int width = 0;
  int height = 0;
  if (handle_) clientSize(width, height);
  return paintedArea(child, window_.scale(), pictureSize)
      .intersected({0, 0, double(width), double(height)})
      .aligned();
}

void ContainerWindow::invalidate(const PixelRect& area) {
  if (area.isEmpty()) return;
  const RECT rect{int(area.left), int(area.top), int(area.right()), int(area.bottom())};
  InvalidateRect(handle_, &rect, FALSE);
}

void ContainerWindow::showChange(const Control& child) {
  const ShownAreas::Change change = shownAreas_.update(child);
  invalidate(change.before);
  invalidate(change.after);
}

void ContainerWindow::rescale() {
  dropBuffer();
  shownAreas_.measureAll();
  InvalidateRect(handle_, nullptr, FALSE);
}

void ContainerWindow::makeBuffer(HDC screen, int width, int height) {
  if (bufferDc_ && bufferSize_.cx == width && bufferSize_.cy == height) return;
  dropBuffer();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first, as GDI+ lays out its images
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bufferDc_ = CreateCompatibleDC(screen);
  bufferBitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bufferOldBitmap_ = SelectObject(bufferDc_, bufferBitmap_);
  bufferPixels_ = static_cast<std::uint32_t*>(bits);
  bufferImage_ = std::make_unique<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppRGB,
                                                   static_cast<BYTE*>(bits));
  bufferSize_ = {width, height};
}

void ContainerWindow::dropBuffer() {
  if (!bufferDc_) return;
  bufferImage_.reset();
  SelectObject(bufferDc_, bufferOldBitmap_);
  DeleteObject(bufferBitmap_);
  DeleteDC(bufferDc_);
  bufferDc_ = nullptr;
}

void ContainerWindow::paint(HDC dc, const RECT& area) {
  int width = 0;
  int height = 0;
  clientSize(width, height);
  if (width <= 0 || height <= 0) return;
  makeBuffer(dc, width, height);
  const Canvas canvas{bufferDc_, *bufferImage_, bufferPixels_,   width,
                      height,    area,          window_.scale(), window_.font()};
  HRGN clip = CreateRectRgnIndirect(&area);
  SelectClipRgn(bufferDc_, clip);
  DeleteObject(clip);
  paintBackground(canvas);
  const PixelRect painted{double(area.left), double(area.top), double(area.right - area.left),
                          double(area.bottom - area.top)};
  for (const Control* child : paintedChildren(container_)) {
    if (paintedArea(*child, window_.scale(), pictureSize).intersects(painted)) {
      paintGraphical(canvas, *child);
    }
  }
  GdiFlush();
  SelectClipRgn(bufferDc_, nullptr);
  BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, bufferDc_,
         area.left, area.top, SRCCOPY);
}

namespace {

RECT toRect(const PixelRect& area) {
  return {int(area.left), int(area.top), int(area.right()), int(area.bottom())};
}

// A label reads as what it says and shows its caption as its value; the dial, given the role
// of text, has its reading as both; a picture is only named.
PaintedElement elementOf(const Control& child, double scale) {
  const bool shown = child.visible();
  const PixelRect area =
      shown ? paintedArea(child, scale, pictureSize).aligned() : pixelRect(child.bounds(), scale);
  PaintedElement element{
      toWide(spokenText(child)),          {},    toWide(child.accessibleDescription()),
      systemRole(child.accessibleRole()), shown, toRect(area)};
  if (const auto* label = dynamic_cast<const Label*>(&child)) {
    element.value = toWide(label->caption());
  } else if (element.role == ROLE_SYSTEM_STATICTEXT) {
    element.value = element.name;
  }
  return element;
}

}  // namespace

IAccessible* ContainerWindow::accessibleObject() const {
  std::vector<PaintedElement> painted;
  for (const Control* child : presentedChildren(container_)) {
    painted.push_back(elementOf(*child, window_.scale()));
  }
  const Form& form = container_.form();
  if (&container_ == &form) {
    RECT client;
    GetClientRect(handle_, &client);
    painted.push_back({toWide(form.lastAnnouncement()),
                       {},
                       {},
                       ROLE_SYSTEM_ALERT,
                       !form.lastAnnouncement().empty(),
                       client});
  }
  // A form's client area keeps the system's role, that of a window's client.
  const long role = &container_ == &form ? 0 : systemRole(container_.accessibleRole());
  return tk::win32::accessibleObject(
      handle_, {toWide(spokenName(container_)), toWide(container_.accessibleDescription()), role},
      painted);
}

void ContainerWindow::notifySpokenChange(const Control& child) {
  const std::vector<const Control*> presented = presentedChildren(container_);
  const auto found = std::find(presented.begin(), presented.end(), &child);
  if (found == presented.end()) return;
  std::string now = spokenText(child);
  std::string& told = spoken_[&child];
  if (now == told) return;
  told = std::move(now);
  // The dial's words change every second: finding the element's id costs nothing while no
  // reader listens.
  if (!IsWinEventHookInstalled(EVENT_OBJECT_NAMECHANGE)) return;
  const long id = paintedChildId(handle_, static_cast<std::size_t>(found - presented.begin()));
  notifyNameChange(handle_, id);
  if (!elementOf(child, window_.scale()).value.empty()) notifyValueChange(handle_, id);
}

void ContainerWindow::announce() {
  const Form& form = container_.form();
  if (&container_ != &form) return;
  raiseAnnouncement(handle_, paintedChildId(handle_, presentedChildren(container_).size()),
                    toWide(form.lastAnnouncement()));
}

LRESULT CALLBACK ContainerWindow::windowProc(HWND handle, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  ContainerWindow* self = objectOf<ContainerWindow>(handle, message, lParam);
  if (self == nullptr) return DefWindowProcW(handle, message, wParam, lParam);
  if (message == WM_NCCREATE) self->handle_ = handle;
  return self->handle(message, wParam, lParam);
}

LRESULT ContainerWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (HWND child = notifyingChild(message, wParam, lParam)) {
    if (ControlView* view = window_.viewOf(child)) {
      switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
          if (HBRUSH brush = view->background(reinterpret_cast<HDC>(wParam))) {
            return reinterpret_cast<LRESULT>(brush);
          }
          break;
        case WM_DRAWITEM:
          view->draw(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
          return TRUE;
        default:
          view->notified(message, wParam, lParam);
          return 0;
      }
    }
  }
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint fills every pixel
    case WM_PAINT: {
      PAINTSTRUCT paintStruct;
      HDC dc = BeginPaint(handle_, &paintStruct);
      paint(dc, paintStruct.rcPaint);
      EndPaint(handle_, &paintStruct);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(handle_, &client);
      paint(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_SETCURSOR:
      // The form's pointer (an hourglass, say) is for its own surface; over a control the
      // pointer is the control's own.
      if (reinterpret_cast<HWND>(wParam) == handle_ && LOWORD(lParam) == HTCLIENT &&
          &container_ == &container_.form() &&
          container_.form().mousePointer == MousePointer::ArrowHourglass) {
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
      }
      break;
    case WM_GETOBJECT:
      if (LRESULT answer = answerGetObject(
              wParam, lParam, [this] { return window_.accessibleObjectOf(handle_); })) {
        return answer;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(handle_, message, wParam, lParam);
}

ClientAreaWindow::ClientAreaWindow(const Form& form, FormWindow& window, HWND parent)
    : ContainerWindow(form, window, parent), form_(form) {}

void ClientAreaWindow::paintBackground(const Canvas& canvas) {
  RECT client;
  GetClientRect(handle(), &client);
  SolidBrush brush;
  FillRect(canvas.dc, &client, brush.of(toColorRef(form_.backColour())));
  if (!form_.picture().empty()) {
    drawPicture(*graphicsOn(canvas), form_.picture(), 0, 0, canvas.scale);
  }
}

FrameWindow::FrameWindow(const Frame& frame, FormWindow& window, HWND parent)
    : ContainerWindow(frame, window, parent), frame_(frame) {}

void FrameWindow::paintBackground(const Canvas& canvas) {
  HDC dc = canvas.dc;
  RECT client;
  GetClientRect(handle(), &client);
  SolidBrush brush;
  const HBRUSH back = brush.of(toColorRef(frame_.backColour()));
  FillRect(dc, &client, back);

  const HGDIOBJ oldFont = SelectObject(dc, window().font());
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  RECT border = client;
  border.top = metrics.tmHeight / 2;
  DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);

  const std::wstring caption = toWide(frame_.caption());
  if (!caption.empty()) {
    const int captionLeft = toPixels(8 * twipsPerPixel, window().scale());
    const int padding = toPixels(2 * twipsPerPixel, window().scale());
    RECT text{captionLeft, 0, captionLeft, metrics.tmHeight};
    DrawTextW(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
    text.right += 2 * padding;
    FillRect(dc, &text, back);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_SINGLELINE);
  }
  SelectObject(dc, oldFont);
}

namespace {

struct PictureBoxWindow {
  const PictureBox& box;
  FormWindow& window;
};

LRESULT CALLBACK pictureBoxProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = objectOf<PictureBoxWindow>(handle, message, lParam);
  if (self && message == WM_PAINT) {
    PAINTSTRUCT paintStruct;
    HDC dc = BeginPaint(handle, &paintStruct);
    FillRect(dc, &paintStruct.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    Gdiplus::Graphics graphics(dc);
    drawPicture(graphics, self->box.picture(), 0, 0, self->window.scale());
    EndPaint(handle, &paintStruct);
    return 0;
  }
  if (self && message == WM_NCDESTROY) {
    SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
    delete self;
  }
  return DefWindowProcW(handle, message, wParam, lParam);
}

}  // namespace

HWND createPictureBoxWindow(const PictureBox& box, FormWindow& window, HWND parent) {
  static const bool registered = (registerClass(pictureBoxClassName, &pictureBoxProc), true);
  (void)registered;
  HWND handle = CreateWindowExW(WS_EX_STATICEDGE, pictureBoxClassName, L"", WS_CHILD, 0, 0, 0, 0,
                                parent, reinterpret_cast<HMENU>(window.nextControlId()),
                                GetModuleHandleW(nullptr), new PictureBoxWindow{box, window});
  SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return handle;
}

}  // namespace tk::win32
