// The configuration window driven from the main window, the file types it registers judged
// by Windows' own tools, and a Quake 3 demo then opened through the shell and played.
#include <filesystem>

#include "tests/e2e/E2eSupport.h"

namespace e2e {
namespace {

using namespace rd::ids;

// A folder with spaces: the registered command must quote it.
const std::string kInstalled = "C:\\Program Files\\Replaydock e2e\\Replaydock.exe";

// Presses the message box's button and waits for the box to go.
void Answer(HWND box, int button) {
  ASSERT_TRUE(PressButton(box, button));
  ASSERT_TRUE(WaitHiddenOrGone(box));
}

// From the main window: a location typed and left, then the file types registered.
void ConfigureAndRegister() {
  Process app;
  HWND main = StartToMainWindow(app, kInstalled, "");
  ASSERT_TRUE(main) << "no main window";
  ASSERT_TRUE(Click(ConfigButton(main)));
  HWND config = WaitForWindow(app.Pid(), ConfigClass);
  ASSERT_TRUE(config) << "no configuration window";
  EXPECT_FALSE(SaveScreenshot(config, "configuration-window").empty());
  EXPECT_EQ(GetText(config), "Configuration");
  EXPECT_EQ(GetWindowLongPtrA(config, GWL_STYLE) & WS_SYSMENU, 0) << "only Done closes it";
  HWND game = Control(config, ConfigCboGame);
  HWND location = Control(config, ConfigTxtLocation);
  HWND done = Control(config, ConfigCmdBottom);
  EXPECT_EQ(GetText(game), "Half-Life");
  EXPECT_EQ(ComboItems(game),
            (std::vector<std::string>{"Half-Life", "Quake 3 Arena", "Return To Castle Wolfenstein"}));
  EXPECT_EQ(GetText(location), "C:\\Sierra\\Half-Life\\hl.exe");
  EXPECT_EQ(FocusedIn(config), done) << "the focus is on Done when the window opens";
  EXPECT_FALSE(IsWindowEnabled(main)) << "the configuration window is modal";

  // A missing program: stored at once, and the warning when the focus leaves the box.
  const std::string missing = "C:\\e2e\\config\\No Such Game\\hl.exe";
  DeleteTree("C:\\e2e\\config");
  ASSERT_TRUE(MoveFocus(location));
  ASSERT_TRUE(SetText(location, missing));
  EXPECT_TRUE(WaitUntil([&] { return RegText(kSettingsKey, "HLPath") == missing; }))
      << RegText(kSettingsKey, "HLPath");
  ASSERT_TRUE(MoveFocus(game));
  auto warning = NextMessageBox(app.Pid());
  ASSERT_TRUE(warning) << "no warning on leaving the location box";
  EXPECT_EQ(warning->text, "The specified program does not exist. Please select the correct executable.");
  Answer(warning->window, IDOK);
  EXPECT_EQ(GetText(location), missing);

  // The same with a real click on "...": the warning takes the click's release, and the
  // button must not stay pressed waiting for it.
  HWND browse = Control(config, ConfigCmdSelect);
  ASSERT_TRUE(MoveFocus(location));
  ASSERT_TRUE(MouseClick(browse));
  warning = NextMessageBox(app.Pid());
  ASSERT_TRUE(warning) << "no warning on clicking away from the location box";
  Answer(warning->window, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return FocusedIn(config) == browse; }));
  EXPECT_TRUE(WaitUntil([&] { return (SendMessageA(browse, BM_GETSTATE, 0, 0) & BST_PUSHED) == 0; },
                        3000))
      << "the button stayed pressed";

  // A program that exists lets the same click through: the open dialog comes up.
  const std::string present = "C:\\e2e\\config\\Half-Life\\hl.exe";
  ASSERT_TRUE(InstallStandIn(present));
  ASSERT_TRUE(MoveFocus(location));
  ASSERT_TRUE(SetText(location, present));
  ASSERT_TRUE(MouseClick(browse));
  auto dialog = WaitForMessageBox(app.Pid(), "Program Location");
  ASSERT_TRUE(dialog) << "the click on \"...\" was lost";
  ASSERT_TRUE(PressButton(dialog->window, IDCANCEL));
  ASSERT_TRUE(WaitHiddenOrGone(dialog->window));
  EXPECT_EQ(GetText(location), present);

  // An existing program passes the check: the next box must be the register question.
  ASSERT_TRUE(MoveFocus(location));
  HWND tab = Control(config, ConfigTab);
  ASSERT_TRUE(MoveFocus(tab));
  ASSERT_TRUE(PostKey(tab, VK_RIGHT));  // to "Options", as the arrow key does
  HWND registerButton = Control(config, ConfigCmdRegister);
  EXPECT_TRUE(WaitUntil([&] { return IsShown(registerButton); })) << "the Options tab did not show";
  EXPECT_EQ(RegText(kSettingsKey, "HLPath"), present);
  ASSERT_TRUE(Click(registerButton));
  auto question = NextMessageBox(app.Pid());
  ASSERT_TRUE(question) << "no register question";
  EXPECT_EQ(question->text, "Are you sure you wish to associate Replaydock with all the demo types it supports?");
  Answer(question->window, IDYES);
  auto registered = NextMessageBox(app.Pid());
  ASSERT_TRUE(registered) << "no confirmation";
  EXPECT_EQ(registered->text, "File types registered!");
  Answer(registered->window, IDOK);

  ASSERT_TRUE(PostKey(done, VK_ESCAPE));  // Escape presses Done
  EXPECT_TRUE(WaitHiddenOrGone(config)) << "Escape did not close the window";
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != 0; }));
  ASSERT_TRUE(Click(CancelButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Cancel did not end the program";
}

// Then the shell opens a demo with the registered command, which passes its path
// unquoted; the program takes the text whole, and a mod typed in is played.
void OpenFromTheShellAndPlay() {
  const std::string game = "C:\\e2e\\shell\\Quake III Arena\\quake3.exe";
  DeleteTree("C:\\e2e\\shell");
  ASSERT_TRUE(InstallGame(game, "baseq3", "Q3APath"));
  const std::string demo = "C:\\e2e\\shell\\My Demos\\final match.dm_66";
  const std::string shown = "C:\\E2e\\Shell\\My Demos\\Final Match.dm_66";  // each name proper-cased
  const std::string bytes = WriteDemo(demo, 150000, 66);
  ASSERT_FALSE(bytes.empty());
  ASSERT_TRUE(TopWindows(0, MainClass).empty()) << "an earlier Replaydock is still running";

  const ToolResult started = RunTool("cmd.exe /c start \"\" " + Quoted(demo));
  ASSERT_TRUE(started.finished) << started.output;
  EXPECT_TRUE(WaitForWindow(0, SplashClass)) << "no splash window";
  HWND main = WaitForWindow(0, MainClass);
  ASSERT_TRUE(main) << "the shell did not start Replaydock: " << started.output;
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  Process app;
  ASSERT_TRUE(app.Attach(pid));
  EXPECT_FALSE(SaveScreenshot(main, "main-window-quake3").empty());
  EXPECT_EQ(GetText(Control(main, MainTxtFilename)), shown);
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Quake 3 Arena");
  HWND mod = Control(main, MainCboMod);
  EXPECT_EQ(ComboItems(mod), (std::vector<std::string>{"arena", "generations", "osp"}));
  EXPECT_EQ(GetText(mod), "");
  EXPECT_FALSE(IsWindowEnabled(Control(main, MainCboSpeed)));
  EXPECT_FALSE(IsWindowEnabled(Control(main, MainCboResolution)));
  ASSERT_TRUE(TypeText(ComboEdit(mod), "osp"));
  EXPECT_TRUE(WaitUntil([] { return RegText(kSettingsKey, "DefaultQ3AMod") == "osp"; }))
      << RegText(kSettingsKey, "DefaultQ3AMod");

  ExpectPlayed(app, main, game, "+set fs_game osp +demo replaydock");
  const std::string demos = ParentFolder(game) + "\\baseq3\\Demos";
  EXPECT_EQ(ReadBytes(demos + "\\replaydock.dm_66"), bytes) << "staged demo differs from the original";
  // Nothing but the staged demo: no temporary file left beside it.
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(demos, ec))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"replaydock.dm_66"});
  EXPECT_EQ(RegText(kSettingsKey, "DefaultGame"), "Quake 3 Arena");
  EXPECT_EQ(RegText(kSettingsKey, "LastFilename"), shown);
}

TEST(ConfigShellE2e, RegisteredFromTheConfigurationWindowADemoOpensFromTheShellAndPlays) {
  ASSERT_TRUE(FreshSettings(true));
  ForgetFileTypes();
  DeleteTree(ParentFolder(kInstalled));
  ASSERT_TRUE(CopyTo(ReplaydockExe(), kInstalled));

  ConfigureAndRegister();
  if (HasFatalFailure()) return;
  ExpectFileTypes(true, kInstalled);
  EXPECT_EQ(RegText("HKCR\\RD.Demo", ""), "Replaydock Demo");
  EXPECT_EQ(RegText("HKCR\\RD.Demo\\DefaultIcon", ""), kInstalled + ",0");
  OpenFromTheShellAndPlay();
}

}  // namespace
}  // namespace e2e
