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

 private:
  Control& control_;
  QWidget* widget_;
};

// Makes the view of a windowed control, its widget a child of `parent`. Frames are made by the
// window, which also fills them.
std::unique_ptr<ControlView> makeView(Control& control, QWidget* parent);

class CommandButtonView : public ControlView {
 public:
  CommandButtonView(CommandButton& button, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  CommandButton& button_;
  QPushButton* widget_;
};

class CheckBoxView : public ControlView {
 public:
  CheckBoxView(CheckBox& box, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  CheckBox& box_;
  QCheckBox* widget_;
};

// Qt's own exclusion is off: the model clears the other buttons of the group, and the view of
// each follows.
class OptionButtonView : public ControlView {
 public:
  OptionButtonView(OptionButton& button, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  OptionButton& button_;
  QRadioButton* widget_;
};

class TextBoxView : public ControlView {
 public:
  TextBoxView(TextBox& box, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  TextBox& box_;
  QLineEdit* widget_;
};

class ComboBoxView : public ControlView {
 public:
  ComboBoxView(ComboBox& box, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  void showSelectionAndText();
  ComboBox& box_;
  QComboBox* widget_;
};

class ListBoxView : public ControlView {
 public:
  ListBoxView(ListBox& list, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  void showSelection();
  ListBox& list_;
  QListWidget* widget_;
};

class ProgressBarView : public ControlView {
 public:
  ProgressBarView(ProgressBar& bar, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  ProgressBar& bar_;
  QProgressBar* widget_;
};

class SliderView : public ControlView {
 public:
  SliderView(Slider& slider, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  Slider& slider_;
  QSlider* widget_;
};

class PictureBoxView : public ControlView {
 public:
  PictureBoxView(PictureBox& box, QWidget* parent);

 protected:
  void applyOwn(Property property) override;

 private:
  PictureBox& box_;
  QLabel* widget_;
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
