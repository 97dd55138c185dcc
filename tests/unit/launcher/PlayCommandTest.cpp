#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "launcher/PlayCommand.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd {
namespace {

using namespace launcher_tests;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kEngine = "HKCU\\Software\\Valve\\Half-Life\\Settings";
constexpr const char* kStagedHL = "C:\\Sierra\\Half-Life\\cstrike\\replaydock.dem";

std::string Message(const std::string& text) {
  return "message " + text;
}

class Play : public WindowTest {
 protected:
  Play() {
    fp.files.AddFile("D:\\Demos\\match.dem", "HLDEMO");
    fp.files.AddFile("D:\\Demos\\duel.dm_66", "Q3DEMO");
    fp.files.AddFile("D:\\Demos\\base.dm_57", "WOLFDEMO");
    fp.files.AddFile(kStagedHL, "EARLIER");
    fp.files.AddFolder("C:\\Sierra\\Half-Life\\dod");
    fp.files.AddFolder("C:\\Program Files\\Quake III Arena\\baseq3");
    fp.files.AddFolder("C:\\RTCW\\Main");
    fp.files.AddFile("E:\\Q3\\baseq3\\Demos\\other.dm_66");
    fp.files.AddFolder("D:\\Demos\\folder.dem");
    fp.files.AddDrive('F', false);
  }
  std::optional<std::uint32_t> Engine(const std::string& name) const {
    const auto v =
        fp.registry.Get(regroot::CurrentUser, "Software\\Valve\\Half-Life\\Settings", name);
    if (!v || v->type != regtype::Dword || v->data.size() != 4) return std::nullopt;
    return v->data[0] | v->data[1] << 8 | v->data[2] << 16 | std::uint32_t{v->data[3]} << 24;
  }
  // Loads the window, makes the choices as the user would and clears the log. The
  // resolution comes first, while Half-Life still enables its box.
  void Choose(const std::string& demo, const std::string& game, const std::string& mod,
              const std::string& speed = "1", const std::string& resolution = "Default") {
    Load();
    Pick(form->cboResolution, resolution);
    form->txtFilename.UserEdited(demo);
    Pick(form->cboGame, game);
    form->cboMod.UserEdited(mod);
    form->cboSpeed.UserEdited(speed);
    fp.log.clear();
  }
  void PressPlay() { form->cmdBottom[2].UserClicked(); }
  bool Ended() const { return fp.process.exitCount > 0; }
};

struct Launch {
  struct {
    const char* name;
    const char* demo;
    const char* game;
    const char* mod;
    const char* speed = "1";
    const char* resolution = "Default";
    const char* location = nullptr;  // the game's stored location
    const char* staged = kStagedHL;
    std::optional<std::string> content = "EARLIER";  // of the staged demo afterwards
  } c;
  std::vector<std::string> log;  // without the resolution's writes
};

class Launches : public Play, public ::testing::WithParamInterface<Launch> {};

TEST_P(Launches, StageTheDemoAndStartTheGameOrSayWhyNot) {
  const auto& [c, log] = GetParam();
  if (c.location) Store(fp, catalogue::FindByName(c.game)->locationValue, c.location);
  if (!*c.game) Store(fp, catalogue::DefaultGameValue, "none");  // so that none is selected
  Choose(c.demo, c.game, c.mod, c.speed, c.resolution);
  PressPlay();

  // A chosen resolution is written as soon as the window is hidden.
  std::vector<std::string> expected = log;
  if (std::string(c.resolution) != "Default" && expected[0] == "hide main") {
    expected.insert(expected.begin() + 1, {std::string("reg create ") + kEngine,
                                           std::string("reg set ") + kEngine + "\\EngineModeH",
                                           std::string("reg create ") + kEngine,
                                           std::string("reg set ") + kEngine + "\\EngineModeW"});
  }
  EXPECT_EQ(fp.log, expected);
  EXPECT_EQ(fp.files.Content(c.staged), c.content);
  const std::string staged(c.staged);
  for (const std::string& name : fp.files.List(staged.substr(0, staged.rfind('\\')))) {
    EXPECT_EQ(name.find('~'), std::string::npos) << "left behind: " << name;
  }
  for (const auto& m : fp.dialogs.messages) {
    EXPECT_EQ(m.title, AppTitle);
    EXPECT_EQ(m.style, mb::IconCritical | mb::OK);
  }
}

const std::string kHLTemp = "C:\\Sierra\\Half-Life\\cstrike\\~replaydock.dem.tmp";
const std::string kHLOld = "C:\\Sierra\\Half-Life\\cstrike\\~replaydock.dem.old";
const std::string kQ3Demos = "E:\\Q3\\baseq3\\Demos";
const std::string kRTCWDemos = "C:\\RTCW\\Main\\Demos";
const std::vector<std::string> kNotThere{"hide main", Message(kDemoMissing), "show main"};

// A speed that is no number is played as 1; a number goes as typed, to Half-Life only.
INSTANTIATE_TEST_SUITE_P(
    Play, Launches,
    ::testing::Values(
        Launch{{"HalfLifeReplacesTheEarlierStagedDemo", "D:\\Demos\\match.dem", kHL, "cstrike",
                "-0.5", "800x600", nullptr, kStagedHL, "HLDEMO"},
               {"hide main", "fs copy D:\\Demos\\match.dem -> " + kHLTemp,
                "fs move " + std::string(kStagedHL) + " -> " + kHLOld,
                "fs move " + kHLTemp + " -> " + kStagedHL,
                "shell C:\\Sierra\\Half-Life\\hl.exe | -game cstrike -console -toconsole "
                "+playdemo replaydock -0.5| in C:\\Sierra\\Half-Life",
                "fs delete " + kHLOld, "exit"}},
        Launch{{"HalfLifeWithoutAModStagesBesideTheExecutable", "D:\\Demos\\match.dem", kHL, "",
                "quick", "Default", nullptr, "C:\\Sierra\\Half-Life\\replaydock.dem", "HLDEMO"},
               {"hide main",
                "fs copy D:\\Demos\\match.dem -> C:\\Sierra\\Half-Life\\\\~replaydock.dem.tmp",
                "fs move C:\\Sierra\\Half-Life\\\\replaydock.dem -> "
                "C:\\Sierra\\Half-Life\\\\~replaydock.dem.old",
                "fs move C:\\Sierra\\Half-Life\\\\~replaydock.dem.tmp -> "
                "C:\\Sierra\\Half-Life\\\\replaydock.dem",
                "shell C:\\Sierra\\Half-Life\\hl.exe | -console -toconsole +playdemo "
                "replaydock 1| in C:\\Sierra\\Half-Life",
                "exit"}},
        Launch{
            {"Quake3UsesItsExistingDemoFolderAndNoSpeed", "D:\\Demos\\duel.dm_66", kQ3, "osp", "3",
             "Default", "E:\\Q3\\quake3.exe", "E:\\Q3\\baseq3\\Demos\\replaydock.dm_66", "Q3DEMO"},
            {"hide main", "fs mkdir " + kQ3Demos,
             "fs copy D:\\Demos\\duel.dm_66 -> " + kQ3Demos + "\\~replaydock.dm_66.tmp",
             "fs move " + kQ3Demos + "\\replaydock.dm_66 -> " + kQ3Demos +
                 "\\~replaydock.dm_66.old",
             "fs move " + kQ3Demos + "\\~replaydock.dm_66.tmp -> " + kQ3Demos +
                 "\\replaydock.dm_66",
             "shell E:\\Q3\\quake3.exe | +set fs_game osp +demo replaydock| in E:\\Q3", "exit"}},
        // A resolution chosen for Half-Life is written for any game.
        Launch{
            {"WolfensteinCreatesItsDemoFolder", "D:\\Demos\\base.dm_57", kRTCW, "", "1", "1024x768",
             "C:\\RTCW\\WolfMP.exe", "C:\\RTCW\\Main\\Demos\\replaydock.dm_57", "WOLFDEMO"},
            {"hide main", "fs mkdir " + kRTCWDemos,
             "fs copy D:\\Demos\\base.dm_57 -> " + kRTCWDemos + "\\~replaydock.dm_57.tmp",
             "fs move " + kRTCWDemos + "\\replaydock.dm_57 -> " + kRTCWDemos +
                 "\\~replaydock.dm_57.old",
             "fs move " + kRTCWDemos + "\\~replaydock.dm_57.tmp -> " + kRTCWDemos +
                 "\\replaydock.dm_57",
             "shell C:\\RTCW\\WolfMP.exe | +demo replaydock| in C:\\RTCW", "exit"}},
        Launch{{"MissingGameFolder", "D:\\Demos\\duel.dm_66", kQ3, "osp", "1", "Default",
                "E:\\Nowhere\\quake3.exe", "E:\\Nowhere\\baseq3\\Demos\\replaydock.dm_66",
                std::nullopt},
               {"hide main", "fs mkdir E:\\Nowhere\\baseq3\\Demos",
                Message(CopyFailed("E:\\Nowhere\\baseq3\\Demos\\replaydock.dm_66") +
                        "\n\nSystem error 3."),
                "show main"}},
        // The file is found, but the copy cannot take a pattern.
        Launch{{"WildcardDemo", "D:\\Demos\\ma*.dem", kHL, "cstrike"},
               {"hide main", "fs copy D:\\Demos\\ma*.dem -> " + kHLTemp, "fs delete " + kHLTemp,
                Message(CopyFailed(kStagedHL) + "\n\nSystem error 123."), "show main"}},
        Launch{{"MissingDemo", "D:\\Demos\\gone.dem", kHL, "cstrike", "1", "640x480"}, kNotThere},
        // A folder is no demo, and a drive that cannot be read holds none.
        Launch{{"FolderIsNoDemo", "D:\\Demos\\folder.dem", kHL, "cstrike"}, kNotThere},
        Launch{{"UnreadableDriveHoldsNoDemo", "F:\\x.dem", kHL, "cstrike"}, kNotThere},
        // Refused before the window is hidden, the speed made a number all the same.
        Launch{{"NoFileName", "", kHL, "cstrike", "abc", "800x600"}, {Message(kNoDemo)}},
        // The game is asked for only once the file is known to be there.
        Launch{{"NoGame", "D:\\Demos\\match.dem", "", "", "1", "800x600"},
               {"hide main", Message(kNoGame), "show main"}},
        Launch{{"NoGameNorDemo", "D:\\Demos\\gone.dem", "", ""}, kNotThere}),
    [](const auto& info) { return std::string(info.param.c.name); });

TEST_F(Play, TheResolutionIsStoredAsWidthAndHeightEvenWhenTheLaunchFails) {
  Choose("D:\\Demos\\gone.dem", kHL, "cstrike", "1", "1152x864");
  PressPlay();
  EXPECT_EQ(Engine("EngineModeW"), 1152u);
  EXPECT_EQ(Engine("EngineModeH"), 864u);
}

TEST_F(Play, AHalfLifeModThatIsNoSingleFolderNameCopiesNothing) {
  for (const std::string mod : {".", "..", "..\\valve", "cstrike\\maps", "a/b", "c:x", "dod*",
                                "d?d", "\"dod\"", "<dod>", "a|b"}) {
    Choose("D:\\Demos\\match.dem", kHL, mod);
    PressPlay();
    const std::string staged = "C:\\Sierra\\Half-Life\\" + mod + "\\replaydock.dem";
    EXPECT_THAT(fp.log, ElementsAre("hide main",
                                    Message(CopyFailed(staged) + "\n\nSystem error 123."),
                                    "show main"))
        << mod;
  }
  EXPECT_TRUE(fp.shell.calls.empty());
}

// The copy failing, or the rename, is also swept over in FaultsTest.
TEST_F(Play, AFailedStagingKeepsTheEarlierDemoAndGivesTheFailingStepsReason) {
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] {
         fp.files.AddFile(kStagedHL, "EARLIER", {false, false, true});
       },
       "System error 5."},
      // The copy's reason, though removing what it wrote failed as well.
      {[&] {
         fp.files.FailCopyHalfway(112);
         fp.files.FailNext(fakes::FakeFileSystem::Op::Remove, 5);
       },
       "System error 112."}};
  for (const auto& [fault, reason] : cases) {
    Choose("D:\\Demos\\match.dem", kHL, "cstrike");
    fault();
    PressPlay();
    EXPECT_EQ(fp.files.Content(kStagedHL), "EARLIER");
    EXPECT_EQ(fp.dialogs.messages.back().text, CopyFailed(kStagedHL) + "\n\n" + reason);
    EXPECT_EQ(fp.log.back(), "show main");
  }
  EXPECT_TRUE(fp.shell.calls.empty());
}

TEST_F(Play, AGameThatDoesNotStartIsReportedWithTheShellsReason) {
  const std::pair<std::intptr_t, const char*> cases[] = {
      {0, "The system is out of memory or resources."}, {32, "The specified DLL was not found."}};
  for (const auto& [result, reason] : cases) {
    fp.shell.result = result;
    Choose("D:\\Demos\\match.dem", kHL, "cstrike");
    PressPlay();
    EXPECT_EQ(fp.log.back(), "show main");
    EXPECT_EQ(fp.dialogs.messages.back().text,
              "The game could not be started: C:\\Sierra\\Half-Life\\hl.exe. Please check the "
              "game's location in the configuration window.\n\n" +
                  std::string(reason));
    EXPECT_EQ(fp.files.Content(kStagedHL), "HLDEMO");  // staged all the same
  }
  EXPECT_FALSE(Ended());
  fp.shell.result = 33;
  PressPlay();
  EXPECT_EQ(fp.log.back(), "exit");
}

TEST_F(Play, FailingSettingsNeitherStopNorReportTheLaunch) {
  Store(fp, "HLPath", "E:\\Elsewhere\\hl.exe");
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

TEST(ParseResolution, SplitsAtTheFirstLowerCaseX) {
  const struct {
    const char* text;
    int width, height;
  } cases[] = {{"1280x1024", 1280, 1024}, {"640X480", 640, 0}, {"x", 0, 0}, {"800", 800, 0}};
  for (const auto& c : cases) {
    const play::Resolution size = play::ParseResolution(c.text);
    EXPECT_EQ(size.width, c.width) << c.text;
    EXPECT_EQ(size.height, c.height) << c.text;
  }
}

}  // namespace
}  // namespace rd
