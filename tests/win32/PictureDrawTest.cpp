#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "win32/PictureDraw.h"

// The map's picture drawn into a memory DC, its pixels read back.
namespace {

using rd::pictures::Image;

// A white 32-bit canvas whose pixels can be read directly.
struct Canvas {
  Canvas(int w, int h) : width(w), height(h) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    old = SelectObject(dc, bitmap);
    for (int i = 0; i < w * h; ++i) bits[i] = 0xFFFFFF;
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // Red, green, blue of one pixel.
  std::array<int, 3> At(int x, int y) {
    GdiFlush();
    const std::uint32_t p = bits[y * width + x];
    return {static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF), static_cast<int>(p & 0xFF)};
  }
  bool White(int x, int y) { return At(x, y) == std::array<int, 3>{255, 255, 255}; }
  int width, height;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  std::uint32_t* bits = nullptr;
};

// Left half red, right half blue.
Image Halves(int w, int h) {
  Image image{w, h, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.rgba.insert(image.rgba.end(), {std::uint8_t(x < w / 2 ? 255 : 0), 0, std::uint8_t(x < w / 2 ? 0 : 255), 255});
  return image;
}

// The same pane at 96 and at 144 DPI: the picture fills the same share of it, centred,
// and nothing outside its place is touched. How it is smoothed is the core's (ImageTest).
TEST(PictureDraw, FillsThePaneKeepingTheAspectAtEveryDpi) {
  for (const int dpi : {96, 144}) {
    const int scale100 = dpi * 100 / 96;
    Canvas canvas(300 * scale100 / 100, 150 * scale100 / 100);
    const RECT pane{10 * scale100 / 100, 10 * scale100 / 100, 290 * scale100 / 100, 140 * scale100 / 100};
    rd::win32::ScaledPicture picture(Halves(64, 64));
    picture.Draw(canvas.dc, pane);
    const int side = pane.bottom - pane.top, left = pane.left + (pane.right - pane.left - side) / 2;
    const int middle = pane.top + side / 2;
    EXPECT_EQ(canvas.At(left + 2, middle), (std::array<int, 3>{255, 0, 0})) << dpi;
    EXPECT_EQ(canvas.At(left + side - 3, middle), (std::array<int, 3>{0, 0, 255})) << dpi;
    EXPECT_EQ(canvas.At(left + side / 4, pane.top), (std::array<int, 3>{255, 0, 0})) << dpi;
    EXPECT_TRUE(canvas.White(left - 1, middle)) << dpi;
    EXPECT_TRUE(canvas.White(left + side, middle)) << dpi;
    EXPECT_TRUE(canvas.White(left + 5, pane.top - 1)) << dpi;
    EXPECT_TRUE(canvas.White(left + 5, pane.bottom)) << dpi;
    // Drawn again into the same place: the same pixels (the kept copy is reused).
    picture.Draw(canvas.dc, pane);
    EXPECT_EQ(canvas.At(left + 2, middle), (std::array<int, 3>{255, 0, 0})) << dpi;
  }
}

TEST(PictureDraw, NoPictureIsSaidQuietlyInsideThePane) {
  Canvas canvas(240, 80);
  const RECT pane{20, 20, 220, 60};
  rd::win32::DrawNoPicture(canvas.dc, pane, "No picture of this map", static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  int inked = 0;
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      if (canvas.White(x, y)) continue;
      ++inked;
      ASSERT_TRUE(x >= pane.left && x < pane.right && y >= pane.top && y < pane.bottom) << x << "," << y;
      // Grey, never darker: the text colour of disabled controls blended with the white.
      const auto p = canvas.At(x, y);
      const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
      for (const int c : {0, 1, 2}) {
        ASSERT_GE(p[c], std::min({GetRValue(grey), GetGValue(grey), GetBValue(grey)}) - 8) << x << "," << y;
      }
    }
  }
  EXPECT_GT(inked, 30);
  // An empty picture or an empty pane draws nothing at all.
  Canvas blank(50, 50);
  rd::win32::DrawPicture(blank.dc, RECT{0, 0, 50, 50}, Image{});
  rd::win32::DrawPicture(blank.dc, RECT{10, 10, 10, 40}, Halves(8, 8));
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) ASSERT_TRUE(blank.White(x, y)) << x << "," << y;
}

}  // namespace
