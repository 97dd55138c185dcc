#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace rd::pictures {

// A decoded picture: rows from the top, four bytes a pixel in the order red, green, blue,
// alpha. An empty image (no pixels) is never handed out as a picture.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};

// Where a picture goes inside a box: as large as fits, the aspect kept, centred.
struct Placement {
  int x = 0, y = 0, width = 0, height = 0;
};

// The largest picture the program decodes, in pixels a side and in all.
// Levelshots are at most 1024 a side, overviews smaller.
inline constexpr int kMaxSide = 4096;
inline constexpr long long kMaxPixels = 2048LL * 2048;

// JPEG, TGA or BMP, told apart by content; nothing for anything damaged, unknown or larger
// than maxPixels.
std::optional<Image> Decode(std::string_view bytes, long long maxPixels = kMaxPixels);

// The image's place in a box of boxWidth by boxHeight; empty when either is empty.
Placement Fit(int width, int height, int boxWidth, int boxHeight);

// The image resampled to width by height: each pixel the average of the area it covers
// when shrinking, bilinear when growing, so that neither stairs nor shimmer show.
Image Scale(const Image& image, int width, int height);

}  // namespace rd::pictures
