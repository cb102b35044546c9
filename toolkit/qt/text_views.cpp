#include <QSignalBlocker>

#include "toolkit/qt/control_views.h"
#include "toolkit/qt/strings.h"

namespace tk::qt {

TextBoxView::TextBoxView(TextBox& box, QWidget* parent) : ViewOf(box, parent) {
  // Every change the view does not make itself (its own are made with signals blocked): typing,
  // and a screen reader setting the text, which Qt does not count as an edit.
  QObject::connect(widget(), &QLineEdit::textChanged, [this](const QString& text) {
    model().edit(fromQString(text));
    apply(Property::Text);  // a handler may have changed it again
  });
}

void TextBoxView::applyOwn(Property property) {
  if (property == Property::MaxLength) {
    constexpr int noLimit = 32767;  // a line edit's own default, the longest text it takes
    const std::size_t limit = model().maxLength();
    widget()->setMaxLength(limit > 0 ? static_cast<int>(limit) : noLimit);
  }
  if (property != Property::Text) return;
  const QString text = toQString(model().text());
  if (widget()->text() != text) widget()->setText(text);  // leaves the cursor alone when equal
}

ComboBoxView::ComboBoxView(ComboBox& box, QWidget* parent) : ViewOf(box, parent) {
  widget()->setEditable(true);
  widget()->setInsertPolicy(QComboBox::NoInsert);  // Enter must not add the typed text as an item
  widget()->setCompleter(nullptr);                 // the model decides what typed text selects
  QObject::connect(widget(), &QComboBox::activated, [this](int index) {
    model().choose(index);
    showSelectionAndText();
  });
  QObject::connect(widget()->lineEdit(), &QLineEdit::textEdited, [this](const QString& text) {
    model().edit(fromQString(text));
    showSelectionAndText();
  });
}

void ComboBoxView::applyOwn(Property property) {
  switch (property) {
    case Property::Items: {
      const QSignalBlocker blocker(widget());
      widget()->clear();
      for (const std::string& item : model().items()) widget()->addItem(toQString(item));
      showSelectionAndText();
      break;
    }
    case Property::ListIndex:
    case Property::Text:
      showSelectionAndText();
      break;
    default:
      break;
  }
}

void ComboBoxView::showSelectionAndText() {
  const QSignalBlocker blocker(widget());
  const int index = model().listIndex();
  if (widget()->currentIndex() != index) widget()->setCurrentIndex(index);
  // Selecting nothing empties the edit field; the model's text is what it shows.
  const QString text = toQString(model().text());
  if (widget()->currentText() != text) widget()->setEditText(text);
}

ListBoxView::ListBoxView(ListBox& list, QWidget* parent) : ViewOf(list, parent) {
  widget()->setSelectionMode(QAbstractItemView::SingleSelection);
  // Selection, not the current row: taking the focus makes a row current without choosing it.
  // A screen reader's selection adds a row to the one selected before; the new row is the
  // choice.
  QObject::connect(widget(), &QListWidget::itemSelectionChanged, [this] {
    for (QListWidgetItem* item : widget()->selectedItems()) {
      if (const int row = widget()->row(item); row != model().listIndex()) {
        model().choose(row);
        break;
      }
    }
    showSelection();
  });
}

void ListBoxView::applyOwn(Property property) {
  switch (property) {
    case Property::Items:
      widget()->clear();
      for (const std::string& item : model().items()) widget()->addItem(toQString(item));
      showSelection();
      break;
    case Property::ListIndex:
      showSelection();
      break;
    default:
      break;
  }
}

void ListBoxView::showSelection() {
  const QSignalBlocker blocker(widget());
  const int index = model().listIndex();
  if (index < 0) {
    widget()->clearSelection();
    return;
  }
  if (widget()->currentRow() != index || !widget()->item(index)->isSelected()) {
    widget()->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
  }
}

}  // namespace tk::qt
