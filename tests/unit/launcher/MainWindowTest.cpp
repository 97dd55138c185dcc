#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/launcher/LauncherTesting.h"

namespace rd {
namespace {

using namespace launcher_tests;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

class MainWindowTest : public WindowTest {
 protected:
  // The names of the values written, in order.
  std::vector<std::string> Writes() const {
    std::vector<std::string> names;
    for (const std::string& l : fp.log) {
      if (l.rfind("reg set ", 0) == 0) names.push_back(l.substr(l.find_last_of('\\') + 1));
    }
    return names;
  }
};

TEST_F(MainWindowTest, AFirstLoadWithNothingStoredShowsHalfLifeAndTheDefaults) {
  fp.process.version = ProgramVersion{2, 10, 305};
  MainWindow& f = Load();
  EXPECT_EQ(f.lblTop.Caption(), "Tessaway Replaydock v2.10.305");
  EXPECT_EQ(f.lblInfo.Caption(), "Select the required parameters for the demo, then click Play.");
  EXPECT_THAT(f.cboGame.Items(), ElementsAre(kHL, kQ3, kRTCW));
  EXPECT_EQ(f.cboGame.Text(), kHL);
  EXPECT_THAT(f.cboMod.Items(), ElementsAre("cstrike", "dod"));
  EXPECT_EQ(f.cboMod.Text(), "cstrike");
  EXPECT_EQ(f.txtFilename.Text(), "");
  EXPECT_THAT(f.cboSpeed.Items(), ElementsAre("0.5", "1", "2", "3"));
  EXPECT_EQ(f.cboSpeed.Text(), "1");
  EXPECT_THAT(f.cboResolution.Items(),
              ElementsAre("Default", "640x480", "800x600", "1024x768", "1152x864", "1280x1024"));
  EXPECT_EQ(f.cboResolution.Text(), "Default");
  EXPECT_TRUE(f.cboSpeed.Enabled() && f.cboResolution.Enabled());
  // The restored game and its mod are written back; the file box never changed.
  EXPECT_THAT(Writes(), ElementsAre("DefaultGame", "DefaultHLMod"));
  EXPECT_EQ(Stored(fp, "DefaultHLMod"), "cstrike");
}

struct CommandLine {
  const char* name;
  std::string text;
  std::string game;  // selected; empty: none
  std::vector<std::string> writes;
  std::string shown = {};  // in the file box, when not the text itself
  bool lookupFails = false;
};

class CommandLines : public MainWindowTest, public ::testing::WithParamInterface<CommandLine> {};

TEST_P(CommandLines, FillTheFileBoxAndPickTheGameWithoutReadingTheStoredOnes) {
  const CommandLine& c = GetParam();
  const std::string shown = c.shown.empty() ? c.text : c.shown;
  Store(fp, catalogue::DefaultGameValue, kRTCW);
  Store(fp, catalogue::LastFilenameValue, "C:\\old.dem");
  fp.files.AddFile("C:\\Game Demos\\Final.DEM", "x", {}, "FINAL~1.DEM");
  fp.files.AddFile("C:\\My Demos\\Final Match.dem", "x");
  if (c.lookupFails) fp.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 21);
  fp.process.commandLine = c.text;
  MainWindow& f = Load();
  EXPECT_EQ(f.txtFilename.Text(), shown);
  EXPECT_EQ(f.cboGame.Text(), c.game);
  EXPECT_EQ(Stored(fp, catalogue::LastFilenameValue), shown);
  EXPECT_EQ(Stored(fp, catalogue::DefaultGameValue), c.game.empty() ? kRTCW : c.game);
  EXPECT_THAT(Writes(), ::testing::ElementsAreArray(c.writes));
  const std::string query = "query HKCU\\software\\tessaway\\replaydock\\settings\\";
  EXPECT_THAT(fp.registry.Calls(), Not(Contains(query + "DefaultGame")));
  EXPECT_THAT(fp.registry.Calls(), Not(Contains(query + "LastFilename")));
  EXPECT_THAT(fp.dialogs.messages, IsEmpty());
}

const std::vector<std::string> kFile{"LastFilename"};
const std::vector<std::string> kFileGame{"LastFilename", "DefaultGame"};
const std::vector<std::string> kFileGameMod{"LastFilename", "DefaultGame", "DefaultHLMod"};

// A Half-Life demo is told by an existing file's name, the others by the text alone. Only
// a command line wholly in one pair of quotes loses them.
INSTANTIATE_TEST_SUITE_P(
    MainWindow, CommandLines,
    ::testing::Values(CommandLine{"MissingQuake3Demo", "D:\\Demos\\duel.dm_66", kQ3, kFileGame},
                      CommandLine{"MissingHalfLifeDemo", "D:\\Demos\\match.dem", "", kFile},
                      CommandLine{"ShortName", "c:\\game demos\\FINAL~1.DEM", kHL, kFileGameMod,
                                  "C:\\Game Demos\\Final.dem"},
                      CommandLine{"OnePairOfQuotes", "\"C:\\My Demos\\Final Match.dem\"", kHL,
                                  kFileGameMod, "C:\\My Demos\\Final Match.dem"},
                      CommandLine{"TwoQuotedPaths", "\"C:\\My Demos\\a.dem\" \"C:\\b.dem\"", "",
                                  kFile},
                      CommandLine{"QuoteInside", "\"C:\\a\"b.dem\"", "", kFile},
                      CommandLine{"LoneQuote", "\"", "", kFile},
                      CommandLine{"OpeningQuoteOnly", "\"C:\\a.dem", "", kFile},
                      CommandLine{"ClosingQuoteOnly", "C:\\a.dem\"", "", kFile},
                      CommandLine{"QuotedWordInName", "C:\\x \"y\".dm_57", kRTCW, kFileGame},
                      CommandLine{"LookupFails", "C:\\duel.dm_66", "", kFile, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, AnEmptyCommandLineRestoresTheGameAndFileThenFollowsTheFile) {
  Store(fp, catalogue::DefaultGameValue, kRTCW);
  Store(fp, "DefaultRTCWMod", "osp2");
  Store(fp, catalogue::LastFilenameValue, "C:\\Demos\\x.dm_66");
  MainWindow& f = Load();
  EXPECT_EQ(f.txtFilename.Text(), "C:\\Demos\\x.dm_66");
  EXPECT_EQ(f.cboGame.Text(), kQ3);
  // The restored game and its mod written back, then the file and the file's game.
  EXPECT_THAT(Writes(),
              ElementsAre("DefaultGame", "DefaultRTCWMod", "LastFilename", "DefaultGame"));
}

TEST_F(MainWindowTest, AStoredGameSpeltOtherwiseSelectsNothing) {
  Store(fp, catalogue::DefaultGameValue, "half-life");
  EXPECT_EQ(Load().cboGame.ListIndex(), -1);
  EXPECT_THAT(Writes(), IsEmpty());
}

TEST_F(MainWindowTest, EveryKeystrokeInTheFileBoxIsStoredAndLeavesTheGameAlone) {
  MainWindow& f = Load();
  fp.log.clear();
  const std::string path = "C:\\a.dm_66";
  for (std::size_t n = 1; n <= path.size(); ++n) f.txtFilename.UserEdited(path.substr(0, n));
  f.txtFilename.UserEdited("");
  EXPECT_EQ(Writes(), std::vector<std::string>(path.size() + 1, "LastFilename"));
  EXPECT_EQ(Stored(fp, catalogue::LastFilenameValue), "");
  EXPECT_EQ(f.cboGame.Text(), kHL);
}

TEST_F(MainWindowTest, EachGameRemembersItsOwnModAcrossSwitchesAndStarts) {
  MainWindow& f = Load();
  Pick(f.cboMod, "dod");
  Pick(f.cboGame, kQ3);
  EXPECT_THAT(f.cboMod.Items(), ElementsAre("arena", "generations", "osp"));
  Pick(f.cboGame, kRTCW);
  EXPECT_THAT(f.cboMod.Items(), IsEmpty());
  EXPECT_EQ(f.cboMod.Text(), "");
  fp.log.clear();
  for (const char* typed : {"o", "os", "osp"}) f.cboMod.UserEdited(typed);
  EXPECT_EQ(Writes(), std::vector<std::string>(3, "DefaultRTCWMod"));
  Pick(f.cboGame, kHL);
  EXPECT_THAT(f.cboMod.Items(), ElementsAre("cstrike", "dod"));
  EXPECT_EQ(f.cboMod.Text(), "dod");
  Pick(f.cboGame, kRTCW);
  EXPECT_EQ(f.cboMod.Text(), "osp");
  EXPECT_EQ(Load().cboMod.Text(), "osp");  // the next start restores the game and its mod

  // Without a game, a typed mod is stored nowhere.
  fp.process.commandLine = "D:\\none.dem";
  Load();
  fp.log.clear();
  form->cboMod.UserEdited("dod");
  EXPECT_THAT(fp.log, IsEmpty());
}

TEST_F(MainWindowTest, OnlyHalfLifeEnablesSpeedAndResolutionAndSwitchingKeepsTheirTexts) {
  MainWindow& f = Load();
  fp.log.clear();
  Pick(f.cboResolution, "1024x768");
  f.cboSpeed.UserEdited("2");
  EXPECT_THAT(fp.log, IsEmpty());  // neither box stores anything
  for (const std::string game : {kQ3, kRTCW, kHL}) {
    Pick(f.cboGame, game);
    EXPECT_EQ(f.cboSpeed.Enabled(), game == kHL) << game;
    EXPECT_EQ(f.cboResolution.Enabled(), game == kHL) << game;
    EXPECT_EQ(f.cboSpeed.Text(), "2");
    EXPECT_EQ(f.cboResolution.Text(), "1024x768");
  }
}

TEST_F(MainWindowTest, TheOpenDialogStartsFromTheLastChoiceAndAChosenDemoSelectsItsGame) {
  MainWindow& f = Load();
  // Answers the file the dialog started from.
  const auto choose = [&](OpenResult::Outcome outcome, const std::string& path) {
    fp.dialogs.openResults.push_back({outcome, path});
    f.cmdSelect.UserClicked();
    return fp.dialogs.openRequests.back().fileName;
  };
  using Outcome = OpenResult::Outcome;
  EXPECT_EQ(choose(Outcome::Chosen, "E:\\Demos\\FINAL.DM_57"), "");
  EXPECT_EQ(fp.dialogs.openRequests[0].title, "Demo Location");
  EXPECT_EQ(fp.dialogs.openRequests[0].filter,
            "Demo Files (*.dem, *.dm_66, *.dm_57, *.dm_67, *.dm_68, *.dm_58, *.dm_59, *.dm_60)|"
            "*.dem;*.dm_66;*.dm_57;*.dm_67;*.dm_68;*.dm_58;*.dm_59;*.dm_60");
  EXPECT_EQ(f.txtFilename.Text(), "E:\\Demos\\FINAL.DM_57");
  EXPECT_EQ(Stored(fp, catalogue::LastFilenameValue), "E:\\Demos\\FINAL.DM_57");
  EXPECT_EQ(f.cboGame.Text(), kRTCW);

  // Neither a cancelled nor a failed dialog changes anything, its next start included.
  fp.log.clear();
  EXPECT_EQ(choose(Outcome::Cancelled, "C:\\ignored.dem"), "E:\\Demos\\FINAL.DM_57");
  EXPECT_EQ(choose(Outcome::Failed, "C:\\ignored.dem"), "E:\\Demos\\FINAL.DM_57");
  EXPECT_THAT(fp.log, ElementsAre("dialog Demo Location", "dialog Demo Location"));

  // An existing .dem selects Half-Life; a missing one leaves the game as it was.
  fp.files.AddFile("C:\\D\\Match.Dem", "x");
  choose(Outcome::Chosen, "C:\\D\\Match.Dem");
  EXPECT_EQ(f.cboGame.Text(), kHL);
  Pick(f.cboGame, kQ3);
  EXPECT_EQ(choose(Outcome::Chosen, "C:\\D\\gone.dem"), "C:\\D\\Match.Dem");
  EXPECT_EQ(f.txtFilename.Text(), "C:\\D\\gone.dem");
  EXPECT_EQ(f.cboGame.Text(), kQ3);
}

TEST_F(MainWindowTest, ASpeedThatIsNoNumberBecomesOneWhenTheFocusLeaves) {
  MainWindow& f = Load();
  const auto leaveWith = [&](const std::string& typed) {
    f.cboSpeed.UserEdited(typed);
    f.cboSpeed.UserLeaving();
    return f.cboSpeed.Text();
  };
  const std::pair<const char*, const char*> cases[] = {
      {"fast", "1"}, {"", "1"}, {"2x", "1"}, {"2.5", "2.5"}, {"-1", "-1"}, {" 3 ", " 3 "}};
  for (const auto& [typed, kept] : cases) EXPECT_EQ(leaveWith(typed), kept) << typed;
  fp.process.numbers = NumberFormat{",", "."};
  EXPECT_EQ(leaveWith("0,5"), "0,5");
  bool cancel = false;
  f.cboSpeed_Validate(cancel);
  EXPECT_FALSE(cancel);  // the focus may always leave
}

TEST_F(MainWindowTest, CancelEndsTheProgramAndConfigurationOpensItsWindow) {
  MainWindow& f = Load();
  fp.log.clear();
  f.cmdBottom[1].UserClicked();
  f.cmdBottom_Click(3);  // no such button
  f.cmdBottom_Click(-1);
  f.cmdBottom[0].UserClicked();
  EXPECT_THAT(fp.log, ElementsAre("config", "exit"));
}

}  // namespace
}  // namespace rd
