#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/unit/launcher/LauncherTesting.h"

namespace rd {
namespace {

using namespace launcher_tests;
using Texts = std::vector<std::string>;

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
  EXPECT_THAT(f.cboMod.Items(), ::testing::ElementsAre("arena", "generations", "osp"));
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

TEST_F(MainWindowTest, TheOpenDialogStartsFromTheLastChoiceAndAChosenDemoSelectsItsGame) {
  MainWindow& f = Load();
  const auto choose = [&](OpenResult::Outcome outcome, const std::string& path) {
    fp.dialogs.openResults.push_back({outcome, path});
    f.cmdSelect.UserClicked();
    return fp.dialogs.openRequests.back().fileName + ">" + f.txtFilename.Text() + "|" +
           f.cboGame.Text();
  };
  using Outcome = OpenResult::Outcome;
  fp.files.AddFile("C:\\D\\Match.Dem", "x");
  EXPECT_EQ(choose(Outcome::Chosen, "E:\\FINAL.DM_57"), ">E:\\FINAL.DM_57|" + std::string(kRTCW));
  EXPECT_EQ(choose(Outcome::Cancelled, "C:\\x.dem"),
            "E:\\FINAL.DM_57>E:\\FINAL.DM_57|" + std::string(kRTCW));
  EXPECT_EQ(choose(Outcome::Failed, "C:\\x.dem"),
            "E:\\FINAL.DM_57>E:\\FINAL.DM_57|" + std::string(kRTCW));
  EXPECT_EQ(choose(Outcome::Chosen, "C:\\D\\Match.Dem"),
            "E:\\FINAL.DM_57>C:\\D\\Match.Dem|" + std::string(kHL));
  Pick(f.cboGame, kQ3);  // a missing .dem leaves the game as it was
  EXPECT_EQ(choose(Outcome::Chosen, "C:\\D\\gone.dem"),
            "C:\\D\\Match.Dem>C:\\D\\gone.dem|" + std::string(kQ3));
  EXPECT_EQ(Stored(fp, catalogue::LastFilenameValue), "C:\\D\\gone.dem");
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
  fp.log.clear();
  f.cmdBottom[1].UserClicked();
  f.cmdBottom[0].UserClicked();
  EXPECT_EQ(fp.log, (Texts{"config", "exit"}));
}

}  // namespace
}  // namespace rd
