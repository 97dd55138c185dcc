#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/Png.h"

namespace e2e {
namespace {

std::uint32_t Big32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
         b[at + 3];
}

// The screenshots are only worth keeping if a viewer can open them.
TEST(ScreenshotPng, LargeImageSplitsIntoStoredBlocksWithValidChunks) {
  // The checksums against their published check values first: the chunks are judged by them.
  const std::string s = "123456789", w = "Wikipedia";
  EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), 0xCBF43926u);
  EXPECT_EQ(Adler32(reinterpret_cast<const std::uint8_t*>(w.data()), w.size()), 0x11E60398u);

  RgbImage image;
  image.width = 200;
  image.height = 150;  // 90150 bytes of rows: two stored blocks
  image.pixels.resize(200 * 150 * 3);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<std::uint8_t>(i * 7);
  const auto png = EncodePng(image);
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  // Every chunk's CRC covers its type and data.
  std::size_t at = 8;
  std::vector<std::string> types;
  std::size_t idatSize = 0;
  while (at + 12 <= png.size()) {
    const std::uint32_t len = Big32(png, at);
    ASSERT_LE(at + 12 + len, png.size());
    types.emplace_back(png.begin() + static_cast<std::ptrdiff_t>(at + 4), png.begin() + static_cast<std::ptrdiff_t>(at + 8));
    EXPECT_EQ(Big32(png, at + 8 + len), Crc32(png.data() + at + 4, len + 4)) << types.back();
    if (types.back() == "IDAT") idatSize = len;
    at += 12 + len;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  // zlib header, two 5-byte stored-block headers, the filtered rows, Adler-32.
  EXPECT_EQ(idatSize, 2u + 2u * 5u + 150u * (1u + 600u) + 4u);
}

}  // namespace
}  // namespace e2e
