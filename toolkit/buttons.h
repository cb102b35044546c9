#pragma once

#include "toolkit/control.h"

namespace tk {

// Common to the three button kinds: a caption ("&" marks the access key) and a back colour.
class ButtonBase : public Control {
 public:
  ButtonBase(Container& parent, std::string name, std::string caption, Rect bounds, int tabIndex);
  bool windowed() const override { return true; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  Colour backColour() const { return backColour_; }
  void setBackColour(Colour colour);

  Event onClick;

 private:
  std::string caption_;
  Colour backColour_ = SystemColour::buttonFace;
};

class CommandButton : public ButtonBase {
 public:
  using ButtonBase::ButtonBase;
  Kind kind() const override { return Kind::CommandButton; }

  // Graphical style: the button is drawn in its back colour.
  bool graphical() const { return graphical_; }
  void setGraphical(Colour backColour);

  void click();  // the user pressed it

 private:
  bool graphical_ = false;
};

class CheckBox : public ButtonBase {
 public:
  enum State { Unchecked = 0, Checked = 1, Grayed = 2 };
  using ButtonBase::ButtonBase;
  Kind kind() const override { return Kind::CheckBox; }

  int value() const { return value_; }
  void setValue(int value);  // raises Click when it changes

  void click();  // the user toggled it: checked becomes unchecked, anything else checked

 private:
  int value_ = Unchecked;
};

// Option buttons in one container exclude each other: selecting one clears the others.
class OptionButton : public ButtonBase {
 public:
  using ButtonBase::ButtonBase;
  Kind kind() const override { return Kind::OptionButton; }

  bool value() const { return value_; }
  void setValue(bool value);  // true raises Click when it changes; false raises nothing

  void click();  // the user selected it

 private:
  bool value_ = false;
};

}  // namespace tk
