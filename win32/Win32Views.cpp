#include "win32/Win32Views.h"

#include "win32/ConfigView.h"
#include "win32/LibraryView.h"
#include "win32/MainView.h"
#include "win32/SplashView.h"

namespace rd::win32 {

std::unique_ptr<FormView> Win32ViewFactory::CreateMainView(MainWindow& form) {
  auto view = std::make_unique<MainView>(counter_, instance_, form);
  view->Create();  // a window that could not be created stays an empty view
  return view;
}

std::unique_ptr<FormView> Win32ViewFactory::CreateConfigView(ConfigWindow& form) {
  auto view = std::make_unique<ConfigView>(counter_, instance_, form);
  view->Create();
  return view;
}

std::unique_ptr<FormView> Win32ViewFactory::CreateSplashView(SplashWindow& form) {
  auto view = std::make_unique<SplashView>(counter_, instance_, form);
  view->Create();
  return view;
}

}  // namespace rd::win32

namespace rd::win32 {

std::unique_ptr<FormView> Win32ViewFactory::CreateLibraryView(library::LibraryWindow& form) {
  auto view = std::make_unique<LibraryView>(counter_, instance_, form);
  view->Create();
  return view;
}

}  // namespace rd::win32
