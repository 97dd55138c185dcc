// Decoding the three formats the games ship, placing and smoothing the picture.

#include <gtest/gtest.h>

#include <functional>

#include "pictures/Image.h"
#include "tests/unit/pictures/ImageWriter.h"

using namespace rd::pictures;

namespace {

// Red along the top row, blue along the bottom, green elsewhere: shows any flip.
Image Rows(int width, int height) {
  Image image = samples::Plain(width, height, 0, 255, 0);
  for (int x = 0; x < width; ++x) {
    image.rgba[x * 4] = 255, image.rgba[x * 4 + 1] = 0;
    const std::size_t bottom = (static_cast<std::size_t>(height - 1) * width + x) * 4;
    image.rgba[bottom + 1] = 0, image.rgba[bottom + 2] = 255;
  }
  return image;
}

std::array<int, 3> Pixel(const Image& image, int x, int y) {
  const std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
  return {p[0], p[1], p[2]};
}

}  // namespace

TEST(ImageTest, DecodesTgaBmpAndJpegTheRightWayUp) {
  const Image source = Rows(24, 16);
  struct Case {
    const char* format;
    std::string bytes;
    int tolerance;
  };
  const Case cases[] = {
      {"TGA", samples::Tga(source), 0},
      {"TGA, run-length", samples::Tga(source, true), 0},
      {"BMP", samples::Bmp(source), 0},
      {"JPEG", samples::Jpeg(source, 100), 40},  // chroma is halved: rows blur into each other
  };
  for (const Case& c : cases) {
    const auto image = Decode(c.bytes);
    ASSERT_TRUE(image) << c.format;
    ASSERT_EQ(image->width, 24) << c.format;
    ASSERT_EQ(image->height, 16) << c.format;
    ASSERT_EQ(image->rgba.size(), 24u * 16 * 4) << c.format;
    for (int x : {0, 12, 23}) {
      const auto top = Pixel(*image, x, 0), middle = Pixel(*image, x, 8), bottom = Pixel(*image, x, 15);
      EXPECT_NEAR(top[0], 255, c.tolerance) << c.format;
      EXPECT_NEAR(middle[1], 255, c.tolerance) << c.format;
      EXPECT_NEAR(bottom[2], 255, c.tolerance) << c.format;
      EXPECT_NEAR(top[2], 0, c.tolerance) << c.format;
    }
  }
}

TEST(ImageTest, RefusesWhatIsDamagedOrTooLarge) {
  const std::string jpeg = samples::Jpeg(samples::Pattern(64, 64));
  // A TGA header promising 60000 by 60000 pixels, and one within the sides but over the total.
  const auto tgaHeader = [](int w, int h) {
    std::string s("\0\0\x02\0\0\0\0\0\0\0\0\0", 12);
    for (int v : {w, h}) s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8);
    return s + "\x18\x20" + std::string(64, '\x7F');
  };
  const std::pair<const char*, std::string> cases[] = {
      {"nothing", ""},
      {"words", "Quake III Arena levelshot"},
      {"JPEG cut in half", jpeg.substr(0, jpeg.size() / 2)},
      {"JPEG header only", jpeg.substr(0, 20)},
      {"huge TGA", tgaHeader(60000, 60000)},
      {"too many pixels", tgaHeader(3000, 3000)},
      {"JPEG Huffman table of 512 symbols", [&] {
         std::string s = jpeg;
         const std::size_t dht = s.find("\xFF\xC4");
         for (std::size_t i = dht + 5; i < dht + 21; ++i) s[i] = 0x20;
         return s;
       }()},
      {"BMP header only", samples::Bmp(samples::Plain(4, 4, 1, 2, 3)).substr(0, 30)},
  };
  for (const auto& [what, bytes] : cases) EXPECT_FALSE(Decode(bytes)) << what;
  // The caller's own limit, below the program's.
  EXPECT_TRUE(Decode(jpeg, 64 * 64));
  EXPECT_FALSE(Decode(jpeg, 64 * 64 - 1));
}

TEST(ImageTest, FitsTheBoxKeepingTheAspect) {
  struct Case {
    int w, h, boxW, boxH;
    Placement expected;
  };
  const Case cases[] = {
      {512, 512, 300, 200, {50, 0, 200, 200}},
      {640, 480, 320, 320, {0, 40, 320, 240}},
      {128, 128, 256, 512, {0, 128, 256, 256}},  // grows to fill
      {1000, 1, 100, 100, {0, 49, 100, 1}},      // never thinner than a pixel
      {0, 10, 100, 100, {}},
      {10, 10, 0, 100, {}},
  };
  for (const Case& c : cases) {
    const Placement p = Fit(c.w, c.h, c.boxW, c.boxH);
    EXPECT_EQ(std::tie(p.x, p.y, p.width, p.height),
              std::tie(c.expected.x, c.expected.y, c.expected.width, c.expected.height))
        << c.w << "x" << c.h << " in " << c.boxW << "x" << c.boxH;
  }
}

TEST(ImageTest, ScalesSmoothly) {
  // One colour stays that colour at any size: the weights add up to one.
  for (const auto& [w, h] : {std::pair{1, 1}, {7, 3}, {300, 300}, {1000, 17}}) {
    const Image scaled = Scale(samples::Plain(512, 512, 10, 128, 250), w, h);
    ASSERT_EQ(scaled.rgba.size(), static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < scaled.rgba.size(); i += 4) {
      ASSERT_EQ(Pixel(scaled, static_cast<int>(i / 4 % w), static_cast<int>(i / 4 / w)),
                (std::array<int, 3>{10, 128, 250})) << w << "x" << h;
    }
  }
  // Black and white columns halved: grey all over, no stripes left (a nearest-pixel
  // shrink would keep every other column and show one colour or the other).
  Image stripes = samples::Plain(64, 8, 0, 0, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 1; x < 64; x += 2)
      for (int c = 0; c < 3; ++c) stripes.rgba[(y * 64 + x) * 4 + c] = 255;
  const Image half = Scale(stripes, 32, 4);
  for (int x = 0; x < 32; ++x) EXPECT_NEAR(Pixel(half, x, 2)[0], 128, 1) << x;
  // Two pixels grown to eight: a ramp between them, the ends kept.
  Image two = samples::Plain(2, 1, 0, 0, 0);
  two.rgba[4] = 200;
  const Image ramp = Scale(two, 8, 1);
  EXPECT_EQ(Pixel(ramp, 0, 0)[0], 0);
  EXPECT_EQ(Pixel(ramp, 7, 0)[0], 200);
  for (int x = 1; x < 8; ++x) EXPECT_GE(Pixel(ramp, x, 0)[0], Pixel(ramp, x - 1, 0)[0]);
  EXPECT_GT(Pixel(ramp, 4, 0)[0], 0);
  EXPECT_LT(Pixel(ramp, 3, 0)[0], 200);
  // Nothing to scale, or nowhere to put it.
  EXPECT_TRUE(Scale(Image{}, 10, 10).rgba.empty());
  EXPECT_TRUE(Scale(two, 0, 10).rgba.empty());
}
