#pragma once
#include "config/ConfigWindow.h"
#include "win32/FormWindow.h"

namespace rd::win32 {

// The configuration window: the tab control with the program locations and the options.
class ConfigView final : public FormWindow {
 public:
  ConfigView(WindowCounter& counter, HINSTANCE instance, ConfigWindow& form);
  ~ConfigView() override;

  bool Create();

 protected:
  HBRUSH LabelColours(HWND label, HDC dc) override;
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  static LRESULT CALLBACK TabProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void ShowPage(int page);
  // The found executable's line shows only while the presenter offers one.
  void ShowOffer();

  ConfigWindow& form_;
  HWND tab_ = nullptr;
  HWND lblGame_ = nullptr;
  HWND lblLocation_ = nullptr;
  HWND txtLocation_ = nullptr;
  HWND lblFound_ = nullptr;
  HWND cmdUseFound_ = nullptr;
  int page_ = 0;
  std::vector<HWND> pages_[2];
};

}  // namespace rd::win32
