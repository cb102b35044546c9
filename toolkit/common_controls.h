#pragma once
// The progress bar, the slider and the colour dialog.

#include <string>
#include <vector>

#include "toolkit/control.h"

namespace tk {

enum class Orientation { Horizontal, Vertical };

class ProgressBar : public Control {
 public:
  ProgressBar(Container& parent, std::string name, Rect bounds, int tabIndex, double min,
              double max);
  Kind kind() const override { return Kind::ProgressBar; }
  bool windowed() const override { return true; }

  double min() const { return min_; }
  double max() const { return max_; }
  double value() const { return value_; }
  void setValue(double value);  // outside min..max: invalid property value

 private:
  double min_;
  double max_;
  double value_;
};

// Min at the top (or left), one step per arrow key, a tick mark at every value.
class Slider : public Control {
 public:
  Slider(Container& parent, std::string name, Rect bounds, int tabIndex, int min, int max,
         Orientation orientation);
  Kind kind() const override { return Kind::Slider; }
  bool windowed() const override { return true; }

  int min() const { return min_; }
  int max() const { return max_; }
  int value() const { return value_; }
  Orientation orientation() const { return orientation_; }

  void slideTo(int value);  // the user moved it; kept within min..max

  // What each position picks, from min on, for assistive technology to read with the name;
  // empty where none was given, and a position is then read as its number.
  void setPositionNames(std::vector<std::string> names);
  std::string positionName() const;

 private:
  int min_;
  int max_;
  int value_;
  Orientation orientation_;
  std::vector<std::string> positionNames_;
};

// The system's colour dialog. `colour` is the last colour chosen with OK (0 before any).
class ColourDialog {
 public:
  explicit ColourDialog(Form& form) : form_(form) {}
  Colour colour() const { return colour_; }
  // Shows the dialog modally; true when the user chose a colour with OK.
  bool showColour();

 private:
  Form& form_;
  Colour colour_ = 0;
};

}  // namespace tk
