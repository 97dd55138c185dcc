#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/ConfigWindow.h"
#include "launcher/MainWindow.h"
#include "forms/Host.h"
#include "games/GameFinder.h"
#include "library/LibraryWindow.h"
#include "ports/Ports.h"
#include "splash/SplashWindow.h"

namespace rd {

// The program: its windows, the start-up sequence and the end.
class Application final : public AppHost, private library::LibraryOwner {
 public:
  Application(Ports& ports, ViewFactory& views);
  ~Application() override;

  // Loads the splash window and shows it modeless; from then on the program runs on
  // window events.
  void Main();

  // The main window, loaded (its Form_Load run to the end) on first use but not shown.
  MainWindow& MainForm();
  MainWindow* MainFormIfLoaded() { return main_.get(); }
  // Null once the hand-over has unloaded it (the object itself lives on until the end).
  SplashWindow* SplashIfLoaded() { return splashLoaded_ ? splash_.get() : nullptr; }
  ConfigWindow* ConfigIfOpen() { return config_.get(); }
  library::LibraryWindow* LibraryIfOpen() { return library_.get(); }

  void ShowMain() override;
  void HideMain() override;
  void EndProgram() override;
  void ShowConfigModal() override;
  void CloseConfig() override;
  void ShowLibraryModal() override;
  void HandOver() override;
  // Looks for the installed games on the first call only: never at start-up, and never
  // again while the program runs.
  std::vector<std::string> FoundExecutables(const std::string& game) override;

 private:
  void UnloadSplash();
  void TakeDemo(const std::string& path) override;
  void PlayDemo(const std::string& path) override;
  std::string CurrentDemo() override;
  void CloseLibrary() override;

  Ports& ports_;
  ViewFactory& views_;
  std::unique_ptr<SplashWindow> splash_;
  std::unique_ptr<FormView> splashView_;
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<FormView> mainView_;
  std::unique_ptr<ConfigWindow> config_;
  std::unique_ptr<FormView> configView_;
  std::unique_ptr<library::LibraryWindow> library_;
  std::unique_ptr<FormView> libraryView_;
  std::optional<std::vector<games::FoundGame>> found_;
  bool handingOver_ = false;  // set by the first hand-over, never cleared
  bool mainLoading_ = false;  // inside the main window's Form_Load
  bool splashLoaded_ = false;
  bool playOnly_ = false;     // started as "-play <demo>": no splash, a window only if needed
  bool ended_ = false;
};

// The last step of the main window's LoadSettings: on the very first start, offers to
// register the file types and opens the configuration window.
void FirstRunCheck(Ports& ports, AppHost& host);

}  // namespace rd
