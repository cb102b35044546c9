// The captions of the program's two windows in the Windows backend, under the system's own
// font and the common controls the program's manifest asks for (this test carries the same):
// every check box, option button and button shows its caption whole, at 96 DPI and at half as
// large again, inside its container; the buttons meant to show their glyph alone keep it; the
// preset lists' fields hold their numbers whole.

#include <gtest/gtest.h>
#include <windows.h>
// The common controls' header needs the Windows one first.
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "about/frm_about.h"
#include "clock/clock_design.h"
#include "toolkit/painting.h"
#include "toolkit/testing/test_platform.h"
#include "toolkit/toolkit.h"
#include "toolkit/win32/form_window.h"
#include "toolkit/win32/win32_window_system.h"

namespace {

using tk::win32::FormWindow;

void pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The design gives these no room beside their glyph: a slot is told by its place, the digital
// switch by the label above it.
const std::set<std::string> glyphOnly = {"optLoadSaveOne",  "optLoadSaveTwo",  "optLoadSaveThree",
                                         "optLoadSaveFour", "optLoadSaveFive", "chkDigitalToggle"};

void collectButtons(const tk::Container& container, std::vector<const tk::Control*>& buttons) {
  for (const tk::Control* child : container.children()) {
    if (const auto* frame = dynamic_cast<const tk::Frame*>(child)) collectButtons(*frame, buttons);
    const tk::Kind kind = child->kind();
    if (kind == tk::Kind::CheckBox || kind == tk::Kind::OptionButton ||
        kind == tk::Kind::CommandButton) {
      buttons.push_back(child);
    }
  }
}

RECT boundsInParent(HWND window) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

// The caption's width in the window's own font, the access key's '&' not counted.
int textWidth(HWND window) {
  wchar_t caption[256] = {};
  GetWindowTextW(window, caption, 256);
  HDC dc = GetDC(window);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  RECT text{};
  DrawTextW(dc, caption, -1, &text, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return text.right;
}

// Where a check box's or option button's caption ends: the column after the last dark pixel
// that a button like it paints, but wide enough for any caption, with the same font.
int captionEnd(HWND button) {
  wchar_t caption[256] = {};
  GetWindowTextW(button, caption, 256);
  RECT bounds;
  GetClientRect(button, &bounds);
  const int width = 4000;
  const int height = bounds.bottom;
  // Visible, as a button paints only then, but outside its container's client area.
  HWND probe =
      CreateWindowExW(0, L"BUTTON", caption, DWORD(GetWindowLongW(button, GWL_STYLE)) | WS_VISIBLE,
                      0, -2 * height, width, height, GetParent(button), nullptr, nullptr, nullptr);
  SendMessageW(probe, WM_SETFONT, SendMessageW(button, WM_GETFONT, 0, 0), FALSE);
  HDC screen = GetDC(probe);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  const RECT all{0, 0, width, height};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SendMessageW(probe, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  int end = 0;
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < height; ++y) {
      const COLORREF pixel = GetPixel(memory, x, y);
      if (GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 3 * 128) end = x + 1;
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(probe, screen);
  DestroyWindow(probe);
  return end;
}

// The widest of the numbers 0 to 59 in a window's own font.
int widestTwoDigits(HWND window) {
  HDC dc = GetDC(window);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  int widest = 0;
  for (int number = 0; number <= 59; ++number) {
    const std::wstring text = std::to_wstring(number);
    SIZE size;
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    widest = std::max(widest, int(size.cx));
  }
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return widest;
}

// Each preset list's field holds any of its numbers whole beside the box's arrow.
void checkPresetFields(const clock_window::ClockDesign& design, const FormWindow& window) {
  for (const tk::ComboBox* box : {&design.lstMinutes, &design.lstSeconds}) {
    SCOPED_TRACE(box->name() + " at " + std::to_string(window.dpi()) + " DPI");
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetComboBoxInfo(window.handleOf(*box), &info));
    ASSERT_NE(info.hwndItem, nullptr);
    const auto margins = static_cast<DWORD>(SendMessageW(info.hwndItem, EM_GETMARGINS, 0, 0));
    RECT field;
    GetClientRect(info.hwndItem, &field);
    const int needed = widestTwoDigits(info.hwndItem) + LOWORD(margins) + HIWORD(margins);
    EXPECT_LE(needed, field.right) << "two digits are cut";
  }
}

// Checks every button of the form's window as it shows now; says how many were checked.
int checkCaptions(const tk::Form& form, const FormWindow& window) {
  std::vector<const tk::Control*> buttons;
  collectButtons(form, buttons);
  int glyphOnlySeen = 0;
  for (const tk::Control* button : buttons) {
    SCOPED_TRACE(button->name() + " at " + std::to_string(window.dpi()) + " DPI");
    HWND handle = window.handleOf(*button);
    const RECT bounds = boundsInParent(handle);
    const int width = bounds.right - bounds.left;
    const int designed = tk::toPixels(button->bounds().width, window.scale());
    if (glyphOnly.count(button->name())) {
      ++glyphOnlySeen;
      EXPECT_EQ(width, designed) << "a glyph-only button grew";
      continue;
    }
    EXPECT_GE(width, designed);
    if (button->kind() == tk::Kind::CommandButton) {
      // Centred between the button's raised edges.
      EXPECT_LE(textWidth(handle) + 2 * GetSystemMetrics(SM_CXEDGE), width);
      continue;
    }
    const int end = captionEnd(handle);
    EXPECT_GT(end, textWidth(handle)) << "no caption painted beside the glyph";
    EXPECT_LE(end, width) << "the caption is cut";
    RECT container;
    GetClientRect(GetParent(handle), &container);
    const bool inFrame = button->parent()->kind() == tk::Kind::Frame;
    EXPECT_LE(bounds.right, container.right - (inFrame ? GetSystemMetrics(SM_CXEDGE) : 0))
        << "past its container's edge";
  }
  return int(buttons.size()) - glyphOnlySeen;
}

class Win32CaptionsTest : public ::testing::Test {
 protected:
  // Shows the form, checks it, then moves it to a DPI half as large again and checks it anew.
  void checkAtBothDpis(tk::Form& form, int captioned,
                       const std::function<void(const FormWindow&)>& checkMore = {}) {
    form.show();
    pump();
    FormWindow& window = *test.windows.windowOf(form);
    ASSERT_EQ(window.dpi(), 96) << "the test's Wine prefix is not at 96 DPI";
    EXPECT_EQ(checkCaptions(form, window), captioned);
    if (checkMore) checkMore(window);
    RECT suggested{40, 30, 1000, 800};
    SendMessageW(window.handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    pump();
    ASSERT_EQ(window.dpi(), 144);
    EXPECT_EQ(checkCaptions(form, window), captioned);
    if (checkMore) checkMore(window);
  }

  tk::testing::TestPlatformOn<tk::win32::Win32WindowSystem> test;
};

TEST_F(Win32CaptionsTest, TheMainWindowShowsEveryCaptionWhole) {
  clock_window::ClockDesign design(test.platform);
  // Start/Stop, Reset, Preset Now, Change Colour, Load, Save; Backwards, Forwards, Clear Saved.
  checkAtBothDpis(design, 9, [&](const FormWindow& window) { checkPresetFields(design, window); });
}

TEST_F(Win32CaptionsTest, TheAboutWindowShowsEveryCaptionWhole) {
  about::FrmAbout about(test.platform);
  checkAtBothDpis(about, 2);  // OK, System Info...
}

}  // namespace
