#include <fstream>
#include <iterator>
#include <tuple>

#include "tests/unit/launcher/LauncherTesting.h"

namespace rd::launcher_tests {
namespace {

Texts Writes(const Texts& log) {  // the names of the values written, in order
  Texts names;
  for (const std::string& l : log) {
    if (l.rfind("reg set ", 0) == 0) names.push_back(l.substr(l.rfind('\\') + 1));
  }
  return names;
}

// A Half-Life demo is told by an existing file's name, the others by the text alone; only a
// command line wholly in one pair of quotes loses them. With a command line the stored game
// and file are not read; without one they are restored and written back.
TEST_F(WindowTest, TheFileBoxShowsTheCommandLineOrTheLastFileAndPicksItsGame) {
  fp.files.AddFile("C:\\My Demos\\Final Match.dem", "x");
  Store(fp, "DefaultRTCWMod", "osp2");
  // clang-format off
  const std::tuple<std::string, std::string, std::string, Texts> cases[] = {
      {"D:\\duel.dm_66", "D:\\duel.dm_66", kQ3, {"LastFilename", "DefaultGame"}},
      {"D:\\match.dem", "D:\\match.dem", "", {"LastFilename"}}, {"\"", "\"", "", {"LastFilename"}},
      {"\"c:\\my demos\\FINAL match.dem\"", "C:\\My Demos\\Final Match.dem", kHL,
       {"LastFilename", "DefaultGame", "DefaultHLMod"}},
      {"\"C:\\a.dem\" \"C:\\b.dem\"", "\"C:\\a.dem\" \"C:\\b.dem\"", "", {"LastFilename"}},
      {"C:\\x \"y\".dm_57", "C:\\x \"y\".dm_57", kRTCW, {"LastFilename", "DefaultGame", "DefaultRTCWMod"}},
      {"", "C:\\Demos\\x.dm_66", kQ3, {"DefaultGame", "DefaultRTCWMod", "LastFilename", "DefaultGame"}}};
  // clang-format on
  for (const auto& [commandLine, shown, game, writes] : cases) {
    Store(fp, catalogue::DefaultGameValue, kRTCW);
    Store(fp, catalogue::LastFilenameValue, "C:\\Demos\\x.dm_66");
    fp.process.commandLine = commandLine;
    fp.log.clear();
    MainWindow& f = Load();
    EXPECT_EQ(f.txtFilename.Text() + "|" + f.cboGame.Text(), shown + "|" + game) << commandLine;
    EXPECT_EQ(Writes(fp.log), writes) << commandLine;
    EXPECT_EQ(Stored(fp, catalogue::LastFilenameValue), shown);
  }
  Store(fp, catalogue::DefaultGameValue, "half-life");  // spelt otherwise: no game
  Store(fp, catalogue::LastFilenameValue, "");
  EXPECT_EQ(Load().cboGame.ListIndex(), -1);
  fp.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 21);  // unexaminable: no game either
  fp.process.commandLine = "C:\\duel.dm_66";
  EXPECT_EQ(Load().cboGame.ListIndex(), -1);
}

TEST_F(WindowTest, EachGameRemembersItsOwnModAndOnlyHalfLifeTakesSpeedAndResolution) {
  MainWindow& f = Load();
  EXPECT_EQ(f.cboGame.Text() + f.cboMod.Text() + f.cboSpeed.Text() + f.cboResolution.Text(),
            std::string(kHL) + "cstrike1Default");
  Pick(f.cboMod, "dod");
  Pick(f.cboResolution, "1024x768");
  f.cboSpeed.UserEdited("2");
  Pick(f.cboGame, kQ3);
  EXPECT_EQ(f.cboMod.Items(), (Texts{"arena", "generations", "osp"}));
  EXPECT_FALSE(f.cboSpeed.Enabled() || f.cboResolution.Enabled());
  Pick(f.cboGame, kRTCW);
  fp.log.clear();
  for (const char* typed : {"o", "os", "osp"}) f.cboMod.UserEdited(typed);
  EXPECT_EQ(Writes(fp.log), Texts(3, "DefaultRTCWMod"));
  Pick(f.cboGame, kHL);
  EXPECT_EQ(f.cboMod.Text() + f.cboSpeed.Text() + f.cboResolution.Text(), "dod21024x768");
  EXPECT_TRUE(f.cboSpeed.Enabled() && f.cboResolution.Enabled());
  Pick(f.cboGame, kRTCW);
  EXPECT_EQ(Load().cboMod.Text(), "osp");  // the next start restores the game and its mod
  fp.log.clear();
  for (const char* typed : {"C", "C:\\a.dm_66", ""}) form->txtFilename.UserEdited(typed);
  EXPECT_EQ(Writes(fp.log), Texts(3, "LastFilename"));  // every keystroke; the game stays
  EXPECT_EQ(form->cboGame.Text(), kRTCW);
}

constexpr const char* kNotHere =
    "Replaydock plays Half-Life, Quake 3 Arena and Return To Castle Wolfenstein demos.";

std::string Corpus(const char* name) {
  std::ifstream in(std::string(RD_CORPUS) + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The content picks the game where the name names another; a demo naming no mod keeps the
// game's last one, one that cannot be read says why, a file that is no demo says nothing.
// Typed, a demo is read once the text names it and again only when it changed; a drop of a
// folder or of no demo changes nothing.
TEST_F(WindowTest, ADemoBringsItsGameModAndLineAndIsReadOnlyWhenNew) {
  Store(fp, "DefaultQ3AMod", "osp");
  const std::string cases[][5] = {
      {"C:\\D\\Base.dm_68", "real-04.dm_68", kQ3, "osp", "Map: Q3DM7 · Team Deathmatch · sausage, Grunt, Sarge and 1 more · 0:18 · Mod: base game · protocol 68 · Host: noname"},
      {"C:\\D\\Et.dm_84", "ioq3-01.dm_68", "", "", "Wolfenstein: Enemy Territory demo (map oa_dm4): " + std::string(kNotHere)},
      {"C:\\D\\Cs.dm_66", "real-03.dem", kHL, "cstrike", "Map: crossfire · Mod: cstrike · 0:07 · protocol 48"},
      {"C:\\D\\Notes.dm_68", "SOURCES.md", kQ3, "osp", "The demo could not be read: the file is not a demo of a known kind"},
      {"C:\\D\\Notes.md", "SOURCES.md", "", "", ""}};
  for (const auto& [file, demo, game, mod, line] : cases) {
    fp.files.AddFile(file, Corpus(demo.c_str()));
    fp.process.commandLine = file;
    MainWindow& f = Load();
    EXPECT_EQ(f.cboGame.Text() + "|" + f.cboMod.Text() + "|" + f.lblDemo.Caption(),
              std::string(game) + "|" + mod + "|" + line);
  }

  const auto reads = [&](bool written) {
    if (written) fp.files.AddFile("C:\\D\\A.dm_68", Corpus("real-07.dm_68"));
    for (const char* typed : {"C:\\D\\A", "C:\\D\\A.dm_68", "C:\\D\\A", "C:\\D\\A.dm_68"}) form->txtFilename.UserEdited(typed);
    return std::count(fp.files.Calls().begin(), fp.files.Calls().end(), "read C:\\D\\A.dm_68");
  };
  const auto once = reads(true);  // the start, and the end for the length
  EXPECT_TRUE(once >= 1 && once <= 2) << once;
  EXPECT_EQ(reads(false), once);
  EXPECT_EQ(reads(true), 2 * once);
  for (const char* dropped : {"C:\\D", "C:\\D\\Notes.md", "C:\\D\\X.dm_68"}) form->Form_DropFiles({dropped, "C:\\D\\Cs.dm_66"});
  EXPECT_EQ(form->txtFilename.Text(), "C:\\D\\A.dm_68");
}

// Another game's demo is refused by name, in an error box, before anything is copied or
// started.
TEST_F(WindowTest, PlayRefusesAnotherGamesDemoByName) {
  fp.files.AddFile("C:\\D\\Tf.dem", Corpus("src-01.dem"));
  fp.process.commandLine = "C:\\D\\Tf.dem";
  MainWindow& f = Load();
  Pick(f.cboGame, kHL);  // even with a game chosen by hand
  fp.log.clear();
  f.cmdBottom_Click(2);
  ASSERT_EQ(fp.dialogs.messages.size(), 1u);
  EXPECT_EQ(fp.dialogs.messages[0].text, "Team Fortress 2 demo (map cp_gullywash): " + std::string(kNotHere));
  EXPECT_EQ(fp.dialogs.messages[0].style, mb::OK | mb::IconCritical);
  EXPECT_TRUE(fp.shell.calls.empty());
  for (const std::string& line : fp.log) EXPECT_EQ(line.rfind("copy", 0), std::string::npos) << line;
}

}  // namespace
}  // namespace rd::launcher_tests
