#include "toolkit/text.h"

namespace tk {

namespace {

// Bytes of the UTF-8 character that starts at `at`. A byte that begins no whole character
// counts as one character of its own, so a broken text is still cut somewhere.
std::size_t characterLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 1;
  if ((lead & 0xE0) == 0xC0) length = 2;
  if ((lead & 0xF0) == 0xE0) length = 3;
  if ((lead & 0xF8) == 0xF0) length = 4;
  if (at + length > text.size()) return 1;
  for (std::size_t i = at + 1; i < at + length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// The bytes that the first `count` characters of `text` take.
std::size_t bytesOfCharacters(std::string_view text, std::size_t count) {
  std::size_t at = 0;
  for (; count > 0 && at < text.size(); --count) at += characterLength(text, at);
  return at;
}

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); at += characterLength(text, at)) ++count;
  return count;
}

}  // namespace

TextBox::TextBox(Container& parent, std::string name, std::string text, Rect bounds, int tabIndex)
    : Control(&parent, std::move(name), bounds, tabIndex), text_(std::move(text)) {}

void TextBox::setText(std::string text) {
  if (maxLength_ > 0) text.resize(bytesOfCharacters(text, maxLength_));
  storeAndNotify(text_, std::move(text), Property::Text, onChange);
}

void TextBox::setMaxLength(std::size_t maxLength) {
  storeAndNotify(maxLength_, maxLength, Property::MaxLength);
}

void TextBox::typeText(std::string_view characters) {
  for (std::size_t at = 0; at < characters.size();) {
    if (!enabled() || (maxLength_ > 0 && characterCount(text_) >= maxLength_)) return;
    const std::size_t length = characterLength(characters, at);
    setText(text_ + std::string(characters.substr(at, length)));
    at += length;
  }
}

void TextBox::edit(std::string text) {
  if (enabled()) setText(std::move(text));
}

Label::Label(Container& parent, std::string name, std::string caption, Rect bounds, int tabIndex)
    : Control(&parent, std::move(name), bounds, tabIndex), caption_(std::move(caption)) {}

void Label::setCaption(std::string caption) {
  storeAndNotify(caption_, std::move(caption), Property::Caption);
}

void Label::setForeColour(Colour colour) {
  storeAndNotify(foreColour_, colour, Property::ForeColour);
}

void Label::setOpaque(Colour backColour) {
  storeAndNotify(opaqueBackColour_, std::optional(backColour), Property::BackColour);
}

}  // namespace tk
