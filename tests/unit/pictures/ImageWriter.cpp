#include "tests/unit/pictures/ImageWriter.h"

#include <algorithm>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace rd::pictures::samples {
namespace {

void Append(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
}

}  // namespace

std::string Jpeg(const Image& image, int quality) {
  std::string out;
  stbi_write_jpg_to_func(Append, &out, image.width, image.height, 4, image.rgba.data(), quality);
  return out;
}

std::string Tga(const Image& image, bool rle) {
  std::string out;
  stbi_write_tga_with_rle = rle ? 1 : 0;  // one global: the tests that write run on one thread
  stbi_write_tga_to_func(Append, &out, image.width, image.height, 4, image.rgba.data());
  return out;
}

std::string Bmp(const Image& image) {
  std::string out;
  stbi_write_bmp_to_func(Append, &out, image.width, image.height, 4, image.rgba.data());
  return out;
}

Image Pattern(int width, int height) {
  Image image{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
      p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
      p[2] = ((x / 16 + y / 16) % 2) ? 200 : 40;
      p[3] = 255;
    }
  }
  return image;
}

Image Plain(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Image image{width, height, {}};
  for (int i = 0; i < width * height; ++i) image.rgba.insert(image.rgba.end(), {r, g, b, 255});
  return image;
}

}  // namespace rd::pictures::samples
