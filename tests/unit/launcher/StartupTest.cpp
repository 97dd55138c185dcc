#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "config/frmConfig.h"
#include "launcher/GameCatalogue.h"
#include "launcher/Startup.h"
#include "tests/fakes/FakePorts.h"
#include "tests/fakes/FakeViews.h"
#include "util/Text.h"
#include "util/modFunctions.h"

namespace rd {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kQuestion =
    "Since this is the first time Replaydock has been run, you must configure the program. "
    "Do you wish to associate Replaydock with all supported demo files?";
constexpr const char* kNote =
    "Replaydock will now open up the configuration window to allow you to configure program "
    "locations";
constexpr const char* kMailLink = "mailto:replaydock@tessaway.example";

class Startup : public ::testing::Test {
 protected:
  // The file-type registration points the shell at the program itself.
  Startup() { fp.files.AddFile(fp.process.exeFolder + "\\" + fp.process.exeBaseName + ".exe"); }

  void Store(std::string_view name, const std::string& text) {
    fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                        std::string(name), text);
  }
  std::optional<std::string> Stored(std::string_view name) const {
    return fp.registry.GetText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                               std::string(name));
  }
  std::optional<std::string> AlreadyRun() const { return Stored(catalogue::AlreadyRunValue); }

  // Reads and writes of our own settings, in order: "read DefaultGame", "write LastFilename".
  std::vector<std::string> SettingsTraffic() const {
    const std::string key = util::ToLower("HKCU\\" + std::string(catalogue::SettingsKey) + "\\");
    std::vector<std::string> out;
    for (const std::string& call : fp.registry.Calls()) {
      for (const auto& [verb, word] : {std::pair{"query ", "read "}, std::pair{"set ", "write "}}) {
        const std::string prefix = verb + key;
        if (util::ToLower(call).rfind(prefix, 0) == 0) {
          out.push_back(word + call.substr(prefix.size()));
        }
      }
    }
    return out;
  }

  // The shared log without the file-type registration's registry traffic.
  std::vector<std::string> Events() const {
    std::vector<std::string> out;
    for (const std::string& line : fp.log) {
      if (line.rfind("reg ", 0) == 0 && line.find("\\AlreadyRun") == std::string::npos) continue;
      out.push_back(line);
    }
    return out;
  }

  int Count(const std::string& line) const {
    return static_cast<int>(std::count(fp.log.begin(), fp.log.end(), line));
  }
  std::ptrdiff_t Position(const std::string& line) const {
    return std::find(fp.log.begin(), fp.log.end(), line) - fp.log.begin();
  }
  bool Logged(const std::string& line) const { return Count(line) > 0; }
  bool Associated() const { return fp.registry.KeyExists(regroot::ClassesRoot, ".dm_66"); }

  // Main, then the first tick of the splash timer.
  void StartAndTick() {
    app.Main();
    fp.timer.TickAll();
  }

  fakes::FakePlatform fp;
  fakes::FakeViewFactory views{fp.log};
  Application app{fp.ports, views};
  const std::string alreadyRunWrite =
      "reg set HKCU\\" + std::string(catalogue::SettingsKey) + "\\AlreadyRun";
};

TEST_F(Startup, FirstStartShowsSplashThenFirstRunThenMainInThisOrder) {
  // An empty Settings key, so that every read reaches its value and shows in the traffic.
  RegKey key = 0;
  ASSERT_EQ(fp.registry.CreateKey(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                                  regaccess::AllSpecific, key),
            0);
  fp.registry.CloseKey(key);
  fp.registry.ClearCalls();
  fp.log.clear();

  app.Main();
  EXPECT_THAT(fp.log, ElementsAre("create splash", "show splash"));
  EXPECT_EQ(fp.timer.Running(), 1);
  EXPECT_EQ(fp.timer.LastInterval(), 2000u);
  EXPECT_EQ(app.MainFormIfLoaded(), nullptr);
  EXPECT_THAT(SettingsTraffic(), IsEmpty());

  fp.timer.TickAll();

  EXPECT_THAT(Events(),
              ElementsAre("create splash", "show splash", "create main", "message " +
                          std::string(kQuestion), "shell associations changed",
                          "message " + std::string(kNote), "create config", "modal config",
                          "close config", alreadyRunWrite, "show main", "close splash"));
  ASSERT_EQ(fp.dialogs.messages.size(), 2u);
  EXPECT_EQ(fp.dialogs.messages[0].title, "Replaydock");
  EXPECT_EQ(fp.dialogs.messages[0].style, mb::YesNo | mb::IconQuestion | mb::DefButton1);
  EXPECT_EQ(fp.dialogs.messages[1].title, "Replaydock");
  EXPECT_EQ(fp.dialogs.messages[1].style, mb::OK | mb::IconInformation);

  // The main window's load, then the first-run check, whose "Yes" comes after everything
  // the configuration window read and wrote.
  const auto traffic = SettingsTraffic();
  ASSERT_GE(traffic.size(), 7u);
  EXPECT_THAT(std::vector<std::string>(traffic.begin(), traffic.begin() + 6),
              ElementsAre("read DefaultGame", "write DefaultGame", "read DefaultHLMod",
                          "write DefaultHLMod", "read LastFilename", "read AlreadyRun"));
  EXPECT_EQ(traffic.back(), "write AlreadyRun");
  for (auto it = traffic.begin() + 6; it != traffic.end() - 1; ++it) {
    EXPECT_TRUE(it->find("Path") != std::string::npos) << *it;  // the game locations
  }

  EXPECT_EQ(AlreadyRun(), "Yes");
  EXPECT_TRUE(Associated());
  EXPECT_EQ(app.SplashIfLoaded(), nullptr);
  EXPECT_EQ(fp.timer.Running(), 0);
  ASSERT_NE(app.MainFormIfLoaded(), nullptr);
  EXPECT_EQ(app.MainFormIfLoaded()->cboGame.Text(), "Half-Life");
  EXPECT_EQ(app.ConfigIfOpen(), nullptr);
  EXPECT_EQ(fp.process.exitCount, 0);
}

TEST_F(Startup, AnsweringNoRegistersNothingButStillConfiguresAndRecordsTheFirstRun) {
  fp.dialogs.answers = {answer::No};
  StartAndTick();

  EXPECT_FALSE(Associated());
  EXPECT_FALSE(Logged("shell associations changed"));
  EXPECT_TRUE(Logged("message " + std::string(kNote)));
  EXPECT_EQ(views.configViewsCreated, 1);
  EXPECT_EQ(AlreadyRun(), "Yes");
  EXPECT_LT(Position("close config"), Position(alreadyRunWrite));
  EXPECT_LT(Position(alreadyRunWrite), Position("show main"));
}

TEST_F(Startup, SecondStartRunsNoFirstRunCheckAndWritesNothingOfIt) {
  Store(catalogue::AlreadyRunValue, "Yes");
  StartAndTick();
  EXPECT_THAT(Events(), ElementsAre("create splash", "show splash", "create main", "show main",
                                    "close splash"));
  EXPECT_THAT(SettingsTraffic(), ::testing::Contains("read AlreadyRun"));
  EXPECT_THAT(SettingsTraffic(), ::testing::Not(::testing::Contains("write AlreadyRun")));
}

struct AlreadyRunCase {
  const char* name;
  std::optional<std::string> stored;  // nothing: the value is absent
  bool readFails;
  bool firstRun;
};

class AlreadyRunValues : public Startup, public ::testing::WithParamInterface<AlreadyRunCase> {};

TEST_P(AlreadyRunValues, OnlyTheExactTextNoOrNothingReadableMeansAFirstRun) {
  const AlreadyRunCase& c = GetParam();
  if (c.stored) Store(catalogue::AlreadyRunValue, *c.stored);
  if (c.readFails) {
    fp.registry.FailUnder(fakes::FakeRegistry::Op::Query, "HKCU\\Software\\Tessaway", 5);
  }
  StartAndTick();

  EXPECT_EQ(views.configViewsCreated, c.firstRun ? 1 : 0);
  EXPECT_EQ(fp.dialogs.messages.size(), c.firstRun ? 2u : 0u);
  EXPECT_EQ(AlreadyRun(), c.firstRun ? std::optional<std::string>("Yes") : c.stored);
  EXPECT_TRUE(Logged("show main"));
  EXPECT_EQ(app.SplashIfLoaded(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Startup, AlreadyRunValues,
    ::testing::Values(AlreadyRunCase{"No", "No", false, true},
                      AlreadyRunCase{"LowerCaseNo", "no", false, false},
                      AlreadyRunCase{"NoWithBlank", "No ", false, false},
                      AlreadyRunCase{"Empty", "", false, false},
                      AlreadyRunCase{"Yes", "Yes", false, false},
                      AlreadyRunCase{"Absent", std::nullopt, false, true},
                      AlreadyRunCase{"YesButUnreadable", "Yes", true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Startup, TicksDuringTheFirstRunNeitherRepeatTheHandOverNorEndItEarly) {
  struct Seen {
    bool mainShown;
    bool splashLoaded;
    bool timerRunning;
    std::optional<std::string> alreadyRun;
  };
  std::vector<Seen> seen;
  const auto look = [&] {
    seen.push_back(Seen{Logged("show main"), app.SplashIfLoaded() != nullptr,
                        fp.timer.Running() == 1, AlreadyRun()});
  };
  fp.dialogs.whileShown = [&](const fakes::FakeDialogs::Message&) {
    fp.timer.TickAll();
    fp.timer.TickAll();
    look();
  };
  views.whileConfigOpen = [&](frmConfig& config) {
    fp.timer.TickAll();
    look();
    config.cmdBottom.UserClicked();
    fp.timer.TickAll();  // after "&Done", before the hand-over goes on
    look();
  };
  StartAndTick();

  ASSERT_EQ(seen.size(), 4u);
  for (const Seen& s : seen) {
    EXPECT_FALSE(s.mainShown);
    EXPECT_TRUE(s.splashLoaded);
    EXPECT_TRUE(s.timerRunning);
    EXPECT_EQ(s.alreadyRun, std::nullopt);  // a process ending here leaves it absent
  }
  EXPECT_EQ(views.mainViewsCreated, 1);
  EXPECT_EQ(views.configViewsCreated, 1);
  EXPECT_EQ(fp.dialogs.messages.size(), 2u);
  EXPECT_EQ(Count("show main"), 1);
  EXPECT_EQ(Count("close splash"), 1);
  EXPECT_LT(Position(alreadyRunWrite), Position("show main"));
  EXPECT_LT(Position("show main"), Position("close splash"));

  const auto before = fp.log.size();
  fp.timer.TickAll();
  app.HandOver();
  EXPECT_EQ(fp.log.size(), before);
}

TEST_F(Startup, MailLinkBeforeTheHandOverLoadsTheMainWindowWhichTheHandOverThenOnlyShows) {
  Store(catalogue::AlreadyRunValue, "Yes");
  app.Main();
  frmSplash* splash = app.SplashIfLoaded();
  ASSERT_NE(splash, nullptr);

  splash->lblEMailAddress_Click();

  EXPECT_THAT(Events(), ElementsAre("create splash", "show splash", "create main",
                                    std::string("shell ") + kMailLink + " || in "));
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_EQ(fp.shell.calls[0].owner, fakes::FakeViewFactory::MainHandle);
  EXPECT_EQ(fp.shell.calls[0].parameters, "");

  splash->lblEMailAddress_Click();  // a second click reuses the window
  fp.timer.TickAll();

  EXPECT_EQ(views.mainViewsCreated, 1);
  EXPECT_EQ(fp.shell.calls.size(), 2u);
  EXPECT_EQ(fp.shell.calls[1].owner, fakes::FakeViewFactory::MainHandle);
  EXPECT_EQ(Count("show main"), 1);
  EXPECT_EQ(Count("close splash"), 1);
  EXPECT_GT(Position("show main"), Position(std::string("shell ") + kMailLink + " || in "));
}

TEST_F(Startup, MailLinkOnAFirstStartRunsTheFirstRunBeforeTheShellCallAndTicksWaitForIt) {
  std::vector<bool> shownDuringFirstRun;
  fp.dialogs.whileShown = [&](const fakes::FakeDialogs::Message&) {
    fp.timer.TickAll();  // the hand-over's tick arrives while the link's load is still open
    shownDuringFirstRun.push_back(Logged("show main") || app.SplashIfLoaded() == nullptr);
  };
  app.Main();
  app.SplashIfLoaded()->lblEMailAddress_Click();

  EXPECT_THAT(shownDuringFirstRun, ElementsAre(false, false));
  EXPECT_EQ(AlreadyRun(), "Yes");
  EXPECT_LT(Position(alreadyRunWrite), Position(std::string("shell ") + kMailLink + " || in "));
  EXPECT_FALSE(Logged("show main"));
  ASSERT_NE(app.SplashIfLoaded(), nullptr);

  fp.timer.TickAll();  // the first tick after the load hands over

  EXPECT_EQ(views.mainViewsCreated, 1);
  EXPECT_EQ(views.configViewsCreated, 1);
  EXPECT_EQ(fp.dialogs.messages.size(), 2u);
  EXPECT_EQ(Count("show main"), 1);
  EXPECT_EQ(app.SplashIfLoaded(), nullptr);
}

TEST_F(Startup, MailLinkDuringTheHandOversFirstRunUsesTheWindowBeingLoaded) {
  views.whileConfigOpen = [&](frmConfig& config) {
    ASSERT_NE(app.SplashIfLoaded(), nullptr);
    app.SplashIfLoaded()->lblEMailAddress_Click();
    config.cmdBottom.UserClicked();
  };
  StartAndTick();

  EXPECT_EQ(views.mainViewsCreated, 1);
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_EQ(fp.shell.calls[0].owner, fakes::FakeViewFactory::MainHandle);
  EXPECT_EQ(fp.dialogs.messages.size(), 2u);
  EXPECT_EQ(Count("show main"), 1);
}

TEST_F(Startup, AfterTheHandOverShellCallsAreOwnedByTheMainWindowWithoutCreatingAnother) {
  Store(catalogue::AlreadyRunValue, "Yes");
  StartAndTick();
  modFunctions::RunProgram(fp.ports, kMailLink, "");
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_EQ(fp.shell.calls[0].owner, fakes::FakeViewFactory::MainHandle);
  EXPECT_EQ(views.mainViewsCreated, 1);
}

TEST_F(Startup, CommandLineStartWhileAlreadyRunIsNoFillsTheMainWindowBeforeTheFirstRun) {
  const std::string demo = "C:\\Demos\\Final Match.dm_66";
  fp.process.commandLine = demo;
  Store(catalogue::AlreadyRunValue, "No");
  Store(catalogue::DefaultGameValue, "Return To Castle Wolfenstein");
  Store(catalogue::LastFilenameValue, "C:\\old.dem");
  std::vector<std::pair<std::string, std::string>> atQuestion;
  fp.dialogs.whileShown = [&](const fakes::FakeDialogs::Message&) {
    ASSERT_NE(app.MainFormIfLoaded(), nullptr);
    atQuestion.emplace_back(app.MainFormIfLoaded()->txtFilename.Text(),
                            app.MainFormIfLoaded()->cboGame.Text());
  };
  StartAndTick();

  ASSERT_FALSE(atQuestion.empty());
  EXPECT_EQ(atQuestion[0].first, demo);
  EXPECT_EQ(atQuestion[0].second, "Quake 3 Arena");
  const auto traffic = SettingsTraffic();
  EXPECT_THAT(traffic, ::testing::Not(::testing::Contains("read DefaultGame")));
  EXPECT_THAT(traffic, ::testing::Not(::testing::Contains("read LastFilename")));
  EXPECT_EQ(Stored(catalogue::LastFilenameValue), demo);
  EXPECT_EQ(views.configViewsCreated, 1);
  EXPECT_EQ(AlreadyRun(), "Yes");
  EXPECT_LT(Position(alreadyRunWrite), Position("show main"));
  EXPECT_EQ(app.MainFormIfLoaded()->cboGame.Text(), "Quake 3 Arena");
}

TEST_F(Startup, ConfigurationOpensAfreshEachTimeAndIsDroppedWhenClosed) {
  Store(catalogue::AlreadyRunValue, "Yes");
  StartAndTick();
  std::vector<frmConfig*> open;
  views.whileConfigOpen = [&](frmConfig& config) {
    open.push_back(app.ConfigIfOpen());
    EXPECT_EQ(&config, app.ConfigIfOpen());
    config.cmdBottom.UserClicked();
  };
  app.MainFormIfLoaded()->cmdBottom[1].UserClicked();
  EXPECT_EQ(app.ConfigIfOpen(), nullptr);
  app.MainFormIfLoaded()->cmdBottom[1].UserClicked();

  EXPECT_EQ(views.configViewsCreated, 2);
  ASSERT_EQ(open.size(), 2u);
  EXPECT_NE(open[0], nullptr);
  EXPECT_EQ(Count("modal config"), 2);
  EXPECT_EQ(Count("close config"), 2);
  EXPECT_EQ(app.ConfigIfOpen(), nullptr);
}

TEST_F(Startup, CancelClosesTheMainWindowThenEndsAndLaterTicksDoNothing) {
  Store(catalogue::AlreadyRunValue, "Yes");
  app.Main();
  fp.timer.TickAll();
  app.MainFormIfLoaded()->cmdBottom[0].UserClicked();
  EXPECT_THAT(std::vector<std::string>(fp.log.end() - 2, fp.log.end()),
              ElementsAre("close main", "exit"));
  EXPECT_EQ(fp.process.exitCode, 0);

  app.EndProgram();
  fp.timer.TickAll();
  EXPECT_EQ(fp.process.exitCount, 1);
}

TEST_F(Startup, EndingBeforeTheHandOverKeepsTheMainWindowFromBeingShown) {
  Store(catalogue::AlreadyRunValue, "Yes");
  app.Main();
  app.EndProgram();
  fp.timer.TickAll();
  EXPECT_FALSE(Logged("show main"));
  EXPECT_EQ(fp.process.exitCount, 1);
}

TEST(StartupLifetime, TheOwnerHookAndTheSplashTimerDieWithTheApplication) {
  fakes::FakePlatform fp;
  fakes::FakeViewFactory views(fp.log);
  {
    Application app(fp.ports, views);
    app.Main();
    ASSERT_TRUE(fp.ports.mainWindowOwner);
    ASSERT_EQ(fp.timer.Running(), 1);
  }
  EXPECT_FALSE(fp.ports.mainWindowOwner);
  EXPECT_EQ(fp.timer.Running(), 0);
}

// The first-run check on its own, with a host that only records.
class FirstRun : public ::testing::Test {
 protected:
  struct Host final : AppHost {
    void ShowMain() override {}
    void HideMain() override {}
    void EndProgram() override {}
    void ShowConfigModal() override { ++configs; }
    void CloseConfig() override {}
    void HandOver() override {}
    int configs = 0;
  };
  fakes::FakePlatform fp;
  Host host;
};

TEST_F(FirstRun, AFailingReadOfAlreadyRunCountsAsAFirstRun) {
  fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey), "AlreadyRun",
                      "Yes");
  fp.registry.FailNext(fakes::FakeRegistry::Op::Query, 5);
  FirstRunCheck(fp.ports, host);
  EXPECT_EQ(host.configs, 1);
  EXPECT_EQ(fp.dialogs.messages.size(), 2u);
}

TEST_F(FirstRun, TheConfigurationWindowComesAfterBothMessagesAndBeforeYes) {
  std::vector<std::string> order;
  fp.dialogs.whileShown = [&](const fakes::FakeDialogs::Message& m) {
    order.push_back(m.text == kQuestion ? "question" : "note");
  };
  struct OrderHost final : AppHost {
    explicit OrderHost(std::vector<std::string>& o, fakes::FakePlatform& p) : order(o), fp(p) {}
    void ShowMain() override {}
    void HideMain() override {}
    void EndProgram() override {}
    void ShowConfigModal() override {
      order.push_back(fp.registry.GetText(regroot::CurrentUser,
                                          std::string(catalogue::SettingsKey), "AlreadyRun")
                          ? "config after Yes"
                          : "config");
    }
    void CloseConfig() override {}
    void HandOver() override {}
    std::vector<std::string>& order;
    fakes::FakePlatform& fp;
  } orderHost(order, fp);
  FirstRunCheck(fp.ports, orderHost);
  EXPECT_THAT(order, ElementsAre("question", "note", "config"));
  EXPECT_EQ(fp.registry.GetText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                                "AlreadyRun"),
            "Yes");
}

}  // namespace
}  // namespace rd
