// The floor of our stack for the whole-process figures: a bare Qt Widgets window with the
// stopwatch's client size and about as many widgets, and a one-second QTimer that updates a
// label and repaints a small area. Whatever the stopwatch costs above this is ours.
// With --idle the timer never starts: the floor for a stopped watch.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <cmath>
#include <numbers>

namespace {

constexpr int kClientWidth = 529;
constexpr int kClientHeight = 407;

// A face with one hand, drawn antialiased like the stopwatch's dial.
class Dial : public QWidget {
 public:
  using QWidget::QWidget;
  void setSecond(int second) {
    second_ = second;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::white);
    painter.drawEllipse(rect().adjusted(1, 1, -1, -1));
    const QPointF centre = QRectF(rect()).center();
    const double angle = second_ * 2 * std::numbers::pi / 60;
    const double radius = std::min(width(), height()) / 2.0 - 4;
    painter.drawLine(centre, centre + QPointF(radius * std::sin(angle), -radius * std::cos(angle)));
  }

 private:
  int second_ = 0;
};

template <typename Widget, typename... Args>
Widget* place(QWidget* parent, QRect where, Args&&... args) {
  auto* widget = new Widget(std::forward<Args>(args)..., parent);
  widget->setGeometry(where);
  return widget;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Floor Window");
  QMenu* file = window.menuBar()->addMenu("File");
  file->addAction("Exit", QKeySequence("Ctrl+Q"), &app, &QCoreApplication::quit);
  window.menuBar()->addMenu("Help")->addAction("About", QKeySequence("Ctrl+A"), [] {});

  auto* client = new QWidget;
  client->setFixedSize(kClientWidth, kClientHeight);
  window.setCentralWidget(client);

  place<QPushButton>(client, {408, 0, 81, 25}, "Stop");
  place<QPushButton>(client, {416, 32, 81, 33}, "Reset");
  place<QPushButton>(client, {320, 24, 65, 41}, "Preset Now");
  place<QPushButton>(client, {344, 352, 129, 25}, "Change Colour");
  place<QRadioButton>(client, {416, 128, 105, 33}, "Backwards");
  place<QRadioButton>(client, {416, 176, 105, 25}, "Forwards")->setChecked(true);
  for (QRect where : {QRect{32, 16, 49, 21}, QRect{96, 16, 41, 21}}) {
    auto* list = place<QComboBox>(client, where);
    for (int i = 0; i <= 59; ++i) list->addItem(QString::number(i));
  }
  place<QSlider>(client, {8, 168, 33, 121}, Qt::Vertical)->setRange(0, 4);
  int y = 176;
  for (const char* text :
       {"Second Hand", "Minute Hand", "Digital Border", "Stopwatch Face", "Digital Digits"}) {
    place<QLabel>(client, {48, y, 100, 17}, text);
    y += 24;
  }
  place<QCheckBox>(client, {488, 328, 17, 17});
  place<QLabel>(client, {464, 304, 57, 41}, "Digital Clock On")->setWordWrap(true);
  place<QLineEdit>(client, {272, 192, 26, 19}, "0");
  place<QLineEdit>(client, {304, 120, 26, 19}, "0");
  place<QListWidget>(client, {336, 168, 33, 30})->addItems({"On", "Off"});
  place<QLabel>(client, {272, 152, 97, 17}, "Minutes Seconds");
  auto* progress = place<QProgressBar>(client, {48, 392, 417, 9});
  progress->setRange(0, 59);
  progress->setTextVisible(false);

  auto* slotFrame = place<QGroupBox>(client, {0, 48, 97, 121}, "Load/Save");
  for (QRect where : {QRect{72, 80, 17, 17}, QRect{32, 80, 17, 17}, QRect{48, 16, 17, 17},
                      QRect{8, 48, 17, 17}, QRect{16, 16, 17, 17}}) {
    place<QRadioButton>(slotFrame, where);
  }
  place<QPushButton>(slotFrame, {24, 32, 49, 17}, "Load");
  place<QPushButton>(slotFrame, {32, 56, 49, 17}, "Save");
  place<QCheckBox>(slotFrame, {8, 96, 81, 17}, "Clear Saved");

  auto* digital = place<QGroupBox>(client, {136, 264, 321, 73}, "Digital Display!");
  auto* seconds = place<QLabel>(digital, {176, 32, 33, 25}, "0");
  place<QLabel>(digital, {24, 32, 33, 17}, "0");
  place<QLabel>(digital, {64, 32, 89, 17}, "minutes");
  place<QLabel>(digital, {216, 32, 97, 25}, "seconds");

  auto* dial = place<Dial>(client, {133, 66, 134, 134});

  int second = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    second = (second + 1) % 60;
    seconds->setText(QString::number(second));
    progress->setValue(second);
    dial->setSecond(second);
  });
  const bool idle = argc > 1 && QString(argv[1]) == "--idle";
  if (!idle) tick.start(1000);

  window.show();
  return app.exec();
}
