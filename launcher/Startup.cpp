#include "launcher/Startup.h"

#include "fileassoc/AssociateDemoTypes.h"
#include "catalogue/GameCatalogue.h"
#include "settings/SettingsStore.h"

namespace rd {

Application::Application(Ports& ports, ViewFactory& views) : ports_(ports), views_(views) {}

Application::~Application() {
  // The hook points at this object; the ports outlive it.
  ports_.mainWindowOwner = nullptr;
  UnloadSplash();
}

void Application::Main() {
  if (splash_ || main_) return;
  ports_.mainWindowOwner = [this]() -> WindowHandle {
    if (ended_ && !main_) return 0;
    if (playOnly_ && !mainView_) return 0;  // no window to own anything yet
    MainForm();
    return mainView_ ? mainView_->Handle() : 0;
  };
  // "-play <demo>": no splash and no window, unless the play is refused or fails.
  // The window itself is made only if it is to be shown: creating it costs more than the
  // rest of a launch.
  if (MainWindow::IsPlayCommand(ports_.process.CommandLineText())) {
    handingOver_ = playOnly_ = true;
    main_ = std::make_unique<MainWindow>(ports_, *this);
    mainLoading_ = true;
    main_->Form_Load();
    mainLoading_ = false;
    main_->PlayFromCommandLine();
    return;
  }
  splash_ = std::make_unique<SplashWindow>(ports_, *this);
  splashView_ = views_.CreateSplashView(*splash_);
  splashLoaded_ = true;
  splash_->Form_Load();
  splashView_->Show();
}

MainWindow& Application::MainForm() {
  // A second call while Form_Load still runs (the mail link clicked during the first-run
  // dialogue) gets the window being loaded rather than a second one.
  if (!main_) {
    main_ = std::make_unique<MainWindow>(ports_, *this);
    mainView_ = views_.CreateMainView(*main_);
    mainLoading_ = true;
    main_->Form_Load();
    mainLoading_ = false;
  } else if (!mainView_ && !mainLoading_ && !ended_) {
    mainView_ = views_.CreateMainView(*main_);
  }
  return *main_;
}

void Application::HandOver() {
  if (handingOver_ || ended_) return;
  // The mail link is loading the main window and its first run is still open: this tick
  // would show it half-loaded; the next one hands over.
  if (mainLoading_) return;
  handingOver_ = true;
  MainForm();
  if (ended_) return;
  if (mainView_) mainView_->Show();
  UnloadSplash();
}

void Application::UnloadSplash() {
  if (!splashLoaded_) return;
  splashLoaded_ = false;
  splash_->Form_Unload();
  if (splashView_) splashView_->Close();
}

void Application::ShowMain() {
  if (ended_) return;
  if (main_ && !mainView_) mainView_ = views_.CreateMainView(*main_);
  if (mainView_) mainView_->Show();
}

void Application::HideMain() {
  if (mainView_) mainView_->Hide();
}

void Application::EndProgram() {
  if (ended_) return;
  ended_ = true;
  // The presenters may be on the call stack: they stay alive until the destructor.
  if (mainView_) mainView_->Close();
  ports_.process.Exit(0);
}

void Application::ShowConfigModal() {
  if (config_ || ended_) return;
  config_ = std::make_unique<ConfigWindow>(ports_, *this);
  configView_ = views_.CreateConfigView(*config_);
  config_->Form_Load();
  configView_->ShowModal();
  // The modal loop has returned, so no handler of the window is running any more.
  configView_.reset();
  config_.reset();
}

void Application::CloseConfig() {
  if (configView_) configView_->Close();
}

void Application::ShowLibraryModal() {
  if (library_ || ended_) return;
  library_ = std::make_unique<library::LibraryWindow>(
      ports_, *this, static_cast<library::LibraryOwner&>(*this));
  libraryView_ = views_.CreateLibraryView(*library_);
  library_->Form_Load();
  libraryView_->ShowModal();
  // The modal loop has returned, so no handler of the window is running any more.
  library_->Form_Unload();
  libraryView_.reset();
  library_.reset();
}

void Application::TakeDemo(const std::string& path) { MainForm().TakeDemo(path); }

void Application::PlayDemo(const std::string& path) {
  MainWindow& main = MainForm();
  main.TakeDemo(path);
  main.cmdBottom_Click(2);
}

std::string Application::CurrentDemo() { return main_ ? main_->txtFilename.Text() : std::string(); }

void Application::CloseLibrary() {
  if (libraryView_) libraryView_->Close();
}

std::vector<std::string> Application::FoundExecutables(const std::string& game) {
  if (!found_) found_ = games::FindGames(ports_.registry, ports_.files);
  for (const games::FoundGame& entry : *found_) {
    if (entry.displayName == game) return entry.executables;
  }
  return {};
}

void FirstRunCheck(Ports& ports, AppHost& host) {
  const std::string root(catalogue::SettingsRoot);
  const std::string key(catalogue::SettingsKey);
  const std::string name(catalogue::AlreadyRunValue);

  SettingValue alreadyRun;
  SettingsStore::ReadValue(ports, root, key, name, "S",
                         SettingValue(catalogue::AlreadyRunDefault), alreadyRun);
  if (alreadyRun.GetKind() != SettingValue::Kind::Text ||
      alreadyRun.TextForm() != catalogue::AlreadyRunDefault) {
    return;
  }

  const int reply = ports.dialogs.ShowMessage(
      "Since this is the first time Replaydock has been run, you must configure the program. "
      "Do you wish to associate Replaydock with all supported demo files?",
      AppTitle, mb::YesNo | mb::IconQuestion | mb::DefButton1);
  if (reply == answer::Yes) PathHelpers::AssociateDemoTypes(ports);

  ports.dialogs.ShowMessage(
      "Replaydock will now open up the configuration window to allow you to configure program "
      "locations",
      AppTitle, mb::OK | mb::IconInformation);
  host.ShowConfigModal();

  SettingsStore::WriteValue(ports, root, key, name, "S", SettingValue("Yes"));
}

}  // namespace rd
