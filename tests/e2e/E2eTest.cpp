// The real Replaydock.exe under Wine (or Windows), driven through its windows: the main flows
// only, each once. What each window shows and says is proven in the presenters' tests.
#include "tests/e2e/E2eSupport.h"

namespace e2e {
namespace {

using namespace rd::ids;

struct TitleBars final : testing::Environment {
  void SetUp() override { EXPECT_TRUE(LetWineDrawTitleBars()); }
};
[[maybe_unused]] testing::Environment* const kTitleBars =
    testing::AddGlobalTestEnvironment(new TitleBars);

// In a folder with spaces, so that the registered command must quote it.
TEST(E2e, AFirstRunRegistersTheFileTypesAndThenADemoOpensFromTheShell) {
  const std::string installed = "C:\\Program Files\\Replaydock e2e\\Replaydock.exe";
  ASSERT_TRUE(FreshSettings(false));
  const std::string classes = "HKCU\\Software\\Classes\\",
                    verbs = classes + "SystemFileAssociations\\";
  for (const char* name : kDemoKeys) {
    EXPECT_TRUE(RegDeleteTree(std::string("HKCR\\") + name) && RegDeleteTree(classes + name))
        << name;
    EXPECT_TRUE(RegDeleteTree(verbs + name + "\\shell\\Replaydock.Play")) << name;
  }
  DeleteTree(ParentFolder(installed));
  ASSERT_TRUE(CopyTo(ReplaydockExe(), installed));
  Process app;
  ASSERT_TRUE(app.Start(installed, Quoted(installed)));
  HWND splash = WaitForWindow(app.Pid(), SplashClass);
  ASSERT_TRUE(splash) << "no splash window";
  EXPECT_FALSE(SaveScreenshot(splash, "splash").empty());
  auto question = NextMessageBox(app.Pid());
  ASSERT_TRUE(question) << "no first-run question";
  EXPECT_FALSE(SaveScreenshot(question->window, "first-run-question").empty());
  ASSERT_TRUE(PressButton(question->window, IDYES));
  auto note = NextMessageBox(app.Pid(), question->window);
  ASSERT_TRUE(note && PressButton(note->window, IDOK)) << "no note about the configuration window";
  HWND config = WaitForWindow(app.Pid(), ConfigClass);
  ASSERT_TRUE(config && Click(Control(config, ConfigCmdBottom))) << "no configuration window";
  HWND main = WaitForWindow(app.Pid(), MainClass);
  ASSERT_TRUE(main) << "no main window after the configuration window";
  EXPECT_TRUE(WaitHiddenOrGone(splash));
  const std::string header = GetText(Control(main, MainLblTop));  // the version resource's
  EXPECT_EQ(header.substr(header.rfind(' ') + 1), "v0.6.8");
  EXPECT_EQ(RegText(kSettingsKey, "AlreadyRun"), "Yes");
  ASSERT_TRUE(Click(CancelButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Cancel did not end the program";
  // The demo types as Windows' own assoc and ftype report them, and the play verb Explorer
  // shows for each.
  for (const char* ext : std::span(kDemoKeys).first(std::size(kDemoKeys) - 1)) {
    const std::string out = RunTool(std::string("cmd.exe /c assoc ") + ext).output;
    EXPECT_NE(out.find(std::string(ext) + "=RD.Demo"), std::string::npos) << out;
    const std::string verb = verbs + ext + "\\shell\\Replaydock.Play";
    const std::string text = RunTool("reg.exe query \"" + verb + "\" /ve").output;
    EXPECT_NE(text.find("Play with Replaydock"), std::string::npos) << text;
    const std::string command = RunTool("reg.exe query \"" + verb + "\\command\" /ve").output;
    EXPECT_NE(command.find(Quoted(installed) + " -play \"%1\""), std::string::npos) << command;
  }
  const std::string ftype = RunTool("cmd.exe /c ftype RD.Demo").output;
  EXPECT_NE(ftype.find("RD.Demo=" + Quoted(installed) + " %1"), std::string::npos) << ftype;

  // The shell's open command passes the demo's path unquoted; the program takes it whole and
  // shows its long, proper-cased form.
  const std::string demo = "C:\\e2e\\shell\\My Demos\\final match.dm_66";
  ASSERT_FALSE(WriteDemo(demo, 1000, 66).empty());
  ASSERT_TRUE(RunTool("cmd.exe /c start \"\" " + Quoted(demo)).finished);
  main = WaitForWindow(0, MainClass);
  ASSERT_TRUE(main) << "the shell did not start Replaydock";
  EXPECT_EQ(GetText(Control(main, MainTxtFilename)), "C:\\E2e\\Shell\\My Demos\\Final Match.dm_66");
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Quake 3 Arena");
  EXPECT_FALSE(SaveScreenshot(main, "main-window").empty());
  EXPECT_TRUE(Click(CancelButton(main)) && WaitHiddenOrGone(main));
}

// Named on the command line in quotes, as "Open with" passes a path with spaces.
TEST(E2e, PlayStagesTheDemoAndStartsEachGameWithItsCommandLine) {
  ASSERT_TRUE(FreshSettings(true));
  struct {
    const char *exe, *data, *location, *demo, *mod, *speed, *resolution, *arguments, *staged;
  } const cases[] = {
      {"C:\\e2e\\Half-Life\\hl.exe", "cstrike", "HLPath", "C:\\e2e\\Some Demos\\round one.dem", "",
       "2", "800x600", "-game cstrike -console -toconsole +playdemo replaydock 2",
       "cstrike\\replaydock.dem"},
      {"C:\\e2e\\Quake III Arena\\quake3.exe", "baseq3", "Q3APath",
       "C:\\e2e\\Some Demos\\final.dm_66", "osp", nullptr, nullptr,
       "+set fs_game osp +demo replaydock", "baseq3\\Demos\\replaydock.dm_66"},
      {"C:\\e2e\\RTCW\\WolfMP.exe", "Main", "RTCWPath", "C:\\e2e\\Some Demos\\duel.dm_60", "",
       nullptr, nullptr, "+demo replaydock", "Main\\Demos\\replaydock.dm_60"}};
  unsigned seed = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exe);
    DeleteTree(ParentFolder(c.exe));
    ASSERT_TRUE(InstallGame(c.exe, c.data, c.location));
    // The mod installed, so that no question comes before the game.
    const std::string modFolder = ParentFolder(c.exe) + "\\" + (*c.mod ? c.mod : c.data);
    ASSERT_TRUE(MakeFolders(modFolder) && WriteBytes(modFolder + "\\liblist.gam", "game \"x\""));
    ASSERT_TRUE(WriteBytes(modFolder + "\\pak0.pk3", "PK"));
    const std::string bytes = WriteDemo(c.demo, 70000, ++seed);
    Process app;
    HWND main = StartToMainWindow(app, ReplaydockExe(), Quoted(c.demo));
    ASSERT_TRUE(main) << "no main window";
    ASSERT_TRUE(!c.resolution || PickCombo(Control(main, MainCboResolution), c.resolution));
    ASSERT_TRUE(!c.speed || PickCombo(Control(main, MainCboSpeed), c.speed));
    HWND modEdit = FindWindowExA(Control(main, MainCboMod), nullptr, "Edit", nullptr);
    ASSERT_TRUE(!*c.mod || TypeText(modEdit, c.mod));
    ExpectPlayed(app, main, c.exe, c.arguments);
    EXPECT_EQ(ReadBytes(ParentFolder(c.exe) + "\\" + c.staged), bytes) << "staged demo differs";
  }
}

// As the focus moves on by Tab or by a real click on "...".
TEST(E2e, TheConfigurationWindowWarnsOfAMissingProgramWhenTheFocusLeavesItsBox) {
  ASSERT_TRUE(FreshSettings(true));
  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), "");
  ASSERT_TRUE(main && Click(Control(main, MainCmdBottom0 + 1))) << "no main window";
  HWND config = WaitForWindow(app.Pid(), ConfigClass);
  ASSERT_TRUE(config) << "no configuration window";
  EXPECT_FALSE(IsWindowEnabled(main)) << "the configuration window is modal";
  HWND game = Control(config, ConfigCboGame), location = Control(config, ConfigTxtLocation);
  HWND browse = Control(config, ConfigCmdSelect);
  const std::string missing = "C:\\e2e\\config\\No Such Game\\hl.exe";
  DeleteTree("C:\\e2e\\config");
  ASSERT_TRUE(MoveFocus(location) && SetText(location, missing));
  EXPECT_TRUE(WaitUntil([&] { return RegText(kSettingsKey, "HLPath") == missing; }));
  for (HWND next : {game, browse}) {
    ASSERT_TRUE(MoveFocus(location) && (next == game ? MoveFocus(game) : MouseClick(browse)));
    auto warning = NextMessageBox(app.Pid());
    ASSERT_TRUE(warning) << "no warning on leaving the location box";
    ASSERT_TRUE(PressButton(warning->window, IDOK) && WaitHiddenOrGone(warning->window));
    EXPECT_EQ(GetText(location), missing);
  }
  EXPECT_FALSE(SaveScreenshot(config, "configuration-window").empty());
  ASSERT_TRUE(PostKey(Control(config, ConfigCmdBottom), VK_ESCAPE));  // Escape presses Done
  EXPECT_TRUE(WaitHiddenOrGone(config)) << "Escape did not close the window";
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != 0; }) && Click(CancelButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Cancel did not end the program";
}

}  // namespace
}  // namespace e2e
