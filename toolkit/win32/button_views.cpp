#include <algorithm>
#include <cmath>

#include "toolkit/painting.h"
#include "toolkit/win32/accessibility.h"
#include "toolkit/win32/comctl.h"
#include "toolkit/win32/control_views.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/form_window.h"
#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {

void showCaption(HWND handle, const std::string& caption) {
  SetWindowTextW(handle, toWide(caption).c_str());
}

// The width a container leaves its children inside its border.
int innerWidthOf(const Container& container, double scale) {
  const int width = toPixels(container.bounds().width, scale);
  return container.kind() == Kind::Frame ? width - GetSystemMetrics(SM_CXEDGE) : width;
}

int textWidthOf(HWND window) {
  const std::wstring caption = windowText(window);
  HDC dc = GetDC(window);
  const HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  RECT text{};
  DrawTextW(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, oldFont);
  ReleaseDC(window, dc);
  return int(text.right - text.left);
}

// How wide a check box or option button lays out its parts, in pixels of its font: the glyph
// with the gap after it, and the caption.
struct CaptionWidths {
  int glyph = 0;
  int text = 0;
  int averageCharacter = 0;
};

// Measured on a hidden twin wide enough for any caption: Wine's common controls answer the ideal
// size only up to the button's own width, which is what a cut caption is short of. User32's
// buttons (no version 6 common controls) do not answer at all; they draw a 13-pixel glyph at
// 96 DPI with half a character's gap.
CaptionWidths captionWidthsOf(HWND button, int dpi) {
  const std::wstring caption = windowText(button);
  const auto font = static_cast<WPARAM>(SendMessageW(button, WM_GETFONT, 0, 0));
  // A three-state box is laid out as a two-state one, whose ideal size Wine does answer.
  DWORD kind = DWORD(GetWindowLongW(button, GWL_STYLE)) & BS_TYPEMASK;
  if (kind == BS_3STATE || kind == BS_AUTO3STATE) kind = BS_CHECKBOX;
  HWND twin = CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | kind, 0, 0, 0x4000, 0x100,
                              GetParent(button), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(twin, WM_SETFONT, font, FALSE);
  SIZE ideal{};
  const bool answered =
      SendMessageW(twin, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) && ideal.cx > 0;
  const int textWidth = textWidthOf(twin);
  HDC dc = GetDC(twin);
  const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(font));
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, oldFont);
  ReleaseDC(twin, dc);
  DestroyWindow(twin);
  const int glyph = answered ? int(ideal.cx) - textWidth
                             : MulDiv(13, dpi, defaultDpi) + metrics.tmAveCharWidth / 2;
  return {glyph, textWidth, int(metrics.tmAveCharWidth)};
}

DWORD commandButtonStyle(const CommandButton& button) {
  // A coloured button draws itself: the system's buttons take no face colour with visual styles.
  if (button.graphical()) return BS_OWNERDRAW;
  return &button == button.form().defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

}  // namespace

CommandButtonView::CommandButtonView(CommandButton& button, FormWindow& window, HWND parent)
    : ViewOf(button, window,
             createControlWindow(L"BUTTON", WS_TABSTOP | commandButtonStyle(button), 0, parent,
                                 window)) {}

// A caption wider than the design's button, in a system font wider than the design's, widens
// the button evenly on both sides, as far as its container allows: it is centred on the face.
PixelRect CommandButtonView::shownBounds(const PixelRect& designed) {
  const int needed = textWidthOf(handle()) + 4 * GetSystemMetrics(SM_CXEDGE);
  if (needed <= designed.width) return designed;
  const double room = innerWidthOf(*model().parent(), window().scale());
  PixelRect shown = designed;
  shown.width = std::min<double>(needed, room);
  shown.left = std::clamp(designed.left - std::floor((shown.width - designed.width) / 2), 0.0,
                          room - shown.width);
  return shown;
}

void CommandButtonView::applyOwn(Property property) {
  if (property == Property::Caption) {
    showCaption(handle(), model().caption());
    apply(Property::Bounds);  // the new caption may need another width
  }
  if (property == Property::BackColour && model().graphical()) {
    InvalidateRect(handle(), nullptr, FALSE);
  }
}

void CommandButtonView::userAction(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) model().click();
}

bool CommandButtonView::pressEnter() {
  model().click();
  return true;
}

// The face in the button's own colour and nothing else, a raised edge (sunken while pressed),
// the caption in a colour that reads on the face, and the focus rectangle.
void CommandButtonView::draw(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT area = item.rcItem;
  const bool pressed = item.itemState & ODS_SELECTED;
  const Colour face = fromColorRef(toColorRef(model().backColour()));
  SolidBrush faceBrush;
  FillRect(dc, &area, faceBrush.of(toColorRef(face)));
  DrawEdge(dc, &area, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  RECT text = area;
  if (pressed) OffsetRect(&text, 1, 1);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT)
                                                   : toColorRef(readableTextOn(face)));
  const std::wstring caption = toWide(model().caption());
  DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS) {
    const int inset = GetSystemMetrics(SM_CXEDGE) + 1;
    InflateRect(&area, -inset, -inset);
    DrawFocusRect(dc, &area);
  }
}

template <typename Model>
CheckedButtonView<Model>::CheckedButtonView(Model& model, FormWindow& window, HWND parent,
                                            DWORD buttonStyle)
    : ViewOf<Model>(model, window,
                    createControlWindow(L"BUTTON", WS_TABSTOP | buttonStyle, 0, parent, window)) {}

template <typename Model>
HBRUSH CheckedButtonView<Model>::background(HDC dc) {
  const COLORREF colour = toColorRef(this->model().backColour());
  SetBkColor(dc, colour);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  return brush_.of(colour);
}

template <typename Model>
void CheckedButtonView<Model>::applyOwn(Property property) {
  switch (property) {
    case Property::Caption:
      showCaption(this->handle(), this->model().caption());
      this->apply(Property::Bounds);  // the new caption may need another width
      break;
    case Property::BackColour:
      InvalidateRect(this->handle(), nullptr, TRUE);
      break;
    case Property::Value: {
      const int value = static_cast<int>(this->model().value());
      const WPARAM check = value == CheckBox::Checked  ? BST_CHECKED
                           : value == CheckBox::Grayed ? BST_INDETERMINATE
                                                       : BST_UNCHECKED;
      const auto before = static_cast<WPARAM>(SendMessageW(this->handle(), BM_GETCHECK, 0, 0));
      SendMessageW(this->handle(), BM_SETCHECK, check, 0);
      // Wine's buttons raise no event when their check changes; where the system's buttons
      // raise one too, a reader hears the same new state twice.
      if (check != before) notifyStateChange(this->handle(), CHILDID_SELF);
      break;
    }
    default:
      break;
  }
}

template <typename Model>
void CheckedButtonView<Model>::userAction(UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return;
  this->model().click();
  this->apply(Property::Value);  // a handler may have put the box back
}

// A caption the design gives room to is shown whole, also where the system's font is wider than
// the one the design was drawn with (Wine's is): the window grows to the caption's width, up to
// its container's edge. A design that leaves less than a character beside the glyph meant the
// glyph alone (the slot buttons), and keeps it. Measured each time the window is placed, in the
// font it has then, so a new DPI measures anew.
template <typename Model>
PixelRect CheckedButtonView<Model>::shownBounds(const PixelRect& designed) {
  if (this->model().caption().empty()) return designed;
  const CaptionWidths caption = captionWidthsOf(this->handle(), this->window().dpi());
  if (designed.width - caption.glyph < caption.averageCharacter) return designed;
  PixelRect shown = designed;
  const double room = innerWidthOf(*this->model().parent(), this->window().scale()) - designed.left;
  shown.width = std::max(designed.width, std::min<double>(caption.glyph + caption.text, room));
  return shown;
}

CheckBoxView::CheckBoxView(CheckBox& box, FormWindow& window, HWND parent)
    : CheckedButtonView(box, window, parent, BS_3STATE) {}

OptionButtonView::OptionButtonView(OptionButton& button, FormWindow& window, HWND parent)
    : CheckedButtonView(button, window, parent, BS_RADIOBUTTON) {}

}  // namespace tk::win32
