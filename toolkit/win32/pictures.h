#pragma once
// The program's pictures by resource file name ("arrows.gif"), decoded once with GDI+ from the
// copies kept in the program file.

#include <string>

#include "toolkit/painting.h"
#include "toolkit/win32/colours.h"

namespace tk::win32 {

// Null when there is no such picture. Owned by the cache; lives as long as the process.
Gdiplus::Bitmap* picture(const std::string& name);
// The picture's size in device-independent pixels (one picture pixel each); empty when none.
PixelSize pictureSize(const std::string& name);
// Draws a picture with its top left at (left, top), `scale` device pixels a picture pixel.
void drawPicture(Gdiplus::Graphics& graphics, const std::string& name, double left, double top,
                 double scale);

}  // namespace tk::win32
