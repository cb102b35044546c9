#include "toolkit/menu.h"

#include "toolkit/form.h"

namespace tk {

Menu::Menu(Form& form, std::string name, std::string caption)
    : form_(form), name_(std::move(name)), caption_(std::move(caption)) {
  form.addMenu(*this);
}

Menu::Menu(Menu& parent, std::string name, std::string caption, std::string shortcut)
    : form_(parent.form_),
      name_(std::move(name)),
      caption_(std::move(caption)),
      shortcut_(std::move(shortcut)) {
  parent.items_.push_back(this);
}

void Menu::click() { form_.dispatch(onClick); }

}  // namespace tk
