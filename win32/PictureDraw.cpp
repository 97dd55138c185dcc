#include "win32/PictureDraw.h"

#include <vector>

#include "win32/WideText.h"

namespace rd::win32 {
namespace {

void Blit(HDC dc, int x, int y, const pictures::Image& image) {
  if (image.rgba.empty()) return;
  // GDI wants blue, green, red and a spare byte; rows from the top with a negative height.
  std::vector<std::uint8_t> bgrx(image.rgba.size());
  for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
    bgrx[i] = image.rgba[i + 2];
    bgrx[i + 1] = image.rgba[i + 1];
    bgrx[i + 2] = image.rgba[i];
    bgrx[i + 3] = 0;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  StretchDIBits(dc, x, y, image.width, image.height, 0, 0, image.width, image.height, bgrx.data(),
                &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace

void ScaledPicture::Draw(HDC dc, const RECT& rect) {
  const pictures::Placement p =
      pictures::Fit(source_.width, source_.height, rect.right - rect.left, rect.bottom - rect.top);
  if (p.width <= 0 || p.height <= 0) return;
  if (scaled_.width != p.width || scaled_.height != p.height) scaled_ = pictures::Scale(source_, p.width, p.height);
  Blit(dc, rect.left + p.x, rect.top + p.y, scaled_);
}

void DrawPicture(HDC dc, const RECT& rect, const pictures::Image& image) {
  ScaledPicture(image).Draw(dc, rect);
}

void DrawNoPicture(HDC dc, const RECT& rect, const std::string& text, HFONT font) {
  const HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  RECT box = rect;
  std::wstring wide = Wide(text);
  DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &box,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  if (oldFont) SelectObject(dc, oldFont);
}

}  // namespace rd::win32
