#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// The few calls made into stb_image, behind a header of our own so that only one file of
// the program sees stb's (C, warning-laden) source.
namespace rd::pictures::stb {

// The picture's size without decoding it; false when stb does not know the format.
bool Info(std::string_view bytes, int& width, int& height);
// Decoded to four bytes a pixel (freed with Free), or null; width and height set.
std::uint8_t* LoadRgba(std::string_view bytes, int& width, int& height);
void Free(std::uint8_t* pixels);
// Raw deflate into out (capacity bytes): the bytes written, or -1.
long InflateRaw(std::string_view packed, char* out, std::size_t capacity);

}  // namespace rd::pictures::stb
