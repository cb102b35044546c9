#pragma once
// One view class per windowed control kind. A view owns no model state: it shows its control's
// properties on a real Qt widget (model -> widget, with the widget's signals blocked so that code
// never echoes back as user input) and forwards the user's genuine actions to the control's
// user-input methods (widget -> model), then shows whatever the model made of them.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <memory>

#include "toolkit/buttons.h"
#include "toolkit/common_controls.h"
#include "toolkit/frame.h"
#include "toolkit/graphics.h"
#include "toolkit/lists.h"
#include "toolkit/text.h"

namespace tk::qt {

class ColouredFaceButton;  // a push button showing its face colour flat
class FrameWidget;

class ControlView {
 public:
  ControlView(Control& control, QWidget* widget);
  virtual ~ControlView() = default;
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  Control& control() const { return control_; }
  QWidget* widget() const { return widget_; }

  // Shows one changed property of the control on the widget.
  void apply(Property property);
  // Shows every property, for a newly made widget.
  void applyAll();

 protected:
  // The properties particular to the kind; the common ones (bounds, visibility, enabling,
  // accessibility) are handled here.
  virtual void applyOwn(Property property) = 0;
  // What assistive technology calls the control: the model's accessible name.
  virtual QString accessibleName() const;

 private:
  Control& control_;
  QWidget* widget_;
};

// Makes the view of a windowed control, its widget a child of `parent`. Frames are made by the
// window, which also fills them.
std::unique_ptr<ControlView> makeView(Control& control, QWidget* parent);

// The view of a control of kind Model, shown on a new widget of class Widget.
template <typename Model, typename Widget>
class ViewOf : public ControlView {
 public:
  using ModelType = Model;

 protected:
  ViewOf(Model& model, QWidget* parent) : ControlView(model, new Widget(parent)) {}
  Model& model() const { return static_cast<Model&>(control()); }
  Widget* widget() const { return static_cast<Widget*>(ControlView::widget()); }
};

class CommandButtonView : public ViewOf<CommandButton, ColouredFaceButton> {
 public:
  CommandButtonView(CommandButton& button, QWidget* parent);

 protected:
  void applyOwn(Property property) override;
};

class CheckBoxView : public ViewOf<CheckBox, QCheckBox> {
 public:
  CheckBoxView(CheckBox& box, QWidget* parent);

 protected:
  void applyOwn(Property property) override;
};

// Qt's own exclusion is off: the model clears the other buttons of the group, and the view of
// each follows.
class OptionButtonView : public ViewOf<OptionButton, QRadioButton> {
 public:
  OptionButtonView(OptionButton& button, QWidget* parent);

 protected:
  void applyOwn(Property property) override;
};

class TextBoxView : public ViewOf<TextBox, QLineEdit> {
 public:
  TextBoxView(TextBox& box, QWidget* parent);

 protected:
  void applyOwn(Property property) override;
};

class ComboBoxView : public ViewOf<ComboBox, QComboBox> {
 public:
  ComboBoxView(ComboBox& box, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  void showSelectionAndText();
};

class ListBoxView : public ViewOf<ListBox, QListWidget> {
 public:
  ListBoxView(ListBox& list, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  void showSelection();
};

class ProgressBarView : public ViewOf<ProgressBar, QProgressBar> {
 public:
  ProgressBarView(ProgressBar& bar, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  void showValue();
  int fillEdge() const;  // where the filled part ends, in the widget's pixels
};

class SliderView : public ViewOf<Slider, QSlider> {
 public:
  SliderView(Slider& slider, QWidget* parent);

 protected:
  void applyOwn(Property property) override;
  // The name and the part the slider picks now: "Colour to change: Minute Hand".
  QString accessibleName() const override;
};

class PictureBoxView : public ViewOf<PictureBox, QLabel> {
 public:
  PictureBoxView(PictureBox& box, QWidget* parent);

 protected:
  void applyOwn(Property property) override;
};

class FrameView : public ControlView {
 public:
  FrameView(Frame& frame, FrameWidget* widget);

 protected:
  void applyOwn(Property property) override;
};

// Fills a check box's or option button's background with a colour.
void showBackColour(QWidget& widget, Colour colour);

}  // namespace tk::qt
