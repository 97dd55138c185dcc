#pragma once
#include <cstdint>
#include <string>

#include "pictures/Image.h"

// Pictures made for the tests and the benchmarks by stb_image_write: another library's
// encoder, so that the decoder is not checked against itself.
namespace rd::pictures::samples {

std::string Jpeg(const Image& image, int quality = 90);
std::string Tga(const Image& image, bool rle = false);
std::string Bmp(const Image& image);

// A picture with detail all over: gradients and a checkerboard.
Image Pattern(int width, int height);
Image Plain(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b);

}  // namespace rd::pictures::samples
