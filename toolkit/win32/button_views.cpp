#include "toolkit/painting.h"
#include "toolkit/win32/accessibility.h"
#include "toolkit/win32/control_views.h"
#include "toolkit/win32/form_window.h"
#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {

void showCaption(HWND handle, const std::string& caption) {
  SetWindowTextW(handle, toWide(caption).c_str());
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

void CommandButtonView::applyOwn(Property property) {
  if (property == Property::Caption) showCaption(handle(), model().caption());
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

CheckBoxView::CheckBoxView(CheckBox& box, FormWindow& window, HWND parent)
    : CheckedButtonView(box, window, parent, BS_3STATE) {}

OptionButtonView::OptionButtonView(OptionButton& button, FormWindow& window, HWND parent)
    : CheckedButtonView(button, window, parent, BS_RADIOBUTTON) {}

}  // namespace tk::win32
