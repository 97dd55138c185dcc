#pragma once
#include "win32/FormWindow.h"
#include "splash/SplashWindow.h"

namespace rd::win32 {

// The splash window: white, no title bar, the icon, the name, the notice and the mail link.
class SplashView final : public FormWindow {
 public:
  SplashView(WindowCounter& counter, HINSTANCE instance, SplashWindow& form);
  ~SplashView() override;

  bool Create();

 protected:
  void Paint(HDC dc) override;
  HBRUSH LabelColours(HWND label, HDC dc) override;
  bool Command(int id, int code, HWND control) override;
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void Relayout() override;

 private:
  SplashWindow& form_;
  HWND lblEMailAddress_ = nullptr;
  HICON image_ = nullptr;
};

}  // namespace rd::win32
