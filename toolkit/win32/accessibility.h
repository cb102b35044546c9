#pragma once
// What assistive technology reads of the windows. The system's own accessible objects describe
// the native controls from their text; here a control's accessible name and tooltip replace or
// add to that, and a container adds the graphical children it paints (the readout's labels, the
// dial, the pictures), which have no window of their own, as elements of its own object.

#include <windows.h>
// After the Windows header.
#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

namespace tk::win32 {

// One painted element of a container: what it is called and shows, and where it lies.
struct PaintedElement {
  std::wstring name;
  std::wstring value;
  long role;    // ROLE_SYSTEM_*
  RECT bounds;  // the container's client pixels
};

// The system's object for `window`'s client area, named `name` and described by `description`
// where those are not empty, with `painted` after its own children; null when there is nothing
// to add to the system's object. The caller owns one reference.
IAccessible* accessibleObject(HWND window, const std::wstring& name,
                              const std::wstring& description,
                              const std::vector<PaintedElement>& painted = {});

// The answer to WM_GETOBJECT: the object `make` gives for the client area, or zero (the system
// answers) for any other object asked for or when `make` gives none.
LRESULT answerGetObject(WPARAM wParam, LPARAM lParam, const std::function<IAccessible*()>& make);

}  // namespace tk::win32
