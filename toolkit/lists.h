#pragma once

#include <string>
#include <vector>

#include "toolkit/control.h"

namespace tk {

// Items and a selection; ListIndex -1 means nothing is selected. Setting ListIndex raises Click
// when it changes, whether code or the user sets it.
class ListBase : public Control {
 public:
  ListBase(Container& parent, std::string name, Rect bounds, int tabIndex);
  bool windowed() const override { return true; }

  const std::vector<std::string>& items() const { return items_; }
  void addItem(std::string item);
  int listIndex() const { return listIndex_; }
  void setListIndex(int index);  // an index outside the items: subscript out of range

  void choose(int index);  // the user picked an item

  Event onClick;

 protected:
  virtual void selectionChanged() {}

 private:
  std::vector<std::string> items_;
  int listIndex_ = -1;
};

class ListBox : public ListBase {
 public:
  ListBox(Container& parent, std::string name, std::vector<std::string> items, Rect bounds,
          int tabIndex);
  Kind kind() const override { return Kind::ListBox; }
};

// An editable drop-down: a text that follows the selection, and that the user may type into.
// Typed text equal to an item selects that item; any other text leaves nothing selected.
class ComboBox : public ListBase {
 public:
  ComboBox(Container& parent, std::string name, std::string text, Rect bounds, int tabIndex);
  Kind kind() const override { return Kind::ComboBox; }

  const std::string& text() const { return text_; }
  void edit(std::string text);  // the user typed into the edit field

 protected:
  void selectionChanged() override;

 private:
  std::string text_;
};

}  // namespace tk
