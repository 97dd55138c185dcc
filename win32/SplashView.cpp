#include "win32/SplashView.h"

#include <algorithm>

#include "win32/ControlIds.h"

namespace rd::win32 {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kDarkRed = RGB(128, 0, 0);
constexpr std::size_t kMailLink = 2;

}  // namespace

SplashView::SplashView(WindowCounter& counter, HINSTANCE instance, SplashWindow& form)
    : FormWindow(counter, instance),
      form_(form),
      labels_{{{&form.lblTop, {840, 240, 3135, 375}, FontKind::Title},
               {&form.lblInfo, {840, 720, 5295, 495}, FontKind::Normal},
               {&form.lblEMailAddress, {840, 1320, 1935, 255}, FontKind::Bold}}} {}

SplashView::~SplashView() {
  for (const DrawnLabel& label : labels_) label.model->OnModelChanged = nullptr;
  if (Hwnd()) DestroyWindow(Hwnd());
  if (image_) DestroyIcon(image_);
}

bool SplashView::Create() {
  Frame frame{};
  frame.className = ids::SplashClass;
  frame.caption = "Replaydock";
  frame.style = WS_POPUP | WS_BORDER;
  frame.exStyle = WS_EX_TOOLWINDOW;  // no task bar button
  frame.owner = nullptr;
  frame.clientWidth = 6225;
  frame.clientHeight = 1800;
  frame.background = kWhite;
  if (!CreateFrame(frame)) return false;
  for (const DrawnLabel& label : labels_) {
    label.model->OnModelChanged = [this] { InvalidateRect(Hwnd(), nullptr, TRUE); };
  }
  FinishLayout(nullptr);
  return true;
}

void SplashView::Relayout() {
  if (image_) DestroyIcon(image_);
  image_ = LoadProgramIcon(Px(480));
  InvalidateRect(Hwnd(), nullptr, TRUE);  // the labels are drawn at the new size too
}

RECT SplashView::LabelRect(const DrawnLabel& label) const {
  const TwipRect& at = label.position;
  RECT rect{Px(at.left), Px(at.top), Px(at.left + at.width), Px(at.top + at.height)};
  if (&label == &labels_[kMailLink]) {
    // The address is ours to choose; show all of it.
    if (const HDC dc = GetDC(Hwnd())) {
      const HGDIOBJ old = SelectObject(dc, Font(label.font));
      const std::string& text = label.model->Caption();
      SIZE extent{};
      if (GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent)) {
        rect.right = std::max(rect.right, rect.left + extent.cx + 2);
      }
      SelectObject(dc, old);
      ReleaseDC(Hwnd(), dc);
    }
  }
  return rect;
}

bool SplashView::OverMailLink(LPARAM clientPoint) const {
  const POINT point{static_cast<short>(LOWORD(clientPoint)),
                    static_cast<short>(HIWORD(clientPoint))};
  const RECT rect = LabelRect(labels_[kMailLink]);
  return PtInRect(&rect, point) != 0;
}

void SplashView::Paint(HDC dc) {
  if (image_) DrawIconEx(dc, Px(240), Px(120), image_, Px(480), Px(480), 0, nullptr, DI_NORMAL);
  SetBkMode(dc, TRANSPARENT);
  for (const DrawnLabel& label : labels_) {
    RECT rect = LabelRect(label);
    const HGDIOBJ old = SelectObject(dc, Font(label.font));
    SetTextColor(dc, &label == &labels_[kMailLink] ? kDarkRed : GetSysColor(COLOR_WINDOWTEXT));
    DrawTextA(dc, label.model->Caption().c_str(), -1, &rect,
              DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, old);
  }
}

LRESULT SplashView::Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  switch (message) {
    case WM_SETCURSOR: {
      POINT point{};
      const bool inside = LOWORD(lParam) == HTCLIENT && GetCursorPos(&point) &&
                          ScreenToClient(Hwnd(), &point) &&
                          OverMailLink(MAKELPARAM(point.x, point.y));
      if (!inside) return 0;
      SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
      handled = true;
      return TRUE;
    }
    case WM_LBUTTONDOWN:
      // A click is a press and a release over the link, as on a label.
      linkPressed_ = OverMailLink(lParam);
      if (linkPressed_) SetCapture(Hwnd());
      handled = linkPressed_;
      return 0;
    case WM_LBUTTONUP:
      if (!linkPressed_) return 0;
      linkPressed_ = false;
      ReleaseCapture();
      handled = true;
      if (OverMailLink(lParam)) form_.lblEMailAddress_Click();
      return 0;
    case WM_CAPTURECHANGED:
      linkPressed_ = false;
      return 0;
    case WM_CLOSE:
      // The hand-over closes this window, nothing else.
      handled = true;
      return 0;
    default:
      (void)wParam;
      return 0;
  }
}

}  // namespace rd::win32
