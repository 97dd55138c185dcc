#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "launcher/GameCatalogue.h"
#include "launcher/frmMain.h"
#include "tests/fakes/FakePorts.h"
#include "util/Text.h"

namespace rd {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kHL = "Half-Life";
constexpr const char* kQ3 = "Quake 3 Arena";
constexpr const char* kRTCW = "Return To Castle Wolfenstein";

class RecordingHost final : public AppHost {
 public:
  explicit RecordingHost(fakes::FakePlatform& fp) : fp_(fp) {}
  void ShowMain() override { fp_.log.push_back("show main"); }
  void HideMain() override { fp_.log.push_back("hide main"); }
  void EndProgram() override {
    fp_.log.push_back("end");
    fp_.process.Exit(0);
  }
  void ShowConfigModal() override { fp_.log.push_back("config"); }
  void CloseConfig() override {}
  void HandOver() override {}

 private:
  fakes::FakePlatform& fp_;
};

class MainWindow : public ::testing::Test {
 protected:
  MainWindow() { Store(catalogue::AlreadyRunValue, "Yes"); }

  void Store(std::string_view name, const std::string& text) {
    fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                        std::string(name), text);
  }
  std::optional<std::string> Stored(std::string_view name) const {
    return fp.registry.GetText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                               std::string(name));
  }
  frmMain& Load() {
    form = std::make_unique<frmMain>(fp.ports, host);
    form->Form_Load();
    return *form;
  }
  // The registry writes of the shared log naming this value, in order.
  int Writes(std::string_view name) const {
    const std::string suffix = "\\" + std::string(name);
    return static_cast<int>(std::count_if(fp.log.begin(), fp.log.end(), [&](const std::string& l) {
      return l.rfind("reg set ", 0) == 0 && l.size() >= suffix.size() &&
             l.compare(l.size() - suffix.size(), suffix.size(), suffix) == 0;
    }));
  }
  bool Queried(std::string_view name) const {
    const std::string needle = "\\" + util::ToLower(name);
    for (const std::string& call : fp.registry.Calls()) {
      if (call.rfind("query ", 0) == 0 && util::ToLower(call).find(needle) != std::string::npos) {
        return true;
      }
    }
    return false;
  }
  std::vector<std::string> SetLines() const {
    std::vector<std::string> lines;
    for (const std::string& l : fp.log) {
      if (l.rfind("reg set ", 0) == 0) lines.push_back(l.substr(l.find_last_of('\\') + 1));
    }
    return lines;
  }
  int IndexOf(const forms::ComboBox& box, const std::string& text) const {
    const auto& items = box.Items();
    const auto it = std::find(items.begin(), items.end(), text);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
  }
  void PickGame(const std::string& name) {
    form->cboGame.UserSelected(IndexOf(form->cboGame, name));
  }

  fakes::FakePlatform fp;
  RecordingHost host{fp};
  std::unique_ptr<frmMain> form;
};

TEST_F(MainWindow, FirstStartWithNothingStoredEndsOnHalfLifeWithItsDefaults) {
  fp.registry = fakes::FakeRegistry{};  // not even AlreadyRun
  fp.registry.sharedLog = &fp.log;
  fp.dialogs.answers = {answer::No, answer::OK};
  frmMain& f = Load();

  EXPECT_EQ(f.lblTop.Caption(), "Tessaway Replaydock v0.6.8");
  EXPECT_EQ(f.lblInfo.Caption(), "Select the required parameters for the demo, then click Play.");
  EXPECT_STREQ(frmMain::Caption, "Tessaway Replaydock");
  EXPECT_THAT(f.cboGame.Items(), ElementsAre(kHL, kQ3, kRTCW));
  EXPECT_EQ(f.cboGame.Text(), kHL);
  EXPECT_EQ(f.cboGame.ListIndex(), 0);
  EXPECT_EQ(f.cboMod.Text(), "cstrike");
  EXPECT_THAT(f.cboMod.Items(), ElementsAre("cstrike", "dod"));
  EXPECT_EQ(f.txtFilename.Text(), "");
  EXPECT_EQ(f.cboSpeed.Text(), "1");
  EXPECT_THAT(f.cboSpeed.Items(), ElementsAre("0.5", "1", "2", "3"));
  EXPECT_EQ(f.cboResolution.Text(), "Default");
  EXPECT_THAT(f.cboResolution.Items(),
              ElementsAre("Default", "640x480", "800x600", "1024x768", "1152x864", "1280x1024"));
  EXPECT_TRUE(f.cboSpeed.Enabled());
  EXPECT_TRUE(f.cboResolution.Enabled());

  EXPECT_EQ(Stored(catalogue::DefaultGameValue), kHL);
  EXPECT_EQ(Stored("DefaultHLMod"), "cstrike");
  EXPECT_EQ(Stored(catalogue::LastFilenameValue), std::nullopt);  // the empty box never changed
  EXPECT_EQ(Stored(catalogue::AlreadyRunValue), "Yes");
  // The game is restored, its last mod stored, then the first-run check runs last.
  EXPECT_THAT(SetLines(), ElementsAre("DefaultGame", "DefaultHLMod", "AlreadyRun"));
  ASSERT_EQ(fp.dialogs.messages.size(), 2u);
  const auto config = std::find(fp.log.begin(), fp.log.end(), "config");
  ASSERT_NE(config, fp.log.end());
  EXPECT_LT(std::find(fp.log.begin(), fp.log.end(),
                      "reg set HKCU\\" + std::string(catalogue::SettingsKey) + "\\DefaultHLMod"),
            config);
  EXPECT_EQ(fp.process.exitCount, 0);
}

TEST_F(MainWindow, TheHeaderCarriesTheVersionWithoutLeadingZeros) {
  fp.process.version = ProgramVersion{2, 10, 305};
  EXPECT_EQ(Load().lblTop.Caption(), "Tessaway Replaydock v2.10.305");
}

TEST_F(MainWindow, AMissingQuake3DemoOnTheCommandLineStillSelectsItsGame) {
  Store(catalogue::DefaultGameValue, kRTCW);
  Store(catalogue::LastFilenameValue, "C:\\old.dem");
  fp.process.commandLine = "D:\\Demos\\duel.dm_66";
  frmMain& f = Load();

  EXPECT_EQ(f.txtFilename.Text(), "D:\\Demos\\duel.dm_66");
  EXPECT_EQ(f.cboGame.Text(), kQ3);
  EXPECT_THAT(f.cboMod.Items(), ElementsAre("arena", "generations", "osp"));
  EXPECT_EQ(f.cboMod.Text(), "");
  EXPECT_FALSE(f.cboSpeed.Enabled());
  EXPECT_FALSE(f.cboResolution.Enabled());
  EXPECT_EQ(f.cboSpeed.Text(), "1");
  EXPECT_EQ(f.cboResolution.Text(), "Default");
  EXPECT_EQ(Stored(catalogue::LastFilenameValue), "D:\\Demos\\duel.dm_66");
  EXPECT_EQ(Stored(catalogue::DefaultGameValue), kQ3);
  EXPECT_FALSE(Queried(catalogue::DefaultGameValue));
  EXPECT_FALSE(Queried(catalogue::LastFilenameValue));
  EXPECT_THAT(SetLines(), ElementsAre("LastFilename", "DefaultGame"));
}

TEST_F(MainWindow, AMissingHalfLifeDemoOnTheCommandLineSelectsNoGame) {
  Store(catalogue::DefaultGameValue, kQ3);
  fp.process.commandLine = "D:\\Demos\\match.dem";
  frmMain& f = Load();

  EXPECT_EQ(f.txtFilename.Text(), "D:\\Demos\\match.dem");
  EXPECT_EQ(f.cboGame.ListIndex(), -1);
  EXPECT_EQ(f.cboGame.Text(), "");
  EXPECT_THAT(f.cboMod.Items(), IsEmpty());
  EXPECT_EQ(f.cboMod.Text(), "");
  EXPECT_TRUE(f.cboSpeed.Enabled());
  EXPECT_TRUE(f.cboResolution.Enabled());
  EXPECT_FALSE(Queried(catalogue::DefaultGameValue));
  EXPECT_EQ(Writes(catalogue::DefaultGameValue), 0);
  EXPECT_EQ(Stored(catalogue::DefaultGameValue), kQ3);
}

TEST_F(MainWindow, AnExistingDemoOnTheCommandLineComesBackInItsLongForm) {
  fp.files.AddFile("C:\\Game Demos\\Final.DEM", "x", {}, "FINAL~1.DEM");
  fp.process.commandLine = "c:\\game demos\\FINAL~1.DEM";
  frmMain& f = Load();
  EXPECT_EQ(f.txtFilename.Text(), "C:\\Game Demos\\Final.dem");
  EXPECT_EQ(f.cboGame.Text(), kHL);
  EXPECT_EQ(Stored(catalogue::LastFilenameValue), "C:\\Game Demos\\Final.dem");
}

TEST_F(MainWindow, OnlyACommandLineWhollyInOnePairOfQuotesLosesThem) {
  fp.files.AddFile("C:\\My Demos\\Final Match.dem", "x");
  fp.process.commandLine = "\"C:\\My Demos\\Final Match.dem\"";
  frmMain& f = Load();
  EXPECT_EQ(f.txtFilename.Text(), "C:\\My Demos\\Final Match.dem");
  EXPECT_EQ(f.cboGame.Text(), kHL);
  EXPECT_EQ(Stored(catalogue::LastFilenameValue), "C:\\My Demos\\Final Match.dem");

  // Anything else is taken whole (and the file system cannot look it up).
  for (const std::string text : {"\"C:\\My Demos\\a.dem\" \"C:\\b.dem\"", "\"C:\\a\"b.dem\"", "\"",
                                 "\"C:\\a.dem", "C:\\a.dem\"", "C:\\x \"y\".dm_57"}) {
    fakes::FakePlatform other;
    other.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey), "AlreadyRun",
                           "Yes");
    other.process.commandLine = text;
    RecordingHost otherHost(other);
    frmMain g(other.ports, otherHost);
    g.Form_Load();
    EXPECT_EQ(g.txtFilename.Text(), text);
  }
}

TEST_F(MainWindow, AnEmptyCommandLineRestoresTheGameAndFileThenFollowsTheFile) {
  Store(catalogue::DefaultGameValue, kRTCW);
  Store("DefaultRTCWMod", "osp2");
  Store(catalogue::LastFilenameValue, "C:\\Demos\\x.dm_66");
  frmMain& f = Load();
  EXPECT_EQ(f.txtFilename.Text(), "C:\\Demos\\x.dm_66");
  EXPECT_EQ(f.cboGame.Text(), kQ3);
  // Restored game, its mod written back, the file written back, then the file's game.
  EXPECT_THAT(SetLines(),
              ElementsAre("DefaultGame", "DefaultRTCWMod", "LastFilename", "DefaultGame"));
  EXPECT_EQ(Stored(catalogue::DefaultGameValue), kQ3);
  EXPECT_EQ(Stored("DefaultRTCWMod"), "osp2");
}

TEST_F(MainWindow, AStoredGameThatNamesNoGameSelectsNothing) {
  Store(catalogue::DefaultGameValue, "half-life");
  frmMain& f = Load();
  EXPECT_EQ(f.cboGame.ListIndex(), -1);
  EXPECT_EQ(Writes(catalogue::DefaultGameValue), 0);
  EXPECT_EQ(Stored(catalogue::DefaultGameValue), "half-life");
}

TEST_F(MainWindow, TypingAPathWritesItAtEveryKeystrokeAndKeepsTheGame) {
  frmMain& f = Load();
  fp.log.clear();
  const std::string path = "C:\\a.dm_66";
  for (std::size_t n = 1; n <= path.size(); ++n) f.txtFilename.UserEdited(path.substr(0, n));
  EXPECT_EQ(Writes(catalogue::LastFilenameValue), static_cast<int>(path.size()));
  EXPECT_EQ(fp.log.size(), 2 * path.size());  // one create and one set per keystroke
  EXPECT_EQ(Stored(catalogue::LastFilenameValue), path);
  EXPECT_EQ(f.cboGame.Text(), kHL);
  // Emptying the box is a change too.
  f.txtFilename.UserEdited("");
  EXPECT_EQ(Stored(catalogue::LastFilenameValue), "");
}

TEST_F(MainWindow, EachGameRemembersItsOwnMod) {
  frmMain& f = Load();
  f.cboMod.UserSelected(IndexOf(f.cboMod, "dod"));
  EXPECT_EQ(Stored("DefaultHLMod"), "dod");
  PickGame(kQ3);
  EXPECT_EQ(f.cboMod.Text(), "");
  EXPECT_EQ(Stored("DefaultHLMod"), "dod");
  PickGame(kHL);
  EXPECT_EQ(f.cboMod.Text(), "dod");
  EXPECT_THAT(f.cboMod.Items(), ElementsAre("cstrike", "dod"));
  EXPECT_EQ(Stored(catalogue::DefaultGameValue), kHL);
}

TEST_F(MainWindow, AModTypedForWolfensteinIsStoredAndComesBack) {
  frmMain& f = Load();
  PickGame(kRTCW);
  EXPECT_THAT(f.cboMod.Items(), IsEmpty());
  fp.log.clear();
  f.cboMod.UserEdited("o");
  f.cboMod.UserEdited("os");
  f.cboMod.UserEdited("osp");
  EXPECT_EQ(Writes("DefaultRTCWMod"), 3);
  EXPECT_EQ(Stored("DefaultRTCWMod"), "osp");
  PickGame(kHL);
  PickGame(kRTCW);
  EXPECT_EQ(f.cboMod.Text(), "osp");

  // And at the next start.
  form.reset();
  Store(catalogue::DefaultGameValue, kRTCW);
  EXPECT_EQ(Load().cboMod.Text(), "osp");
}

TEST_F(MainWindow, ModsTypedWithoutAGameAreNotStored) {
  fp.process.commandLine = "D:\\none.dem";
  frmMain& f = Load();
  fp.log.clear();
  f.cboMod.UserEdited("dod");
  EXPECT_THAT(fp.log, IsEmpty());
}

TEST_F(MainWindow, ADemoPickedInTheDialogSelectsItsGame) {
  frmMain& f = Load();
  fp.dialogs.openResults.push_back({OpenResult::Outcome::Chosen, "E:\\Demos\\FINAL.DM_57"});
  f.cmdSelect.UserClicked();

  ASSERT_EQ(fp.dialogs.openRequests.size(), 1u);
  EXPECT_EQ(fp.dialogs.openRequests[0].title, "Demo Location");
  EXPECT_EQ(fp.dialogs.openRequests[0].filter,
            "Demo Files (*.dem, *.dm_66, *.dm_57)|*.dem;*.dm_66;*.dm_57");
  EXPECT_EQ(fp.dialogs.openRequests[0].fileName, "");
  EXPECT_EQ(f.txtFilename.Text(), "E:\\Demos\\FINAL.DM_57");
  EXPECT_EQ(Stored(catalogue::LastFilenameValue), "E:\\Demos\\FINAL.DM_57");
  EXPECT_EQ(f.cboGame.Text(), kRTCW);
  EXPECT_THAT(f.cboMod.Items(), IsEmpty());

  // The next opening starts from that file; an existing .dem then selects Half-Life.
  fp.files.AddFile("C:\\D\\Match.Dem", "x");
  fp.dialogs.openResults.push_back({OpenResult::Outcome::Chosen, "C:\\D\\Match.Dem"});
  f.cmdSelect.UserClicked();
  EXPECT_EQ(fp.dialogs.openRequests[1].fileName, "E:\\Demos\\FINAL.DM_57");
  EXPECT_EQ(f.cboGame.Text(), kHL);

  // A .dem that does not exist leaves the game as it was.
  PickGame(kQ3);
  fp.dialogs.openResults.push_back({OpenResult::Outcome::Chosen, "C:\\D\\gone.dem"});
  f.cmdSelect.UserClicked();
  EXPECT_EQ(fp.dialogs.openRequests[2].fileName, "C:\\D\\Match.Dem");
  EXPECT_EQ(f.txtFilename.Text(), "C:\\D\\gone.dem");
  EXPECT_EQ(f.cboGame.Text(), kQ3);
}

TEST_F(MainWindow, CancellingOrFailingTheDialogChangesNothing) {
  Store(catalogue::LastFilenameValue, "C:\\x.dm_66");
  frmMain& f = Load();
  fp.log.clear();
  fp.dialogs.openResults.push_back({OpenResult::Outcome::Cancelled, "C:\\ignored.dm_57"});
  fp.dialogs.openResults.push_back({OpenResult::Outcome::Failed, "C:\\ignored.dm_57"});
  f.cmdSelect.UserClicked();
  f.cmdSelect.UserClicked();
  EXPECT_THAT(fp.log, ElementsAre("dialog Demo Location", "dialog Demo Location"));
  EXPECT_EQ(f.txtFilename.Text(), "C:\\x.dm_66");
  EXPECT_EQ(f.cboGame.Text(), kQ3);
  // A cancelled opening does not move the dialog's starting file either.
  fp.dialogs.openResults.push_back({OpenResult::Outcome::Cancelled, {}});
  f.cmdSelect.UserClicked();
  EXPECT_EQ(fp.dialogs.openRequests.back().fileName, "");
}

TEST_F(MainWindow, AFileSystemErrorWhileDetectingEndsSilently) {
  frmMain& f = Load();
  fp.files.AddDrive('F', false);
  fp.dialogs.openResults.push_back({OpenResult::Outcome::Chosen, "F:\\duel.dm_66"});
  f.cmdSelect.UserClicked();
  EXPECT_EQ(f.txtFilename.Text(), "F:\\duel.dm_66");
  EXPECT_EQ(f.cboGame.Text(), kHL);
  EXPECT_THAT(fp.dialogs.messages, IsEmpty());
}

TEST_F(MainWindow, ASpeedThatIsNoNumberBecomesOneWhenTheFocusLeaves) {
  frmMain& f = Load();
  const auto leaveWith = [&](const std::string& text) {
    f.cboSpeed.UserEdited(text);
    f.cboSpeed.UserLeaving();
    return f.cboSpeed.Text();
  };
  EXPECT_EQ(leaveWith("fast"), "1");
  EXPECT_EQ(leaveWith(""), "1");
  EXPECT_EQ(leaveWith("2x"), "1");
  EXPECT_EQ(leaveWith("2.5"), "2.5");
  EXPECT_EQ(leaveWith("-1"), "-1");
  EXPECT_EQ(leaveWith("0"), "0");
  EXPECT_EQ(leaveWith(" 3 "), " 3 ");
  EXPECT_EQ(leaveWith("1e1"), "1e1");

  fp.process.numbers = NumberFormat{",", "."};
  EXPECT_EQ(leaveWith("0,5"), "0,5");

  bool cancel = false;
  f.cboSpeed.UserEdited("abc");
  f.cboSpeed_Validate(cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(f.cboSpeed.Text(), "1");
  EXPECT_EQ(Writes("Speed"), 0);
}

TEST_F(MainWindow, TheDisabledBoxesKeepTheirTexts) {
  frmMain& f = Load();
  fp.log.clear();
  f.cboResolution.UserSelected(3);
  f.cboSpeed.UserEdited("2");
  EXPECT_THAT(fp.log, IsEmpty());  // neither box has a handler that writes
  PickGame(kQ3);
  EXPECT_FALSE(f.cboSpeed.Enabled());
  EXPECT_FALSE(f.cboResolution.Enabled());
  EXPECT_EQ(f.cboSpeed.Text(), "2");
  EXPECT_EQ(f.cboResolution.Text(), "1024x768");
  PickGame(kRTCW);
  EXPECT_FALSE(f.cboSpeed.Enabled());
  PickGame(kHL);
  EXPECT_TRUE(f.cboSpeed.Enabled());
  EXPECT_TRUE(f.cboResolution.Enabled());
  EXPECT_EQ(f.cboResolution.Text(), "1024x768");
}

TEST_F(MainWindow, FailingSettingsAreNotReportedAndReadsDeliverTheirDefaults) {
  Store(catalogue::DefaultGameValue, kQ3);
  fp.registry.FailUnder(fakes::FakeRegistry::Op::Open, "HKCU\\Software\\Tessaway", 5);
  fp.registry.FailUnder(fakes::FakeRegistry::Op::Create, "HKCU\\Software\\Tessaway", 5);
  fp.dialogs.answers = {answer::No, answer::OK};
  frmMain& f = Load();
  EXPECT_EQ(f.cboGame.Text(), kHL);  // the default, as the stored game could not be read
  EXPECT_EQ(f.cboMod.Text(), "cstrike");
  EXPECT_EQ(Stored(catalogue::DefaultGameValue), kQ3);
  EXPECT_EQ(Stored("DefaultHLMod"), std::nullopt);
  f.txtFilename.UserEdited("C:\\x.dem");
  EXPECT_EQ(Stored(catalogue::LastFilenameValue), std::nullopt);
  EXPECT_EQ(fp.registry.OpenHandles(), 0);
}

TEST_F(MainWindow, AFailingLookupAtStartUpSelectsNoGame) {
  fp.process.commandLine = "C:\\duel.dm_66";
  fp.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 21);
  frmMain& f = Load();
  EXPECT_EQ(f.txtFilename.Text(), "C:\\duel.dm_66");
  EXPECT_EQ(f.cboGame.ListIndex(), -1);
}

TEST_F(MainWindow, CancelEndsTheProgramAndConfigurationOpensItsWindow) {
  frmMain& f = Load();
  fp.log.clear();
  f.cmdBottom[1].UserClicked();
  EXPECT_THAT(fp.log, ElementsAre("config"));
  f.cmdBottom_Click(3);
  f.cmdBottom_Click(-1);
  EXPECT_THAT(fp.log, ElementsAre("config"));
  f.cmdBottom[0].UserClicked();
  EXPECT_THAT(fp.log, ElementsAre("config", "end", "exit"));
}

}  // namespace
}  // namespace rd
