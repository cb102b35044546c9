// A screen reader's view of a window in another process, for the real-window test: it finds the
// top-level window titled as its argument says and prints, in UTF-8, one line per accessible
// object of each window inside it, and one per simple element (what a container paints):
// role, name, value and description, tab-separated. With --alert <seconds> it instead prints
// "listening", waits up to that long for an alert from that window's process, prints the
// alerting object's name and ends; it ends with 1 when none came.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After the Windows header.
#include <fcntl.h>
#include <io.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const std::wstring& text) {
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

VARIANT childId(long id) {
  VARIANT child;
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

std::wstring text(IAccessible* object,
                  HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), long id) {
  BSTR value = nullptr;
  const HRESULT result = (object->*get)(childId(id), &value);
  std::wstring read = SUCCEEDED(result) && value ? value : L"";
  SysFreeString(value);
  return read;
}

std::wstring roleText(IAccessible* object, long id) {
  VARIANT role{};
  if (object->get_accRole(childId(id), &role) != S_OK || role.vt != VT_I4) return L"?";
  wchar_t name[128] = {};
  GetRoleTextW(static_cast<DWORD>(role.lVal), name, 128);
  return name;
}

void printLine(IAccessible* object, long id) {
  std::printf("%s\t%s\t%s\t%s\n", utf8(roleText(object, id)).c_str(),
              utf8(text(object, &IAccessible::get_accName, id)).c_str(),
              utf8(text(object, &IAccessible::get_accValue, id)).c_str(),
              utf8(text(object, &IAccessible::get_accDescription, id)).c_str());
}

// The window's client object and its simple elements (children with no object of their own).
BOOL CALLBACK printWindow(HWND window, LPARAM) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object)))) {
    return TRUE;
  }
  printLine(object, CHILDID_SELF);
  long count = 0;
  object->get_accChildCount(&count);
  for (long id = 1; id <= count; ++id) {
    IDispatch* child = nullptr;
    if (object->get_accChild(childId(id), &child) == S_FALSE) printLine(object, id);
    if (child) child->Release();
  }
  object->Release();
  return TRUE;
}

bool alertRead = false;

void CALLBACK alerted(HWINEVENTHOOK, DWORD, HWND window, LONG objectId, LONG child, DWORD, DWORD) {
  IAccessible* object = nullptr;
  VARIANT element;
  if (AccessibleObjectFromEvent(window, objectId, child, &object, &element) != S_OK) return;
  BSTR name = nullptr;
  if (object->get_accName(element, &name) == S_OK && name) {
    std::printf("%s\n", utf8(name).c_str());
    std::fflush(stdout);
    alertRead = true;
  }
  SysFreeString(name);
  object->Release();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool alerts = argc == 4 && std::wstring(argv[1]) == L"--alert";
  if (argc != 2 && !alerts) {
    std::fprintf(stderr, "usage: accessibility_reader [--alert <seconds>] <window title>\n");
    return 2;
  }
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in \n alone, for the shell to read
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HWND window = FindWindowW(nullptr, argv[argc - 1]);
  if (window == nullptr) {
    std::fprintf(stderr, "no window titled %s\n", utf8(argv[argc - 1]).c_str());
    return 1;
  }
  if (!alerts) {
    EnumChildWindows(window, &printWindow, 0);
    return 0;
  }
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, &alerted,
                                       process, 0, WINEVENT_OUTOFCONTEXT);
  if (hook == nullptr) return 1;
  std::printf("listening\n");
  std::fflush(stdout);
  const ULONGLONG deadline = GetTickCount64() + 1000ULL * std::wcstoul(argv[2], nullptr, 10);
  while (!alertRead && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  UnhookWinEvent(hook);
  return alertRead ? 0 : 1;
}
