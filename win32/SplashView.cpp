#include "win32/SplashView.h"

#include <commctrl.h>

#include "win32/ControlIds.h"

namespace rd::win32 {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kDarkRed = RGB(128, 0, 0);
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;

}  // namespace

SplashView::SplashView(WindowCounter& counter, HINSTANCE instance, SplashWindow& form)
    : FormWindow(counter, instance), form_(form) {}

SplashView::~SplashView() {
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

  const HWND lblTop = AddControl(WC_STATICA, "", kLabel, 0, ids::SplashLblTop,
                                 {840, 240, 3135, 375}, FontKind::Title);
  const HWND lblInfo = AddControl(WC_STATICA, "", kLabel, 0, ids::SplashLblInfo,
                                  {840, 720, 5295, 495}, FontKind::Normal);
  lblEMailAddress_ = AddControl(WC_STATICA, "", kLabel | SS_NOTIFY, 0, ids::SplashLblEMailAddress,
                                {840, 1320, 1935, 255}, FontKind::Bold);
  BindLabel(lblTop, form_.lblTop);
  BindLabel(lblInfo, form_.lblInfo);
  FitWidth(lblEMailAddress_);  // the address is ours to choose; show all of it
  BindLabel(lblEMailAddress_, form_.lblEMailAddress);
  FinishLayout(nullptr);
  image_ = LoadProgramIcon(Px(480));
  return true;
}

void SplashView::Relayout() {
  if (!image_) return;
  DestroyIcon(image_);
  image_ = LoadProgramIcon(Px(480));
}

void SplashView::Paint(HDC dc) {
  if (image_) DrawIconEx(dc, Px(240), Px(120), image_, Px(480), Px(480), 0, nullptr, DI_NORMAL);
}

HBRUSH SplashView::LabelColours(HWND label, HDC dc) {
  SetBkColor(dc, kWhite);
  SetTextColor(dc, label == lblEMailAddress_ ? kDarkRed : GetSysColor(COLOR_WINDOWTEXT));
  return BackgroundBrush();
}

bool SplashView::Command(int id, int code, HWND) {
  if (id != ids::SplashLblEMailAddress || code != STN_CLICKED) return false;
  form_.lblEMailAddress_Click();
  return true;
}

LRESULT SplashView::Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  if (message == WM_SETCURSOR && reinterpret_cast<HWND>(wParam) == lblEMailAddress_ &&
      lblEMailAddress_) {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
    handled = true;
    return TRUE;
  }
  if (message == WM_CLOSE) {
    // The hand-over closes this window, nothing else.
    handled = true;
    return 0;
  }
  (void)lParam;
  return 0;
}

}  // namespace rd::win32
