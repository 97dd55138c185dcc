#pragma once
#include <array>

#include "splash/SplashWindow.h"
#include "win32/FormWindow.h"

namespace rd::win32 {

// The splash window: white, no title bar, the icon, the name, the notice and the mail link.
// It draws its labels itself: a static control would load the common controls library, which
// costs more than the whole window before anything is on screen.
class SplashView final : public FormWindow {
 public:
  SplashView(WindowCounter& counter, HINSTANCE instance, SplashWindow& form);
  ~SplashView() override;

  bool Create();

 protected:
  void Paint(HDC dc) override;
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void Relayout() override;

 private:
  struct DrawnLabel {
    forms::Label* model;
    TwipRect position;
    FontKind font;
  };
  RECT LabelRect(const DrawnLabel& label) const;
  bool OverMailLink(LPARAM clientPoint) const;

  SplashWindow& form_;
  std::array<DrawnLabel, 3> labels_;
  bool linkPressed_ = false;
  HICON image_ = nullptr;
};

}  // namespace rd::win32
