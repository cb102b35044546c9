#include "toolkit/win32/pictures.h"

#include <objidl.h>

#include <map>
#include <memory>

#include "toolkit/win32/embedded_pictures.h"

namespace tk::win32 {

namespace {

// GDI+ is started on first use and kept for the process's life, as the decoded pictures are.
void startGdiplus() {
  static const bool started = [] {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  (void)started;
}

std::unique_ptr<Gdiplus::Bitmap> decode(const EmbeddedPicture& embedded) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, embedded.size);
  if (memory == nullptr) return nullptr;
  std::copy_n(embedded.data, embedded.size, static_cast<unsigned char*>(GlobalLock(memory)));
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
    GlobalFree(memory);
    return nullptr;
  }
  std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream));
  stream->Release();
  if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok) bitmap.reset();
  return bitmap;
}

}  // namespace

Gdiplus::Bitmap* picture(const std::string& name) {
  static std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> decoded;
  if (name.empty()) return nullptr;
  if (auto found = decoded.find(name); found != decoded.end()) return found->second.get();
  startGdiplus();
  std::unique_ptr<Gdiplus::Bitmap>& bitmap = decoded[name];
  for (const EmbeddedPicture& embedded : embeddedPictures()) {
    if (name == embedded.name) bitmap = decode(embedded);
  }
  return bitmap.get();
}

PixelSize pictureSize(const std::string& name) {
  Gdiplus::Bitmap* bitmap = picture(name);
  if (bitmap == nullptr) return {};
  return {double(bitmap->GetWidth()), double(bitmap->GetHeight())};
}

void drawPicture(Gdiplus::Graphics& graphics, const std::string& name, double left, double top,
                 double scale) {
  Gdiplus::Bitmap* bitmap = picture(name);
  if (bitmap == nullptr) return;
  // Unscaled pictures keep every pixel sharp; scaled ones are smoothed.
  graphics.SetInterpolationMode(scale == 1 ? Gdiplus::InterpolationModeNearestNeighbor
                                           : Gdiplus::InterpolationModeHighQualityBicubic);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  const Gdiplus::RectF target(Gdiplus::REAL(left), Gdiplus::REAL(top),
                              Gdiplus::REAL(bitmap->GetWidth() * scale),
                              Gdiplus::REAL(bitmap->GetHeight() * scale));
  graphics.DrawImage(bitmap, target, 0, 0, Gdiplus::REAL(bitmap->GetWidth()),
                     Gdiplus::REAL(bitmap->GetHeight()), Gdiplus::UnitPixel);
}

}  // namespace tk::win32
