#pragma once
// Where a change to a control of a shown form goes: a change to the form itself to its window,
// a windowed control's to its own view, a graphical control's (painted, with no window of its
// own) to the container that paints it. Timers show nothing. The same for every backend; each
// says what showing means.

#include "toolkit/control.h"
#include "toolkit/form.h"

namespace tk {

// `views` and `containers` map a control and a container to their backend object (owned or not);
// `showForm(property)` and `repaintIn(container)` do the showing.
template <class Views, class Containers, class ShowForm, class RepaintIn>
void routeChange(const Form& form, Control& control, Property property, const Views& views,
                 const Containers& containers, ShowForm&& showForm, RepaintIn&& repaintIn) {
  if (&control == &form) {
    showForm(property);
    return;
  }
  if (auto view = views.find(&control); view != views.end()) {
    view->second->apply(property);
    return;
  }
  if (control.kind() == Kind::Timer) return;
  if (auto container = containers.find(control.parent()); container != containers.end()) {
    repaintIn(*container->second);
  }
}

}  // namespace tk
