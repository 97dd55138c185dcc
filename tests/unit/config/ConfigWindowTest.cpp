#include <tuple>

#include "config/ConfigWindow.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd::launcher_tests {
namespace {

class ConfigWindowTest : public ::testing::Test {
 protected:
  ConfigWindowTest() { form.Form_Load(); }
  Texts Boxes() {  // the boxes shown since the last call: title|text|style
    Texts out;
    for (const auto& m : fp.dialogs.messages) out.push_back(m.title + "|" + m.text + "|" + std::to_string(m.style));
    fp.dialogs.messages.clear();
    return out;
  }
  std::string Box(const std::string& text, unsigned style) {
    return std::string(AppTitle) + "|" + text + "|" + std::to_string(style);
  }
  fakes::FakePlatform fp;
  RecordingHost host{fp};
  ConfigWindow form{fp.ports, host};
};

// Each location to its own value only, stored as chosen with no check; an absent one shows,
// and stores, the default (an unreadable one reads as absent: SettingsStoreTest). Leaving the
// box only warns; as Windows starts no program from a path of 260 characters or more and
// takes no name of over 255, such a location says so instead.
TEST_F(ConfigWindowTest, ALocationIsStoredAsChosenAndLeavingTheBoxOnlyWarnsOfAnyButAFile) {
  EXPECT_EQ(form.cboGame.Items(), (Texts{kHL, kQ3, kRTCW}));
  form.cboGame.UserSelected(1);
  fp.dialogs.openResults = {{OpenResult::Outcome::Failed, "C:\\x.exe"},
                            {OpenResult::Outcome::Chosen, "D:\\q3.exe"}};
  for (int i = 0; i < 3; ++i) form.cmdSelect.UserClicked();  // failed, chosen, cancelled
  EXPECT_EQ(Stored(fp, "Q3APath"), "D:\\q3.exe");
  EXPECT_EQ(Stored(fp, "HLPath"), "C:\\Sierra\\Half-Life\\hl.exe");
  EXPECT_TRUE(fp.files.Calls().empty() && Boxes().empty());

  const std::string deep = "C:\\Games\\" + std::string(240, 'g') + "\\Half-Life\\hl.exe",
                    named = "C:\\Games\\" + std::string(256, 'n') + ".exe";
  for (const std::string& exe : {std::string("C:\\Games\\hl.exe"), deep}) fp.files.AddFile(exe);
  const auto tooLong = [](const std::string& path) {
    return "The path of the specified program is too long for Windows: " + path +
           ". Please select an executable with a shorter path.";
  };
  // Text, whether the lookup fails, the warning.
  const std::tuple<std::string, bool, std::string> cases[] = {
      {"C:\\Games\\missing.exe", false, kNoProgram}, {"C:\\Games", false, kNoProgram},
      {"C:\\Games\\hl.exe", true, kNoProgram}, {"C:\\Games\\hl.exe", false, ""},
      {deep, false, tooLong(deep)}, {named, false, tooLong(named)}};
  for (const auto& [text, failLookup, warning] : cases) {
    form.txtLocation.UserEdited(text);
    if (failLookup) fp.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 1117);
    bool cancel = true;
    form.txtLocation.Validate(cancel);
    EXPECT_FALSE(cancel) << text;
    EXPECT_EQ(Boxes(), Texts(!warning.empty(), Box(warning, mb::OK | mb::IconCritical))) << text;
  }
}

// The other failures reach the window the same way; AssociateDemoTypes' test has their codes.
// That "&Done" closes the window is for the first run (StartupTest) to show.
TEST_F(ConfigWindowTest, RegisterAsksFirstAndReportsWhatHappened) {
  fp.dialogs.answers.push_back(answer::No);
  form.cmdRegister.UserClicked();
  form.cmdRegister.UserClicked();  // Yes, with no such program
  fp.files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe");
  form.cmdRegister.UserClicked();
  const std::string ask = Box(kRegisterQuestion, mb::YesNo | mb::IconQuestion),
                    failed = std::string(kNotRegistered) + "\n\nSystem error 2.";
  EXPECT_EQ(Boxes(), (Texts{ask, ask, Box(failed, mb::OK | mb::IconCritical), ask,
                            Box(kRegistered, mb::OK | mb::IconInformation)}));
}

}  // namespace
}  // namespace rd::launcher_tests
