#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "launcher/DemoSummary.h"
#include "tests/unit/launcher/LauncherTesting.h"

// The main window over real demos: what it shows of them, the game and mod it takes from
// them, dropped files, and how a demo of a later version is staged and played.
namespace rd {
namespace {

using namespace launcher_tests;

// A real demo of tests/corpus.
std::string Corpus(const char* name) {
  const std::string here = __FILE__;
  std::ifstream in(here.substr(0, here.rfind("unit")) + "corpus/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A real Counter-Strike demo with the game folder of its header (offset 276) changed to dod.
std::string DayOfDefeatDemo() {
  std::string bytes = Corpus("real-03.dem");
  bytes.replace(276, 8, std::string("dod\0\0\0\0\0", 8));
  return bytes;
}

const std::string kCpma = Corpus("real-07.dm_68");
const std::string kCpmaLine = "Map: q3dm6 \xC2\xB7 Mod: cpma \xC2\xB7 protocol 68 \xC2\xB7 Host: noname";
const std::string kDodLine = "Map: crossfire \xC2\xB7 Mod: dod \xC2\xB7 0:07 \xC2\xB7 protocol 48";

class DemoWindowTest : public WindowTest {
 protected:
  DemoWindowTest() {
    fp.files.AddDrive('D');
    fp.files.AddFile("D:\\Demos\\cpma.dm_68", kCpma);
    Store(fp, "DefaultQ3AMod", "arena");
  }
  int Reads() const {
    return static_cast<int>(std::count_if(fp.log.begin(), fp.log.end(), [](const std::string& l) {
      return l.rfind("fs read ", 0) == 0;
    }));
  }
};

struct Opened {
  const char* name;
  std::string file;
  std::string bytes;
  const char* game;  // selected; empty: none
  const char* mod;   // shown, and stored as the game's last mod
  std::string line;
};

class OpenedDemos : public DemoWindowTest, public ::testing::WithParamInterface<Opened> {};

// The content picks the game when the name names none or another; a demo that names no
// mod keeps the game's last one.
TEST_P(OpenedDemos, ShowWhatTheySayAndTakeTheirGameAndMod) {
  const Opened& c = GetParam();
  fp.files.AddFile(c.file, c.bytes);
  fp.process.commandLine = c.file;
  MainWindow& f = Load();
  EXPECT_EQ(f.lblDemo.Caption(), c.line);
  EXPECT_EQ(f.cboGame.Text(), c.game);
  EXPECT_EQ(f.cboMod.Text(), c.mod);
  if (*c.game) {
    EXPECT_EQ(Stored(fp, catalogue::FindByName(c.game)->modValue), c.mod);
  }
}

const std::string kCut = kCpma.substr(0, 100);

INSTANTIATE_TEST_SUITE_P(
    DemoWindow, OpenedDemos,
    ::testing::Values(
        Opened{"Quake3ModDemo", "D:\\Demos\\cpma.dm_68", kCpma, kQ3, "cpma", kCpmaLine},
        Opened{"BaseGameKeepsTheLastMod", "D:\\Demos\\base.dm_68", Corpus("real-04.dm_68"), kQ3,
               "arena", "Map: Q3DM7 \xC2\xB7 Mod: base game \xC2\xB7 protocol 68 \xC2\xB7 Host: noname"},
        Opened{"HalfLifeModDemo", "D:\\Demos\\Dod.dem", DayOfDefeatDemo(), kHL, "dod", kDodLine},
        Opened{"GoldSrcNamedQuake3", "D:\\Demos\\Cs.dm_66", Corpus("real-03.dem"), kHL, "cstrike",
               "Map: crossfire \xC2\xB7 Mod: cstrike \xC2\xB7 0:07 \xC2\xB7 protocol 48"},
        Opened{"Quake3NamedHalfLife", "D:\\Demos\\Cpma.dem", kCpma, kQ3, "cpma", kCpmaLine},
        Opened{"ProtocolOverWolfensteinName", "D:\\Demos\\Cpma.dm_60", kCpma, kQ3, "cpma", kCpmaLine},
        Opened{"NoExtension", "D:\\Demos\\Cpma", kCpma, kQ3, "cpma", kCpmaLine},
        Opened{"UnreadableDemo", "D:\\Demos\\Cut.dm_68", kCut, kQ3, "arena",
               "The demo could not be read: " + demo::InspectBytes(kCut).reason},
        Opened{"NoDemoAtAll", "D:\\Demos\\Notes.txt", "some notes", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DemoWindowTest, TypingReadsADemoOnceItIsThereAndAgainOnlyWhenItChanged) {
  fp.files.AddFile("D:\\Demos\\dod.dem", DayOfDefeatDemo());
  MainWindow& f = Load();
  fp.log.clear();
  const std::string path = "D:\\Demos\\dod.dem";
  for (std::size_t n = 1; n < path.size(); ++n) f.txtFilename.UserEdited(path.substr(0, n));
  EXPECT_EQ(f.lblDemo.Caption(), "");
  EXPECT_EQ(Reads(), 0);
  f.txtFilename.UserEdited(path);
  EXPECT_EQ(f.lblDemo.Caption(), kDodLine);
  EXPECT_EQ(f.cboMod.Text(), "dod");  // Half-Life is selected: the demo's game
  const int reads = Reads();
  EXPECT_GT(reads, 0);

  // Past the name and back: the line follows, the file is not read again until it changes.
  f.txtFilename.UserEdited(path + "x");
  EXPECT_EQ(f.lblDemo.Caption(), "");
  f.cboMod.UserEdited("cstrike");
  f.txtFilename.UserEdited(path);
  EXPECT_EQ(f.lblDemo.Caption(), kDodLine);
  EXPECT_EQ(f.cboMod.Text(), "cstrike");  // the user's choice stands
  EXPECT_EQ(Reads(), reads);
  fp.files.AddFile(path, Corpus("real-03.dem"));
  f.txtFilename.UserEdited(path + "x");
  f.txtFilename.UserEdited(path);
  EXPECT_EQ(f.cboMod.Text(), "cstrike");
  EXPECT_THAT(f.lblDemo.Caption(), ::testing::HasSubstr("Mod: cstrike"));
  EXPECT_EQ(Reads(), 2 * reads);

  // Typing selects no game, and a demo of another game leaves the mod alone.
  Pick(f.cboGame, kQ3);
  f.txtFilename.UserEdited("D:\\Demos\\dod.de");
  f.txtFilename.UserEdited("D:\\Demos\\cpma.dm_68");
  f.txtFilename.UserEdited("D:\\Demos\\dod.dem");
  EXPECT_EQ(f.lblDemo.Caption(), "Map: crossfire \xC2\xB7 Mod: cstrike \xC2\xB7 0:07 \xC2\xB7 protocol 48");
  EXPECT_EQ(f.cboGame.Text(), kQ3);
  EXPECT_EQ(f.cboMod.Text(), "cpma");
}

struct Drop {
  const char* name;
  std::vector<std::string> paths;
  std::string taken;  // the file box afterwards; empty: the drop was passed over
  const char* game = kQ3;
  const char* mod = "cpma";
};

class Drops : public DemoWindowTest, public ::testing::WithParamInterface<Drop> {};

TEST_P(Drops, TakeTheFirstFileAsTheOpenDialogWouldOrPassItOver) {
  const Drop& c = GetParam();
  fp.files.AddFile("D:\\Demos\\notes.txt", "some notes");
  fp.files.AddFile("D:\\Demos\\cut.dm_68", kCut);
  fp.files.AddFile("D:\\Demos\\duel.bin", kCpma);
  fp.files.AddFile("D:\\Demos\\Long Demo Name.dm_68", kCpma, {}, "LONGDE~1.DM_");
  MainWindow& f = Load();
  fp.log.clear();
  f.Form_DropFiles(c.paths);
  if (c.taken.empty()) {
    EXPECT_THAT(fp.log, ::testing::Each(::testing::StartsWith("fs ")));  // nothing written
    EXPECT_EQ(f.txtFilename.Text(), "");
    return;
  }
  EXPECT_EQ(f.txtFilename.Text(), c.taken);
  EXPECT_EQ(Stored(fp, catalogue::LastFilenameValue), c.taken);
  EXPECT_EQ(f.cboGame.Text(), c.game);
  EXPECT_EQ(f.cboMod.Text(), c.mod);
  EXPECT_NE(f.lblDemo.Caption(), "");
  f.cmdSelect.UserClicked();
  EXPECT_EQ(fp.dialogs.openRequests.back().fileName, c.taken);
}

INSTANTIATE_TEST_SUITE_P(
    DemoWindow, Drops,
    ::testing::Values(
        Drop{"FirstOfSeveral", {"d:\\demos\\cpma.dm_68", "D:\\Demos\\notes.txt"}, "D:\\Demos\\Cpma.dm_68"},
        Drop{"ShortName", {"D:\\DEMOS\\LONGDE~1.DM_"}, "D:\\Demos\\Long Demo Name.dm_68"},
        Drop{"DemoByContentOnly", {"D:\\Demos\\duel.bin"}, "D:\\Demos\\Duel.bin"},
        Drop{"DemoByNameOnly", {"D:\\Demos\\cut.dm_68"}, "D:\\Demos\\Cut.dm_68", kQ3, "arena"},
        Drop{"Folder", {"D:\\Demos", "D:\\Demos\\cpma.dm_68"}, ""},
        Drop{"NoDemo", {"D:\\Demos\\notes.txt"}, ""},
        Drop{"Missing", {"D:\\Demos\\gone.dm_68"}, ""},
        Drop{"Nothing", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct Staging {
  const char* name;
  const char* demo;
  const char* game;
  std::string staged;      // in the demo folder
  std::string parameters;  // after the mod option
  std::vector<std::string> gone;  // earlier staged copies removed
};

class Stagings : public DemoWindowTest, public ::testing::WithParamInterface<Staging> {};

// The staged copy keeps the demo's own extension and is played by it; the original
// extensions keep their command lines.
TEST_P(Stagings, StageUnderTheDemosOwnExtensionAndRemoveTheOtherCopies) {
  const Staging& c = GetParam();
  const std::string folder = std::string(c.game) == kQ3 ? "E:\\Q3\\baseq3\\Demos" : "E:\\RTCW\\Main\\Demos";
  fp.files.AddDrive('E');
  for (const char* ext : {".dm_57", ".dm_58", ".dm_59", ".dm_60", ".dm_66", ".dm_67", ".dm_68"}) {
    fp.files.AddFile(folder + "\\replaydock" + ext, "EARLIER");
  }
  fp.files.AddFile(c.demo, "NEW");
  Store(fp, "Q3APath", "E:\\Q3\\quake3.exe");
  Store(fp, "RTCWPath", "E:\\RTCW\\WolfMP.exe");
  MainWindow& f = Load();
  f.txtFilename.UserEdited(c.demo);
  Pick(f.cboGame, c.game);
  f.cmdBottom[2].UserClicked();
  EXPECT_EQ(fp.files.Content(folder + "\\" + c.staged), "NEW");
  for (const std::string& name : fp.files.List(folder)) {
    const bool removed = std::find(c.gone.begin(), c.gone.end(), name) != c.gone.end();
    EXPECT_FALSE(removed) << name << " is still there";
  }
  EXPECT_EQ(fp.files.List(folder).size(), 7 - c.gone.size());
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_EQ(fp.shell.calls[0].parameters, c.parameters);
}

INSTANTIATE_TEST_SUITE_P(
    DemoWindow, Stagings,
    ::testing::Values(
        Staging{"Quake3Original", "D:\\a.dm_66", kQ3, "replaydock.dm_66",
                " +set fs_game arena +demo replaydock", {"replaydock.dm_67", "replaydock.dm_68"}},
        Staging{"Quake3Later", "D:\\a.DM_67", kQ3, "replaydock.dm_67",
                " +set fs_game arena +demo replaydock.dm_67", {"replaydock.dm_66", "replaydock.dm_68"}},
        Staging{"WolfensteinLater", "D:\\a.dm_60", kRTCW, "replaydock.dm_60",
                " +demo replaydock.dm_60", {"replaydock.dm_57", "replaydock.dm_58", "replaydock.dm_59"}},
        // A demo whose name is not the game's is staged as the game's original kind.
        Staging{"NameOfAnotherGame", "D:\\a.dm_59", kQ3, "replaydock.dm_66",
                " +set fs_game arena +demo replaydock", {"replaydock.dm_67", "replaydock.dm_68"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DemoWindowTest, AFailedStagingRemovesNoEarlierCopy) {
  fp.files.AddFile("C:\\Program Files\\Quake III Arena\\baseq3\\Demos\\replaydock.dm_66", "EARLIER");
  fp.process.commandLine = "D:\\Demos\\cpma.dm_68";
  MainWindow& f = Load();
  fp.files.FailNext(fakes::FakeFileSystem::Op::Copy, 112);
  f.cmdBottom[2].UserClicked();
  EXPECT_EQ(fp.files.Content("C:\\Program Files\\Quake III Arena\\baseq3\\Demos\\replaydock.dm_66"),
            "EARLIER");
  EXPECT_TRUE(fp.shell.calls.empty());
}

TEST(DemoSummary, LinesGiveTheLengthAsAClockAndTheServerWithoutColours) {
  demo::DemoInfo info;
  info.read = true;
  info.engine = demo::Engine::GoldSrc;
  info.map = "de_dust2";
  info.mod = "cstrike";
  const std::pair<double, const char*> lengths[] = {
      {754.4, " \xC2\xB7 12:34"}, {3725.5, " \xC2\xB7 1:02:06"}, {0, " \xC2\xB7 0:00"}, {-1, ""}};
  for (const auto& [seconds, clock] : lengths) {
    info.seconds = seconds;
    EXPECT_EQ(summary::Line(info), "Map: de_dust2 \xC2\xB7 Mod: cstrike" + std::string(clock)) << seconds;
  }
  info.engine = demo::Engine::Quake3;
  info.protocol = 68;
  info.hostName = "^1Red^7 Server^^";
  EXPECT_EQ(summary::Line(info),
            "Map: de_dust2 \xC2\xB7 Mod: cstrike \xC2\xB7 protocol 68 \xC2\xB7 Host: Red Server^^");
}

}  // namespace
}  // namespace rd
