#include <fstream>
#include <iterator>
#include <tuple>

#include "config/ConfigWindow.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd::launcher_tests {
namespace {

class MainWindowTest : public WindowTest {
 protected:
  Texts Writes() const {  // the names of the values written, in order
    Texts names;
    for (const std::string& l : fp.log) {
      if (l.rfind("reg set ", 0) == 0) names.push_back(l.substr(l.rfind('\\') + 1));
    }
    return names;
  }
};

// A Half-Life demo is told by an existing file's name, the others by the text alone; only a
// command line wholly in one pair of quotes loses them. With a command line the stored game
// and file are not read; without one they are restored and written back.
TEST_F(MainWindowTest, TheFileBoxShowsTheCommandLineOrTheLastFileAndPicksItsGame) {
  fp.files.AddFile("C:\\My Demos\\Final Match.dem", "x");
  Store(fp, "DefaultRTCWMod", "osp2");
  // clang-format off
  const std::tuple<std::string, std::string, std::string, Texts> cases[] = {
      {"D:\\duel.dm_66", "D:\\duel.dm_66", kQ3, {"LastFilename", "DefaultGame"}},
      {"D:\\match.dem", "D:\\match.dem", "", {"LastFilename"}},
      {"\"c:\\my demos\\FINAL match.dem\"", "C:\\My Demos\\Final Match.dem", kHL,
       {"LastFilename", "DefaultGame", "DefaultHLMod"}},
      {"\"C:\\a.dem\" \"C:\\b.dem\"", "\"C:\\a.dem\" \"C:\\b.dem\"", "", {"LastFilename"}},
      {"\"C:\\a\"b.dem\"", "\"C:\\a\"b.dem\"", "", {"LastFilename"}}, {"\"", "\"", "", {"LastFilename"}},
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
    EXPECT_EQ(Writes(), writes) << commandLine;
    EXPECT_EQ(Stored(fp, catalogue::LastFilenameValue), shown);
  }
  Store(fp, catalogue::DefaultGameValue, "half-life");  // spelt otherwise: no game
  Store(fp, catalogue::LastFilenameValue, "");
  EXPECT_EQ(Load().cboGame.ListIndex(), -1);
  fp.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 21);  // unexaminable: no game either
  fp.process.commandLine = "C:\\duel.dm_66";
  EXPECT_EQ(Load().cboGame.ListIndex(), -1);
}

TEST_F(MainWindowTest, EachGameRemembersItsOwnModAndOnlyHalfLifeTakesSpeedAndResolution) {
  fp.process.version = ProgramVersion{2, 10, 305};
  MainWindow& f = Load();
  EXPECT_EQ(f.lblTop.Caption(), "Tessaway Replaydock v2.10.305");
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
  EXPECT_EQ(Writes(), Texts(3, "DefaultRTCWMod"));
  Pick(f.cboGame, kHL);
  EXPECT_EQ(f.cboMod.Text() + f.cboSpeed.Text() + f.cboResolution.Text(), "dod21024x768");
  EXPECT_TRUE(f.cboSpeed.Enabled() && f.cboResolution.Enabled());
  Pick(f.cboGame, kRTCW);
  EXPECT_EQ(Load().cboMod.Text(), "osp");  // the next start restores the game and its mod
  fp.log.clear();
  for (const char* typed : {"C", "C:\\a.dm_66", ""}) form->txtFilename.UserEdited(typed);
  EXPECT_EQ(Writes(), Texts(3, "LastFilename"));  // every keystroke; the game stays
  EXPECT_EQ(form->cboGame.Text(), kRTCW);
}

// The dialog starts from the last choice; only a chosen demo counts, and a missing .dem
// leaves the game as it was.
TEST_F(MainWindowTest, TheOpenDialogStartsFromTheLastChoiceAndAChosenDemoSelectsItsGame) {
  MainWindow& f = Load();
  fp.files.AddFile("C:\\D\\Match.Dem", "x");
  using O = OpenResult::Outcome;
  const std::tuple<O, const char*, std::string> cases[] = {
      {O::Chosen, "E:\\FINAL.DM_57", ">E:\\FINAL.DM_57|" + std::string(kRTCW)},
      {O::Cancelled, "C:\\x.dem", "E:\\FINAL.DM_57>E:\\FINAL.DM_57|" + std::string(kRTCW)},
      {O::Failed, "C:\\x.dem", "E:\\FINAL.DM_57>E:\\FINAL.DM_57|" + std::string(kRTCW)},
      {O::Chosen, "C:\\D\\gone.dem", "E:\\FINAL.DM_57>C:\\D\\gone.dem|" + std::string(kRTCW)},
      {O::Chosen, "C:\\D\\Match.Dem", "C:\\D\\gone.dem>C:\\D\\Match.Dem|" + std::string(kHL)}};
  for (const auto& [outcome, path, seen] : cases) {
    fp.dialogs.openResults.push_back({outcome, path});
    f.cmdSelect.UserClicked();
    EXPECT_EQ(fp.dialogs.openRequests.back().fileName + ">" + f.txtFilename.Text() + "|" +
                  f.cboGame.Text(), seen);
  }
  EXPECT_EQ(Stored(fp, catalogue::LastFilenameValue), "C:\\D\\Match.Dem");
}

TEST_F(MainWindowTest, ASpeedThatIsNoNumberInTheUsersLocaleBecomesOneWhenTheFocusLeaves) {
  MainWindow& f = Load();
  fp.process.numbers = NumberFormat{",", "."};
  for (const auto& [typed, kept] :
       {std::pair{"fast", "1"}, {"", "1"}, {"0,5", "0,5"}, {"-1", "-1"}}) {
    f.cboSpeed.UserEdited(typed);
    f.cboSpeed.UserLeaving();
    EXPECT_EQ(f.cboSpeed.Text(), kept) << typed;
  }
}

using TooLongPaths = WindowTest;

// A demo or a staged path that Windows cannot take says so, not "does not exist".
TEST_F(TooLongPaths, PlaySaysWhichPathIsTooLongForWindows) {
  fp.files.AddFile("D:\\Demos\\match.dem", "HLDEMO");
  const std::string name = "D:\\Demos\\" + std::string(256, 'n') + ".dem", mod(256, 'm');
  const std::pair<std::string, std::string> cases[] = {
      {name, "The path of the demo file is too long for Windows: " + name +
                 ". Please move the demo to a shorter path and try again."},
      {mod, "The path of the staged demo is too long for Windows: C:\\Sierra\\Half-Life\\" + mod +
                "\\replaydock.dem. Please check the game's location and mod, then try again."}};
  Load();
  for (const auto& [input, text] : cases) {
    form->txtFilename.UserEdited(input == mod ? "D:\\Demos\\match.dem" : input);
    Pick(form->cboGame, kHL);
    form->cboMod.UserEdited(input == mod ? mod : "cstrike");
    form->cmdBottom[2].UserClicked();
    ASSERT_EQ(fp.dialogs.messages.size(), 1u);
    EXPECT_EQ(fp.dialogs.messages[0].text, text);
    EXPECT_EQ(fp.log.back(), "show main");
    fp.dialogs.messages.clear();
  }
}

// Windows starts no program from a path of 260 characters or more and takes no name of over
// 255: a game's location or the program's own path like that says so.
TEST_F(TooLongPaths, TheGameLocationAndTheRegistrationSaySo) {
  ConfigWindow f(fp.ports, host);
  f.Form_Load();
  const auto last = [&] {
    return fp.dialogs.messages.empty() ? "" : fp.dialogs.messages.back().text;
  };
  const std::string deep = "C:\\Games\\" + std::string(240, 'g') + "\\Half-Life\\hl.exe";
  fp.files.AddFile(deep);
  for (const std::string& location : {deep, "C:\\Games\\" + std::string(256, 'n') + ".exe"}) {
    f.txtLocation.UserEdited(location);
    bool cancel = true;
    f.txtLocation.Validate(cancel);
    EXPECT_EQ(last(), "The path of the specified program is too long for Windows: " + location +
                          ". Please select an executable with a shorter path.");
  }
  for (const int extra : {241, 242}) {  // 259 and 260 characters with the name
    fp.process.exeFolder = "C:\\" + std::string(extra, 'r');
    fp.files.AddFile(fp.process.exeFolder + "\\Replaydock.exe");
    f.cmdRegister.UserClicked();
    EXPECT_EQ(last(),
              extra == 241
                  ? "File types registered!"
                  : "The path of Replaydock is too long for Windows: " + fp.process.exeFolder +
                        "\\Replaydock.exe. Please move the "
                        "program to a shorter path, then register the file types again.");
  }
}

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
  const char* const cases[][5] = {
      {"C:\\D\\Base.dm_68", "real-04.dm_68", kQ3, "osp", "Map: Q3DM7 · Mod: base game · protocol 68 · Host: noname"},
      {"C:\\D\\Cs.dm_66", "real-03.dem", kHL, "cstrike", "Map: crossfire · Mod: cstrike · 0:07 · protocol 48"},
      {"C:\\D\\Notes.dm_68", "SOURCES.md", kQ3, "osp", "The demo could not be read: the file is not a demo of a known kind"},
      {"C:\\D\\Notes.md", "SOURCES.md", "", "", ""}};
  for (const auto& [file, demo, game, mod, line] : cases) {
    fp.files.AddFile(file, Corpus(demo));
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
  const auto once = reads(true);
  EXPECT_EQ(reads(false), once);
  EXPECT_EQ(reads(true), 2 * once);
  for (const char* dropped : {"C:\\D", "C:\\D\\Notes.md", "C:\\D\\X.dm_68"}) form->Form_DropFiles({dropped, "C:\\D\\Cs.dm_66"});
  EXPECT_EQ(form->txtFilename.Text(), "C:\\D\\A.dm_68");
}

}  // namespace
}  // namespace rd::launcher_tests
