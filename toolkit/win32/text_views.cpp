#include <algorithm>

#include "toolkit/painting.h"
#include "toolkit/win32/control_views.h"
#include "toolkit/win32/form_window.h"
#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {

// Sets a window's text only when it differs, which leaves the caret where the user had it.
void showText(HWND handle, const std::string& text) {
  const std::wstring wide = toWide(text);
  if (windowText(handle) != wide) SetWindowTextW(handle, wide.c_str());
}

// Replaces a list's or combo box's items.
void fill(HWND handle, UINT reset, UINT add, const std::vector<std::string>& items) {
  SendMessageW(handle, reset, 0, 0);
  for (const std::string& item : items) {
    SendMessageW(handle, add, 0, reinterpret_cast<LPARAM>(toWide(item).c_str()));
  }
}

}  // namespace

TextBoxView::TextBoxView(TextBox& box, FormWindow& window, HWND parent)
    : ViewOf(box, window,
             createControlWindow(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, parent,
                                 window)) {}

void TextBoxView::applyOwn(Property property) {
  if (property == Property::MaxLength) {
    // No limit is the edit control's own default, the longest text it takes. The model counts
    // characters where the control counts UTF-16 units; the model cuts what is still too long.
    SendMessageW(handle(), EM_SETLIMITTEXT, model().maxLength(), 0);
  }
  if (property == Property::Text) showText(handle(), model().text());
}

void TextBoxView::userAction(UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND || HIWORD(wParam) != EN_CHANGE) return;
  model().edit(fromWide(windowText(handle())));
  apply(Property::Text);  // a handler may have changed it again
}

ComboBoxView::ComboBoxView(ComboBox& box, FormWindow& window, HWND parent)
    : ViewOf(
          box, window,
          createControlWindow(L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                              0, parent, window)) {}

void ComboBoxView::applyOwn(Property property) {
  if (property == Property::Bounds) {
    fitHeight();
    narrowFieldMargins();
  }
  if (property == Property::Items) {
    fill(handle(), CB_RESETCONTENT, CB_ADDSTRING, model().items());
    fitHeight();
  }
  if (property == Property::Items || property == Property::ListIndex ||
      property == Property::Text) {
    showSelectionAndText();
  }
}

// The closed box is as high as the design says; the window is higher by its drop-down list of
// up to ten items.
void ComboBoxView::fitHeight() {
  RECT bounds;
  GetWindowRect(handle(), &bounds);
  MapWindowPoints(nullptr, GetParent(handle()), reinterpret_cast<POINT*>(&bounds), 2);
  const int designed = toPixels(model().bounds().height, window().scale());
  const int field = static_cast<int>(SendMessageW(handle(), CB_GETITEMHEIGHT, WPARAM(-1), 0));
  const int edges = 2 * GetSystemMetrics(SM_CYEDGE) + 2;
  if (designed - edges > 0 && designed - edges != field) {
    SendMessageW(handle(), CB_SETITEMHEIGHT, WPARAM(-1), designed - edges);
  }
  const int item = static_cast<int>(SendMessageW(handle(), CB_GETITEMHEIGHT, 0, 0));
  const int shown = std::clamp(static_cast<int>(model().items().size()), 1, 10);
  SetWindowPos(handle(), nullptr, 0, 0, bounds.right - bounds.left, designed + shown * item + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The field's own margins, a few pixels each side, leave a box as narrow as the design's preset
// lists no room for two digits of the system's font beside the arrow: one pixel each is enough
// to keep the text off the edges. Set after each new font, which brings the margins back.
void ComboBoxView::narrowFieldMargins() {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (!GetComboBoxInfo(handle(), &info) || info.hwndItem == nullptr) return;
  SendMessageW(info.hwndItem, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
}

void ComboBoxView::showSelectionAndText() {
  const int index = model().listIndex();
  if (SendMessageW(handle(), CB_GETCURSEL, 0, 0) != index) {
    SendMessageW(handle(), CB_SETCURSEL, WPARAM(index), 0);
  }
  // Selecting nothing empties the edit field; the model's text is what it shows.
  showText(handle(), model().text());
}

void ComboBoxView::userAction(UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return;
  switch (HIWORD(wParam)) {
    case CBN_CLOSEUP:
      // Wine closes the list on Enter without CBN_SELENDOK, and takes the item pointed at as
      // the selection only after telling it closed: the choice is read once that is done.
      PostMessageW(GetParent(handle()), WM_COMMAND,
                   MAKEWPARAM(GetDlgCtrlID(handle()), CBN_SELENDOK),
                   reinterpret_cast<LPARAM>(handle()));
      return;
    case CBN_SELCHANGE:
      // While the list is open its selection follows the pointer and the arrow keys; the choice
      // is made when it closes.
      if (SendMessageW(handle(), CB_GETDROPPEDSTATE, 0, 0)) return;
      [[fallthrough]];
    case CBN_SELENDOK: {
      const auto index = static_cast<int>(SendMessageW(handle(), CB_GETCURSEL, 0, 0));
      if (index >= 0) model().choose(index);
      break;
    }
    case CBN_EDITCHANGE:
      model().edit(fromWide(windowText(handle())));
      break;
    default:
      return;
  }
  showSelectionAndText();
}

ListBoxView::ListBoxView(ListBox& list, FormWindow& window, HWND parent)
    : ViewOf(list, window,
             createControlWindow(L"LISTBOX",
                                 WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                 WS_EX_CLIENTEDGE, parent, window)) {}

void ListBoxView::applyOwn(Property property) {
  if (property == Property::Items) fill(handle(), LB_RESETCONTENT, LB_ADDSTRING, model().items());
  if (property == Property::Items || property == Property::ListIndex) showSelection();
}

void ListBoxView::showSelection() {
  const int index = model().listIndex();
  if (SendMessageW(handle(), LB_GETCURSEL, 0, 0) != index) {
    SendMessageW(handle(), LB_SETCURSEL, WPARAM(index), 0);
  }
}

void ListBoxView::userAction(UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND || HIWORD(wParam) != LBN_SELCHANGE) return;
  const auto index = static_cast<int>(SendMessageW(handle(), LB_GETCURSEL, 0, 0));
  if (index >= 0) model().choose(index);
  showSelection();
}

}  // namespace tk::win32
