#pragma once
// What assistive technology reads of the windows, and the events that tell it of changes. The
// system's own accessible objects describe the native controls from their text; here a control's
// accessible name, description and role replace or add to that, and a container adds the
// graphical children it paints (the readout's labels, the dial, the pictures), which have no
// window of their own, as elements of its own object.

#include <windows.h>
// After the Windows header.
#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/control.h"

namespace tk::win32 {

// The ROLE_SYSTEM_* a reader is told for a role of the toolkit.
long systemRole(AccessibleRole role);

// What a window's own object says of itself where the system's would say something else; an
// empty text or a zero leaves the system's answer.
struct OwnFacts {
  std::wstring name;
  std::wstring description;
  long role = 0;        // ROLE_SYSTEM_*
  long addedState = 0;  // STATE_SYSTEM_* added to the system's (a button's check)
};

// What a windowed control's own object says: its name, its description (or its tooltip where
// the form gives none, as Qt reads it), the role the form gives it, and whether a box or option
// button is checked.
OwnFacts ownFactsOf(const Control& control, HWND window);

// One painted element of a container: what it is called and shows, and where it lies.
struct PaintedElement {
  std::wstring name;
  std::wstring value;
  std::wstring description;
  long role;    // ROLE_SYSTEM_*
  bool shown;   // else STATE_SYSTEM_INVISIBLE
  RECT bounds;  // the container's client pixels
};

// The system's object for `window`'s client area with `own` facts, and `painted` after its own
// children; null when there is nothing to add to the system's object. The caller owns one
// reference.
IAccessible* accessibleObject(HWND window, const OwnFacts& own,
                              const std::vector<PaintedElement>& painted = {});

// The child id of the painted element at `index` of `window`'s object: after the system's own
// children (the child windows).
long paintedChildId(HWND window, std::size_t index);

// The answer to WM_GETOBJECT: the object `make` gives for the client area, or zero (the system
// answers) for any other object asked for or when `make` gives none.
LRESULT answerGetObject(WPARAM wParam, LPARAM lParam, const std::function<IAccessible*()>& make);

// Tells listening readers that what the child `childId` of `window`'s client object says
// changed (CHILDID_SELF for the window's own object).
void notifyNameChange(HWND window, long childId);
void notifyValueChange(HWND window, long childId);
void notifyDescriptionChange(HWND window, long childId);
void notifyStateChange(HWND window, long childId);

// Raises an announcement that the child `childId` of `window`'s client object names with
// `text`: an alert event for the element, and UI Automation's notification where the system
// has it.
void raiseAnnouncement(HWND window, long childId, const std::wstring& text);

}  // namespace tk::win32
