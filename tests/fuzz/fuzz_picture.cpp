// The picture decoder (JPEG, TGA, BMP) and the scaler over any bytes: a picture it answers
// is whole and within bounds, and scales to any box.

#include "pictures/Image.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace rd::pictures;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Small pictures only, so that a run tries many rather than a few huge ones.
  const auto image = Decode(std::string_view(reinterpret_cast<const char*>(data), size), 512 * 512);
  if (!image) return 0;
  RD_FUZZ_CHECK(image->width > 0 && image->height > 0);
  RD_FUZZ_CHECK(static_cast<long long>(image->width) * image->height <= 512 * 512);
  RD_FUZZ_CHECK(image->width <= kMaxSide && image->height <= kMaxSide);
  RD_FUZZ_CHECK(image->rgba.size() == static_cast<std::size_t>(image->width) * image->height * 4);
  for (const auto& [w, h] : {std::pair{37, 23}, std::pair{64, 96}}) {
    const Placement p = Fit(image->width, image->height, w, h);
    RD_FUZZ_CHECK(p.width >= 1 && p.height >= 1 && p.x + p.width <= w && p.y + p.height <= h);
    const Image scaled = Scale(*image, p.width, p.height);
    RD_FUZZ_CHECK(scaled.rgba.size() == static_cast<std::size_t>(p.width) * p.height * 4);
  }
  return 0;
}
