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

// Each location to its own value only, stored at every keystroke with no check while typing;
// an absent or unreadable one shows, and stores, the default.
TEST_F(ConfigWindowTest, EachGamesLocationIsShownStoredAsTypedOrChosenAndDefaultsWhenAbsent) {
  EXPECT_EQ(form.cboGame.Items(), (Texts{kHL, kQ3, kRTCW}));
  EXPECT_EQ(Stored(fp, "HLPath"), "C:\\Sierra\\Half-Life\\hl.exe");
  form.cboGame.UserSelected(1);
  for (const std::string typed : {"E", "E:\\q3.exe", ""}) {
    form.txtLocation.UserEdited(typed);
    EXPECT_EQ(Stored(fp, "Q3APath"), typed);
  }
  fp.dialogs.openResults = {{OpenResult::Outcome::Failed, "C:\\x.exe"},
                            {OpenResult::Outcome::Chosen, "D:\\q3.exe"}};
  for (int i = 0; i < 3; ++i) form.cmdSelect.UserClicked();  // failed, chosen, cancelled
  EXPECT_EQ(Stored(fp, "Q3APath"), "D:\\q3.exe");
  EXPECT_EQ(Stored(fp, "HLPath"), "C:\\Sierra\\Half-Life\\hl.exe");
  EXPECT_TRUE(fp.files.Calls().empty() && Boxes().empty());
  fp.registry.FailNext(fakes::FakeRegistry::Op::Query, 5);
  form.cboGame.UserSelected(2);
  EXPECT_EQ(Stored(fp, "RTCWPath"), "C:\\Program Files\\Return To Castle Wolfenstein\\WolfMP.exe");
  form.cboGame.SetListIndex(-1);  // with no game selected nothing is stored
  const auto logged = fp.log.size();
  form.txtLocation.UserEdited("C:\\x.exe");
  EXPECT_EQ(fp.log.size(), logged);
}

TEST_F(ConfigWindowTest, LeavingTheBoxWarnsAboutAnythingButAnExistingFileAndNeverRefuses) {
  fp.files.AddFile("C:\\Games\\hl.exe");
  // Text, whether the lookup fails, whether it warns.
  const std::tuple<std::string, bool, bool> cases[] = {
      {"C:\\Games\\missing.exe", false, true}, {"C:\\Games", false, true}, {"C:\\bad|name.exe", false, true},
      {"C:\\Games\\hl.exe", true, true}, {"C:\\Games\\hl.exe", false, false}};
  for (const auto& [text, failLookup, warns] : cases) {
    form.txtLocation.UserEdited(text);
    if (failLookup) fp.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 1117);
    bool cancel = true;
    form.txtLocation.Validate(cancel);
    EXPECT_FALSE(cancel) << text;
    EXPECT_EQ(Boxes(), Texts(warns, Box(kNoProgram, mb::OK | mb::IconCritical))) << text;
  }
}

TEST_F(ConfigWindowTest, RegisterAsksFirstAndReportsWhatHappenedAndDoneOnlyCloses) {
  const std::string ask = Box(kRegisterQuestion, mb::YesNo | mb::IconQuestion);
  const std::string failed = std::string(kNotRegistered) + "\n\nSystem error ";
  fp.dialogs.answers.push_back(answer::No);
  Texts seen;
  for (int i = 0; i < 4; ++i) {  // No; Yes, no such program; Yes; Yes, no key can be made
    if (i == 2) fp.files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe");
    if (i == 3) {
      fp.registry.FailUnder(fakes::FakeRegistry::Op::Create, "HKCR", 5);
      fp.registry.FailUnder(fakes::FakeRegistry::Op::Create, "HKCU\\Software\\Classes", 5);
    }
    form.cmdRegister.UserClicked();
    for (const std::string& box : Boxes()) seen.push_back(box);
  }
  EXPECT_EQ(seen, (Texts{ask, ask, Box(failed + "2.", mb::OK | mb::IconCritical), ask,
                         Box(kRegistered, mb::OK | mb::IconInformation), ask,
                         Box(failed + "5.", mb::OK | mb::IconCritical)}));
  fp.log.clear();
  form.cmdBottom.UserClicked();
  EXPECT_EQ(fp.log, Texts{"close config"});
}

}  // namespace
}  // namespace rd::launcher_tests
