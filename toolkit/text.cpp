#include "toolkit/text.h"

namespace tk {

TextBox::TextBox(Container& parent, std::string name, std::string text, Rect bounds, int tabIndex)
    : Control(&parent, std::move(name), bounds, tabIndex), text_(std::move(text)) {}

void TextBox::setText(std::string text) {
  if (maxLength_ > 0 && text.size() > maxLength_) text.resize(maxLength_);
  if (update(text_, std::move(text), Property::Text)) raise(onChange);
}

void TextBox::typeText(std::string_view characters) {
  for (char c : characters) {
    if (!enabled() || (maxLength_ > 0 && text_.size() >= maxLength_)) return;
    setText(text_ + c);
  }
}

void TextBox::edit(std::string text) {
  if (enabled()) setText(std::move(text));
}

Label::Label(Container& parent, std::string name, std::string caption, Rect bounds, int tabIndex)
    : Control(&parent, std::move(name), bounds, tabIndex), caption_(std::move(caption)) {}

void Label::setCaption(std::string caption) {
  update(caption_, std::move(caption), Property::Caption);
}

void Label::setForeColour(Colour colour) { update(foreColour_, colour, Property::ForeColour); }

void Label::setOpaque(Colour backColour) {
  transparent_ = false;
  backColour_ = backColour;
  changed(Property::BackColour);
}

}  // namespace tk
