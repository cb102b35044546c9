#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <optional>

#include "toolkit/painting.h"
#include "toolkit/qt/colours.h"
#include "toolkit/qt/control_views.h"
#include "toolkit/qt/strings.h"

namespace tk::qt {

// A push button whose face, when it has a colour of its own, is that colour and nothing else.
// The widget style shades a button's face as a gradient of its palette colour, which turns a
// red face salmon; here the style draws only the frame, the caption and the focus.
class ColouredFaceButton : public QPushButton {
 public:
  explicit ColouredFaceButton(QWidget* parent) : QPushButton(parent) {}

  void setFace(const QColor& face) {
    face_ = face;
    update();
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (!face_) {
      QPushButton::paintEvent(event);
      return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    // Inside the frame's two pixels: its outline and its inner light edge.
    painter.fillRect(rect().adjusted(2, 2, -2, -2), *face_);
    painter.drawControl(QStyle::CE_PushButtonLabel, option);
    if (option.state & QStyle::State_HasFocus) {
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(option);
      focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
      painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
  }

 private:
  std::optional<QColor> face_;
};

CommandButtonView::CommandButtonView(CommandButton& button, QWidget* parent)
    : ViewOf(button, parent) {
  // Enter presses the focused button, as Space does.
  widget()->setAutoDefault(true);
  QObject::connect(widget(), &QPushButton::clicked, [this] { model().click(); });
}

void CommandButtonView::applyOwn(Property property) {
  if (property == Property::Caption) widget()->setText(toQString(model().caption()));
  if (property == Property::BackColour && model().graphical()) {
    const QColor face = toQColor(model().backColour());
    QPalette palette = widget()->palette();
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::ButtonText, readableTextOn(face));
    widget()->setPalette(palette);
    widget()->setFace(face);
  }
}

CheckBoxView::CheckBoxView(CheckBox& box, QWidget* parent) : ViewOf(box, parent) {
  QObject::connect(widget(), &QCheckBox::clicked, [this] {
    model().click();
    apply(Property::Value);  // Qt toggled the box itself; show the model's value instead
  });
}

void CheckBoxView::applyOwn(Property property) {
  switch (property) {
    case Property::Caption:
      widget()->setText(toQString(model().caption()));
      break;
    case Property::BackColour:
      showBackColour(*widget(), model().backColour());
      break;
    case Property::Value:
      widget()->setCheckState(model().value() == CheckBox::Checked  ? Qt::Checked
                              : model().value() == CheckBox::Grayed ? Qt::PartiallyChecked
                                                                    : Qt::Unchecked);
      break;
    default:
      break;
  }
}

OptionButtonView::OptionButtonView(OptionButton& button, QWidget* parent) : ViewOf(button, parent) {
  widget()->setAutoExclusive(false);
  QObject::connect(widget(), &QRadioButton::clicked, [this] {
    model().click();
    apply(Property::Value);  // clicking a selected button must not clear it
  });
}

void OptionButtonView::applyOwn(Property property) {
  switch (property) {
    case Property::Caption:
      widget()->setText(toQString(model().caption()));
      break;
    case Property::BackColour:
      showBackColour(*widget(), model().backColour());
      break;
    case Property::Value:
      widget()->setChecked(model().value());
      break;
    default:
      break;
  }
}

}  // namespace tk::qt
