// Reads a PNG back with libpng, independently of the platform's writer.
#ifndef TESTS_SUPPORT_PNG_READ_H
#define TESTS_SUPPORT_PNG_READ_H

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct PngPicture {
  int width = 0;
  int height = 0;
  bool rgb8 = false;  // stored as 8-bit RGB without alpha
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row-major

  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * width + x];
  }
};

// False with libpng's message when the file is missing or not a PNG.
bool ReadPng(const std::string& path, PngPicture* picture, std::string* error);

}  // namespace testsupport

#endif  // TESTS_SUPPORT_PNG_READ_H
