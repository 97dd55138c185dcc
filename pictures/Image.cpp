#include "pictures/Image.h"

#include <algorithm>
#include <cmath>

#include "pictures/StbImage.h"

namespace rd::pictures {
namespace {

// Debian's stb_image (2022) trusts a JPEG's Huffman table counts, and more than 256 symbols
// in one table write past its arrays; such a file is refused before stb sees it. The walk
// follows the markers as a decoder does: segments skipped by their length, entropy-coded
// data byte by byte (where a real 0xFF is followed by 0x00).
bool HuffmanTablesFit(std::string_view b) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(b[i]); };
  // stb takes fill bytes (0xFF) before the start marker too.
  std::size_t pos = 0;
  while (pos < b.size() && at(pos) == 0xFF) ++pos;
  if (pos == 0 || pos >= b.size() || at(pos) != 0xD8) return true;  // no JPEG
  ++pos;
  while (pos + 1 < b.size()) {
    if (at(pos) != 0xFF || at(pos + 1) == 0xFF) {
      ++pos;
      continue;
    }
    const unsigned marker = at(pos + 1);
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {
      pos += 2;  // no length follows these
      continue;
    }
    if (pos + 4 > b.size()) break;
    const std::size_t length = at(pos + 2) << 8 | at(pos + 3);
    const std::size_t end = std::min(b.size(), pos + 2 + length);
    if (marker == 0xC4) {
      for (std::size_t t = pos + 4; t < end;) {
        if (t + 17 > end) return false;
        std::size_t symbols = 0;
        for (std::size_t i = 1; i <= 16; ++i) symbols += at(t + i);
        if (symbols > 256) return false;
        t += 17 + symbols;
      }
    }
    pos += 2 + std::max<std::size_t>(length, 2);
  }
  return true;
}

}  // namespace

std::optional<Image> Decode(std::string_view bytes, long long maxPixels) {
  if (!HuffmanTablesFit(bytes)) return std::nullopt;
  int width = 0, height = 0;
  // The size first, so that a header promising a huge picture costs nothing.
  if (!stb::Info(bytes, width, height) || width <= 0 || height <= 0 || width > kMaxSide ||
      height > kMaxSide || static_cast<long long>(width) * height > std::min(maxPixels, kMaxPixels)) {
    return std::nullopt;
  }
  std::uint8_t* pixels = stb::LoadRgba(bytes, width, height);
  if (!pixels) return std::nullopt;
  Image image{width, height, {}};
  image.rgba.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
  stb::Free(pixels);
  return image;
}

Placement Fit(int width, int height, int boxWidth, int boxHeight) {
  if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
  // Compare width/height with boxWidth/boxHeight without rounding.
  const bool wide = static_cast<long long>(width) * boxHeight >= static_cast<long long>(height) * boxWidth;
  Placement p;
  if (wide) {
    p.width = boxWidth;
    p.height = static_cast<int>((static_cast<long long>(height) * boxWidth + width / 2) / width);
  } else {
    p.height = boxHeight;
    p.width = static_cast<int>((static_cast<long long>(width) * boxHeight + height / 2) / height);
  }
  p.width = std::clamp(p.width, 1, boxWidth);
  p.height = std::clamp(p.height, 1, boxHeight);
  p.x = (boxWidth - p.width) / 2;
  p.y = (boxHeight - p.height) / 2;
  return p;
}

namespace {

// Which source pixels make up each of n output pixels along one axis, with what weight.
struct Tap {
  int from = 0;
  float weight = 0;
};
std::vector<std::vector<Tap>> Taps(int source, int n) {
  std::vector<std::vector<Tap>> taps(n);
  const double ratio = static_cast<double>(source) / n;
  for (int i = 0; i < n; ++i) {
    if (ratio >= 1.0) {  // shrinking: the share of each source pixel the output one covers
      const double start = i * ratio, end = start + ratio;
      for (int s = static_cast<int>(start); s < source && s < end; ++s) {
        const double covered = std::min<double>(end, s + 1) - std::max<double>(start, s);
        if (covered > 1e-9) taps[i].push_back({s, static_cast<float>(covered / ratio)});
      }
    } else {  // growing: the two nearest source pixels, centres aligned
      const double centre = std::clamp((i + 0.5) * ratio - 0.5, 0.0, source - 1.0);
      const int left = static_cast<int>(centre);
      const int right = std::min(left + 1, source - 1);
      const float t = static_cast<float>(centre - left);
      taps[i].push_back({left, 1.0f - t});
      if (right != left) taps[i].push_back({right, t});
    }
  }
  return taps;
}

}  // namespace

Image Scale(const Image& image, int width, int height) {
  if (width <= 0 || height <= 0 || image.width <= 0 || image.height <= 0 ||
      image.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4) {
    return {};
  }
  if (width == image.width && height == image.height) return image;
  const auto across = Taps(image.width, width), down = Taps(image.height, height);
  // Rows first, into floats, then columns; each pass a plain weighted sum.
  std::vector<float> rows(static_cast<std::size_t>(width) * image.height * 4);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* in = &image.rgba[static_cast<std::size_t>(y) * image.width * 4];
    float* out = &rows[static_cast<std::size_t>(y) * width * 4];
    for (int x = 0; x < width; ++x) {
      float sum[4] = {};
      for (const Tap& t : across[x]) {
        for (int c = 0; c < 4; ++c) sum[c] += t.weight * in[t.from * 4 + c];
      }
      std::copy(sum, sum + 4, out + x * 4);
    }
  }
  Image result{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = &result.rgba[static_cast<std::size_t>(y) * width * 4];
    for (int x = 0; x < width * 4; ++x) {
      float sum = 0;
      for (const Tap& t : down[y]) sum += t.weight * rows[static_cast<std::size_t>(t.from) * width * 4 + x];
      out[x] = static_cast<std::uint8_t>(std::clamp(std::lround(sum), 0L, 255L));
    }
  }
  return result;
}

}  // namespace rd::pictures
