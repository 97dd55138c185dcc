#pragma once
#include <memory>
#include <string>
#include <vector>

#include "ports/Shell.h"

namespace rd {

class MainWindow;
class ConfigWindow;
class SplashWindow;
namespace library {
class LibraryWindow;
}

// What the windows ask of the program that holds them: showing, hiding and closing
// windows, and ending the process.
class AppHost {
 public:
  virtual ~AppHost() = default;

  virtual void ShowMain() = 0;
  virtual void HideMain() = 0;
  // Unloads the main window, then ends the process at once. Callers return right after.
  virtual void EndProgram() = 0;
  // Creates a fresh configuration window and shows it modally; returns once it has closed.
  virtual void ShowConfigModal() = 0;
  virtual void CloseConfig() = 0;
  // Creates the library window and shows it modally over the main window; returns once it
  // has closed.
  virtual void ShowLibraryModal() {}
  // The splash window's timer tick: loads and shows the main window, unloads the splash.
  virtual void HandOver() = 0;
  // The executables of the game (by display name) installed on this computer, best first.
  // The program looks once, when first asked; a host that does not look finds none.
  virtual std::vector<std::string> FoundExecutables(const std::string& game) {
    (void)game;
    return {};
  }
};

// A window on screen for one presenter. The view draws the presenter's controls and
// forwards the user's own edits, picks and clicks to them.
class FormView {
 public:
  virtual ~FormView() = default;

  virtual WindowHandle Handle() const = 0;
  virtual void Show() = 0;  // modeless
  virtual void Hide() = 0;
  // Shows the window modally over the active window; returns when Close has been called.
  virtual void ShowModal() = 0;
  // Destroys the window (the presenter stays).
  virtual void Close() = 0;
};

class ViewFactory {
 public:
  virtual ~ViewFactory() = default;

  // Each creates the window hidden, drawn from the presenter's current state.
  virtual std::unique_ptr<FormView> CreateMainView(MainWindow& form) = 0;
  virtual std::unique_ptr<FormView> CreateConfigView(ConfigWindow& form) = 0;
  virtual std::unique_ptr<FormView> CreateSplashView(SplashWindow& form) = 0;
  virtual std::unique_ptr<FormView> CreateLibraryView(library::LibraryWindow& form) = 0;
};

}  // namespace rd
