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
  ForgetFileTypes();
  DeleteTree(ParentFolder(installed));
  ASSERT_TRUE(CopyTo(ReplaydockExe(), installed));
  Process app;
  ASSERT_TRUE(app.Start(installed, Quoted(installed)));
  HWND splash = WaitForWindow(app.Pid(), SplashClass);
  ASSERT_TRUE(splash) << "no splash window";
  EXPECT_FALSE(SaveScreenshot(splash, "splash").empty());
  auto question = NextMessageBox(app.Pid());
  ASSERT_TRUE(question) << "no first-run question";
  EXPECT_TRUE(HasButton(question->window, IDYES) && HasButton(question->window, IDNO));
  EXPECT_FALSE(SaveScreenshot(question->window, "first-run-question").empty());
  EXPECT_TRUE(IsShown(splash) && TopWindows(app.Pid(), MainClass).empty())
      << "main window too early";
  ASSERT_TRUE(PressButton(question->window, IDYES));
  auto note = NextMessageBox(app.Pid(), question->window);
  ASSERT_TRUE(note) << "no note about the configuration window";
  EXPECT_TRUE(HasButton(note->window, IDOK) && !HasButton(note->window, IDCANCEL));
  EXPECT_EQ(RegText(kSettingsKey, "AlreadyRun"), "<absent>")
      << "written before the first run ended";
  ASSERT_TRUE(PressButton(note->window, IDOK));
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
  ExpectFileTypes(true, installed);

  // The shell's open command passes the demo's path unquoted; the program takes it whole and
  // shows its long, proper-cased form.
  const std::string demo = "C:\\e2e\\shell\\My Demos\\final match.dm_66";
  ASSERT_FALSE(WriteDemo(demo, 1000, 66).empty());
  ASSERT_TRUE(RunTool("cmd.exe /c start \"\" " + Quoted(demo)).finished);
  main = WaitForWindow(0, MainClass);
  ASSERT_TRUE(main) << "the shell did not start Replaydock";
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  ASSERT_TRUE(app.Attach(pid));
  EXPECT_EQ(GetText(Control(main, MainTxtFilename)), "C:\\E2e\\Shell\\My Demos\\Final Match.dm_66");
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Quake 3 Arena");
  EXPECT_FALSE(SaveScreenshot(main, "main-window").empty());
}

// Named on the command line in quotes, as "Open with" passes a path with spaces.
TEST(E2e, PlayStagesTheDemoAndStartsEachGameWithItsCommandLine) {
  ASSERT_TRUE(FreshSettings(true) && RegDeleteTree(kHalfLifeKey));
  struct {
    const char *exe, *data, *location, *demo, *mod, *speed, *resolution, *arguments, *staged;
  } const cases[] = {
      {"C:\\e2e\\Half-Life\\hl.exe", "cstrike", "HLPath", "C:\\e2e\\Some Demos\\round one.dem", "",
       "2", "800x600", "-game cstrike -console -toconsole +playdemo replaydock 2",
       "cstrike\\replaydock.dem"},
      {"C:\\e2e\\Quake III Arena\\quake3.exe", "baseq3", "Q3APath",
       "C:\\e2e\\Some Demos\\final.dm_66", "osp", nullptr, nullptr,
       "+set fs_game osp +demo replaydock", "baseq3\\Demos\\replaydock.dm_66"},
      {"C:\\e2e\\RTCW\\WolfMP.exe", "Main", "RTCWPath", "C:\\e2e\\Some Demos\\duel.dm_57", "",
       nullptr, nullptr, "+demo replaydock", "Main\\Demos\\replaydock.dm_57"}};
  unsigned seed = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exe);
    DeleteTree(ParentFolder(c.exe));
    ASSERT_TRUE(InstallGame(c.exe, c.data, c.location));
    const std::string bytes = WriteDemo(c.demo, 70000, ++seed);
    Process app;
    HWND main = StartToMainWindow(app, ReplaydockExe(), Quoted(c.demo));
    ASSERT_TRUE(main) << "no main window";
    ASSERT_TRUE(!c.resolution || PickCombo(Control(main, MainCboResolution), c.resolution));
    ASSERT_TRUE(!c.speed || PickCombo(Control(main, MainCboSpeed), c.speed));
    ASSERT_TRUE(!*c.mod || TypeText(ComboEdit(Control(main, MainCboMod)), c.mod));
    // Enter presses the focused button, else Play: the default border shows which.
    const auto isDefault = [](HWND b) {
      return (GetWindowLongPtrA(b, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    };
    for (const bool onCancel : {true, false}) {
      const HWND expected = onCancel ? CancelButton(main) : PlayButton(main);
      const HWND other = onCancel ? PlayButton(main) : CancelButton(main);
      ASSERT_TRUE(!c.resolution || MoveFocus(onCancel ? expected : Control(main, MainTxtFilename)));
      EXPECT_TRUE(!c.resolution ||
                  WaitUntil([&] { return isDefault(expected) && !isDefault(other); }, 3000))
          << "the default border is not on the focused button";
    }
    ExpectPlayed(app, main, c.exe, c.arguments);
    EXPECT_EQ(ReadBytes(ParentFolder(c.exe) + "\\" + c.staged), bytes) << "staged demo differs";
  }
  // The engine reads ScreenWidth/ScreenHeight; the older pair stays for whatever reads it.
  for (const auto& [value, data] : {std::pair{"EngineModeW", "0x320"}, {"EngineModeH", "0x258"},
                                    {"ScreenWidth", "0x320"}, {"ScreenHeight", "0x258"}}) {
    const auto v = RegQuery(kHalfLifeKey, value);
    EXPECT_EQ(v ? v->type + " " + v->data : "none", std::string("REG_DWORD ") + data) << value;
  }
}

// A real click on "..." that the warning interrupts must neither leave the button pressed nor,
// once the program exists, be lost.
TEST(E2e, TheConfigurationWindowWarnsOfAMissingProgramWhenTheFocusLeavesItsBox) {
  ASSERT_TRUE(FreshSettings(true));
  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), "");
  ASSERT_TRUE(main && Click(ConfigButton(main))) << "no main window";
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
  EXPECT_TRUE(
      WaitUntil([&] { return !(SendMessageA(browse, BM_GETSTATE, 0, 0) & BST_PUSHED); }, 3000))
      << "the button stayed pressed";
  const std::string present = "C:\\e2e\\config\\Half-Life\\hl.exe";
  ASSERT_TRUE(InstallStandIn(present) && MoveFocus(location) && SetText(location, present));
  ASSERT_TRUE(MouseClick(browse));
  auto dialog = WaitForMessageBox(app.Pid(), "Program Location");
  ASSERT_TRUE(dialog) << "the click on \"...\" was lost";
  ASSERT_TRUE(PressButton(dialog->window, IDCANCEL) && WaitHiddenOrGone(dialog->window));
  EXPECT_FALSE(SaveScreenshot(config, "configuration-window").empty());
  ASSERT_TRUE(PostKey(Control(config, ConfigCmdBottom), VK_ESCAPE));  // Escape presses Done
  EXPECT_TRUE(WaitHiddenOrGone(config)) << "Escape did not close the window";
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != 0; }) && Click(CancelButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Cancel did not end the program";
}

}  // namespace
}  // namespace e2e
