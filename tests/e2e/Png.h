#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// An 8-bit RGB image, rows top to bottom, three bytes a pixel.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// A complete PNG file for the image. Stored (uncompressed) deflate blocks keep the encoder
// small; screenshots of a few dialogs stay well under a megabyte that way.
std::vector<std::uint8_t> EncodePng(const RgbImage& image);

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size);

}  // namespace e2e
