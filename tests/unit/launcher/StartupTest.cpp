#include <fstream>
#include <iterator>
#include <tuple>

#include "config/ConfigWindow.h"
#include "launcher/Startup.h"
#include "tests/fakes/FakeViews.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd::launcher_tests {
namespace {

// One start of the program on the fakes.
struct Program {
  // The file-type registration points the shell at the program itself.
  Program() { fp.files.AddFile(fp.process.exeFolder + "\\Replaydock.exe"); }
  fakes::FakePlatform fp;
  fakes::FakeViewFactory views{fp.log};
  Application app{fp.ports, views};
};
const std::string kRan = "reg set HKCU\\" + std::string(catalogue::SettingsKey) + "\\AlreadyRun";

// The first run is the last step of the main window's load, nested in the splash window's
// hand-over: the window is filled from the command line before it asks, only a Yes
// registers (the shell is told; the types written are FileTypesTest's), and the run is
// recorded after all the configuration window read and wrote.
TEST(Startup, OnlyTheExactTextNoOrNothingReadableMeansAFirstRun) {
  // The value stored (nothing: absent), whether reading it fails, a first run, the reply.
  const std::tuple<std::optional<std::string>, bool, bool, int> cases[] = {
      {"No", false, true, answer::Yes}, {"no", false, false, answer::Yes},
      {std::nullopt, false, true, answer::No}, {"No", false, true, answer::Cancel},
      {"Yes", true, true, answer::Yes}};
  for (const auto& [stored, readFails, firstRun, reply] : cases) {
    SCOPED_TRACE(::testing::Message() << stored.value_or("absent") << readFails << reply);
    Program r;
    fakes::FakePlatform& fp = r.fp;
    Application& app = r.app;
    if (stored) Store(fp, catalogue::AlreadyRunValue, *stored);
    if (readFails) fp.registry.FailUnder(fakes::FakeRegistry::Op::Query, "HKCU\\Software", 5);
    fp.process.commandLine = "C:\\Demos\\Final Match.dm_66";
    fp.dialogs.answers = {reply};
    Texts asked;
    fp.dialogs.whileShown = [&](const auto&) {
      asked.push_back(app.MainForm().txtFilename.Text() + "|" + app.MainForm().cboGame.Text());
    };
    app.Main();
    EXPECT_EQ(fp.log, (Texts{"create splash", "show splash"}));
    fp.timer.TickAll();
    Texts expected{"create splash", "show splash", "create main"};
    if (firstRun) {
      expected.push_back("message " + std::string(kFirstRunQuestion));
      if (reply == answer::Yes) expected.push_back("shell associations changed");
      expected.insert(expected.end(), {"message " + std::string(kFirstRunNote), "create config",
                                       "modal config", "close config", kRan});
    }
    expected.insert(expected.end(), {"show main", "close splash"});
    Texts events;  // without the registry's other writes
    std::copy_if(fp.log.begin(), fp.log.end(), std::back_inserter(events),
                 [&](const auto& l) { return l.rfind("reg ", 0) != 0 || l == kRan; });
    EXPECT_EQ(events, expected);
    EXPECT_EQ(asked, Texts(firstRun ? 2 : 0, "C:\\Demos\\Final Match.dm_66|" + std::string(kQ3)));
    EXPECT_EQ(Stored(fp, catalogue::AlreadyRunValue), firstRun ? "Yes" : stored);
    EXPECT_TRUE(!app.SplashIfLoaded() && fp.timer.Running() == 0 && fp.process.exitCount == 0);
  }
}

// Wherever the user may act during the first run, the splash is up with its timer running
// and nothing is recorded yet (a process ending there leaves AlreadyRun absent); the mail
// link uses the window being loaded.
TEST(Startup, TicksAndTheMailLinkDuringTheFirstRunNeitherRepeatNorEndTheHandOverEarly) {
  Program r;
  fakes::FakePlatform& fp = r.fp;
  Application& app = r.app;
  int looks = 0;
  const auto tickAndLook = [&] {
    fp.timer.TickAll();
    ++looks;
    EXPECT_TRUE(std::count(fp.log.begin(), fp.log.end(), "show main") == 0 && app.SplashIfLoaded() && fp.timer.Running() == 1);
    EXPECT_EQ(Stored(fp, catalogue::AlreadyRunValue), std::nullopt);
  };
  fp.dialogs.whileShown = [&](const auto&) { tickAndLook(); };
  r.views.whileConfigOpen = [&](ConfigWindow& config) {
    tickAndLook();
    app.SplashIfLoaded()->lblEMailAddress_Click();
    config.cmdBottom.UserClicked();
    tickAndLook();  // after "&Done", before the hand-over goes on
  };
  app.Main();
  fp.timer.TickAll();
  EXPECT_TRUE(looks == 4 && std::count(fp.log.begin(), fp.log.end(), "create main") == 1);
  EXPECT_EQ(fp.shell.calls.at(0).owner, fakes::FakeViewFactory::MainHandle);
  EXPECT_EQ(Texts(fp.log.end() - 2, fp.log.end()), (Texts{"show main", "close splash"}));
}

std::string CorpusBytes(const char* name) {
  std::ifstream in(std::string(RD_CORPUS) + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The library opens modally over the main window from its button and finds the demos of the
// file box's folder. Enter takes a demo as the open dialog would (long form, game, mod, line)
// and closes the library; Ctrl+Enter plays one at once, as Play does.
TEST(Startup, TheLibraryHandsItsDemoToTheMainWindowOrPlaysIt) {
  for (const bool play : {false, true}) {
    SCOPED_TRACE(play);
    Program r;
    fakes::FakePlatform& fp = r.fp;
    Application& app = r.app;
    Store(fp, catalogue::AlreadyRunValue, "Yes");
    Store(fp, "Q3APath", "C:\\Q3\\quake3.exe");
    fp.files.AddFile("C:\\Q3\\quake3.exe");
    fp.files.AddFolder("C:\\Q3\\baseq3\\Demos");
    fp.files.AddFile("C:\\Demos\\Final Match.dm_68", "not a demo");
    fp.files.AddFile("C:\\Demos\\WCG Final\\Duel 3.dm_66", CorpusBytes("real-02.dm_66"));
    fp.process.commandLine = "C:\\Demos\\Final Match.dm_68";
    r.views.whileLibraryOpen = [&](library::LibraryWindow& library) {
      fp.background.Finish();
      ASSERT_EQ(library.RowCount(), 2);
      const int duel = library.CellText(0, 0) == "Duel 3.dm_66" ? 0 : 1;
      play ? library.PlayRow(duel) : library.Activate(duel);
    };
    app.Main();
    fp.timer.TickAll();
    MainWindow& main = app.MainForm();
    main.cmdLibrary.UserClicked();
    EXPECT_NE(std::find(fp.log.begin(), fp.log.end(), "modal library"), fp.log.end());
    // The long form as the open dialog's choice gets it: each name as GetLongPath gives it.
    EXPECT_EQ(main.txtFilename.Text(), "C:\\Demos\\Wcg Final\\Duel 3.dm_66");
    EXPECT_EQ(main.cboGame.Text() + "|" + main.cboMod.Text(), std::string(kQ3) + "|osp");
    EXPECT_EQ(main.lblDemo.Caption().rfind("Map: pro-q3tourney4", 0), 0u) << main.lblDemo.Caption();
    EXPECT_FALSE(app.LibraryIfOpen()) << "gone once its window closed";
    if (play) {
      ASSERT_EQ(fp.shell.calls.size(), 1u);
      EXPECT_EQ(fp.shell.calls[0].file, "C:\\Q3\\quake3.exe");
      EXPECT_EQ(fp.shell.calls[0].parameters, " +set fs_game osp +demo replaydock");
      EXPECT_EQ(fp.process.exitCount, 1);
    } else {
      EXPECT_EQ(std::count(fp.log.begin(), fp.log.end(), "close library"), 1);
      EXPECT_TRUE(fp.shell.calls.empty() && fp.process.exitCount == 0);
    }
  }
}

}  // namespace
}  // namespace rd::launcher_tests
