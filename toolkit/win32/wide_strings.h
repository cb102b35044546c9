#pragma once
// The toolkit's UTF-8 texts as the wide (UTF-16) strings of the Win32 API, and back.

#include <string>
#include <string_view>

namespace tk::win32 {

std::wstring toWide(std::string_view text);
std::string fromWide(std::wstring_view text);

}  // namespace tk::win32
