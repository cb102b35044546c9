#include "toolkit/win32/win32_dialogs.h"

#include <commdlg.h>

#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {

// Before the first window shows, or after the last went, nothing is active: the box is then
// modal to every window of the thread.
HWND activeOwner() { return GetActiveWindow(); }

}  // namespace

void Win32MessageBox::show(std::string_view text, std::string_view title) {
  const HWND owner = activeOwner();
  UINT style = MB_OK | MB_SETFOREGROUND;
  if (owner == nullptr) style |= MB_TASKMODAL;
  MessageBoxW(owner, toWide(text).c_str(), toWide(title.empty() ? appTitle_ : title).c_str(),
              style);
}

std::optional<Colour> Win32ColourDialog::choose(Colour initial) {
  CHOOSECOLORW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = activeOwner();
  dialog.rgbResult = isSystemColour(initial) ? GetSysColor(static_cast<int>(initial & 0xFF))
                                             : static_cast<COLORREF>(initial & 0x00FFFFFF);
  dialog.lpCustColors = customColours_;
  dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
  if (!ChooseColorW(&dialog)) return std::nullopt;  // Cancel, or the dialog could not open
  return static_cast<Colour>(dialog.rgbResult & 0x00FFFFFF);
}

}  // namespace tk::win32
