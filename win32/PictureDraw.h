#pragma once
#include <windows.h>

#include <string>

#include "pictures/Image.h"

namespace rd::win32 {

// A map's picture, drawn as large as fits a rectangle with its aspect kept, centred, and
// smoothed by the core's scaler (the same at every DPI and under Wine, where HALFTONE
// stretching is not to be relied on). The rectangle is in device pixels, so that a pane at
// 144 DPI gets one and a half times the pixels of one at 96. Window thread only: it keeps
// the last scaled copy, and scales again only when the rectangle's size changes.
class ScaledPicture {
 public:
  ScaledPicture() = default;
  explicit ScaledPicture(pictures::Image image) : source_(std::move(image)) {}

  bool Empty() const { return source_.rgba.empty(); }
  const pictures::Image& Source() const { return source_; }
  // Paints the picture into rect; the rest of rect is left as it is (the caller's background).
  void Draw(HDC dc, const RECT& rect);

 private:
  pictures::Image source_;
  pictures::Image scaled_;
};

// The same, once, without keeping anything.
void DrawPicture(HDC dc, const RECT& rect, const pictures::Image& image);

// The quiet state for a map without a picture: text (UTF-8 or the active code page) centred
// in rect in the grey of disabled text, on a transparent background, in font (or the DC's).
void DrawNoPicture(HDC dc, const RECT& rect, const std::string& text, HFONT font = nullptr);

}  // namespace rd::win32
