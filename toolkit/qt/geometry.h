#pragma once
// Twips to device-independent pixels (15 twips a pixel); Qt scales those for HiDPI screens.

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <cmath>

#include "toolkit/types.h"

namespace tk::qt {

inline int toPixels(Twips twips) {
  return static_cast<int>(std::lround(twips / double(twipsPerPixel)));
}
inline double toPixelsF(double twips) { return twips / twipsPerPixel; }

inline QRect toPixels(const Rect& r) {
  return {toPixels(r.left), toPixels(r.top), toPixels(r.width), toPixels(r.height)};
}
inline QRectF toPixelsF(const Rect& r) {
  return {toPixelsF(r.left), toPixelsF(r.top), toPixelsF(r.width), toPixelsF(r.height)};
}

}  // namespace tk::qt
