// The Windows backend against a small demo form, in real windows under Wine: the screen follows
// the model without echoing code's changes back as user input, the user's mouse and keys reach
// the model (and respect Enabled and MaxLength), keyboard handling (Enter, Esc, tab order, first
// focus, menu shortcuts), the window's size and style, what the containers paint, and holding
// the screen during a catch-up.

#include <gtest/gtest.h>
#include <windows.h>
// The common controls' header needs the Windows one first.
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/backend_demo_forms.h"
#include "toolkit/painting.h"
#include "toolkit/testing/test_platform.h"
#include "toolkit/toolkit.h"
#include "toolkit/win32/form_window.h"
#include "toolkit/win32/pictures.h"
#include "toolkit/win32/win32_window_system.h"

namespace {

using backend_demo::DemoForm;
using backend_demo::DialogForm;
using backend_demo::EventLog;
using tk::win32::FormWindow;

// Runs every message waiting, as the program's loop does (the window system takes its keys
// from the messages retrieved here). Says whether one of them was the input marked `marker`.
bool pump(ULONG_PTR marker = 0) {
  bool marked = false;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    marked = marked || (marker != 0 && static_cast<ULONG_PTR>(GetMessageExtraInfo()) == marker);
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return marked;
}

// Input goes through the system's input queue, as a person's does. It reaches this thread when
// the system gets to it, which on a busy machine can be long after SendInput returns: the last
// input carries a mark, and the messages are run until it has come and gone.
void sendInputs(std::vector<INPUT> inputs) {
  static ULONG_PTR lastMarker = 0;
  const ULONG_PTR marker = ++lastMarker;
  INPUT& last = inputs.back();
  (last.type == INPUT_MOUSE ? last.mi.dwExtraInfo : last.ki.dwExtraInfo) = marker;
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  // Input goes to the foreground window: once that is not this thread's (a key closed the last
  // window here), the rest of it goes elsewhere.
  const auto foregroundIsOurs = [] {
    return GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == GetCurrentThreadId();
  };
  const ULONGLONG deadline = GetTickCount64() + 10000;
  bool arrived = false;
  while (!arrived && foregroundIsOurs() && GetTickCount64() < deadline) {
    arrived = pump(marker);
    if (!arrived) Sleep(5);
  }
  EXPECT_TRUE(arrived || !foregroundIsOurs()) << "input did not arrive within 10 s";
  for (int i = 0; i < 3; ++i) {  // what the input set off: posted notifications, repaints
    pump();
    Sleep(5);
  }
}

INPUT keyInput(WORD key, bool up, bool unicode = false) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  if (unicode) {
    input.ki.wScan = key;
    input.ki.dwFlags = KEYEVENTF_UNICODE;
  } else {
    input.ki.wVk = key;
  }
  if (up) input.ki.dwFlags |= KEYEVENTF_KEYUP;
  return input;
}

void pressKey(WORD key, WORD modifier = 0) {
  std::vector<INPUT> inputs;
  if (modifier) inputs.push_back(keyInput(modifier, false));
  inputs.push_back(keyInput(key, false));
  inputs.push_back(keyInput(key, true));
  if (modifier) inputs.push_back(keyInput(modifier, true));
  sendInputs(inputs);
}

// Each character as one key press carrying it, as an input method delivers it.
void typeCharacters(const std::wstring& characters) {
  for (wchar_t c : characters) sendInputs({keyInput(c, false, true), keyInput(c, true, true)});
}

void clickAt(HWND window, POINT point) {
  ClientToScreen(window, &point);
  SetCursorPos(point.x, point.y);
  INPUT down{};
  down.type = INPUT_MOUSE;
  down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  INPUT up = down;
  up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  sendInputs({down, up});
}

std::wstring textOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

RECT boundsInParent(HWND window) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

// A window's client area as the window paints it (WM_PRINTCLIENT), to read its pixels.
class Printed {
 public:
  explicit Printed(HWND window) : window_(window) {
    GetClientRect(window, &area);
    screen_ = GetDC(window);
    memory_ = CreateCompatibleDC(screen_);
    bitmap_ = CreateCompatibleBitmap(screen_, area.right, area.bottom);
    old_ = SelectObject(memory_, bitmap_);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory_), PRF_CLIENT);
  }
  ~Printed() {
    SelectObject(memory_, old_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
    ReleaseDC(window_, screen_);
  }
  Printed(const Printed&) = delete;
  Printed& operator=(const Printed&) = delete;
  COLORREF at(int x, int y) const { return GetPixel(memory_, x, y); }
  RECT area;

 private:
  HWND window_;
  HDC screen_;
  HDC memory_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

class Win32ViewsTest : public ::testing::Test {
 protected:
  void SetUp() override { loop.setCatchUpListener(&windows); }

  FormWindow& window() { return *windows.windowOf(form); }
  HWND handle(const tk::Control& control) { return window().handleOf(control); }
  // Design pixels (15 twips) at the window's DPI.
  int px(double designPixels) { return int(designPixels * window().scale() + 0.5); }
  // A new window becomes the foreground one when the system gets to it, which on a busy
  // machine is not at once.
  void showAndFocus() {
    form.show();
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (GetForegroundWindow() != window().handle() && GetTickCount64() < deadline) {
      pump();
      Sleep(5);
    }
    ASSERT_EQ(GetForegroundWindow(), window().handle());
  }
  void focus(const tk::Control& control) {
    SetFocus(handle(control));
    pump();
  }
  // The client area as its container paints it.
  COLORREF pixelAt(int x, int y) { return Printed(window().client()).at(x, y); }

  tk::VirtualEventLoop loop;
  tk::win32::Win32WindowSystem windows;
  tk::testing::RecordedMessages messages;
  tk::testing::ScriptedColourDialog colours;
  tk::testing::FakeFiles files;
  tk::testing::RecordedProcesses processes;
  tk::testing::ScriptedRegistry registry;
  tk::Platform platform{loop,  windows,   messages, colours,
                        files, processes, registry, tk::AppInfo{"Demo App", 1, 2, 0}};
  EventLog log;
  DemoForm form{platform, log};
};

// Setting a property from code shows on the control's window, and nothing the window reports
// is taken for the user's action.
TEST_F(Win32ViewsTest, CodeChangesShowOnControlsWithoutEchoingBack) {
  form.show();
  auto send = [&](const tk::Control& control, UINT message, WPARAM wParam = 0) {
    return SendMessageW(handle(control), message, wParam, 0);
  };
  struct Case {
    const char* what;
    tk::Control* control;
    int raises;  // how often the change raises the control's own event, as it does headless
    std::function<void()> setFromCode;
    std::function<bool()> windowShows;
  };
  const std::vector<Case> cases = {
      {"text", &form.txtName, 1, [&] { form.txtName.setText("xyz"); },
       [&] { return textOf(handle(form.txtName)) == L"xyz"; }},
      {"caption", &form.cmdCancel, 0, [&] { form.cmdCancel.setCaption("Stop"); },
       [&] { return textOf(handle(form.cmdCancel)) == L"Stop"; }},
      {"check", &form.chkFlag, 1, [&] { form.chkFlag.setValue(1); },
       [&] { return send(form.chkFlag, BM_GETCHECK) == BST_CHECKED; }},
      {"grey check", &form.chkFlag, 1, [&] { form.chkFlag.setValue(2); },
       [&] { return send(form.chkFlag, BM_GETCHECK) == BST_INDETERMINATE; }},
      {"option", &form.optB, 1, [&] { form.optB.setValue(true); },
       [&] { return send(form.optB, BM_GETCHECK) == BST_CHECKED; }},
      {"list index", &form.lstItems, 1, [&] { form.lstItems.setListIndex(1); },
       [&] { return send(form.lstItems, LB_GETCURSEL) == 1; }},
      {"combo index", &form.cboPick, 1, [&] { form.cboPick.setListIndex(2); },
       [&] {
         return send(form.cboPick, CB_GETCURSEL) == 2 && textOf(handle(form.cboPick)) == L"3";
       }},
      {"combo item", &form.cboPick, 0, [&] { form.cboPick.addItem("4"); },
       [&] { return send(form.cboPick, CB_GETCOUNT) == 4; }},
      {"progress", &form.barProgress, 0, [&] { form.barProgress.setValue(42); },
       [&] { return send(form.barProgress, PBM_GETPOS) == 42; }},
      {"enabled", &form.cmdGo, 0, [&] { form.cmdGo.setEnabled(false); },
       [&] { return !IsWindowEnabled(handle(form.cmdGo)); }},
      {"visible", &form.chkFlag, 0, [&] { form.chkFlag.setVisible(false); },
       [&] { return !IsWindowVisible(handle(form.chkFlag)); }},
      {"bounds", &form.cmdCancel, 0,
       [&] {
         form.cmdCancel.setBounds({1500, 150, 1500, 450});
       },
       [&] {
         const RECT r = boundsInParent(handle(form.cmdCancel));
         return r.left == px(100) && r.top == px(10) && r.right - r.left == px(100) &&
                r.bottom - r.top == px(30);
       }},
      {"max length", &form.txtName, 0, [&] { form.txtName.setMaxLength(5); },
       [&] { return send(form.txtName, EM_GETLIMITTEXT) == 5; }},
  };
  for (const Case& c : cases) {
    const int earlier = log[c.control->name()];
    c.setFromCode();
    pump();
    EXPECT_TRUE(c.windowShows()) << c.what;
    // An echo would raise the model's event once more than the change itself does.
    EXPECT_EQ(log[c.control->name()], earlier + c.raises) << c.what;
  }
  EXPECT_EQ(SendMessageW(handle(form.optA), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(form.chkFlag.value(), 2);
  EXPECT_EQ(form.lstItems.listIndex(), 1);
  EXPECT_EQ(form.cboPick.listIndex(), 2);
}

TEST_F(Win32ViewsTest, MouseAndKeysReachTheModelAndRespectEnabledAndMaxLength) {
  showAndFocus();
  clickAt(handle(form.cmdGo), {5, 5});
  clickAt(handle(form.cmdOff), {5, 5});  // disabled
  EXPECT_EQ(log["cmdGo"], 1);
  EXPECT_EQ(log["cmdOff"], 0);

  focus(form.txtName);
  pressKey(VK_END);
  typeCharacters(L"cdef");  // "ab" + at most one more character
  EXPECT_EQ(form.txtName.text(), "abc");
  EXPECT_EQ(textOf(handle(form.txtName)), L"abc");
  EXPECT_EQ(log["txtName"], 1);
  pressKey(VK_BACK);
  EXPECT_EQ(form.txtName.text(), "ab");

  clickAt(handle(form.chkFlag), {6, px(8)});
  EXPECT_EQ(form.chkFlag.value(), tk::CheckBox::Checked);
  EXPECT_EQ(log["chkFlag"], 1);
  // A handler that puts the box back, as a one-shot "clear" box does, wins.
  form.chkFlag.onClick = [&] { form.chkFlag.setValue(tk::CheckBox::Unchecked); };
  clickAt(handle(form.chkFlag), {6, px(8)});
  clickAt(handle(form.chkFlag), {6, px(8)});
  EXPECT_EQ(form.chkFlag.value(), tk::CheckBox::Unchecked);
  EXPECT_EQ(SendMessageW(handle(form.chkFlag), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  RECT item;
  SendMessageW(handle(form.lstItems), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  clickAt(handle(form.lstItems), {item.left + 5, (item.top + item.bottom) / 2});
  EXPECT_EQ(form.lstItems.listIndex(), 1);
  EXPECT_EQ(log["lstItems"], 1);

  focus(form.cboPick);
  typeCharacters(L"2");  // replaces the selected "pick"
  EXPECT_EQ(form.cboPick.text(), "2");
  EXPECT_EQ(form.cboPick.listIndex(), 1);  // typed text equal to an item selects it
  pressKey(VK_END);
  typeCharacters(L"5");
  EXPECT_EQ(form.cboPick.text(), "25");
  EXPECT_EQ(form.cboPick.listIndex(), -1);
  EXPECT_EQ(textOf(handle(form.cboPick)), L"25");  // deselecting did not wipe what was typed
  // An item chosen with the arrow keys in the closed box (the system picks which from the
  // typed text), then the one after it.
  pressKey(VK_DOWN);
  const int chosen = form.cboPick.listIndex();
  ASSERT_GE(chosen, 0);
  EXPECT_EQ(form.cboPick.text(), form.cboPick.items()[chosen]);
  pressKey(VK_DOWN);
  EXPECT_EQ(form.cboPick.listIndex(), chosen + 1);
  EXPECT_EQ(form.cboPick.text(), form.cboPick.items()[chosen + 1]);
  EXPECT_EQ(textOf(handle(form.cboPick)), std::to_wstring(chosen + 2));
  // In the opened list the arrow keys only point; Enter chooses.
  pressKey(VK_F4);
  pressKey(VK_UP);
  pressKey(VK_UP);
  EXPECT_EQ(form.cboPick.listIndex(), chosen + 1);
  pressKey(VK_RETURN);
  const int pointedAt = std::max(chosen - 1, 0);  // two up from chosen + 1, at most to the top
  EXPECT_EQ(form.cboPick.listIndex(), pointedAt);
  EXPECT_EQ(textOf(handle(form.cboPick)), std::to_wstring(pointedAt + 1));

  focus(form.sldPick);
  for (int i = 0; i < 6; ++i) pressKey(VK_DOWN);  // min is at the top
  EXPECT_EQ(form.sldPick.value(), 4);
  pressKey(VK_UP);
  EXPECT_EQ(form.sldPick.value(), 3);

  form.txtName.setEnabled(false);
  form.sldPick.setEnabled(false);
  focus(form.txtName);
  typeCharacters(L"z");
  focus(form.sldPick);
  pressKey(VK_UP);
  EXPECT_EQ(form.txtName.text(), "ab");
  EXPECT_EQ(form.sldPick.value(), 3);
}

TEST_F(Win32ViewsTest, TypingAndPastingCountCharactersNotBytes) {
  showAndFocus();
  focus(form.txtName);
  SendMessageW(handle(form.txtName), EM_SETSEL, 0, -1);
  typeCharacters(L"\u00e9\u00e9");
  EXPECT_EQ(form.txtName.text(), "\u00e9\u00e9");
  typeCharacters(L"\u20acx");  // the third character, then no room
  EXPECT_EQ(form.txtName.text(), "\u00e9\u00e9\u20ac");
  EXPECT_EQ(textOf(handle(form.txtName)), L"\u00e9\u00e9\u20ac");

  const std::wstring pasted = L"\u00fc\u20ac\u00e9a";
  ASSERT_TRUE(OpenClipboard(window().handle()));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(memory), pasted.c_str(), (pasted.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  SendMessageW(handle(form.txtName), EM_SETSEL, 0, -1);
  SendMessageW(handle(form.txtName), WM_PASTE, 0, 0);
  pump();
  EXPECT_EQ(form.txtName.text(), "\u00fc\u20ac\u00e9");
  EXPECT_EQ(textOf(handle(form.txtName)), L"\u00fc\u20ac\u00e9");
}

TEST_F(Win32ViewsTest, OptionButtonsShowTheModelsExclusionPerContainer) {
  showAndFocus();
  auto checked = [&](const tk::Control& c) {
    return SendMessageW(handle(c), BM_GETCHECK, 0, 0) == BST_CHECKED;
  };
  clickAt(handle(form.optA), {6, px(8)});
  clickAt(handle(form.optB), {6, px(8)});
  EXPECT_TRUE(form.optB.value());
  EXPECT_FALSE(form.optA.value());
  EXPECT_FALSE(checked(form.optA));
  EXPECT_TRUE(checked(form.optB));
  EXPECT_TRUE(checked(form.optOutside));  // another container's group is untouched
  // Clicking the selected button again keeps it selected and raises nothing new.
  clickAt(handle(form.optB), {6, px(8)});
  EXPECT_TRUE(checked(form.optB));
  EXPECT_EQ(log["optA"], 1);
  EXPECT_EQ(log["optB"], 1);
}

TEST_F(Win32ViewsTest, EnterAndEscPressTheDefaultAndCancelButtons) {
  showAndFocus();
  focus(form.txtName);
  pressKey(VK_RETURN);
  pressKey(VK_ESCAPE);
  EXPECT_EQ(log["cmdGo"], 1);
  EXPECT_EQ(log["cmdCancel"], 1);
  // On a focused button Enter presses that button, not the default one.
  focus(form.cmdCancel);
  pressKey(VK_RETURN);
  EXPECT_EQ(log["cmdCancel"], 2);
  EXPECT_EQ(log["cmdGo"], 1);
  // A disabled default button stays unpressed.
  form.cmdGo.setEnabled(false);
  focus(form.txtName);
  pressKey(VK_RETURN);
  EXPECT_EQ(log["cmdGo"], 1);
}

TEST_F(Win32ViewsTest, FocusStartsAtTheFirstAvailableControlAndTabFollowsTabIndex) {
  showAndFocus();
  // cmdOff (tab 0) is disabled, so the focus starts on cmdGo (tab 1).
  EXPECT_EQ(GetFocus(), handle(form.cmdGo));
  const std::vector<tk::Control*> expected = {
      &form.cmdCancel, &form.txtName,    &form.chkFlag, &form.cboPick, &form.lstItems,
      &form.sldPick,   &form.optOutside, &form.optA,    &form.optB,    &form.cmdGo};
  for (tk::Control* next : expected) {
    pressKey(VK_TAB);
    HWND focused = GetFocus();
    // An editable combo box hands its focus to its edit field.
    if (GetParent(focused) == handle(form.cboPick)) focused = GetParent(focused);
    EXPECT_EQ(focused, handle(*next)) << "expected " << next->name();
  }
  pressKey(VK_TAB, VK_SHIFT);
  EXPECT_EQ(GetFocus(), handle(form.optB));
}

TEST_F(Win32ViewsTest, MenuShortcutsWorkWhereverTheFocusIs) {
  showAndFocus();
  HMENU bar = GetMenu(window().handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuItemCount(bar), 1);
  wchar_t text[64] = {};
  GetMenuStringW(GetSubMenu(bar, 0), 0, text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), L"Quit\tCtrl+Q");
  int expected = 0;
  for (tk::Control* control :
       std::vector<tk::Control*>{&form.txtName, &form.lstItems, &form.cboPick, &form.cmdCancel}) {
    focus(*control);
    if (control == &form.cboPick) SetFocus(GetWindow(handle(form.cboPick), GW_CHILD));
    pressKey('Q', VK_CONTROL);
    EXPECT_EQ(log["mnuQuit"], ++expected) << "focus on " << control->name();
  }
  EXPECT_EQ(form.txtName.text(), "ab");  // the text box did not take the key
}

TEST_F(Win32ViewsTest, WindowHasTheFormsTitleAndFixedClientSize) {
  form.show();
  EXPECT_EQ(textOf(window().handle()), L"Demo");
  form.setCaption("Renamed");
  EXPECT_EQ(textOf(window().handle()), L"Renamed");
  RECT client;
  GetClientRect(window().handle(), &client);
  EXPECT_EQ(client.right, px(600));
  EXPECT_EQ(client.bottom, px(300));
  const LONG style = GetWindowLongW(window().handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
}

TEST_F(Win32ViewsTest, BusyPointerShowsOverTheFormsOwnSurfaceOnly) {
  form.mousePointer = tk::MousePointer::ArrowHourglass;
  form.show();
  HWND client = window().client();
  SendMessageW(client, WM_SETCURSOR, reinterpret_cast<WPARAM>(client),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_APPSTARTING));
  SendMessageW(handle(form.cmdGo), WM_SETCURSOR, reinterpret_cast<WPARAM>(handle(form.cmdGo)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(Win32ViewsTest, DialogFormIsAFixedToolWindowAtItsScreenPosition) {
  DialogForm dialog(platform);
  dialog.show();
  pump();
  FormWindow* shown = windows.windowOf(dialog);
  ASSERT_NE(shown, nullptr);
  HWND handle = shown->handle();
  EXPECT_TRUE(GetWindowLongW(handle, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongW(handle, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  POINT origin{0, 0};
  ClientToScreen(handle, &origin);
  EXPECT_EQ(origin.x, int(156 * shown->scale() + 0.5));
  EXPECT_EQ(origin.y, int(129 * shown->scale() + 0.5));
  RECT client;
  GetClientRect(handle, &client);
  EXPECT_EQ(client.right, int(200 * shown->scale() + 0.5));
  EXPECT_EQ(GetMenu(handle), nullptr);
  // Its OK button unloads it from inside its own key press: the window goes once that is over.
  ASSERT_EQ(GetForegroundWindow(), handle);
  pressKey(VK_ESCAPE);
  EXPECT_FALSE(dialog.isLoaded());
  pump();
  EXPECT_FALSE(IsWindow(handle));
}

TEST_F(Win32ViewsTest, ClosingTheWindowUnloadsTheFormWhichCanBeShownAgain) {
  form.show();
  HWND first = window().handle();
  SendMessageW(first, WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.isLoaded());
  EXPECT_EQ(windows.windowCount(), 0u);
  pump();
  EXPECT_FALSE(IsWindow(first));

  form.txtName.setText("new");  // changed while no window shows it
  form.show();
  EXPECT_EQ(textOf(handle(form.txtName)), L"new");
  EXPECT_EQ(windows.windowCount(), 1u);
}

// What the containers paint: back colours, shapes, lines and labels, children of a frame placed
// relative to it, pictures, and repainting after a change from code.
TEST_F(Win32ViewsTest, ContainersPaintTheirGraphicalControls) {
  form.show();
  pump();
  const COLORREF back = RGB(0xE0, 0xE0, 0xE0);
  struct Probe {
    const char* what;
    double x, y;  // design pixels
    COLORREF colour;
  };
  const std::vector<Probe> probes = {
      {"form back colour", 350, 200, back},
      {"circle centre", 130, 180, RGB(255, 0, 0)},
      {"circle centred in its wider bounds: left of it is background", 104, 180, back},
      {"line middle", 250, 210, RGB(0, 0, 255)},
      {"opaque label", 60, 228, RGB(255, 255, 0)},
  };
  for (const Probe& p : probes) EXPECT_EQ(pixelAt(px(p.x), px(p.y)), p.colour) << p.what;
  // The frame paints its own children, and keeps the default back colour, the button face.
  const Printed frame(handle(form.fraGroup));
  EXPECT_EQ(frame.at(px(8 + 50), px(80 + 10)), RGB(0, 255, 0)) << "label in the frame";
  EXPECT_EQ(frame.at(px(100), px(112)), GetSysColor(COLOR_BTNFACE)) << "frame back";

  // At 96 DPI the image is drawn unscaled from its top left corner: its pixels match the
  // picture's wherever the picture is opaque.
  if (window().dpi() == 96) {
    Gdiplus::Bitmap* bell = tk::win32::picture("alarm.gif");
    ASSERT_NE(bell, nullptr);
    int compared = 0;
    for (UINT y = 0; y < bell->GetHeight(); y += 7) {
      for (UINT x = 0; x < bell->GetWidth(); x += 7) {
        Gdiplus::Color source;
        bell->GetPixel(int(x), int(y), &source);
        if (source.GetA() < 255) continue;
        ++compared;
        EXPECT_EQ(pixelAt(420 + int(x), 8 + int(y)),
                  RGB(source.GetR(), source.GetG(), source.GetB()))
            << x << "," << y;
      }
    }
    EXPECT_GT(compared, 50);
  }

  form.shpDot.setFillColour(0x00FF00);
  form.linDiag.setVisible(false);
  pump();
  EXPECT_EQ(pixelAt(px(130), px(180)), RGB(0, 255, 0));
  EXPECT_EQ(pixelAt(px(250), px(210)), back);
}

// What a control tells a screen reader is no part of how it looks: changing it invalidates
// nothing. The stopwatch's dial speaks its reading, which changes every second.
TEST_F(Win32ViewsTest, OnlyChangesToHowAControlLooksRepaintIt) {
  form.show();
  pump();
  RECT invalid{};
  ASSERT_FALSE(GetUpdateRect(window().client(), &invalid, FALSE));

  form.shpDot.setAccessibleName("a dot");
  form.shpDot.setAccessibleDescription("red");
  form.announce("something happened");
  EXPECT_FALSE(GetUpdateRect(window().client(), &invalid, FALSE));

  form.shpDot.setFillColour(0x00FF00);
  EXPECT_TRUE(GetUpdateRect(window().client(), &invalid, FALSE));
  EXPECT_LT(invalid.right - invalid.left, px(300));
}

TEST_F(Win32ViewsTest, GraphicalButtonIsFilledWithItsColourAndReadable) {
  form.show();
  pump();
  const Printed go(handle(form.cmdGo));
  const RECT area = go.area;
  int facePixels = 0;
  int textPixels = 0;
  for (int y = 0; y < area.bottom; ++y) {
    for (int x = 0; x < area.right; ++x) {
      const COLORREF pixel = go.at(x, y);
      facePixels += pixel == RGB(0, 0xC0, 0);
      textPixels += pixel == RGB(0, 0, 0);
    }
  }
  EXPECT_GT(facePixels, area.right * area.bottom / 2);
  EXPECT_GT(textPixels, 10);  // the caption, black on the green face
}

// Moved to a monitor of another DPI, the window keeps the design's client size in that DPI's
// pixels, and every control its place.
TEST_F(Win32ViewsTest, ANewDpiScalesTheWindowAndEveryControl) {
  form.show();
  pump();
  const int dpi = window().dpi() * 3 / 2;
  RECT suggested{40, 30, 900, 700};
  SendMessageW(window().handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  ASSERT_EQ(window().dpi(), dpi);
  RECT client;
  GetClientRect(window().handle(), &client);
  EXPECT_EQ(client.right, px(600));
  EXPECT_EQ(client.bottom, px(300));
  RECT bounds = boundsInParent(handle(form.cmdCancel));
  EXPECT_EQ(bounds.left, px(100));
  EXPECT_EQ(bounds.right - bounds.left, px(80));
  bounds = boundsInParent(handle(form.optB));  // inside the frame
  EXPECT_EQ(bounds.top, px(700 / 15.0));
  LOGFONTW font{};
  GetObjectW(window().font(), sizeof(font), &font);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  // The message font, half as large again.
  EXPECT_NEAR(std::abs(font.lfHeight), std::abs(metrics.lfMessageFont.lfHeight) * 1.5, 1);
  EXPECT_EQ(pixelAt(px(130), px(180)), RGB(255, 0, 0)) << "the circle, where it now is";
}

// What a reader gets of a window's accessible object, asked for as a reader asks: texts, role
// and state of the object or a child.
class Read {
 public:
  explicit Read(HWND window) {
    // MinGW's import library gives IID_IAccessible as a code stub, not the GUID.
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object_)))) {
      object_ = nullptr;
    }
  }
  ~Read() {
    if (object_) object_->Release();
  }
  Read(const Read&) = delete;
  Read& operator=(const Read&) = delete;
  explicit operator bool() const { return object_ != nullptr; }
  IAccessible* operator->() const { return object_; }

  std::wstring name(long child = CHILDID_SELF) const {
    return text(&IAccessible::get_accName, child);
  }
  std::wstring value(long child = CHILDID_SELF) const {
    return text(&IAccessible::get_accValue, child);
  }
  std::wstring description(long child = CHILDID_SELF) const {
    return text(&IAccessible::get_accDescription, child);
  }
  long role(long child = CHILDID_SELF) const { return number(&IAccessible::get_accRole, child); }
  long state(long child = CHILDID_SELF) const { return number(&IAccessible::get_accState, child); }
  long childCount() const {
    long count = 0;
    object_->get_accChildCount(&count);
    return count;
  }
  // The ids of the children with `role`, in order.
  std::vector<long> childrenWithRole(long wanted) const {
    std::vector<long> ids;
    for (long id = 1; id <= childCount(); ++id) {
      if (role(id) == wanted) ids.push_back(id);
    }
    return ids;
  }

 private:
  static VARIANT childOf(long id) {
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    return child;
  }
  std::wstring text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                    long child) const {
    BSTR value = nullptr;
    const HRESULT result = (object_->*get)(childOf(child), &value);
    std::wstring read = SUCCEEDED(result) && value ? value : L"";
    SysFreeString(value);
    return read;
  }
  long number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long child) const {
    VARIANT answer{};
    if ((object_->*get)(childOf(child), &answer) != S_OK || answer.vt != VT_I4) return -1;
    return answer.lVal;
  }

  IAccessible* object_ = nullptr;
};

// Assistive technology reads each control's name, description and role as the form gives them,
// a box's check, and the labels and named pictures a container paints as its elements.
TEST_F(Win32ViewsTest, AccessibleNamesRolesAndDescriptionsOfControlsAndPaintedText) {
  form.sldPick.setAccessibility("Colour to change", "Pick a colour");
  form.sldPick.setPositionNames({"Red", "Green", "Blue", "Face", "Digits"});
  form.chkFlag.setAccessibility("Flag", "Tooltip of the flag");
  form.chkFlag.setAccessibleDescription("Marks the entry");
  // A painted shape that presents itself as words, as the stopwatch's dial does.
  form.shpDot.setAccessibleRole(tk::AccessibleRole::StaticText);
  form.shpDot.setAccessibility("5 minutes 12 seconds");
  form.shpDot.setAccessibleDescription("Reading");
  form.lblNote.setAccessibleDescription("A note");
  form.show();
  auto read = [&](const tk::Control& control) { return Read(handle(control)); };

  const struct {
    const tk::Control* control;
    long role;
  } roles[] = {{&form.cmdGo, ROLE_SYSTEM_PUSHBUTTON}, {&form.chkFlag, ROLE_SYSTEM_CHECKBUTTON},
               {&form.optA, ROLE_SYSTEM_RADIOBUTTON}, {&form.txtName, ROLE_SYSTEM_TEXT},
               {&form.cboPick, ROLE_SYSTEM_COMBOBOX}, {&form.lstItems, ROLE_SYSTEM_LIST},
               {&form.sldPick, ROLE_SYSTEM_SLIDER},   {&form.barProgress, ROLE_SYSTEM_PROGRESSBAR},
               {&form.fraGroup, ROLE_SYSTEM_GROUPING}};
  for (const auto& [control, role] : roles) {
    Read object = read(*control);
    ASSERT_TRUE(object) << control->name();
    EXPECT_EQ(object.role(), role) << control->name();
  }
  EXPECT_TRUE(read(form.optOutside).state() & STATE_SYSTEM_CHECKED);
  EXPECT_FALSE(read(form.optA).state() & STATE_SYSTEM_CHECKED);

  {
    Read slider = read(form.sldPick);
    EXPECT_EQ(slider.name(), L"Colour to change: Red");
    EXPECT_EQ(slider.description(), L"Pick a colour")
        << "the tooltip, where no description is given";
    form.sldPick.slideTo(3);
  }
  EXPECT_EQ(read(form.sldPick).name(), L"Colour to change: Face");
  EXPECT_EQ(read(form.chkFlag).description(), L"Marks the entry");
  EXPECT_EQ(read(form.fraGroup).name(), L"Group") << "a frame is called by its caption";

  Read client(window().client());
  ASSERT_TRUE(client);
  const std::vector<long> texts = client.childrenWithRole(ROLE_SYSTEM_STATICTEXT);
  ASSERT_EQ(texts.size(), 2u);
  const long dial = texts[0];
  const long note = texts[1];
  EXPECT_EQ(client.name(dial), L"5 minutes 12 seconds");
  EXPECT_EQ(client.value(dial), L"5 minutes 12 seconds");
  EXPECT_EQ(client.description(dial), L"Reading");
  EXPECT_EQ(client.name(note), L"Note");
  EXPECT_EQ(client.value(note), L"Note");
  EXPECT_EQ(client.description(note), L"A note");
  EXPECT_EQ(client.state(note), STATE_SYSTEM_READONLY);
  long left = 0, top = 0, width = 0, height = 0;
  VARIANT noteId;
  noteId.vt = VT_I4;
  noteId.lVal = note;
  ASSERT_EQ(client->accLocation(&left, &top, &width, &height, noteId), S_OK);
  EXPECT_EQ(width, px(80));

  // The readout changes as the label does; a hidden one is still met, and said to be hidden.
  form.lblNote.setCaption("Changed");
  form.lblNote.setVisible(false);
  Read changed(window().client());
  EXPECT_EQ(changed.name(note), L"Changed");
  EXPECT_TRUE(changed.state(note) & STATE_SYSTEM_INVISIBLE);
}

// Hears the accessibility events of this process, as a reader in another process does
// (WINEVENT_OUTOFCONTEXT: they arrive through this thread's messages).
class EventsHeard {
 public:
  struct Event {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
    friend bool operator==(const Event&, const Event&) = default;
  };

  EventsHeard() {
    listener_ = this;
    hook_ = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, &heard, GetCurrentProcessId(), 0,
                            WINEVENT_OUTOFCONTEXT);
  }
  ~EventsHeard() {
    UnhookWinEvent(hook_);
    listener_ = nullptr;
  }
  EventsHeard(const EventsHeard&) = delete;
  EventsHeard& operator=(const EventsHeard&) = delete;

  bool hooked() const { return hook_ != nullptr; }
  // Runs the messages until `done` holds (true) or 10 s have passed.
  bool waitUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (GetTickCount64() < deadline) {
      pump();
      if (done()) return true;
      Sleep(5);
    }
    return false;
  }
  bool waitFor(const Event& event) {
    return waitUntil([&] { return count(event) > 0; });
  }
  int count(const Event& event) const {
    return static_cast<int>(std::count(events_.begin(), events_.end(), event));
  }
  // The events heard for the window's client object, of one kind.
  std::vector<Event> of(DWORD kind, HWND window) const {
    std::vector<Event> found;
    for (const Event& event : events_) {
      if (event.event == kind && event.window == window && event.object == OBJID_CLIENT) {
        found.push_back(event);
      }
    }
    return found;
  }

 private:
  static void CALLBACK heard(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                             DWORD, DWORD) {
    if (listener_) listener_->events_.push_back({event, window, object, child});
  }

  static inline EventsHeard* listener_ = nullptr;
  HWINEVENTHOOK hook_;
  std::vector<Event> events_;
};

// A reader hears a control's new description, a painted text's new words once (and nothing
// when a painted element changes without changing what it says), an option button's new check,
// and the form's announcement, which it can then read.
TEST_F(Win32ViewsTest, ReadersHearWhatChangesAndAnnouncements) {
  form.shpDot.setAccessibleRole(tk::AccessibleRole::StaticText);
  form.shpDot.setAccessibility("0 minutes 0 seconds");
  form.show();
  pump();
  EventsHeard heard;
  ASSERT_TRUE(heard.hooked());
  HWND client = window().client();
  const long dial = Read(client).childrenWithRole(ROLE_SYSTEM_STATICTEXT).at(0);

  form.chkFlag.setAccessibleDescription("Now on");
  HWND flag = handle(form.chkFlag);
  EXPECT_TRUE(heard.waitFor({EVENT_OBJECT_DESCRIPTIONCHANGE, flag, OBJID_CLIENT, CHILDID_SELF}));

  form.shpDot.setAccessibleName("0 minutes 1 second");
  EXPECT_TRUE(heard.waitFor({EVENT_OBJECT_NAMECHANGE, client, OBJID_CLIENT, dial}));
  EXPECT_TRUE(heard.waitFor({EVENT_OBJECT_VALUECHANGE, client, OBJID_CLIENT, dial}));
  EXPECT_EQ(Read(client).name(dial), L"0 minutes 1 second");
  // Moved and recoloured, the dial says the same: nothing is heard for it. The description
  // after it marks that everything before has arrived.
  form.shpDot.setBounds({1500, 2500, 900, 600});
  form.shpDot.setFillColour(0x00FF00);
  form.chkFlag.setAccessibleDescription("Off again");
  ASSERT_TRUE(heard.waitFor({EVENT_OBJECT_DESCRIPTIONCHANGE, flag, OBJID_CLIENT, CHILDID_SELF}));
  ASSERT_EQ(heard.count({EVENT_OBJECT_DESCRIPTIONCHANGE, flag, OBJID_CLIENT, CHILDID_SELF}), 2);
  EXPECT_EQ(heard.of(EVENT_OBJECT_NAMECHANGE, client).size(), 1u);
  EXPECT_EQ(heard.count({EVENT_OBJECT_NAMECHANGE, flag, OBJID_CLIENT, CHILDID_SELF}), 0)
      << "only the description changed";

  form.optA.setValue(true);
  EXPECT_TRUE(
      heard.waitFor({EVENT_OBJECT_STATECHANGE, handle(form.optA), OBJID_CLIENT, CHILDID_SELF}));
  EXPECT_TRUE(Read(handle(form.optA)).state() & STATE_SYSTEM_CHECKED);

  form.announce("Alarm: 0 minutes 1 second");
  ASSERT_TRUE(heard.waitUntil([&] { return !heard.of(EVENT_SYSTEM_ALERT, client).empty(); }));
  const std::vector<EventsHeard::Event> alerts = heard.of(EVENT_SYSTEM_ALERT, client);
  ASSERT_EQ(alerts.size(), 1u);
  Read announced(client);
  EXPECT_EQ(announced.role(alerts[0].child), ROLE_SYSTEM_ALERT);
  EXPECT_EQ(announced.name(alerts[0].child), L"Alarm: 0 minutes 1 second");
}

// Counts the text changes that reach a window, wherever they come from.
class TextChangesSeen {
 public:
  explicit TextChangesSeen(HWND window) : window_(window) {
    counter_ = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &seen, nullptr, GetCurrentThreadId());
  }
  ~TextChangesSeen() { UnhookWindowsHookEx(hook_); }
  int count = 0;

 private:
  static LRESULT CALLBACK seen(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == counter_->window_ && message->message == WM_SETTEXT) {
      ++counter_->count;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline TextChangesSeen* counter_ = nullptr;
  HWND window_;
  HHOOK hook_;
};

// After the computer slept, the overdue ticks run one after another: the windows take only what
// the last one left, once.
TEST_F(Win32ViewsTest, ACatchUpReachesTheWindowsOnceWhenItEnds) {
  int ticks = 0;
  form.tmrCount.onTimer = [&] { form.txtName.setText(std::to_string(++ticks % 1000)); };
  form.show();
  form.tmrCount.setInterval(1000);
  TextChangesSeen changes(handle(form.txtName));
  loop.sleep(30'000);
  EXPECT_EQ(ticks, 30);
  EXPECT_EQ(changes.count, 1);
  EXPECT_EQ(textOf(handle(form.txtName)), L"30");
  // Awake again: every tick reaches the window.
  loop.advance(2000);
  EXPECT_EQ(changes.count, 3);
  EXPECT_EQ(textOf(handle(form.txtName)), L"32");
}

}  // namespace
