#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/GameCatalogue.h"
#include "launcher/MainWindow.h"
#include "tests/fakes/FakePorts.h"

// What the presenters' tests share: the game names, the texts the user is shown (each
// written here once), our own settings in the fake registry and a main window on the fakes.
namespace rd::launcher_tests {

using Texts = std::vector<std::string>;

inline constexpr const char *kHL = "Half-Life", *kQ3 = "Quake 3 Arena",
                            *kRTCW = "Return To Castle Wolfenstein";
inline constexpr const char* kNoDemo = "You must select a demo file to play first";
inline constexpr const char* kDemoMissing =
    "The specified demo file does not exist. Please select a valid file and try again.";
inline constexpr const char* kNoGame = "You must select a game first";
inline constexpr const char* kFirstRunQuestion =
    "Since this is the first time Replaydock has been run, you must configure the program. "
    "Do you wish to associate Replaydock with all supported demo files?";
inline constexpr const char* kFirstRunNote =
    "Replaydock will now open up the configuration window to allow you to configure program "
    "locations";
inline constexpr const char* kNoProgram =
    "The specified program does not exist. Please select the correct executable.";
inline constexpr const char* kRegisterQuestion =
    "Are you sure you wish to associate Replaydock with all the demo types it supports?";
inline constexpr const char *kRegistered = "File types registered!",
                            *kNotRegistered = "The file types could not be registered.";
inline std::string CopyFailed(const std::string& staged) {
  return "The demo could not be copied to " + staged +
         ". Please check the game's location and mod, then try again.";
}

inline std::string NotAllowed(const std::string& folder) {
  return "Windows does not allow Replaydock to write into " + folder +
         ". Move the game out of Program Files, or give your account write access to that folder.";
}
inline std::string ModMissing(const std::string& mod, const std::string& folder) {
  return "The mod \"" + mod + "\" is not installed in " + folder +
         ". The game will play the demo without it, and it may fail. Play anyway?";
}

inline void Store(fakes::FakePlatform& fp, std::string_view name, const std::string& text) {
  fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey), std::string(name),
                      text);
}
inline std::optional<std::string> Stored(const fakes::FakePlatform& fp, std::string_view name) {
  return fp.registry.GetText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                             std::string(name));
}

// Notes the window's requests in the shared log, so their order with the platform's
// effects shows.
struct RecordingHost final : AppHost {
  explicit RecordingHost(fakes::FakePlatform& platform) : fp(platform) {}
  void ShowMain() override { fp.log.push_back("show main"); }
  void HideMain() override { fp.log.push_back("hide main"); }
  void EndProgram() override { fp.process.Exit(0); }
  void ShowConfigModal() override { fp.log.push_back("config"); }
  void CloseConfig() override { fp.log.push_back("close config"); }
  void HandOver() override { fp.log.push_back("hand over"); }
  fakes::FakePlatform& fp;
};

// The main window after its first run.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest() { Store(fp, catalogue::AlreadyRunValue, "Yes"); }
  MainWindow& Load() {
    form = std::make_unique<MainWindow>(fp.ports, host);
    form->Form_Load();
    return *form;
  }
  // The user picks the entry of that text; nothing when there is none.
  static void Pick(forms::ComboBox& box, const std::string& text) {
    const auto& items = box.Items();
    box.UserSelected(static_cast<int>(std::find(items.begin(), items.end(), text) - items.begin()));
  }
  fakes::FakePlatform fp;
  RecordingHost host{fp};
  std::unique_ptr<MainWindow> form;
};

}  // namespace rd::launcher_tests
