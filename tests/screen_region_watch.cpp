// Watches a region of the X display for a picture that may show only briefly: one process grabs
// just that region over and over, tens of times a second however busy the machine is, where
// starting a screenshot program for each look could take seconds and miss it.
//
// usage: screen_region_watch <x> <y> <width> <height> <seconds> <screenshot.png>
// Prints "ready" once it can grab the display, then waits for a line on its input: from then on
// it looks for the region to turn mostly red (the alarm bell) for <seconds> at most. Seen: it
// saves the whole screen to <screenshot.png> and exits 0. Not seen: exits 1. Either way it says
// how many looks it took.

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long long since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The mean of red minus green over the region, from -1 to 1.
double redness(const QImage& region) {
  double sum = 0;
  for (int y = 0; y < region.height(); ++y) {
    for (int x = 0; x < region.width(); ++x) {
      const QRgb pixel = region.pixel(x, y);
      sum += qRed(pixel) - qGreen(pixel);
    }
  }
  return sum / (255.0 * region.width() * region.height());
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 7) {
    std::cerr << "usage: screen_region_watch <x> <y> <width> <height> <seconds> <screenshot.png>\n";
    return 2;
  }
  QGuiApplication application(argc, argv);
  const int x = std::stoi(argv[1]), y = std::stoi(argv[2]);
  const int width = std::stoi(argv[3]), height = std::stoi(argv[4]);
  const auto limit = std::chrono::seconds(std::stoi(argv[5]));
  QScreen* screen = QGuiApplication::primaryScreen();
  const auto look = [&] { return screen->grabWindow(0, x, y, width, height).toImage(); };
  if (look().size() != QSize(width, height)) {
    std::cerr << "could not grab the region " << width << "x" << height << "+" << x << "+" << y
              << "\n";
    return 2;
  }
  std::cout << "ready" << std::endl;
  std::string go;
  if (!std::getline(std::cin, go)) return 2;  // the test ended before it asked for a look

  const auto start = Clock::now();
  const auto deadline = start + limit;
  int looks = 0;
  while (Clock::now() < deadline) {
    ++looks;
    if (redness(look()) > 0.25) {
      screen->grabWindow(0).save(QString::fromLocal8Bit(argv[6]));
      std::cout << "seen at look " << looks << ", " << since(start) << " ms into the watch"
                << std::endl;
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::cout << "not seen in " << looks << " looks over " << since(start) << " ms" << std::endl;
  return 1;
}
