#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/control.h"

namespace tk {

// A one-line text box. MaxLength (0 = none) limits typing, and a longer text set from code is
// cut to it as well, so the box never holds more than it shows room for. Texts are UTF-8, and
// MaxLength counts characters, never bytes: a character is never cut in half.
class TextBox : public Control {
 public:
  TextBox(Container& parent, std::string name, std::string text, Rect bounds, int tabIndex);
  Kind kind() const override { return Kind::TextBox; }
  bool windowed() const override { return true; }

  const std::string& text() const { return text_; }
  void setText(std::string text);  // raises Change when it changes
  std::size_t maxLength() const { return maxLength_; }
  void setMaxLength(std::size_t maxLength);

  // User input: each typed character is one edit with its own Change, up to MaxLength.
  void typeText(std::string_view characters);
  // User input: the whole text as the user's edit left it (deleting, pasting).
  void edit(std::string text);

  Event onChange;

 private:
  std::string text_;
  std::size_t maxLength_ = 0;
};

enum class Alignment { Left, Right, Centre };

// Static text, wrapped at word boundaries within its width.
class Label : public Control {
 public:
  Label(Container& parent, std::string name, std::string caption, Rect bounds, int tabIndex);
  Kind kind() const override { return Kind::Label; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  Colour foreColour() const { return foreColour_; }
  void setForeColour(Colour colour);
  // A transparent label shows its container's back colour behind the text.
  bool transparent() const { return !opaqueBackColour_; }
  Colour backColour() const { return opaqueBackColour_.value_or(SystemColour::buttonFace); }
  void setOpaque(Colour backColour);
  Alignment alignment = Alignment::Left;

 private:
  std::string caption_;
  Colour foreColour_ = SystemColour::buttonText;
  std::optional<Colour> opaqueBackColour_;  // none: transparent
};

}  // namespace tk
