#include <cmath>

#include "toolkit/win32/comctl.h"
#include "toolkit/win32/container_windows.h"
#include "toolkit/win32/control_views.h"
#include "toolkit/win32/form_window.h"

namespace tk::win32 {

namespace {

// The progress bar and the slider show their container's colour around them.
HBRUSH containerBackground(const Control& control, HDC dc, SolidBrush& brush) {
  const COLORREF colour = toColorRef(control.parent()->backColour());
  SetBkColor(dc, colour);
  return brush.of(colour);
}

}  // namespace

ProgressBarView::ProgressBarView(ProgressBar& bar, FormWindow& window, HWND parent)
    : ViewOf(bar, window, createControlWindow(PROGRESS_CLASSW, PBS_SMOOTH, 0, parent, window)) {}

HBRUSH ProgressBarView::background(HDC dc) { return containerBackground(control(), dc, brush_); }

void ProgressBarView::applyOwn(Property property) {
  if (property == Property::Range) {
    SendMessageW(handle(), PBM_SETRANGE32, WPARAM(std::lround(model().min())),
                 LPARAM(std::lround(model().max())));
  }
  if (property == Property::Range || property == Property::Value) {
    SendMessageW(handle(), PBM_SETPOS, WPARAM(std::lround(model().value())), 0);
  }
}

SliderView::SliderView(Slider& slider, FormWindow& window, HWND parent)
    : ViewOf(slider, window,
             createControlWindow(
                 TRACKBAR_CLASSW,
                 WS_TABSTOP | TBS_AUTOTICKS | TBS_FIXEDLENGTH |
                     // Ticks below, or right of a vertical one. Min is at the
                     // top, and the Up arrow moves the handle up, towards it.
                     (slider.orientation() == Orientation::Vertical ? TBS_VERT | TBS_RIGHT
                                                                    : TBS_HORZ | TBS_BOTTOM),
                 0, parent, window)) {
  SendMessageW(handle(), TBM_SETLINESIZE, 0, 1);
  // The toolkit's large change: Page Up and Page Down move five places.
  SendMessageW(handle(), TBM_SETPAGESIZE, 0, 5);
}

HBRUSH SliderView::background(HDC dc) { return containerBackground(control(), dc, brush_); }

void SliderView::applyOwn(Property property) {
  if (property == Property::Bounds) {
    // The system's thumb keeps its 96-DPI length at every DPI; this one grows with the window's.
    constexpr int thumbLengthAt96Dpi = 21;
    SendMessageW(handle(), TBM_SETTHUMBLENGTH, std::lround(thumbLengthAt96Dpi * window().scale()),
                 0);
  }
  if (property == Property::Range) {
    SendMessageW(handle(), TBM_SETRANGEMIN, FALSE, model().min());
    SendMessageW(handle(), TBM_SETRANGEMAX, TRUE, model().max());
  }
  if (property == Property::Range || property == Property::Value) {
    SendMessageW(handle(), TBM_SETPOS, TRUE, model().value());
    apply(Property::Accessibility);  // the name says the part the position picks
  }
}

void SliderView::userAction(UINT message, WPARAM, LPARAM) {
  if (message != WM_HSCROLL && message != WM_VSCROLL) return;
  model().slideTo(static_cast<int>(SendMessageW(handle(), TBM_GETPOS, 0, 0)));
  apply(Property::Value);
}

PictureBoxView::PictureBoxView(PictureBox& box, FormWindow& window, HWND parent)
    : ViewOf(box, window, createPictureBoxWindow(box, window, parent)) {}

void PictureBoxView::applyOwn(Property property) {
  if (property == Property::Picture) InvalidateRect(handle(), nullptr, TRUE);
}

}  // namespace tk::win32
