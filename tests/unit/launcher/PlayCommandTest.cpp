#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "launcher/GameCatalogue.h"
#include "launcher/PlayCommand.h"
#include "launcher/frmMain.h"
#include "tests/fakes/FakePorts.h"

namespace rd {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kHL = "Half-Life";
constexpr const char* kQ3 = "Quake 3 Arena";
constexpr const char* kRTCW = "Return To Castle Wolfenstein";
constexpr const char* kEngine = "HKCU\\Software\\Valve\\Half-Life\\Settings";
constexpr unsigned kCriticalOK = mb::IconCritical | mb::OK;

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

std::string CopyingFailed(const std::string& staged) {
  return "The demo could not be copied to " + staged +
         ". Please check the game's location and mod, then try again.";
}

class Play : public ::testing::Test {
 protected:
  Play() {
    Store(catalogue::AlreadyRunValue, "Yes");
    fp.files.AddFile("D:\\Demos\\match.dem", "HLDEMO-bytes");
    fp.files.AddFile("D:\\Demos\\duel.dm_66", "Q3DEMO-bytes");
    fp.files.AddFile("D:\\Demos\\base.dm_57", "WOLFDEMO-bytes");
    fp.files.AddFolder("C:\\Sierra\\Half-Life\\cstrike");
    fp.files.AddFolder("C:\\Sierra\\Half-Life\\dod");
    fp.files.AddFolder("C:\\Program Files\\Quake III Arena\\baseq3");
    fp.files.AddFolder("C:\\Program Files\\Return To Castle Wolfenstein\\Main");
  }

  void Store(std::string_view name, const std::string& text) {
    fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                        std::string(name), text);
  }
  std::optional<std::uint32_t> Engine(const std::string& name) const {
    const auto value =
        fp.registry.Get(regroot::CurrentUser, "Software\\Valve\\Half-Life\\Settings", name);
    if (!value || value->type != regtype::Dword || value->data.size() != 4) return std::nullopt;
    return static_cast<std::uint32_t>(value->data[0] | value->data[1] << 8 | value->data[2] << 16 |
                                      value->data[3] << 24);
  }
  // Loads the window, makes the choices as the user would and clears the log.
  frmMain& Choose(const std::string& demo, const std::string& game, const std::string& mod,
                  const std::string& speed = "1", const std::string& resolution = "Default") {
    form = std::make_unique<frmMain>(fp.ports, host);
    form->Form_Load();
    form->txtFilename.UserEdited(demo);
    const auto& games = form->cboGame.Items();
    const auto g = std::find(games.begin(), games.end(), game);
    if (g != games.end()) form->cboGame.UserSelected(static_cast<int>(g - games.begin()));
    form->cboMod.UserEdited(mod);
    form->cboSpeed.UserEdited(speed);
    const auto& sizes = form->cboResolution.Items();
    const auto r = std::find(sizes.begin(), sizes.end(), resolution);
    form->cboResolution.UserSelected(static_cast<int>(r - sizes.begin()));
    fp.log.clear();
    return *form;
  }
  void PressPlay() { form->cmdBottom[2].UserClicked(); }
  bool Ended() const { return fp.process.exitCount > 0; }

  fakes::FakePlatform fp;
  RecordingHost host{fp};
  std::unique_ptr<frmMain> form;
};

// --- the worked examples ---

TEST_F(Play, HalfLifeWithModSpeedAndResolution) {
  Choose("D:\\Demos\\match.dem", kHL, "cstrike", "2", "800x600");
  PressPlay();
  EXPECT_THAT(
      fp.log,
      ElementsAre(
          "hide main", std::string("reg create ") + kEngine,
          std::string("reg set ") + kEngine + "\\EngineModeH", std::string("reg create ") + kEngine,
          std::string("reg set ") + kEngine + "\\EngineModeW",
          "fs copy D:\\Demos\\match.dem -> C:\\Sierra\\Half-Life\\cstrike\\~replaydock.dem.tmp",
          "fs move C:\\Sierra\\Half-Life\\cstrike\\~replaydock.dem.tmp -> "
          "C:\\Sierra\\Half-Life\\cstrike\\replaydock.dem",
          "shell C:\\Sierra\\Half-Life\\hl.exe | -game cstrike -console -toconsole "
          "+playdemo replaydock 2| in C:\\Sierra\\Half-Life",
          "end", "exit"));
  EXPECT_EQ(Engine("EngineModeH"), 600u);
  EXPECT_EQ(Engine("EngineModeW"), 800u);
  EXPECT_EQ(fp.files.Content("C:\\Sierra\\Half-Life\\cstrike\\replaydock.dem"), "HLDEMO-bytes");
  EXPECT_THAT(fp.files.List("C:\\Sierra\\Half-Life\\cstrike"), ElementsAre("replaydock.dem"));
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_FALSE(fp.shell.calls[0].hasOperation);
  EXPECT_EQ(fp.shell.calls[0].show, showcmd::Show);
  EXPECT_THAT(fp.dialogs.messages, IsEmpty());
  EXPECT_EQ(fp.process.exitCount, 1);
}

TEST_F(Play, HalfLifeWithoutAModStagesBesideTheExecutable) {
  Choose("D:\\Demos\\match.dem", kHL, "", "1", "Default");
  PressPlay();
  EXPECT_THAT(
      fp.log,
      ElementsAre("hide main",
                  "fs copy D:\\Demos\\match.dem -> C:\\Sierra\\Half-Life\\\\~replaydock.dem.tmp",
                  "fs move C:\\Sierra\\Half-Life\\\\~replaydock.dem.tmp -> "
                  "C:\\Sierra\\Half-Life\\\\replaydock.dem",
                  "shell C:\\Sierra\\Half-Life\\hl.exe | -console -toconsole +playdemo "
                  "replaydock 1| in C:\\Sierra\\Half-Life",
                  "end", "exit"));
  EXPECT_EQ(fp.files.Content("C:\\Sierra\\Half-Life\\replaydock.dem"), "HLDEMO-bytes");
  EXPECT_EQ(Engine("EngineModeH"), std::nullopt);
}

TEST_F(Play, Quake3WithAStoredLocationAndAMod) {
  fp.files.AddFolder("E:\\Games\\Quake III Arena\\baseq3");
  Store("Q3APath", "E:\\Games\\Quake III Arena\\quake3.exe");
  Choose("D:\\Demos\\duel.dm_66", kQ3, "osp");
  PressPlay();
  const std::string folder = "E:\\Games\\Quake III Arena\\baseq3\\Demos";
  EXPECT_THAT(fp.log,
              ElementsAre("hide main", "fs mkdir " + folder,
                          "fs copy D:\\Demos\\duel.dm_66 -> " + folder + "\\~replaydock.dm_66.tmp",
                          "fs move " + folder + "\\~replaydock.dm_66.tmp -> " + folder +
                              "\\replaydock.dm_66",
                          "shell E:\\Games\\Quake III Arena\\quake3.exe | +set fs_game osp "
                          "+demo replaydock| in E:\\Games\\Quake III Arena",
                          "end", "exit"));
  EXPECT_TRUE(fp.files.IsFolder(folder));
  EXPECT_EQ(fp.files.Content(folder + "\\replaydock.dm_66"), "Q3DEMO-bytes");
}

TEST_F(Play, WolfensteinWritesAResolutionLeftFromHalfLife) {
  frmMain& f = Choose("D:\\Demos\\base.dm_57", kHL, "cstrike", "1", "1024x768");
  f.cboGame.UserSelected(2);
  ASSERT_EQ(f.cboGame.Text(), kRTCW);
  ASSERT_FALSE(f.cboResolution.Enabled());
  f.cboMod.UserEdited("");
  fp.log.clear();
  PressPlay();
  const std::string folder = "C:\\Program Files\\Return To Castle Wolfenstein\\Main\\Demos";
  EXPECT_THAT(
      fp.log,
      ElementsAre(
          "hide main", std::string("reg create ") + kEngine,
          std::string("reg set ") + kEngine + "\\EngineModeH", std::string("reg create ") + kEngine,
          std::string("reg set ") + kEngine + "\\EngineModeW", "fs mkdir " + folder,
          "fs copy D:\\Demos\\base.dm_57 -> " + folder + "\\~replaydock.dm_57.tmp",
          "fs move " + folder + "\\~replaydock.dm_57.tmp -> " + folder + "\\replaydock.dm_57",
          "shell C:\\Program Files\\Return To Castle Wolfenstein\\WolfMP.exe | "
          "+demo replaydock| in C:\\Program Files\\Return To Castle Wolfenstein",
          "end", "exit"));
  EXPECT_EQ(Engine("EngineModeH"), 768u);
  EXPECT_EQ(Engine("EngineModeW"), 1024u);
  EXPECT_EQ(fp.files.Content(folder + "\\replaydock.dm_57"), "WOLFDEMO-bytes");
}

// --- the speed and the demo file ---

TEST_F(Play, ASpeedThatIsNoNumberIsPlayedAsOne) {
  for (const std::string speed : {"", "quick"}) {
    fp.shell.calls.clear();
    Choose("D:\\Demos\\match.dem", kHL, "dod", speed);
    PressPlay();
    EXPECT_EQ(form->cboSpeed.Text(), "1");
    ASSERT_EQ(fp.shell.calls.size(), 1u);
    EXPECT_EQ(fp.shell.calls[0].parameters,
              " -game dod -console -toconsole +playdemo replaydock 1");
  }
  // A number stays as typed; Quake 3 Arena never gets the speed.
  Choose("D:\\Demos\\match.dem", kHL, "dod", "-0.5");
  PressPlay();
  EXPECT_EQ(fp.shell.calls.back().parameters,
            " -game dod -console -toconsole +playdemo replaydock -0.5");
  Choose("D:\\Demos\\duel.dm_66", kQ3, "", "3");
  PressPlay();
  EXPECT_EQ(fp.shell.calls.back().parameters, " +demo replaydock");
}

TEST_F(Play, AnEmptyFileNameIsRefusedAndChangesOnlyTheSpeed) {
  frmMain& f = Choose("", kHL, "cstrike", "abc", "800x600");
  PressPlay();
  EXPECT_THAT(fp.log, ElementsAre("message You must select a demo file to play first"));
  ASSERT_EQ(fp.dialogs.messages.size(), 1u);
  EXPECT_EQ(fp.dialogs.messages[0].title, "Replaydock");
  EXPECT_EQ(fp.dialogs.messages[0].style, kCriticalOK);
  EXPECT_EQ(f.cboSpeed.Text(), "1");
  EXPECT_FALSE(Ended());
}

TEST_F(Play, AMissingDemoIsReportedAfterTheResolutionWasWritten) {
  Choose("D:\\Demos\\gone.dem", kHL, "cstrike", "1", "640x480");
  PressPlay();
  const std::string missing =
      "The specified demo file does not exist. Please select a valid file and try again.";
  EXPECT_THAT(fp.log, ElementsAre("hide main", std::string("reg create ") + kEngine,
                                  std::string("reg set ") + kEngine + "\\EngineModeH",
                                  std::string("reg create ") + kEngine,
                                  std::string("reg set ") + kEngine + "\\EngineModeW",
                                  "message " + missing, "show main"));
  EXPECT_EQ(fp.dialogs.messages.back().style, kCriticalOK);
  EXPECT_EQ(Engine("EngineModeH"), 480u);
  EXPECT_FALSE(Ended());
}

TEST_F(Play, FoldersHiddenFilesAndUnreadableDrivesAreNoDemo) {
  const std::string missing =
      "message The specified demo file does not exist. Please select a valid file and try again.";
  fp.files.AddFolder("D:\\Demos\\folder.dem");
  fp.files.AddFile("D:\\Demos\\hidden.dem", "x", {true, false, false});
  fp.files.AddDrive('F', false);
  for (const std::string demo : {"D:\\Demos\\folder.dem", "D:\\Demos\\hidden.dem", "F:\\x.dem",
                                 "D:\\Demos\\bad\"name.dem"}) {
    Choose(demo, kHL, "cstrike");
    PressPlay();
    EXPECT_THAT(fp.log, ElementsAre("hide main", missing, "show main")) << demo;
  }
  EXPECT_TRUE(fp.shell.calls.empty());
}

TEST_F(Play, NoGameSelectedIsRefusedAfterTheFileCheck) {
  // A missing .dem on the command line selects no game; the demo appears later.
  fp.process.commandLine = "D:\\Demos\\late.dem";
  frmMain& f = Choose("D:\\Demos\\late.dem", "", "", "1", "800x600");
  ASSERT_EQ(f.cboGame.ListIndex(), -1);
  fp.files.AddFile("D:\\Demos\\late.dem", "x");
  PressPlay();
  EXPECT_THAT(fp.log, ElementsAre("hide main", std::string("reg create ") + kEngine,
                                  std::string("reg set ") + kEngine + "\\EngineModeH",
                                  std::string("reg create ") + kEngine,
                                  std::string("reg set ") + kEngine + "\\EngineModeW",
                                  "message You must select a game first", "show main"));
  EXPECT_EQ(fp.dialogs.messages.back().style, kCriticalOK);
  EXPECT_TRUE(fp.shell.calls.empty());
  EXPECT_FALSE(Ended());

  // Without the file the file message comes first, and alone.
  fp.process.commandLine = "D:\\Demos\\nothing.dem";
  Choose("D:\\Demos\\nothing.dem", "", "");
  PressPlay();
  EXPECT_THAT(fp.log, ElementsAre("hide main",
                                  "message The specified demo file does not exist. Please select a "
                                  "valid file and try again.",
                                  "show main"));
}

// --- staging ---

TEST_F(Play, AStagedDemoLeftByAnEarlierLaunchIsReplaced) {
  fp.files.AddFile("C:\\Sierra\\Half-Life\\dod\\replaydock.dem", "OLD");
  Choose("D:\\Demos\\match.dem", kHL, "dod");
  PressPlay();
  EXPECT_EQ(fp.files.Content("C:\\Sierra\\Half-Life\\dod\\replaydock.dem"), "HLDEMO-bytes");
  EXPECT_THAT(fp.files.List("C:\\Sierra\\Half-Life\\dod"), ElementsAre("replaydock.dem"));
  EXPECT_TRUE(Ended());
}

TEST_F(Play, AnExistingDemoFolderIsUsedAsItIs) {
  fp.files.AddFile("C:\\Program Files\\Quake III Arena\\baseq3\\Demos\\other.dm_66", "keep");
  Choose("D:\\Demos\\duel.dm_66", kQ3, "");
  PressPlay();
  const std::string folder = "C:\\Program Files\\Quake III Arena\\baseq3\\Demos";
  EXPECT_THAT(fp.files.List(folder), ElementsAre("other.dm_66", "replaydock.dm_66"));
  EXPECT_EQ(fp.shell.calls.back().parameters, " +demo replaydock");
  EXPECT_TRUE(Ended());
}

TEST_F(Play, AMissingGameFolderStartsNothing) {
  Store("Q3APath", "E:\\Nowhere\\quake3.exe");
  fp.files.AddDrive('E');
  Choose("D:\\Demos\\duel.dm_66", kQ3, "osp");
  PressPlay();
  const std::string staged = "E:\\Nowhere\\baseq3\\Demos\\replaydock.dm_66";
  EXPECT_THAT(fp.log,
              ElementsAre("hide main", "fs mkdir E:\\Nowhere\\baseq3\\Demos",
                          "message " + CopyingFailed(staged) + "\n\nSystem error 3.", "show main"));
  EXPECT_EQ(fp.dialogs.messages.back().style, kCriticalOK);
  EXPECT_TRUE(fp.shell.calls.empty());
  EXPECT_FALSE(Ended());
}

TEST_F(Play, AFolderThatCannotBeCreatedStartsNothing) {
  fp.files.MakeReadOnlyFolder("C:\\Program Files\\Return To Castle Wolfenstein\\Main");
  Choose("D:\\Demos\\base.dm_57", kRTCW, "");
  PressPlay();
  EXPECT_EQ(fp.dialogs.messages.back().text,
            CopyingFailed("C:\\Program Files\\Return To Castle Wolfenstein\\Main\\Demos\\"
                          "replaydock.dm_57") +
                "\n\nSystem error 5.");
  EXPECT_TRUE(fp.shell.calls.empty());
}

TEST_F(Play, AMissingHalfLifeModFolderStartsNothing) {
  Choose("D:\\Demos\\match.dem", kHL, "tfc", "1", "1152x864");
  PressPlay();
  const std::string staged = "C:\\Sierra\\Half-Life\\tfc\\replaydock.dem";
  EXPECT_EQ(Engine("EngineModeW"), 1152u);  // written before the copy, and kept
  ASSERT_FALSE(fp.dialogs.messages.empty());
  EXPECT_EQ(fp.dialogs.messages.back().text, CopyingFailed(staged) + "\n\nSystem error 3.");
  EXPECT_FALSE(fp.files.Exists("C:\\Sierra\\Half-Life\\tfc"));
  EXPECT_EQ(fp.log.back(), "show main");
  EXPECT_TRUE(fp.shell.calls.empty());
  EXPECT_FALSE(Ended());
}

TEST_F(Play, AHalfLifeModThatIsNoSingleFolderNameCopiesNothing) {
  for (const std::string mod : {".", "..", "..\\valve", "cstrike\\maps", "a/b", "c:x", "dod*",
                                "d?d", "\"dod\"", "<dod>", "a|b"}) {
    Choose("D:\\Demos\\match.dem", kHL, mod);
    PressPlay();
    const std::string staged = "C:\\Sierra\\Half-Life\\" + mod + "\\replaydock.dem";
    EXPECT_THAT(fp.log, ElementsAre("hide main", "message " + CopyingFailed(staged), "show main"))
        << mod;
  }
  EXPECT_TRUE(fp.shell.calls.empty());
  EXPECT_FALSE(Ended());
}

TEST_F(Play, AWildcardDemoPathThatMatchesButCannotBeCopiedStartsNothing) {
  Choose("D:\\Demos\\ma*.dem", kHL, "cstrike");
  PressPlay();
  const std::string temporary = "C:\\Sierra\\Half-Life\\cstrike\\~replaydock.dem.tmp";
  EXPECT_THAT(
      fp.log,
      ElementsAre("hide main", "fs copy D:\\Demos\\ma*.dem -> " + temporary,
                  "fs delete " + temporary,
                  "message " + CopyingFailed("C:\\Sierra\\Half-Life\\cstrike\\replaydock.dem") +
                      "\n\nSystem error 123.",
                  "show main"));
  EXPECT_TRUE(fp.shell.calls.empty());
}

TEST_F(Play, ACopyThatFailsHalfWayKeepsTheEarlierStagedDemo) {
  const std::string folder = "C:\\Program Files\\Quake III Arena\\baseq3\\Demos";
  fp.files.AddFile(folder + "\\replaydock.dm_66", "EARLIER");
  fp.files.FailCopyHalfway(112);
  Choose("D:\\Demos\\duel.dm_66", kQ3, "osp");
  PressPlay();
  EXPECT_EQ(fp.files.Content(folder + "\\replaydock.dm_66"), "EARLIER");
  EXPECT_THAT(fp.files.List(folder), ElementsAre("replaydock.dm_66"));
  EXPECT_EQ(fp.dialogs.messages.back().text,
            CopyingFailed(folder + "\\replaydock.dm_66") + "\n\nSystem error 112.");
  EXPECT_EQ(fp.log.back(), "show main");
  EXPECT_TRUE(fp.shell.calls.empty());

  // The next attempt, with room on the disk, goes through.
  PressPlay();
  EXPECT_EQ(fp.files.Content(folder + "\\replaydock.dm_66"), "Q3DEMO-bytes");
  EXPECT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_TRUE(Ended());
}

TEST_F(Play, ARenameThatFailsKeepsTheEarlierStagedDemoAndLeavesNoTemporaryFile) {
  const std::string folder = "C:\\Sierra\\Half-Life\\cstrike";
  fp.files.AddFile(folder + "\\replaydock.dem", "EARLIER");
  fp.files.FailNext(fakes::FakeFileSystem::Op::Move, 32);
  Choose("D:\\Demos\\match.dem", kHL, "cstrike");
  PressPlay();
  EXPECT_EQ(fp.files.Content(folder + "\\replaydock.dem"), "EARLIER");
  EXPECT_THAT(fp.files.List(folder), ElementsAre("replaydock.dem"));
  EXPECT_EQ(fp.dialogs.messages.back().text,
            CopyingFailed(folder + "\\replaydock.dem") + "\n\nSystem error 32.");
  EXPECT_TRUE(fp.shell.calls.empty());
  EXPECT_FALSE(Ended());
}

TEST_F(Play, AReadOnlyStagedDemoIsReported) {
  const std::string folder = "C:\\Sierra\\Half-Life\\cstrike";
  fp.files.AddFile(folder + "\\replaydock.dem", "EARLIER", {false, false, true});
  Choose("D:\\Demos\\match.dem", kHL, "cstrike");
  PressPlay();
  EXPECT_EQ(fp.files.Content(folder + "\\replaydock.dem"), "EARLIER");
  EXPECT_THAT(fp.files.List(folder), ElementsAre("replaydock.dem"));
  EXPECT_EQ(fp.dialogs.messages.back().text,
            CopyingFailed(folder + "\\replaydock.dem") + "\n\nSystem error 5.");
}

TEST_F(Play, ALocationInADriveRootStagesBelowTheBareDrive) {
  fp.files.AddFolder("X:\\cstrike");
  Store("HLPath", "X:\\hl.exe");
  Choose("D:\\Demos\\match.dem", kHL, "cstrike");
  PressPlay();
  EXPECT_EQ(fp.files.Content("X:\\cstrike\\replaydock.dem"), "HLDEMO-bytes");
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_EQ(fp.shell.calls[0].file, "X:\\hl.exe");
  EXPECT_EQ(fp.shell.calls[0].directory, "X:");
}

// --- starting the game ---

TEST_F(Play, AGameThatDoesNotStartIsReportedAndTheWindowComesBack) {
  fp.shell.result = 2;
  Choose("D:\\Demos\\match.dem", kHL, "cstrike");
  PressPlay();
  ASSERT_GE(fp.log.size(), 2u);
  EXPECT_EQ(fp.log.back(), "show main");
  EXPECT_EQ(fp.log[fp.log.size() - 2],
            "message The game could not be started: C:\\Sierra\\Half-Life\\hl.exe. Please check "
            "the game's location in the configuration window.\n\nSystem error 2.");
  EXPECT_EQ(fp.dialogs.messages.back().style, kCriticalOK);
  // The demo was staged all the same.
  EXPECT_EQ(fp.files.Content("C:\\Sierra\\Half-Life\\cstrike\\replaydock.dem"), "HLDEMO-bytes");
  EXPECT_FALSE(Ended());
}

TEST_F(Play, ThirtyTwoIsAFailureAndThirtyThreeASuccess) {
  fp.shell.result = 32;
  Choose("D:\\Demos\\duel.dm_66", kQ3, "");
  PressPlay();
  EXPECT_EQ(fp.log.back(), "show main");
  EXPECT_EQ(fp.dialogs.messages.back().text,
            "The game could not be started: C:\\Program Files\\Quake III Arena\\quake3.exe. Please "
            "check the game's location in the configuration window.\n\nThe specified DLL was not "
            "found.");
  fp.shell.result = 33;
  PressPlay();
  EXPECT_THAT(std::vector<std::string>(fp.log.end() - 2, fp.log.end()), ElementsAre("end", "exit"));
}

// --- failing settings ---

TEST_F(Play, FailingSettingsNeitherStopNorReportTheLaunch) {
  Store("HLPath", "E:\\Elsewhere\\hl.exe");
  Choose("D:\\Demos\\match.dem", kHL, "cstrike", "1", "800x600");
  fp.registry.FailUnder(fakes::FakeRegistry::Op::Create, "HKCU\\Software\\Valve", 5);
  fp.registry.FailUnder(fakes::FakeRegistry::Op::Open, "HKCU\\Software\\Tessaway", 5);
  PressPlay();
  EXPECT_EQ(Engine("EngineModeH"), std::nullopt);
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_EQ(fp.shell.calls[0].file, "C:\\Sierra\\Half-Life\\hl.exe");  // the default location
  EXPECT_THAT(fp.dialogs.messages, IsEmpty());
  EXPECT_TRUE(Ended());
  EXPECT_EQ(fp.registry.OpenHandles(), 0);
}

// --- the staging routine on its own ---

TEST(StageDemo, ReportsTheStagedPathAndTheFailingStepsCode) {
  fakes::FakePlatform fp;
  fp.files.AddFile("C:\\d.dm_66", "demo");
  const catalogue::Game& q3 = catalogue::Games()[1];
  fp.files.FailNext(fakes::FakeFileSystem::Op::MakeFolder, 112);
  play::StageResult r = play::StageDemo(fp.ports, q3, "C:\\Q3", "osp", "C:\\d.dm_66");
  EXPECT_FALSE(r.staged);
  EXPECT_EQ(r.stagedPath, "C:\\Q3\\baseq3\\Demos\\replaydock.dm_66");
  EXPECT_EQ(r.error, 112u);

  fp.files.AddFolder("C:\\Q3\\baseq3");
  r = play::StageDemo(fp.ports, q3, "C:\\Q3", "osp", "C:\\d.dm_66");
  EXPECT_TRUE(r.staged);
  EXPECT_EQ(r.error, 0u);
  EXPECT_EQ(fp.files.Content(r.stagedPath), "demo");
}

TEST(StageDemo, ResolutionsSplitAtTheFirstLowerCaseX) {
  EXPECT_EQ(play::ParseResolution("1280x1024").width, 1280);
  EXPECT_EQ(play::ParseResolution("1280x1024").height, 1024);
  EXPECT_EQ(play::ParseResolution("640X480").width, 640);
  EXPECT_EQ(play::ParseResolution("640X480").height, 0);
  EXPECT_EQ(play::ParseResolution("x").width, 0);
}

}  // namespace
}  // namespace rd
