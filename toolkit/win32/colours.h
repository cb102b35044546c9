#pragma once
// The toolkit's 0x00BBGGRR colours as GDI and GDI+ colours; a system colour (0x800000nn) is the
// system's own colour number nn, as the user's theme has it.

#include <windows.h>
// GDI+ needs the COM stream types, which WIN32_LEAN_AND_MEAN leaves out, and
#include <objidl.h>
// it needs min and max, which NOMINMAX takes away.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "toolkit/types.h"

namespace tk::win32 {

inline COLORREF toColorRef(Colour colour) {
  // COLORREF is 0x00BBGGRR too.
  return isSystemColour(colour) ? GetSysColor(static_cast<int>(systemColourIndex(colour)))
                                : static_cast<COLORREF>(colour & 0xFFFFFFu);
}

inline Colour fromColorRef(COLORREF colour) { return static_cast<Colour>(colour & 0xFFFFFFu); }

inline Gdiplus::Color toGdiplusColor(Colour colour) {
  const COLORREF rgb = toColorRef(colour);
  return Gdiplus::Color(255, GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// A solid brush, kept for as long as the colour does not change.
class SolidBrush {
 public:
  SolidBrush() = default;
  ~SolidBrush() { reset(); }
  SolidBrush(const SolidBrush&) = delete;
  SolidBrush& operator=(const SolidBrush&) = delete;
  HBRUSH of(COLORREF colour) {
    if (brush_ == nullptr || colour != colour_) {
      reset();
      brush_ = CreateSolidBrush(colour);
      colour_ = colour;
    }
    return brush_;
  }

 private:
  void reset() {
    if (brush_) DeleteObject(brush_);
    brush_ = nullptr;
  }
  HBRUSH brush_ = nullptr;
  COLORREF colour_ = 0;
};

}  // namespace tk::win32
