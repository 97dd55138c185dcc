// A machine with the games from Steam and nothing configured: the first run's configuration
// window shows Steam's Half-Life, and a Quake 3 demo on the command line plays in Steam's
// Quake 3, found through Steam's library list and the game's manifest.
#include "tests/e2e/E2eSupport.h"

namespace e2e {
namespace {

using namespace rd::ids;

const std::string kRoot = "C:\\e2e\\games";
const std::string kSteamKey = "HKCU\\Software\\Valve\\Steam";

// Before and after, failed or not: the other scenarios run on a machine without Steam.
struct WithoutSteamAround {
  WithoutSteamAround() { Forget(); }
  ~WithoutSteamAround() { Forget(); }
  static void Forget() {
    RegDeleteTree(kSteamKey);
    DeleteTree(kRoot);
  }
};

TEST(GamesE2e, AFirstRunOnASteamMachineShowsItsHalfLifeAndPlaysItsQuake3) {
  const WithoutSteamAround clean;
  const std::string hl = kRoot + "\\Steam\\steamapps\\common\\Half-Life\\hl.exe";
  const std::string q3 = kRoot + "\\Library\\steamapps\\common\\Quake 3 Arena\\quake3.exe";
  ASSERT_TRUE(InstallStandIn(hl) && InstallStandIn(q3) &&
              MakeFolders(ParentFolder(q3) + "\\baseq3"));
  ASSERT_TRUE(WriteBytes(kRoot + "\\Steam\\steamapps\\libraryfolders.vdf",
                         R"("libraryfolders" { "0" { "path" "C:\\e2e\\games\\Steam" }
                                               "1" { "path" "C:\\e2e\\games\\Library" } })"));
  ASSERT_TRUE(WriteBytes(kRoot + "\\Library\\steamapps\\appmanifest_2200.acf",
                         R"("AppState" { "appid" "2200" "installdir" "Quake 3 Arena" })"));
  ASSERT_TRUE(RegAddString(kSteamKey, "SteamPath", "c:/e2e/games/steam"));  // as Steam writes it
  const std::string demo = kRoot + "\\Duel.dm_66";
  ASSERT_FALSE(WriteDemo(demo, 5000, 3).empty());
  ASSERT_TRUE(FreshSettings(false));

  Process app;
  ASSERT_TRUE(app.Start(ReplaydockExe(), Quoted(ReplaydockExe()) + " " + Quoted(demo)));
  auto question = NextMessageBox(app.Pid());
  ASSERT_TRUE(question && PressButton(question->window, IDNO)) << "no first-run question";
  auto note = NextMessageBox(app.Pid(), question->window);
  ASSERT_TRUE(note && PressButton(note->window, IDOK)) << "no note about the configuration window";
  HWND config = WaitForWindow(app.Pid(), ConfigClass);
  ASSERT_TRUE(config) << "no configuration window";
  HWND location = Control(config, ConfigTxtLocation);
  EXPECT_EQ(GetText(location), hl);
  EXPECT_FALSE(IsShown(Control(config, ConfigCmdUseFound))) << "offered beside a location there";

  // A location gone: the warning as ever, and beside it the copy found, taken with one click.
  ASSERT_TRUE(MoveFocus(location) && SetText(location, kRoot + "\\Gone\\hl.exe"));
  ASSERT_TRUE(MoveFocus(Control(config, ConfigCboGame)));
  auto warning = NextMessageBox(app.Pid());
  ASSERT_TRUE(warning && PressButton(warning->window, IDOK) && WaitHiddenOrGone(warning->window));
  EXPECT_EQ(GetText(Control(config, ConfigLblFound)), "Found: " + hl);
  ASSERT_TRUE(MouseClick(Control(config, ConfigCmdUseFound)));
  EXPECT_TRUE(WaitUntil([&] { return RegText(kSettingsKey, "HLPath") == hl; }));
  ASSERT_TRUE(Click(Control(config, ConfigCmdBottom)));

  HWND main = WaitForWindow(app.Pid(), MainClass);
  ASSERT_TRUE(main) << "no main window after the configuration window";
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Quake 3 Arena");
  ExpectPlayed(app, main, q3, "+demo replaydock");
}

}  // namespace
}  // namespace e2e
