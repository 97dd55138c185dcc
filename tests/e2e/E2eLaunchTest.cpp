// Launches as the engines need them, through the real program: the play verb Explorer shows,
// a question before the game, and a real Quake 3 engine playing the demo Replaydock staged.
// Where each engine's demo goes and how Steam's Half-Life starts are EngineLaunchTest's.
#include "tests/e2e/E2eSupport.h"

#include <cstdlib>

namespace e2e {
namespace {

using namespace rd::ids;

const std::string kRoot = "C:\\e2e\\launch";

// Starts "<exe> -play <demo>" as the verb's registered command does.
bool StartPlay(Process& app, const std::string& demo) {
  return app.Start(ReplaydockExe(), Quoted(ReplaydockExe()) + " -play " + Quoted(demo));
}

// Explorer's play verb (its registration is the first run's, E2eTest) starts the game with
// no window of Replaydock's ever shown.
TEST(LaunchE2e, ThePlayVerbPlaysWithoutAWindow) {
  ASSERT_TRUE(FreshSettings(true));
  const std::string game = kRoot + "\\Verb\\Quake III Arena\\quake3.exe", demo = kRoot + "\\Verb\\duel one.dm_68";
  DeleteTree(kRoot + "\\Verb");
  ASSERT_TRUE(InstallGame(game, "baseq3", "Q3APath") && CopyTo(RD_CORPUS "real-04.dm_68", demo));
  Process app;
  ASSERT_TRUE(StartPlay(app, demo));
  bool shown = false;  // any window of the process on screen until it ended
  WaitUntil([&] {
    for (HWND w : TopWindows(app.Pid())) shown = shown || IsShown(w);
    return shown || app.WaitExit(0);
  });
  EXPECT_FALSE(shown) << "a window was shown";
  EXPECT_TRUE(app.WaitExit(kWaitMs));
  const auto starts = WaitForGameStarts(game);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_TRUE(starts[0].commandLine.ends_with(" +demo replaydock.dm_68")) << starts[0].commandLine;
  EXPECT_EQ(ReadBytes(ParentFolder(game) + "\\baseq3\\Demos\\replaydock.dm_68"), ReadBytes(demo));
}

// The demo's mod is not installed: No opens the main window on the demo, with nothing staged
// or started; Yes plays.
TEST(LaunchE2e, AMissingModAsksFirstAndNoOpensTheWindowOnTheDemo) {
  ASSERT_TRUE(FreshSettings(true));
  const std::string game = kRoot + "\\Mod\\Quake III Arena\\quake3.exe", demo = kRoot + "\\Mod\\Cpma.dm_68";
  const std::string staged = ParentFolder(game) + "\\baseq3\\Demos\\replaydock.dm_68";
  DeleteTree(kRoot + "\\Mod");
  ASSERT_TRUE(InstallGame(game, "baseq3", "Q3APath") && CopyTo(RD_CORPUS "real-07.dm_68", demo));
  const std::string question = "The mod \"cpma\" is not installed in " + ParentFolder(game) +
                               ". The game will play the demo without it, and it may fail. Play anyway?";
  for (const int reply : {IDNO, IDYES}) {
    Process app;
    ASSERT_TRUE(StartPlay(app, demo));
    auto box = NextMessageBox(app.Pid());
    ASSERT_TRUE(box) << "no question";
    EXPECT_EQ(box->text, question);
    ASSERT_TRUE(PressButton(box->window, reply));
    if (reply == IDNO) {
      HWND main = WaitForWindow(app.Pid(), MainClass);
      ASSERT_TRUE(main && WaitUntil([&] { return IsShown(main); })) << "no main window after No";
      EXPECT_EQ(GetText(Control(main, MainTxtFilename)), "C:\\E2e\\Launch\\Mod\\Cpma.dm_68");
      EXPECT_FALSE(FileExists(staged) || FileExists(ParentFolder(game) + "\\standin-record.txt"));
      ASSERT_TRUE(Click(CancelButton(main)) && app.WaitExit(kWaitMs));
    } else {
      EXPECT_TRUE(app.WaitExit(kWaitMs));
      const auto starts = WaitForGameStarts(game);
      ASSERT_EQ(starts.size(), 1u);
      EXPECT_TRUE(starts[0].commandLine.ends_with(" +set fs_game cpma +demo replaydock.dm_68"));
      EXPECT_EQ(ReadBytes(staged), ReadBytes(demo));
    }
  }
}

// A real Quake 3 engine plays the demo Replaydock staged, started with Replaydock's command
// line and working folder: a Linux program in quake3.exe's place runs the engine there. The
// engine prints its timedemo summary only once the whole demo has played.
TEST(LaunchE2e, ARealEnginePlaysTheStagedDemoToItsEnd) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) GTEST_SKIP() << "needs Wine and Linux";
  ASSERT_TRUE(FileExists("Z:\\usr\\lib\\ioquake3\\ioquake3")) << "tools/setup.sh installs ioquake3";
  ASSERT_TRUE(FreshSettings(true));
  // Built beside the tree's bin folder: a copy made through Wine would lose its execute bit.
  const std::string folder = ParentFolder(ExeFolder()) + "\\engine-game", game = folder + "\\quake3.exe";
  const std::string demo = kRoot + "\\Engine\\ioq3-01.dm_68";
  ASSERT_TRUE(FileExists(game) && CopyTo(RD_CORPUS "ioq3-01.dm_68", demo));
  // Wine hands out no handle of a Linux process to wait on: its work shows when done.
  RunTool(Quoted(game) + " --prepare");
  ASSERT_TRUE(WaitUntil([&] { return FileExists(folder + "\\baseq3\\demos"); }))
      << "the game's folder was not laid out";
  ASSERT_TRUE(FileExists(folder + "\\baseq3\\pak0.pk3"));
  ASSERT_TRUE(RegAddString(kSettingsKey, "Q3APath", game));
  Process app;
  ASSERT_TRUE(StartPlay(app, demo) && app.WaitExit(kWaitMs));
  std::string record;
  WaitUntil([&] {
    record = ReadBytes(folder + "\\engine-record.txt").value_or("");
    return record.find("EXIT:") != std::string::npos;
  }, 60000);
  const std::string output = ReadBytes(folder + "\\engine-output.txt").value_or("");
  EXPECT_NE(record.find("ARGS:+demo replaydock.dm_68\n"), std::string::npos) << record;
  EXPECT_NE(record.find("CWD:its own folder\n"), std::string::npos) << record;
  EXPECT_NE(record.find("EXIT:0"), std::string::npos) << record;
  // "<frames> frames <seconds> seconds <fps> fps ..."
  const auto frames = output.find(" frames ");
  EXPECT_TRUE(frames != std::string::npos && frames > 0 && isdigit(output[frames - 1]) &&
              output.find(" seconds ", frames) != std::string::npos)
      << output.substr(output.size() > 3000 ? output.size() - 3000 : 0);
  RunTool(Quoted(game) + " --clean");
}

// Program Files refusing Replaydock's writes, as for a standard user: a game Windows
// virtualizes (32-bit, no manifest) reads the user's VirtualStore first, so the demo goes
// there; a 64-bit game never would, so the user is told why nothing can be played. Run by
// virtualstore-as-user.sh as a user who may not write into the folder.
TEST(VirtualStoreE2e, AFolderThatRefusesWritesGetsTheVirtualStoreOrAClearError) {
  const char* refusing = std::getenv("RD_E2E_REFUSING_GAME_FOLDER");
  if (!refusing) GTEST_SKIP() << "run by virtualstore-as-user.sh as a user who may not write there";
  const std::string folder = refusing;
  ASSERT_FALSE(WriteBytes(folder + "\\probe.txt", "x")) << "this user may write into " << folder;
  char local[MAX_PATH] = {}, temp[MAX_PATH] = {};
  ASSERT_TRUE(GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH) && GetTempPathA(MAX_PATH, temp));
  const std::string store = std::string(local) + "\\VirtualStore";
  const std::string mirror = store + folder.substr(2) + "\\baseq3\\Demos", demo = std::string(temp) + "duel.dm_68";
  DeleteTree(store);
  ASSERT_TRUE(FreshSettings(true) && CopyTo(RD_CORPUS "real-04.dm_68", demo));

  ASSERT_TRUE(RegAddString(kSettingsKey, "Q3APath", folder + "\\quake3.exe"));
  Process app;
  ASSERT_TRUE(StartPlay(app, demo));
  EXPECT_TRUE(WaitUntil([&] { return FileExists(mirror + "\\replaydock.dm_68"); })) << "not in " << mirror;
  EXPECT_EQ(ReadBytes(mirror + "\\replaydock.dm_68"), ReadBytes(demo));
  EXPECT_FALSE(FileExists(folder + "\\baseq3\\Demos"));
  // This Wine runs no 32-bit program, so the start itself may fail and say so.
  WaitUntil([&] { return app.WaitExit(0) || !TopWindows(app.Pid(), "#32770").empty(); });
  if (!app.WaitExit(0)) {
    auto box = NextMessageBox(app.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text.rfind("The game could not be started", 0), 0u) << box->text;
    ASSERT_TRUE(PressButton(box->window, IDOK));
    HWND main = WaitForWindow(app.Pid(), MainClass);
    ASSERT_TRUE(main && Click(CancelButton(main)) && app.WaitExit(kWaitMs));
  }

  DeleteTree(store);
  ASSERT_TRUE(RegAddString(kSettingsKey, "Q3APath", folder + "\\quake3e.x64.exe"));
  Process again;
  ASSERT_TRUE(StartPlay(again, demo));
  auto box = NextMessageBox(again.Pid());
  ASSERT_TRUE(box) << "no error";
  EXPECT_EQ(box->text, "Windows does not allow Replaydock to write into " + folder +
                           "\\baseq3\\Demos. Move the game out of Program Files, or give your "
                           "account write access to that folder.");
  ASSERT_TRUE(PressButton(box->window, IDOK));
  HWND main = WaitForWindow(again.Pid(), MainClass);
  ASSERT_TRUE(main && Click(CancelButton(main)) && again.WaitExit(kWaitMs));
  EXPECT_FALSE(FileExists(mirror) || FileExists(folder + "\\baseq3\\Demos"));
}

}  // namespace
}  // namespace e2e
