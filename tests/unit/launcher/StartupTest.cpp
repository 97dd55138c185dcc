#include "config/ConfigWindow.h"
#include "launcher/Startup.h"
#include "tests/fakes/FakeViews.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd::launcher_tests {
namespace {

class Startup : public ::testing::Test {
 protected:
  // The file-type registration points the shell at the program itself.
  Startup() { fp.files.AddFile(fp.process.exeFolder + "\\Replaydock.exe"); }
  fakes::FakePlatform fp;
  fakes::FakeViewFactory views{fp.log};
  Application app{fp.ports, views};
  const std::string ran = "reg set HKCU\\" + std::string(catalogue::SettingsKey) + "\\AlreadyRun";
};

struct AlreadyRun {
  const char* name;
  std::optional<std::string> stored;  // nothing: the value is absent
  bool readFails, firstRun;
  int reply;  // to the first-run question
};
class AlreadyRunValues : public Startup, public ::testing::WithParamInterface<AlreadyRun> {};

// The first run is the last step of the main window's load, nested in the splash window's
// hand-over: the window is filled from the command line before it asks, only a Yes
// registers (the shell is told; the types written are FileTypesTest's), and the run is
// recorded after all the configuration window read and wrote.
TEST_P(AlreadyRunValues, OnlyTheExactTextNoOrNothingReadableMeansAFirstRun) {
  const AlreadyRun& c = GetParam();
  if (c.stored) Store(fp, catalogue::AlreadyRunValue, *c.stored);
  if (c.readFails) fp.registry.FailUnder(fakes::FakeRegistry::Op::Query, "HKCU\\Software", 5);
  fp.process.commandLine = "C:\\Demos\\Final Match.dm_66";
  fp.dialogs.answers = {c.reply};
  Texts asked;
  fp.dialogs.whileShown = [&](const auto&) {
    asked.push_back(app.MainForm().txtFilename.Text() + "|" + app.MainForm().cboGame.Text());
  };
  app.Main();
  EXPECT_EQ(fp.log, (Texts{"create splash", "show splash"}));
  fp.timer.TickAll();
  Texts expected{"create splash", "show splash", "create main"};
  if (c.firstRun) {
    expected.push_back("message " + std::string(kFirstRunQuestion));
    if (c.reply == answer::Yes) expected.push_back("shell associations changed");
    expected.insert(expected.end(), {"message " + std::string(kFirstRunNote), "create config",
                                     "modal config", "close config", ran});
  }
  expected.insert(expected.end(), {"show main", "close splash"});
  Texts events;  // without the registry's other writes
  std::copy_if(fp.log.begin(), fp.log.end(), std::back_inserter(events),
               [&](const auto& l) { return l.rfind("reg ", 0) != 0 || l == ran; });
  EXPECT_EQ(events, expected);
  EXPECT_EQ(asked, Texts(c.firstRun ? 2 : 0, "C:\\Demos\\Final Match.dm_66|" + std::string(kQ3)));
  EXPECT_EQ(Stored(fp, catalogue::AlreadyRunValue), c.firstRun ? "Yes" : c.stored);
  EXPECT_TRUE(!app.SplashIfLoaded() && fp.timer.Running() == 0 && fp.process.exitCount == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Startup, AlreadyRunValues,
    ::testing::Values(AlreadyRun{"No", "No", false, true, answer::Yes},
                      AlreadyRun{"LowerNo", "no", false, false, answer::Yes},
                      AlreadyRun{"AbsentAnsweredNo", std::nullopt, false, true, answer::No},
                      AlreadyRun{"Cancelled", "No", false, true, answer::Cancel},
                      AlreadyRun{"Unreadable", "Yes", true, true, answer::Yes}),
    [](const auto& info) { return std::string(info.param.name); });

// Wherever the user may act during the first run, the splash is up with its timer running
// and nothing is recorded yet (a process ending there leaves AlreadyRun absent); the mail
// link uses the window being loaded.
TEST_F(Startup, TicksAndTheMailLinkDuringTheFirstRunNeitherRepeatNorEndTheHandOverEarly) {
  int looks = 0;
  const auto tickAndLook = [&] {
    fp.timer.TickAll();
    ++looks;
    EXPECT_TRUE(std::count(fp.log.begin(), fp.log.end(), "show main") == 0 && app.SplashIfLoaded() && fp.timer.Running() == 1);
    EXPECT_EQ(Stored(fp, catalogue::AlreadyRunValue), std::nullopt);
  };
  fp.dialogs.whileShown = [&](const auto&) { tickAndLook(); };
  views.whileConfigOpen = [&](ConfigWindow& config) {
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

}  // namespace
}  // namespace rd::launcher_tests
