#include "support/png_read.h"

#include <png.h>

namespace testsupport {

bool ReadPng(const std::string& path, PngPicture* picture, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    *error = image.message;
    return false;
  }
  // The format the file holds, before asking for our own.
  picture->rgb8 = image.format == PNG_FORMAT_RGB;
  picture->width = static_cast<int>(image.width);
  picture->height = static_cast<int>(image.height);
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    *error = image.message;
    png_image_free(&image);
    return false;
  }
  picture->pixels.resize(static_cast<std::size_t>(picture->width) * picture->height);
  for (std::size_t i = 0; i < picture->pixels.size(); ++i) {
    picture->pixels[i] = (std::uint32_t{rgb[3 * i]} << 16) | (std::uint32_t{rgb[3 * i + 1]} << 8) |
                         rgb[3 * i + 2];
  }
  return true;
}

}  // namespace testsupport
