#include <QSignalBlocker>

#include "toolkit/qt/control_views.h"

namespace tk::qt {

namespace {
QString qtText(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

TextBoxView::TextBoxView(TextBox& box, QWidget* parent)
    : ControlView(box, new QLineEdit(parent)), box_(box),
      widget_(static_cast<QLineEdit*>(widget())) {
  QObject::connect(widget_, &QLineEdit::textEdited, [this](const QString& text) {
    box_.edit(text.toStdString());
    apply(Property::Text);  // a handler may have changed it again
  });
}

void TextBoxView::applyOwn(Property property) {
  if (property == Property::MaxLength) {
    constexpr int noLimit = 32767;  // a line edit's own default, the longest text it takes
    widget_->setMaxLength(box_.maxLength() > 0 ? static_cast<int>(box_.maxLength()) : noLimit);
  }
  if (property != Property::Text) return;
  const QString text = qtText(box_.text());
  if (widget_->text() != text) widget_->setText(text);  // leaves the cursor alone when equal
}

ComboBoxView::ComboBoxView(ComboBox& box, QWidget* parent)
    : ControlView(box, new QComboBox(parent)), box_(box),
      widget_(static_cast<QComboBox*>(widget())) {
  widget_->setEditable(true);
  widget_->setInsertPolicy(QComboBox::NoInsert);  // Enter must not add the typed text as an item
  widget_->setCompleter(nullptr);  // the model decides what typed text selects
  QObject::connect(widget_, &QComboBox::activated, [this](int index) {
    box_.choose(index);
    showSelectionAndText();
  });
  QObject::connect(widget_->lineEdit(), &QLineEdit::textEdited, [this](const QString& text) {
    box_.edit(text.toStdString());
    showSelectionAndText();
  });
}

void ComboBoxView::applyOwn(Property property) {
  switch (property) {
    case Property::Items: {
      const QSignalBlocker blocker(widget_);
      widget_->clear();
      for (const std::string& item : box_.items()) widget_->addItem(qtText(item));
      showSelectionAndText();
      break;
    }
    case Property::ListIndex:
    case Property::Text: showSelectionAndText(); break;
    default: break;
  }
}

void ComboBoxView::showSelectionAndText() {
  const QSignalBlocker blocker(widget_);
  if (widget_->currentIndex() != box_.listIndex()) widget_->setCurrentIndex(box_.listIndex());
  // Selecting nothing empties the edit field; the model's text is what it shows.
  const QString text = qtText(box_.text());
  if (widget_->currentText() != text) widget_->setEditText(text);
}

ListBoxView::ListBoxView(ListBox& list, QWidget* parent)
    : ControlView(list, new QListWidget(parent)), list_(list),
      widget_(static_cast<QListWidget*>(widget())) {
  widget_->setSelectionMode(QAbstractItemView::SingleSelection);
  // Selection, not the current row: taking the focus makes a row current without choosing it.
  QObject::connect(widget_, &QListWidget::itemSelectionChanged, [this] {
    const QList<QListWidgetItem*> selected = widget_->selectedItems();
    if (!selected.isEmpty()) list_.choose(widget_->row(selected.front()));
    showSelection();
  });
}

void ListBoxView::applyOwn(Property property) {
  switch (property) {
    case Property::Items:
      widget_->clear();
      for (const std::string& item : list_.items()) widget_->addItem(qtText(item));
      showSelection();
      break;
    case Property::ListIndex: showSelection(); break;
    default: break;
  }
}

void ListBoxView::showSelection() {
  const QSignalBlocker blocker(widget_);
  const int index = list_.listIndex();
  if (index < 0) {
    widget_->clearSelection();
    return;
  }
  if (widget_->currentRow() != index || !widget_->item(index)->isSelected()) {
    widget_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
  }
}

}  // namespace tk::qt
