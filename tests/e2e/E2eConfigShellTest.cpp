// The configuration window driven from the main window, the file types it registers judged
// by Windows' own tools, and a demo then opened through the shell and played.
#include "tests/e2e/E2eSupport.h"

namespace e2e {
namespace {

using namespace rd::ids;

const std::string kInstalled = "C:\\Program Files\\Replaydock e2e\\Replaydock.exe";

std::string ImageOf(DWORD pid) {
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!h) return {};
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const BOOL ok = QueryFullProcessImageNameA(h, 0, path, &size);
  CloseHandle(h);
  return ok ? std::string(path, size) : std::string();
}

// Part one: a location typed and left, then the file types registered.
void ConfigureAndRegister() {
  Process app;
  ASSERT_TRUE(app.Start(kInstalled, CommandLine(kInstalled, "")));
  HWND main = WaitForWindow(app.Pid(), MainClass);
  ASSERT_TRUE(main) << "no main window";
  ASSERT_TRUE(Click(ConfigButton(main)));
  HWND config = WaitForWindow(app.Pid(), ConfigClass);
  ASSERT_TRUE(config) << "no configuration window";
  EXPECT_FALSE(SaveScreenshot(config, "configuration-window").empty());

  EXPECT_EQ(GetText(config), "Configuration");
  HWND game = Control(config, ConfigCboGame);
  HWND location = Control(config, ConfigTxtLocation);
  HWND done = Control(config, ConfigCmdBottom);
  EXPECT_EQ(GetText(game), "Half-Life");
  EXPECT_EQ(ComboItems(game),
            (std::vector<std::string>{"Half-Life", "Quake 3 Arena", "Return To Castle Wolfenstein"}));
  EXPECT_EQ(GetText(location), "C:\\Sierra\\Half-Life\\hl.exe");
  EXPECT_EQ(RegText(kSettingsKey, "HLPath"), "C:\\Sierra\\Half-Life\\hl.exe");
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
  EXPECT_TRUE(HasButton(warning->window, IDOK));
  ASSERT_TRUE(PressButton(warning->window, IDOK));
  ASSERT_TRUE(WaitHiddenOrGone(warning->window));
  EXPECT_EQ(GetText(location), missing);
  EXPECT_EQ(RegText(kSettingsKey, "HLPath"), missing);

  // An existing program passes the check: the next box must be the register question.
  const std::string present = "C:\\e2e\\config\\Half-Life\\hl.exe";
  ASSERT_TRUE(InstallStandIn(present));
  ASSERT_TRUE(MoveFocus(location));
  ASSERT_TRUE(SetText(location, present));
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
  EXPECT_TRUE(HasButton(question->window, IDYES));
  EXPECT_TRUE(HasButton(question->window, IDNO));
  ASSERT_TRUE(PressButton(question->window, IDYES));
  auto registered = NextMessageBox(app.Pid(), question->window);
  ASSERT_TRUE(registered) << "no confirmation";
  EXPECT_EQ(registered->text, "File types registered!");
  ASSERT_TRUE(PressButton(registered->window, IDOK));
  ASSERT_TRUE(WaitHiddenOrGone(registered->window));

  ASSERT_TRUE(Click(done));
  EXPECT_TRUE(WaitHiddenOrGone(config)) << "Done did not close the window";
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != 0; }));
  ASSERT_TRUE(Click(CancelButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Cancel did not end the program";
}

void ExpectRegisteredFileTypes() {
  for (const char* ext : {".dem", ".dm_57", ".dm_66"}) {
    const std::string out = ToolOutput(std::string("cmd.exe /c assoc ") + ext);
    EXPECT_NE(out.find(std::string(ext) + "=RD.Demo"), std::string::npos) << out;
  }
  const std::string command = Quoted(kInstalled) + " %1";
  const std::string ftype = ToolOutput("cmd.exe /c ftype RD.Demo");
  EXPECT_NE(ftype.find("RD.Demo=" + command), std::string::npos) << ftype;
  EXPECT_EQ(RegText("HKCR\\RD.Demo", ""), "Replaydock Demo");
  EXPECT_EQ(RegText("HKCR\\RD.Demo\\shell\\Open\\command", ""), command);
  EXPECT_EQ(RegText("HKCR\\RD.Demo\\DefaultIcon", ""), kInstalled + ",0");
}

// Part two: the shell opens a demo with the registered command; it is played from there.
void OpenFromTheShellAndPlay() {
  const std::string gameFolder = "C:\\e2e\\shell\\Quake III Arena";
  const std::string game = gameFolder + "\\quake3.exe";
  DeleteTree("C:\\e2e\\shell");
  ASSERT_TRUE(InstallStandIn(game));
  ASSERT_TRUE(MakeFolders(gameFolder + "\\baseq3"));
  ASSERT_TRUE(RegAddString(kSettingsKey, "Q3APath", game));
  const std::string demo = "C:\\e2e\\shell\\Demo Files\\opened by the shell.dm_66";
  const std::string bytes = SampleDemoBytes(90000, 3);
  ASSERT_TRUE(MakeFolders(ParentFolder(demo)));
  ASSERT_TRUE(WriteBytes(demo, bytes));
  ASSERT_TRUE(TopWindows(0, MainClass).empty()) << "an earlier Replaydock is still running";

  const ToolResult started = RunTool("cmd.exe /c start \"\" " + Quoted(demo));
  ASSERT_TRUE(started.finished) << started.output;
  HWND splash = WaitForWindow(0, SplashClass);
  EXPECT_TRUE(splash) << "no splash window";
  HWND main = WaitForWindow(0, MainClass);
  ASSERT_TRUE(main) << "the shell did not start Replaydock: " << started.output;
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  Process app;
  ASSERT_TRUE(app.Attach(pid));
  EXPECT_TRUE(SameText(ImageOf(pid), kInstalled)) << ImageOf(pid);
  EXPECT_EQ(GetText(Control(main, MainTxtFilename)), ProperCasePath(demo));
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Quake 3 Arena");
  EXPECT_EQ(GetText(Control(main, MainCboMod)), "");
  EXPECT_FALSE(SaveScreenshot(main, "main-window-from-shell").empty());

  ASSERT_TRUE(Click(PlayButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Replaydock did not end after Play";
  const auto starts = WaitForGameStarts(game);
  ASSERT_EQ(starts.size(), 1u) << "the game was not started once";
  EXPECT_TRUE(EndsWith(starts[0].commandLine, " +demo replaydock")) << starts[0].commandLine;
  EXPECT_EQ(starts[0].commandLine.find("fs_game"), std::string::npos) << starts[0].commandLine;
  EXPECT_TRUE(SameText(starts[0].workingFolder, gameFolder)) << starts[0].workingFolder;
  EXPECT_EQ(ReadBytes(gameFolder + "\\baseq3\\Demos\\replaydock.dm_66"), bytes);
}

TEST(ConfigShellE2e, RegisteredFromTheConfigurationWindowADemoOpensFromTheShellAndPlays) {
  ASSERT_TRUE(FreshSettings(true));
  ForgetFileTypes();
  // A folder with spaces: the registered command must quote it.
  DeleteTree(ParentFolder(kInstalled));
  ASSERT_TRUE(CopyTo(ReplaydockExe(), kInstalled));

  ConfigureAndRegister();
  if (HasFatalFailure()) return;
  ExpectRegisteredFileTypes();
  OpenFromTheShellAndPlay();
}

}  // namespace
}  // namespace e2e
