#include "toolkit/win32/dpi.h"

namespace tk::win32 {

namespace {

template <typename Function>
Function user32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using SystemParametersForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

int systemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : defaultDpi;
}

}  // namespace

int dpiOf(HWND window) {
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
  }
  return systemDpi();
}

SIZE windowSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu,
                   int dpi) {
  static const auto adjustForDpi = user32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, clientWidth, clientHeight};
  if (adjustForDpi) {
    adjustForDpi(&rect, style, hasMenu, exStyle, static_cast<UINT>(dpi));
  } else {
    AdjustWindowRectEx(&rect, style, hasMenu, exStyle);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

HFONT createMessageFont(int dpi) {
  static const auto parametersForDpi =
      user32Function<SystemParametersForDpiFunction>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (parametersForDpi &&
      parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  // The system's metrics are for the system DPI.
  metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi());
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

}  // namespace tk::win32
