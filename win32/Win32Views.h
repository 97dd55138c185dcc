#pragma once
#include <windows.h>

#include "forms/Host.h"
#include "win32/FormWindow.h"

namespace rd::win32 {

// Creates the program's windows; when the last of them is destroyed, the message loop ends.
class Win32ViewFactory final : public ViewFactory {
 public:
  explicit Win32ViewFactory(HINSTANCE instance) : instance_(instance) {}

  std::unique_ptr<FormView> CreateMainView(MainWindow& form) override;
  std::unique_ptr<FormView> CreateConfigView(ConfigWindow& form) override;
  std::unique_ptr<FormView> CreateSplashView(SplashWindow& form) override;
  std::unique_ptr<FormView> CreateLibraryView(library::LibraryWindow& form) override;

  int LiveWindows() const { return counter_.Live(); }

  // For the message loop: keyboard navigation of whichever of our windows is addressed.
  static bool PreTranslate(MSG& msg) { return FormWindow::PreTranslate(msg); }

 private:
  HINSTANCE instance_;
  WindowCounter counter_;
};

}  // namespace rd::win32
