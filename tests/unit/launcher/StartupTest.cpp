#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "config/ConfigWindow.h"
#include "launcher/Startup.h"
#include "tests/fakes/FakeViews.h"
#include "tests/unit/launcher/LauncherTesting.h"
#include "util/PathHelpers.h"

namespace rd {
namespace {

using namespace launcher_tests;
using ::testing::ElementsAre;

constexpr const char* kMailLink = "mailto:replaydock@tessaway.example";

class Startup : public ::testing::Test {
 protected:
  // The file-type registration points the shell at the program itself.
  Startup() { fp.files.AddFile(fp.process.exeFolder + "\\" + fp.process.exeBaseName + ".exe"); }

  std::optional<std::string> AlreadyRun() const { return Stored(fp, catalogue::AlreadyRunValue); }
  // The shared log without the file-type registration's registry traffic.
  std::vector<std::string> Events() const {
    std::vector<std::string> out;
    std::copy_if(fp.log.begin(), fp.log.end(), std::back_inserter(out), [](const std::string& l) {
      return l.rfind("reg ", 0) != 0 || l.find("\\AlreadyRun") != std::string::npos;
    });
    return out;
  }
  int Count(const std::string& line) const {
    return static_cast<int>(std::count(fp.log.begin(), fp.log.end(), line));
  }
  std::ptrdiff_t Position(const std::string& line) const {
    return std::find(fp.log.begin(), fp.log.end(), line) - fp.log.begin();
  }
  void StartAndTick() {
    app.Main();
    fp.timer.TickAll();
  }

  fakes::FakePlatform fp;
  fakes::FakeViewFactory views{fp.log};
  Application app{fp.ports, views};
  const std::string alreadyRunWrite =
      "reg set HKCU\\" + std::string(catalogue::SettingsKey) + "\\AlreadyRun";
  const std::string mailShell = std::string("shell ") + kMailLink + " || in ";
};

struct AlreadyRunCase {
  const char* name;
  std::optional<std::string> stored;  // nothing: the value is absent
  bool readFails;
  bool firstRun;
  int reply = answer::Yes;  // to the first-run question
};

class AlreadyRunValues : public Startup, public ::testing::WithParamInterface<AlreadyRunCase> {};

TEST_P(AlreadyRunValues, OnlyTheExactTextNoOrNothingReadableMeansAFirstRun) {
  const AlreadyRunCase& c = GetParam();
  if (c.stored) Store(fp, catalogue::AlreadyRunValue, *c.stored);
  if (c.readFails) {
    fp.registry.FailUnder(fakes::FakeRegistry::Op::Query, "HKCU\\Software\\Tessaway", 5);
  }
  fp.dialogs.answers = {c.reply};
  app.Main();
  EXPECT_THAT(fp.log, ElementsAre("create splash", "show splash"));
  EXPECT_EQ(app.MainFormIfLoaded(), nullptr);
  fp.timer.TickAll();

  // Only a Yes registers; the configuration window and the record of the run come anyway,
  // the record after all the configuration window read and wrote.
  std::vector<std::string> expected{"create splash", "show splash", "create main"};
  if (c.firstRun) {
    expected.push_back("message " + std::string(kFirstRunQuestion));
    if (c.reply == answer::Yes) expected.push_back("shell associations changed");
    expected.insert(expected.end(), {"message " + std::string(kFirstRunNote), "create config",
                                     "modal config", "close config", alreadyRunWrite});
  }
  expected.insert(expected.end(), {"show main", "close splash"});
  EXPECT_EQ(Events(), expected);
  EXPECT_EQ(fp.registry.Keys(regroot::ClassesRoot).empty(), !c.firstRun || c.reply != answer::Yes);
  EXPECT_EQ(AlreadyRun(), c.firstRun ? std::optional<std::string>("Yes") : c.stored);
  EXPECT_EQ(app.SplashIfLoaded(), nullptr);
  EXPECT_EQ(fp.timer.Running(), 0);
  EXPECT_EQ(app.ConfigIfOpen(), nullptr);
  EXPECT_EQ(fp.process.exitCount, 0);
  if (c.firstRun) {
    ASSERT_EQ(fp.dialogs.messages.size(), 2u);
    EXPECT_EQ(fp.dialogs.messages[0].style, mb::YesNo | mb::IconQuestion | mb::DefButton1);
    EXPECT_EQ(fp.dialogs.messages[1].style, mb::OK | mb::IconInformation);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Startup, AlreadyRunValues,
    ::testing::Values(AlreadyRunCase{"No", "No", false, true},
                      AlreadyRunCase{"LowerCaseNo", "no", false, false},
                      AlreadyRunCase{"NoWithBlank", "No ", false, false},
                      AlreadyRunCase{"Empty", "", false, false},
                      AlreadyRunCase{"Yes", "Yes", false, false},
                      AlreadyRunCase{"AbsentAnsweredNo", std::nullopt, false, true, answer::No},
                      AlreadyRunCase{"NoAnsweredCancel", "No", false, true, answer::Cancel},
                      AlreadyRunCase{"NoQuestionShown", "No", false, true, answer::None},
                      AlreadyRunCase{"YesButUnreadable", "Yes", true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Startup, TicksAndTheMailLinkDuringTheFirstRunNeitherRepeatNorEndTheHandOverEarly) {
  // Wherever the user may act, the splash is up with its timer running and nothing is
  // recorded yet: a process ending there leaves AlreadyRun absent.
  int looks = 0;
  const auto tickAndLook = [&] {
    fp.timer.TickAll();
    ++looks;
    EXPECT_EQ(Count("show main"), 0);
    EXPECT_NE(app.SplashIfLoaded(), nullptr);
    EXPECT_EQ(fp.timer.Running(), 1);
    EXPECT_EQ(AlreadyRun(), std::nullopt);
  };
  fp.dialogs.whileShown = [&](const fakes::FakeDialogs::Message&) {
    fp.timer.TickAll();
    tickAndLook();
  };
  views.whileConfigOpen = [&](ConfigWindow& config) {
    tickAndLook();
    app.SplashIfLoaded()->lblEMailAddress_Click();  // uses the window being loaded
    config.cmdBottom.UserClicked();
    tickAndLook();  // after "&Done", before the hand-over goes on
  };
  StartAndTick();

  EXPECT_EQ(looks, 4);
  EXPECT_EQ(views.mainViewsCreated, 1);
  EXPECT_EQ(views.configViewsCreated, 1);
  EXPECT_EQ(fp.dialogs.messages.size(), 2u);
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_EQ(fp.shell.calls[0].owner, fakes::FakeViewFactory::MainHandle);
  EXPECT_EQ(Count("show main"), 1);
  EXPECT_EQ(Count("close splash"), 1);
  EXPECT_LT(Position(alreadyRunWrite), Position("show main"));
  EXPECT_LT(Position("show main"), Position("close splash"));
  const auto before = fp.log.size();
  fp.timer.TickAll();
  app.HandOver();
  EXPECT_EQ(fp.log.size(), before);
}

class MailLinkBeforeTheHandOver : public Startup, public ::testing::WithParamInterface<bool> {};

TEST_P(MailLinkBeforeTheHandOver, LoadsTheMainWindowWhichTheFirstTickAfterTheLoadOnlyShows) {
  const bool firstRun = GetParam();
  if (!firstRun) Store(fp, catalogue::AlreadyRunValue, "Yes");
  fp.dialogs.whileShown = [&](const fakes::FakeDialogs::Message&) {
    fp.timer.TickAll();  // the hand-over's tick arrives while the link's load is still open
    EXPECT_EQ(Count("show main"), 0);
    EXPECT_NE(app.SplashIfLoaded(), nullptr);
  };
  app.Main();
  app.SplashIfLoaded()->lblEMailAddress_Click();
  app.SplashIfLoaded()->lblEMailAddress_Click();  // a second click reuses the window
  EXPECT_EQ(Count("show main"), 0);
  // The load, with its first run, is over before the shell is called.
  EXPECT_LT(Position(firstRun ? alreadyRunWrite : "create main"), Position(mailShell));
  fp.timer.TickAll();
  PathHelpers::RunProgram(fp.ports, kMailLink, "");  // owned by the main window too

  ASSERT_EQ(fp.shell.calls.size(), 3u);
  for (const auto& call : fp.shell.calls) {
    EXPECT_EQ(call.owner, fakes::FakeViewFactory::MainHandle);
  }
  EXPECT_EQ(views.mainViewsCreated, 1);
  EXPECT_EQ(fp.dialogs.messages.size(), firstRun ? 2u : 0u);
  EXPECT_EQ(Count("show main"), 1);
  EXPECT_EQ(app.SplashIfLoaded(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Startup, MailLinkBeforeTheHandOver, ::testing::Bool());

TEST_F(Startup, ACommandLineStartFillsTheMainWindowBeforeTheFirstRunAsks) {
  const std::string demo = "C:\\Demos\\Final Match.dm_66";
  fp.process.commandLine = demo;
  Store(fp, catalogue::AlreadyRunValue, "No");
  Store(fp, catalogue::DefaultGameValue, kRTCW);
  std::vector<std::pair<std::string, std::string>> asked;
  fp.dialogs.whileShown = [&](const fakes::FakeDialogs::Message&) {
    asked.emplace_back(app.MainForm().txtFilename.Text(), app.MainForm().cboGame.Text());
  };
  StartAndTick();
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked[0], std::pair(demo, std::string(kQ3)));
  EXPECT_EQ(views.configViewsCreated, 1);
}

TEST_F(Startup, ConfigurationOpensLoadedAfreshEachTimeAndIsDroppedWhenClosed) {
  Store(fp, catalogue::AlreadyRunValue, "Yes");
  StartAndTick();
  views.whileConfigOpen = [&](ConfigWindow& config) {
    EXPECT_EQ(&config, app.ConfigIfOpen());
    EXPECT_EQ(config.txtLocation.Text(), "C:\\Sierra\\Half-Life\\hl.exe");
    config.cmdBottom.UserClicked();
  };
  for (int i = 0; i < 2; ++i) {
    app.MainFormIfLoaded()->cmdBottom[1].UserClicked();
    EXPECT_EQ(app.ConfigIfOpen(), nullptr);
  }
  EXPECT_EQ(views.configViewsCreated, 2);
  EXPECT_EQ(Count("close config"), 2);
}

TEST_F(Startup, CancelClosesTheMainWindowThenEndsOnceAndLaterTicksDoNothing) {
  Store(fp, catalogue::AlreadyRunValue, "Yes");
  StartAndTick();
  app.MainFormIfLoaded()->cmdBottom[0].UserClicked();
  EXPECT_THAT(std::vector<std::string>(fp.log.end() - 2, fp.log.end()),
              ElementsAre("close main", "exit"));
  EXPECT_EQ(fp.process.exitCode, 0);
  app.EndProgram();
  fp.timer.TickAll();
  EXPECT_EQ(fp.process.exitCount, 1);
}

TEST(StartupLifetime, EndingBeforeTheHandOverShowsNoMainWindowAndTheHooksDieWithTheProgram) {
  fakes::FakePlatform fp;
  fakes::FakeViewFactory views(fp.log);
  Store(fp, catalogue::AlreadyRunValue, "Yes");
  {
    Application app(fp.ports, views);
    app.Main();
    ASSERT_TRUE(fp.ports.mainWindowOwner);
    ASSERT_EQ(fp.timer.Running(), 1);
    app.EndProgram();
    fp.timer.TickAll();
  }
  EXPECT_EQ(std::count(fp.log.begin(), fp.log.end(), "show main"), 0);
  EXPECT_EQ(fp.process.exitCount, 1);
  EXPECT_FALSE(fp.ports.mainWindowOwner);
  EXPECT_EQ(fp.timer.Running(), 0);
}

}  // namespace
}  // namespace rd
