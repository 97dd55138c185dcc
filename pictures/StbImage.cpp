// stb_image, compiled once, for JPEG, TGA and BMP and its deflate decoder.
#include "pictures/StbImage.h"

#include <climits>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_TGA
#define STBI_ONLY_BMP
#define STBI_SUPPORT_ZLIB
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 4096
#define STBI_NO_FAILURE_STRINGS
#include <stb_image.h>

namespace rd::pictures::stb {

bool Info(std::string_view bytes, int& width, int& height) {
  if (bytes.size() > INT_MAX) return false;
  int channels = 0;
  return stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                               static_cast<int>(bytes.size()), &width, &height, &channels) != 0;
}

std::uint8_t* LoadRgba(std::string_view bytes, int& width, int& height) {
  if (bytes.size() > INT_MAX) return nullptr;
  int channels = 0;
  return stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                               static_cast<int>(bytes.size()), &width, &height, &channels, 4);
}

void Free(std::uint8_t* pixels) { stbi_image_free(pixels); }

long InflateRaw(std::string_view packed, char* out, std::size_t capacity) {
  if (packed.size() > INT_MAX || capacity > INT_MAX) return -1;
  return stbi_zlib_decode_noheader_buffer(out, static_cast<int>(capacity), packed.data(),
                                          static_cast<int>(packed.size()));
}

}  // namespace rd::pictures::stb
