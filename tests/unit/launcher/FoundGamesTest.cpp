// The games found on the machine, in the running program: looked for once, only when a
// location is needed that is not stored or names no file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "config/ConfigWindow.h"
#include "launcher/Startup.h"
#include "tests/fakes/FakeViews.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd {
namespace {

using namespace launcher_tests;

TEST(FoundGames, AStoredLocationWinsOneNamingNoFileIsOfferedTheCopyFoundAndPlayUsesIt) {
  const std::string steam = "C:\\Program Files (x86)\\Steam\\steamapps\\common";
  const std::string hl = steam + "\\Half-Life\\hl.exe", q3 = steam + "\\Quake 3 Arena\\quake3.exe";
  for (const bool missing : {false, true}) {
    fakes::FakePlatform fp;
    fakes::FakeViewFactory views{fp.log};
    Application app{fp.ports, views};
    fp.files.AddFile(fp.process.commandLine = "C:\\Demos\\final.dm_66");
    fp.registry.PutText(regroot::CurrentUser, "Software\\Valve\\Steam", "SteamPath",
                        "c:/program files (x86)/steam");
    for (const std::string& exe : {hl, q3, std::string("C:\\Games\\hl.exe")}) fp.files.AddFile(exe);
    fp.files.AddFolder(steam + "\\Quake 3 Arena\\baseq3");
    Store(fp, "HLPath", missing ? "C:\\Old\\hl.exe" : "C:\\Games\\hl.exe");
    const auto lookups = [&] {  // one look opens Steam's own key once
      return std::count(fp.registry.Calls().begin(), fp.registry.Calls().end(),
                        "open HKCU\\Software\\Valve\\Steam");
    };
    views.whileConfigOpen = [&](ConfigWindow& form) {  // the first run's
      EXPECT_EQ(form.lblFound.Caption(), missing ? "Found: " + hl : "");
      EXPECT_EQ(lookups(), missing ? 1 : 0);
      form.cmdUseFound.UserClicked();
      EXPECT_EQ(form.txtLocation.Text(), missing ? hl : "C:\\Games\\hl.exe");
      form.cmdBottom.UserClicked();
    };
    app.Main();
    fp.timer.TickAll();
    app.MainForm().cmdBottom_Click(2);
    EXPECT_EQ(views.configViewsCreated, 1);
    ASSERT_EQ(fp.shell.calls.size(), 1u);
    EXPECT_EQ(fp.shell.calls[0].file, q3);
    EXPECT_EQ(lookups(), 1);  // once, whatever asked since
  }
}

}  // namespace
}  // namespace rd
