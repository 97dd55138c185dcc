// The first start on fresh settings: splash, the question, the note, the configuration
// window, then the main window; answered through the message boxes as a user would.
#include "tests/e2e/E2eSupport.h"

namespace e2e {
namespace {

using namespace rd::ids;

class FirstRunE2e : public testing::TestWithParam<int> {};

TEST_P(FirstRunE2e, RunsToTheMainWindowRegisteringTheFileTypesOnlyWhenAnsweredYes) {
  const int answer = GetParam();
  // One run is enough for the screenshots.
  const auto shot = [&](HWND window, const char* name) {
    EXPECT_TRUE(answer != IDYES || !SaveScreenshot(window, name).empty()) << name;
  };
  ASSERT_TRUE(FreshSettings(false));
  ForgetFileTypes();
  Process app;
  ASSERT_TRUE(app.Start(ReplaydockExe(), Quoted(ReplaydockExe())));
  HWND splash = WaitForWindow(app.Pid(), SplashClass);
  ASSERT_TRUE(splash) << "no splash window";
  shot(splash, "splash");

  auto question = NextMessageBox(app.Pid());
  ASSERT_TRUE(question) << "no first-run question";
  EXPECT_EQ(question->text,
            "Since this is the first time Replaydock has been run, you must configure the program. Do you wish "
            "to associate Replaydock with all supported demo files?");
  EXPECT_TRUE(HasButton(question->window, IDYES));
  EXPECT_TRUE(HasButton(question->window, IDNO));
  shot(question->window, "first-run-question");
  EXPECT_TRUE(IsShown(splash)) << "the splash window stays up during the first run";
  EXPECT_TRUE(TopWindows(app.Pid(), MainClass).empty()) << "the main window is shown only afterwards";
  ASSERT_TRUE(PressButton(question->window, answer));

  auto note = NextMessageBox(app.Pid(), question->window);
  ASSERT_TRUE(note) << "no note about the configuration window";
  EXPECT_EQ(note->text,
            "Replaydock will now open up the configuration window to allow you to configure program locations");
  EXPECT_TRUE(HasButton(note->window, IDOK));
  EXPECT_FALSE(HasButton(note->window, IDCANCEL));
  EXPECT_EQ(RegText(kSettingsKey, "AlreadyRun"), "<absent>") << "written before the first run was over";
  ASSERT_TRUE(PressButton(note->window, IDOK));

  HWND config = WaitForWindow(app.Pid(), ConfigClass);
  ASSERT_TRUE(config) << "no configuration window";
  EXPECT_TRUE(IsShown(splash));
  EXPECT_EQ(RegText(kSettingsKey, "HLPath"), "C:\\Sierra\\Half-Life\\hl.exe");
  ASSERT_TRUE(Click(Control(config, ConfigCmdBottom)));

  HWND main = WaitForWindow(app.Pid(), MainClass);
  ASSERT_TRUE(main) << "no main window after the configuration window";
  EXPECT_TRUE(WaitHiddenOrGone(splash)) << "the splash window stayed";
  EXPECT_FALSE(IsShown(config));
  EXPECT_EQ(GetText(main), "Tessaway Replaydock");
  EXPECT_EQ(GetText(Control(main, MainLblTop)), "Tessaway Replaydock v0.6.8");
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Half-Life");
  EXPECT_EQ(GetText(Control(main, MainCboMod)), "cstrike");
  EXPECT_EQ(GetText(Control(main, MainTxtFilename)), "");
  EXPECT_EQ(RegText(kSettingsKey, "AlreadyRun"), "Yes");
  ASSERT_TRUE(Click(CancelButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Cancel did not end the program";

  ExpectFileTypes(answer == IDYES, ReplaydockExe());
}

INSTANTIATE_TEST_SUITE_P(Answers, FirstRunE2e, testing::Values(IDYES, IDNO),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param == IDYES ? "Yes" : "No");
                         });

}  // namespace
}  // namespace e2e
