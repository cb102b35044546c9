#include "toolkit/lists.h"

#include <algorithm>

namespace tk {

ListBase::ListBase(Container& parent, std::string name, Rect bounds, int tabIndex)
    : Control(&parent, std::move(name), bounds, tabIndex) {}

void ListBase::addItem(std::string item) {
  items_.push_back(std::move(item));
  notifyBackend(Property::Items);  // an item added is always a change
}

void ListBase::setListIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) {
    throw RuntimeError::invalidPropertyValue();
  }
  if (!storeAndNotify(listIndex_, index, Property::ListIndex)) return;
  selectionChanged();
  raise(onClick);
}

void ListBase::choose(int index) {
  if (enabled()) setListIndex(index);
}

ListBox::ListBox(Container& parent, std::string name, std::vector<std::string> items, Rect bounds,
                 int tabIndex)
    : ListBase(parent, std::move(name), bounds, tabIndex) {
  for (auto& item : items) addItem(std::move(item));
}

ComboBox::ComboBox(Container& parent, std::string name, std::string text, Rect bounds, int tabIndex)
    : ListBase(parent, std::move(name), bounds, tabIndex), text_(std::move(text)) {}

void ComboBox::edit(std::string text) {
  if (!enabled()) return;
  storeAndNotify(text_, std::move(text), Property::Text);
  auto match = std::find(items().begin(), items().end(), text_);
  setListIndex(match == items().end() ? -1 : static_cast<int>(match - items().begin()));
}

void ComboBox::selectionChanged() {
  if (listIndex() < 0) return;  // text the user typed stays as it is
  storeAndNotify(text_, items()[static_cast<std::size_t>(listIndex())], Property::Text);
}

}  // namespace tk
