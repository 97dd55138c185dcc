#pragma once
#include "launcher/MainWindow.h"
#include "win32/FormWindow.h"

namespace rd::win32 {

// The main window: the white header band, the demo's parameters and the button row.
class MainView final : public FormWindow {
 public:
  MainView(WindowCounter& counter, HINSTANCE instance, MainWindow& form);
  ~MainView() override;

  bool Create();

 protected:
  void Paint(HDC dc) override;
  HBRUSH LabelColours(HWND label, HDC dc) override;
  void Relayout() override;
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void LoadIcons();
  void AddDemoTip(HWND label);

  MainWindow& form_;
  HWND lblTop_ = nullptr;
  HWND lblInfo_ = nullptr;
  HWND tip_ = nullptr;  // the demo line's tooltip: the whole line
  HICON image_ = nullptr;  // imgTop, at the window's DPI
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  HBRUSH white_ = nullptr;
};

}  // namespace rd::win32
