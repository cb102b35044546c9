#pragma once
// The program's pictures as bytes inside the program file, made at build time from assets/.

#include <cstddef>
#include <span>

namespace tk::win32 {

struct EmbeddedPicture {
  const char* name;
  const unsigned char* data;
  std::size_t size;
};

std::span<const EmbeddedPicture> embeddedPictures();

}  // namespace tk::win32
