#include "toolkit/graphics.h"

namespace tk {

Image::Image(Container& parent, std::string name, std::string picture, Rect bounds)
    : Control(&parent, std::move(name), bounds), picture_(std::move(picture)) {}

PictureBox::PictureBox(Container& parent, std::string name, std::string picture, Rect bounds,
                       int tabIndex)
    : Control(&parent, std::move(name), bounds, tabIndex), picture_(std::move(picture)) {}

Shape::Shape(Container& parent, std::string name, ShapeKind shape, Rect bounds)
    : Control(&parent, std::move(name), bounds), shape_(shape) {}

void Shape::setFillColour(Colour colour) {
  storeAndNotify(fillColour_, colour, Property::FillColour);
}

Line::Line(Container& parent, std::string name, LineEnds ends, int borderWidth)
    : Control(&parent, std::move(name)), ends_(ends), borderWidth_(borderWidth) {}

void Line::setEnds(LineEnds ends) { storeAndNotify(ends_, ends, Property::LineEnds); }

void Line::setBorderColour(Colour colour) {
  storeAndNotify(borderColour_, colour, Property::BorderColour);
}

}  // namespace tk
