#pragma once
// The base of every control: name, container, position, visibility, enabling, tab order,
// and the notification that lets a backend follow every property change.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/types.h"

namespace tk {

class Container;
class Form;

enum class Kind {
  Form,
  CommandButton,
  CheckBox,
  OptionButton,
  TextBox,
  Label,
  ComboBox,
  ListBox,
  Frame,
  Image,
  PictureBox,
  Shape,
  Line,
  Timer,
  ProgressBar,
  Slider
};

// What changed, so a backend can update only that.
enum class Property {
  Caption,
  Text,
  Bounds,
  Visible,
  Enabled,
  BackColour,
  ForeColour,
  BorderColour,
  FillColour,
  Value,
  ListIndex,
  Items,
  Picture,
  LineEnds,
  Range,
  Accessibility,
  MaxLength,
  Announcement
};

// What a control is to assistive technology. Each kind has its own (`Default`); a form may give
// a control another one, as the stopwatch does for the dial, which a screen reader reads as text.
enum class AccessibleRole {
  Default,
  Window,
  PushButton,
  CheckBox,
  RadioButton,
  Text,  // an editable text box
  ComboBox,
  List,
  ProgressBar,
  Slider,
  Grouping,    // a frame
  Pane,        // a form's client area
  StaticText,  // a label, or anything that presents itself as words
  Graphic,
};

// Every property, in the order a new view shows them: its place first, whether it shows last.
inline constexpr Property viewProperties[] = {
    Property::Bounds,    Property::Enabled, Property::Accessibility, Property::Items,
    Property::Range,     Property::Caption, Property::MaxLength,     Property::Text,
    Property::ListIndex, Property::Value,   Property::BackColour,    Property::ForeColour,
    Property::Picture,   Property::Visible};

// Whether a change alters how a control looks. What it tells assistive technology does not: a
// dial whose spoken reading changes every second must not repaint its whole face for it.
constexpr bool changesLook(Property property) {
  return property != Property::Accessibility && property != Property::Announcement;
}

using Event = std::function<void()>;

class Control;

// Told of every property change of every control of a form (the backend, in the program).
class ControlObserver {
 public:
  virtual ~ControlObserver() = default;
  virtual void propertyChanged(Control& control, Property property) = 0;
};

class Control {
 public:
  Control(Container* parent, std::string name, Rect bounds = {}, int tabIndex = -1);
  // Leaves its container's list of children, so the container never holds a dangling control.
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  virtual Kind kind() const = 0;
  // Windowed controls are real child windows above the graphical ones and can take the focus.
  virtual bool windowed() const { return false; }

  const std::string& name() const { return name_; }
  Container* parent() const { return parent_; }
  Form& form();
  const Form& form() const;

  Rect bounds() const { return bounds_; }
  void setBounds(Rect bounds);
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  // Position in the tab order; -1 for kinds that never take the focus.
  int tabIndex() const { return tabIndex_; }

  // What assistive technology announces, and the tooltip where the control shows no text.
  const std::string& accessibleName() const { return accessibility_.name; }
  const std::string& toolTip() const { return accessibility_.toolTip; }
  void setAccessibility(std::string accessibleName, std::string toolTip = {});
  void setAccessibleName(std::string name);
  // Read after the name: what the control is for or where it stands ("The stopwatch is running").
  const std::string& accessibleDescription() const { return accessibility_.description; }
  void setAccessibleDescription(std::string description);
  // The role given by the form, or else the kind's own.
  AccessibleRole accessibleRole() const;
  void setAccessibleRole(AccessibleRole role);

 protected:
  // Every property set goes through here: it stores the new value, tells the backend, then
  // raises `onChange`. It returns false, having told and raised nothing, when the property
  // already had that value.
  template <typename T>
  bool storeAndNotify(T& field, T value, Property property, const Event& onChange = {}) {
    if (field == value) return false;
    field = std::move(value);
    notifyBackend(property);
    if (onChange) raise(onChange);
    return true;
  }
  void notifyBackend(Property property);
  // Runs an event handler through the form's dispatcher (nested when raised by code).
  void raise(const Event& handler);
  virtual void enabledChanged() {}

 private:
  friend class Container;
  struct Accessibility {
    std::string name;
    std::string toolTip;
    std::string description;
    AccessibleRole role = AccessibleRole::Default;
    friend bool operator==(const Accessibility&, const Accessibility&) = default;
  };

  Container* parent_;
  std::string name_;
  Rect bounds_;
  int tabIndex_;
  bool visible_ = true;
  bool enabled_ = true;
  Accessibility accessibility_;
};

// A control that holds other controls: the form's client area or a frame. Children are kept in
// creation order, which is also their stacking order: a later child lies in front.
class Container : public Control {
 public:
  using Control::Control;
  // Children that outlive their container (in no form's design) no longer point back at it.
  ~Container() override;
  const std::vector<Control*>& children() const { return children_; }

  // Calls `visit` with each child that is a T, in creation order.
  template <typename T, typename Visit>
  void forEachChildOfType(Visit&& visit) const {
    for (Control* child : children_) {
      if (auto* typed = dynamic_cast<T*>(child)) visit(*typed);
    }
  }
  // The same for every control inside, depth first: a child, then whatever it holds.
  template <typename T, typename Visit>
  void forEachDescendantOfType(Visit&& visit) const {
    for (Control* child : children_) {
      if (auto* typed = dynamic_cast<T*>(child)) visit(*typed);
      if (auto* inner = dynamic_cast<Container*>(child)) inner->forEachDescendantOfType<T>(visit);
    }
  }

  Colour backColour() const { return backColour_; }
  void setBackColour(Colour colour);

 private:
  friend class Control;
  std::vector<Control*> children_;
  Colour backColour_ = SystemColour::buttonFace;
};

}  // namespace tk
