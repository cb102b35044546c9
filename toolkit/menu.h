#pragma once

#include <string>
#include <vector>

#include "toolkit/control.h"

namespace tk {

// A menu-bar title (made on a form) or an item under one (made on a menu). An item's Click is
// raised by choosing it or by its shortcut, written the usual way ("Ctrl+Q").
class Menu {
 public:
  Menu(Form& form, std::string name, std::string caption);
  Menu(Menu& parent, std::string name, std::string caption, std::string shortcut = {});
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  const std::string& name() const { return name_; }
  const std::string& caption() const { return caption_; }
  const std::string& shortcut() const { return shortcut_; }
  const std::vector<Menu*>& items() const { return items_; }

  void click();  // the user chose the item
  Event onClick;

 private:
  Form& form_;
  std::string name_;
  std::string caption_;
  std::string shortcut_;
  std::vector<Menu*> items_;
};

}  // namespace tk
