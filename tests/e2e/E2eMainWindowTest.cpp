// The main window and the play command, end to end: a demo named on the command line,
// chosen options, Play, and what the (stand-in) game and the registry received.
#include "tests/e2e/E2eSupport.h"

namespace e2e {
namespace {

using namespace rd::ids;

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

TEST(MainWindowE2e, PlaysAQuake3DemoFromTheCommandLineWithAMod) {
  ASSERT_TRUE(FreshSettings(true));
  const std::string gameFolder = "C:\\e2e\\Quake III Arena";
  const std::string game = gameFolder + "\\quake3.exe";
  DeleteTree(gameFolder);
  ASSERT_TRUE(InstallStandIn(game));
  ASSERT_TRUE(MakeFolders(gameFolder + "\\baseq3"));
  ASSERT_TRUE(RegAddString(kSettingsKey, "Q3APath", game));
  const std::string demo = "C:\\e2e\\main\\My Demos\\final match.dm_66";
  const std::string bytes = SampleDemoBytes(150000, 66);
  ASSERT_TRUE(MakeFolders(ParentFolder(demo)));
  ASSERT_TRUE(WriteBytes(demo, bytes));

  // Unquoted, as the registered command passes it: the program takes the text whole.
  Process app;
  ASSERT_TRUE(app.Start(ReplaydockExe(), CommandLine(ReplaydockExe(), demo)));
  HWND main = WaitForWindow(app.Pid(), MainClass);
  ASSERT_TRUE(main) << "no main window";
  EXPECT_FALSE(SaveScreenshot(main, "main-window-quake3").empty());

  EXPECT_EQ(GetText(Control(main, MainTxtFilename)), ProperCasePath(demo));
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Quake 3 Arena");
  HWND mod = Control(main, MainCboMod);
  EXPECT_EQ(ComboItems(mod), (std::vector<std::string>{"arena", "generations", "osp"}));
  EXPECT_EQ(GetText(mod), "");
  EXPECT_FALSE(IsWindowEnabled(Control(main, MainCboSpeed)));
  EXPECT_FALSE(IsWindowEnabled(Control(main, MainCboResolution)));

  ASSERT_TRUE(TypeText(ComboEdit(mod), "osp"));
  EXPECT_TRUE(WaitUntil([] { return RegText(kSettingsKey, "DefaultQ3AMod") == "osp"; }))
      << RegText(kSettingsKey, "DefaultQ3AMod");

  ASSERT_TRUE(Click(PlayButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Replaydock did not end after Play";

  const auto starts = WaitForGameStarts(game);
  ASSERT_EQ(starts.size(), 1u) << "the game was not started once";
  EXPECT_TRUE(EndsWith(starts[0].commandLine, " +set fs_game osp +demo replaydock")) << starts[0].commandLine;
  EXPECT_NE(starts[0].commandLine.find("quake3.exe"), std::string::npos) << starts[0].commandLine;
  EXPECT_TRUE(SameText(starts[0].workingFolder, gameFolder)) << starts[0].workingFolder;

  const std::string demos = gameFolder + "\\baseq3\\Demos";
  EXPECT_EQ(ReadBytes(demos + "\\replaydock.dm_66"), bytes) << "staged demo differs from the original";
  EXPECT_EQ(FilesIn(demos), std::vector<std::string>{"replaydock.dm_66"}) << "a temporary file was left";
  EXPECT_EQ(RegText(kSettingsKey, "DefaultGame"), "Quake 3 Arena");
  EXPECT_EQ(RegText(kSettingsKey, "LastFilename"), ProperCasePath(demo));
  EXPECT_EQ(RegText(kSettingsKey, "DefaultQ3AMod"), "osp");
}

TEST(MainWindowE2e, PlaysAHalfLifeDemoAtAChosenResolutionAndSpeed) {
  ASSERT_TRUE(FreshSettings(true));
  ASSERT_TRUE(RegDeleteTree(kHalfLifeKey));
  const std::string gameFolder = "C:\\e2e\\Half-Life";
  const std::string game = gameFolder + "\\hl.exe";
  DeleteTree(gameFolder);
  ASSERT_TRUE(InstallStandIn(game));
  ASSERT_TRUE(MakeFolders(gameFolder + "\\cstrike"));
  const std::string staged = gameFolder + "\\cstrike\\replaydock.dem";
  ASSERT_TRUE(WriteBytes(staged, "an earlier launch's demo"));
  ASSERT_TRUE(RegAddString(kSettingsKey, "HLPath", game));
  const std::string demo = "C:\\e2e\\hl\\Some Demos\\round one.dem";
  const std::string bytes = SampleDemoBytes(70000, 1);
  ASSERT_TRUE(MakeFolders(ParentFolder(demo)));
  ASSERT_TRUE(WriteBytes(demo, bytes));

  // Quoted, as "Open with" and drag and drop pass a path with spaces.
  Process app;
  ASSERT_TRUE(app.Start(ReplaydockExe(), CommandLine(ReplaydockExe(), Quoted(demo))));
  HWND main = WaitForWindow(app.Pid(), MainClass);
  ASSERT_TRUE(main) << "no main window";

  EXPECT_EQ(GetText(Control(main, MainTxtFilename)), ProperCasePath(demo));
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Half-Life");
  EXPECT_EQ(GetText(Control(main, MainCboMod)), "cstrike");
  EXPECT_EQ(RegText(kSettingsKey, "DefaultHLMod"), "cstrike");
  HWND speed = Control(main, MainCboSpeed);
  HWND resolution = Control(main, MainCboResolution);
  EXPECT_EQ(GetText(speed), "1");
  EXPECT_EQ(GetText(resolution), "Default");
  EXPECT_TRUE(IsWindowEnabled(speed));
  EXPECT_TRUE(IsWindowEnabled(resolution));
  EXPECT_EQ(ComboItems(resolution), (std::vector<std::string>{"Default", "640x480", "800x600", "1024x768",
                                                              "1152x864", "1280x1024"}));

  ASSERT_TRUE(PickCombo(resolution, "800x600"));
  ASSERT_TRUE(PickCombo(speed, "2"));
  EXPECT_EQ(GetText(resolution), "800x600");
  EXPECT_EQ(GetText(speed), "2");
  EXPECT_FALSE(SaveScreenshot(main, "main-window-half-life").empty());

  ASSERT_TRUE(Click(PlayButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Replaydock did not end after Play";

  const auto height = RegQuery(kHalfLifeKey, "EngineModeH");
  const auto width = RegQuery(kHalfLifeKey, "EngineModeW");
  ASSERT_TRUE(height && width);
  EXPECT_EQ(height->type, "REG_DWORD");
  EXPECT_EQ(height->data, "0x258");
  EXPECT_EQ(width->type, "REG_DWORD");
  EXPECT_EQ(width->data, "0x320");

  const auto starts = WaitForGameStarts(game);
  ASSERT_EQ(starts.size(), 1u) << "the game was not started once";
  EXPECT_TRUE(EndsWith(starts[0].commandLine, " -game cstrike -console -toconsole +playdemo replaydock 2"))
      << starts[0].commandLine;
  EXPECT_TRUE(SameText(starts[0].workingFolder, gameFolder)) << starts[0].workingFolder;
  EXPECT_EQ(ReadBytes(staged), bytes) << "the earlier staged demo was not replaced by this one";
}

TEST(MainWindowE2e, PlayWithoutADemoOrWithAMissingOneSaysSoAndTheWindowComesBack) {
  ASSERT_TRUE(FreshSettings(true));
  const std::string gameFolder = "C:\\e2e\\missing\\Quake III Arena";
  const std::string game = gameFolder + "\\quake3.exe";
  DeleteTree("C:\\e2e\\missing");
  ASSERT_TRUE(InstallStandIn(game));
  ASSERT_TRUE(MakeFolders(gameFolder + "\\baseq3"));
  ASSERT_TRUE(RegAddString(kSettingsKey, "Q3APath", game));

  Process app;
  ASSERT_TRUE(app.Start(ReplaydockExe(), CommandLine(ReplaydockExe(), "")));
  HWND main = WaitForWindow(app.Pid(), MainClass);
  ASSERT_TRUE(main) << "no main window";
  HWND file = Control(main, MainTxtFilename);
  EXPECT_EQ(GetText(file), "");

  ASSERT_TRUE(Click(PlayButton(main)));
  auto box = NextMessageBox(app.Pid());
  ASSERT_TRUE(box) << "no message for an empty file box";
  EXPECT_EQ(box->text, "You must select a demo file to play first");
  EXPECT_TRUE(HasButton(box->window, IDOK));
  EXPECT_TRUE(IsShown(main));
  ASSERT_TRUE(PressButton(box->window, IDOK));
  ASSERT_TRUE(WaitHiddenOrGone(box->window));

  // Typed into the file box: stored as typed; the game stays as it was until Play.
  const std::string demo = "C:\\e2e\\missing\\Not There\\gone.dm_66";
  ASSERT_TRUE(SetText(file, demo));
  EXPECT_TRUE(WaitUntil([&] { return RegText(kSettingsKey, "LastFilename") == demo; }))
      << RegText(kSettingsKey, "LastFilename");
  ASSERT_TRUE(Click(PlayButton(main)));
  box = NextMessageBox(app.Pid());
  ASSERT_TRUE(box) << "no message for a missing demo";
  EXPECT_EQ(box->text, "The specified demo file does not exist. Please select a valid file and try again.");
  EXPECT_FALSE(IsShown(main)) << "the main window stays hidden while the message is up";
  ASSERT_TRUE(PressButton(box->window, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return IsShown(main); })) << "the main window did not come back";
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(ReadGameStarts(game).empty()) << "a game was started for a missing demo";

  ASSERT_TRUE(Click(CancelButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Cancel did not end the program";
}

}  // namespace
}  // namespace e2e
