#pragma once
// The graphical controls: drawn by their container, never focused, never clicked.

#include <string>

#include "toolkit/control.h"

namespace tk {

// A picture drawn unscaled at the control's top left. Pictures are named by resource file name.
class Image : public Control {
 public:
  Image(Container& parent, std::string name, std::string picture, Rect bounds);
  Kind kind() const override { return Kind::Image; }
  const std::string& picture() const { return picture_; }

 private:
  std::string picture_;
};

// A windowed box that shows a picture inside a sunken single border.
class PictureBox : public Control {
 public:
  PictureBox(Container& parent, std::string name, std::string picture, Rect bounds, int tabIndex);
  Kind kind() const override { return Kind::PictureBox; }
  bool windowed() const override { return true; }
  const std::string& picture() const { return picture_; }

 private:
  std::string picture_;
};

enum class ShapeKind { Rectangle, Square, Oval, Circle };

// A filled outline within its bounds; a circle is centred in them with the smaller side as
// diameter.
class Shape : public Control {
 public:
  Shape(Container& parent, std::string name, ShapeKind shape, Rect bounds);
  Kind kind() const override { return Kind::Shape; }

  ShapeKind shape() const { return shape_; }
  Colour fillColour() const { return fillColour_; }
  void setFillColour(Colour colour);
  Colour borderColour() const { return borderColour_; }

 private:
  ShapeKind shape_;
  Colour fillColour_ = 0x000000;
  Colour borderColour_ = SystemColour::windowText;
};

struct LineEnds {
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // twips; fractional ends are kept as given
  friend bool operator==(const LineEnds&, const LineEnds&) = default;
};

enum class LineStyle { Solid, InsideSolid };

class Line : public Control {
 public:
  Line(Container& parent, std::string name, LineEnds ends, int borderWidth = 1);
  Kind kind() const override { return Kind::Line; }

  const LineEnds& ends() const { return ends_; }
  void setX1(float v) { setEnds({v, ends_.y1, ends_.x2, ends_.y2}); }
  void setY1(float v) { setEnds({ends_.x1, v, ends_.x2, ends_.y2}); }
  void setX2(float v) { setEnds({ends_.x1, ends_.y1, v, ends_.y2}); }
  void setY2(float v) { setEnds({ends_.x1, ends_.y1, ends_.x2, v}); }

  Colour borderColour() const { return borderColour_; }
  void setBorderColour(Colour colour);
  int borderWidth() const { return borderWidth_; }  // pixels
  LineStyle style = LineStyle::Solid;

 private:
  void setEnds(LineEnds ends);
  LineEnds ends_;
  Colour borderColour_ = SystemColour::windowText;
  int borderWidth_;
};

}  // namespace tk
