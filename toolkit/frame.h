#pragma once

#include "toolkit/control.h"

namespace tk {

// A captioned box that holds controls of its own; option buttons inside it form their own group.
class Frame : public Container {
 public:
  Frame(Container& parent, std::string name, std::string caption, Rect bounds, int tabIndex);
  Kind kind() const override { return Kind::Frame; }
  bool windowed() const override { return true; }

  const std::string& caption() const { return caption_; }

 private:
  std::string caption_;
};

}  // namespace tk
