// The main window and the play command, end to end: a demo named on the command line,
// chosen options, Play, and what the (stand-in) game and the registry received.
#include "tests/e2e/E2eSupport.h"

namespace e2e {
namespace {

using namespace rd::ids;

TEST(MainWindowE2e, PlaysAHalfLifeDemoAtAChosenResolutionAndSpeed) {
  ASSERT_TRUE(FreshSettings(true));
  ASSERT_TRUE(RegDeleteTree(kHalfLifeKey));
  const std::string game = "C:\\e2e\\Half-Life\\hl.exe";
  DeleteTree(ParentFolder(game));
  ASSERT_TRUE(InstallGame(game, "cstrike", "HLPath"));
  const std::string staged = ParentFolder(game) + "\\cstrike\\replaydock.dem";
  ASSERT_TRUE(WriteBytes(staged, "an earlier launch's demo"));
  const std::string demo = "C:\\e2e\\hl\\Some Demos\\round one.dem";
  const std::string bytes = WriteDemo(demo, 70000, 1);
  ASSERT_FALSE(bytes.empty());

  // Quoted, as "Open with" and drag and drop pass a path with spaces.
  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), Quoted(demo));
  ASSERT_TRUE(main) << "no main window";
  EXPECT_EQ(GetText(Control(main, MainTxtFilename)), "C:\\E2e\\Hl\\Some Demos\\Round One.dem");
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Half-Life");
  EXPECT_EQ(GetText(Control(main, MainCboMod)), "cstrike");
  EXPECT_EQ(FocusedIn(main), Control(main, MainTxtFilename)) << "the file box has the focus at first";
  HWND speed = Control(main, MainCboSpeed);
  HWND resolution = Control(main, MainCboResolution);
  EXPECT_EQ(GetText(speed), "1");
  EXPECT_TRUE(IsWindowEnabled(speed));
  // Not a number: put back when the focus leaves the box, for "..." which follows it.
  ASSERT_TRUE(MoveFocus(ComboEdit(speed)));
  ASSERT_TRUE(TypeText(ComboEdit(speed), "fast"));
  ASSERT_TRUE(PostKey(ComboEdit(speed), VK_TAB));
  EXPECT_TRUE(WaitUntil([&] { return GetText(speed) == "1"; })) << GetText(speed);
  EXPECT_EQ(FocusedIn(main), Control(main, MainCmdSelect));
  EXPECT_TRUE(IsWindowEnabled(resolution));
  EXPECT_EQ(ComboItems(resolution),
            (std::vector<std::string>{"Default", "640x480", "800x600", "1024x768", "1152x864", "1280x1024"}));
  EXPECT_EQ(GetText(resolution), "Default");
  ASSERT_TRUE(PickCombo(resolution, "800x600"));
  ASSERT_TRUE(PickCombo(speed, "2"));
  EXPECT_FALSE(SaveScreenshot(main, "main-window-half-life").empty());

  ExpectPlayed(app, main, game, "-game cstrike -console -toconsole +playdemo replaydock 2");
  for (const auto& [value, data] : {std::pair{"EngineModeH", "0x258"}, std::pair{"EngineModeW", "0x320"}}) {
    const auto v = RegQuery(kHalfLifeKey, value);
    ASSERT_TRUE(v) << value;
    EXPECT_EQ(v->type + " " + v->data, std::string("REG_DWORD ") + data) << value;
  }
  EXPECT_EQ(ReadBytes(staged), bytes) << "the earlier staged demo was not replaced by this one";
}

TEST(MainWindowE2e, PlayWithoutADemoOrWithAMissingOneSaysSoAndTheWindowComesBack) {
  ASSERT_TRUE(FreshSettings(true));
  const std::string game = "C:\\e2e\\missing\\Quake III Arena\\quake3.exe";
  DeleteTree("C:\\e2e\\missing");
  ASSERT_TRUE(InstallGame(game, "baseq3", "Q3APath"));
  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), "");
  ASSERT_TRUE(main) << "no main window";

  // An empty box is refused over the window; a missing demo only once Play has hidden it.
  const struct {
    std::string demo;
    const char* message;
    bool shownMeanwhile;
  } attempts[] = {
      {"", "You must select a demo file to play first", true},
      {"C:\\e2e\\missing\\Not There\\gone.dm_66",
       "The specified demo file does not exist. Please select a valid file and try again.", false},
  };
  for (const auto& [demo, message, shownMeanwhile] : attempts) {
    HWND file = Control(main, MainTxtFilename);
    ASSERT_TRUE(SetText(file, demo));
    // Play, clicked or pressed with Enter from the file box.
    ASSERT_TRUE(demo.empty() ? Click(PlayButton(main)) : PostKey(file, VK_RETURN));
    auto box = NextMessageBox(app.Pid());
    ASSERT_TRUE(box) << "no message for \"" << demo << "\"";
    EXPECT_EQ(box->text, message);
    EXPECT_EQ(IsShown(main), shownMeanwhile) << message;
    ASSERT_TRUE(PressButton(box->window, IDOK));
    EXPECT_TRUE(WaitHiddenOrGone(box->window));
    EXPECT_TRUE(WaitUntil([&] { return IsShown(main); })) << "the main window did not come back";
  }
  EXPECT_TRUE(ReadGameStarts(game).empty()) << "a game was started for a missing demo";
  ASSERT_TRUE(PostKey(main, VK_ESCAPE));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Escape did not end the program";
}

}  // namespace
}  // namespace e2e
