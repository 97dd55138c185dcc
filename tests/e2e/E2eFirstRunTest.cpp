// The first start on fresh settings: splash, the question, the note, the configuration
// window, then the main window; answered through the message boxes as a user would.
#include "tests/e2e/E2eSupport.h"

namespace e2e {
namespace {

using namespace rd::ids;

const char* const kQuestion =
    "Since this is the first time Replaydock has been run, you must configure the program. Do you wish "
    "to associate Replaydock with all supported demo files?";
const char* const kNote =
    "Replaydock will now open up the configuration window to allow you to configure program locations";

// Runs the first start to the main window, answering the question with `answer`.
void RunFirstStart(Process& app, int answer, bool screenshots) {
  ASSERT_TRUE(app.Start(ReplaydockExe(), CommandLine(ReplaydockExe(), "")));
  HWND splash = WaitForWindow(app.Pid(), SplashClass);
  ASSERT_TRUE(splash) << "no splash window";
  if (screenshots) {
    EXPECT_FALSE(SaveScreenshot(splash, "splash").empty());
  }

  auto question = NextMessageBox(app.Pid());
  ASSERT_TRUE(question) << "no first-run question";
  EXPECT_EQ(question->text, kQuestion);
  EXPECT_TRUE(HasButton(question->window, IDYES));
  EXPECT_TRUE(HasButton(question->window, IDNO));
  if (screenshots) {
    EXPECT_FALSE(SaveScreenshot(question->window, "first-run-question").empty());
  }
  EXPECT_TRUE(IsShown(splash)) << "the splash window stays up during the first run";
  EXPECT_TRUE(TopWindows(app.Pid(), MainClass).empty()) << "the main window is shown only afterwards";
  ASSERT_TRUE(PressButton(question->window, answer));

  auto note = NextMessageBox(app.Pid(), question->window);
  ASSERT_TRUE(note) << "no note about the configuration window";
  EXPECT_EQ(note->text, kNote);
  EXPECT_TRUE(HasButton(note->window, IDOK));
  EXPECT_FALSE(HasButton(note->window, IDCANCEL));
  EXPECT_EQ(RegText(kSettingsKey, "AlreadyRun"), "<absent>") << "written before the first run was over";
  ASSERT_TRUE(PressButton(note->window, IDOK));

  HWND config = WaitForWindow(app.Pid(), ConfigClass);
  ASSERT_TRUE(config) << "no configuration window";
  EXPECT_EQ(GetText(config), "Configuration");
  if (screenshots) {
    EXPECT_FALSE(SaveScreenshot(config, "first-run-configuration").empty());
  }
  EXPECT_TRUE(IsShown(splash));
  EXPECT_EQ(RegText(kSettingsKey, "HLPath"), "C:\\Sierra\\Half-Life\\hl.exe");
  ASSERT_TRUE(Click(Control(config, ConfigCmdBottom)));

  HWND main = WaitForWindow(app.Pid(), MainClass);
  ASSERT_TRUE(main) << "no main window after the configuration window";
  EXPECT_TRUE(WaitHiddenOrGone(splash)) << "the splash window stayed";
  EXPECT_FALSE(IsShown(config));
  EXPECT_EQ(GetText(main), "Tessaway Replaydock");
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Half-Life");
  EXPECT_EQ(GetText(Control(main, MainCboMod)), "cstrike");
  EXPECT_EQ(GetText(Control(main, MainTxtFilename)), "");
  EXPECT_EQ(GetText(Control(main, MainLblTop)), "Tessaway Replaydock v0.6.8");
  if (screenshots) {
    EXPECT_FALSE(SaveScreenshot(main, "main-window").empty());
  }
  EXPECT_EQ(RegText(kSettingsKey, "AlreadyRun"), "Yes");
  EXPECT_EQ(RegText(kSettingsKey, "DefaultGame"), "Half-Life");
  EXPECT_EQ(RegText(kSettingsKey, "DefaultHLMod"), "cstrike");

  ASSERT_TRUE(Click(CancelButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Cancel did not end the program";
}

TEST(FirstRunE2e, AnsweredYesRegistersTheFileTypesAndShowsTheConfigurationWindow) {
  ASSERT_TRUE(FreshSettings(false));
  ForgetFileTypes();
  Process app;
  RunFirstStart(app, IDYES, true);
  if (HasFatalFailure()) return;

  for (const char* ext : {".dem", ".dm_57", ".dm_66"})
    EXPECT_NE(ToolOutput(std::string("cmd.exe /c assoc ") + ext).find(std::string(ext) + "=RD.Demo"),
              std::string::npos)
        << ext;
  const std::string ftype = ToolOutput("cmd.exe /c ftype RD.Demo");
  EXPECT_NE(ftype.find("RD.Demo=" + Quoted(ReplaydockExe()) + " %1"), std::string::npos) << ftype;
}

TEST(FirstRunE2e, AnsweredNoRegistersNothingAndTheNextStartAsksNoMore) {
  ASSERT_TRUE(FreshSettings(false));
  ForgetFileTypes();
  {
    Process app;
    RunFirstStart(app, IDNO, false);
    if (HasFatalFailure()) return;
  }
  for (const char* key : {"HKCR\\.dem", "HKCR\\.dm_57", "HKCR\\.dm_66", "HKCR\\RD.Demo"})
    EXPECT_FALSE(RegKeyExists(key)) << key;

  // Whichever comes first, a message box or the main window: it must be the main window.
  Process again;
  ASSERT_TRUE(again.Start(ReplaydockExe(), CommandLine(ReplaydockExe(), "")));
  HWND seen = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (const char* cls : {MainClass, "#32770", ConfigClass}) {
      const auto w = TopWindows(again.Pid(), cls);
      if (!w.empty()) seen = w.front();
    }
    return seen != nullptr;
  }));
  EXPECT_EQ(ClassOf(seen), MainClass) << GetText(seen) << ": " << MessageBoxText(seen);
  if (ClassOf(seen) == MainClass) {
    ASSERT_TRUE(Click(CancelButton(seen)));
    EXPECT_TRUE(again.WaitExit(kWaitMs));
  }
}

}  // namespace
}  // namespace e2e
