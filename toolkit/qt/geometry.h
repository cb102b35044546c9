#pragma once
// Twips to device-independent pixels (15 twips a pixel); Qt scales those for HiDPI screens.

#include <QRect>
#include <QRectF>

#include "toolkit/painting.h"

namespace tk::qt {

inline QRectF toQRectF(const PixelRect& r) { return {r.left, r.top, r.width, r.height}; }
// For a rectangle of whole pixels.
inline QRect toQRect(const PixelRect& r) {
  return {int(r.left), int(r.top), int(r.width), int(r.height)};
}

inline int toPixels(Twips twips) { return tk::toPixels(twips); }
inline double toPixelsF(double twips) { return tk::toPixelsF(twips); }
inline QRect toPixels(const Rect& r) { return toQRect(pixelRect(r)); }
inline QRectF toPixelsF(const Rect& r) { return toQRectF(pixelRectF(r)); }

}  // namespace tk::qt
