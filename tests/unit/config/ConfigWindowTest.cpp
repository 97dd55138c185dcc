#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "config/ConfigWindow.h"
#include "tests/fakes/FakePorts.h"

namespace rd {
namespace {

using Texts = std::vector<std::string>;

const std::string kSettings = "Software\\Tessaway\\Replaydock\\Settings";
const std::string kHlDefault = "C:\\Sierra\\Half-Life\\hl.exe";
const std::string kQ3Default = "C:\\Program Files\\Quake III Arena\\quake3.exe";

// Any host call a test does not expect fails it.
class MockHost : public AppHost {
 public:
  MOCK_METHOD(void, ShowMain, (), (override));
  MOCK_METHOD(void, HideMain, (), (override));
  MOCK_METHOD(void, EndProgram, (), (override));
  MOCK_METHOD(void, ShowConfigModal, (), (override));
  MOCK_METHOD(void, CloseConfig, (), (override));
  MOCK_METHOD(void, HandOver, (), (override));
};

class ConfigWindowTest : public ::testing::Test {
 protected:
  ConfigWindow& Open() {
    form = std::make_unique<ConfigWindow>(fp.ports, host);
    form->Form_Load();
    return *form;
  }
  std::optional<std::string> Stored(const std::string& value) const {
    return fp.registry.GetText(regroot::CurrentUser, kSettings, value);
  }
  static std::string Box(const std::string& t, unsigned s) { return t + "|" + std::to_string(s); }
  // The boxes shown since the last call, each with the program's own title.
  Texts Boxes() {
    Texts out;
    for (const auto& m : fp.dialogs.messages) {
      EXPECT_EQ(m.title, "Replaydock");
      out.push_back(Box(m.text, m.style));
    }
    fp.dialogs.messages.clear();
    return out;
  }

  fakes::FakePlatform fp;
  ::testing::StrictMock<MockHost> host;
  std::unique_ptr<ConfigWindow> form;
};

TEST_F(ConfigWindowTest, EachGameShowsItsLocationAndAnAbsentOneIsStoredAsTheDefault) {
  fp.registry.PutText(regroot::CurrentUser, kSettings, "Q3APath", "D:\\q3.exe");
  ConfigWindow& f = Open();
  EXPECT_EQ(f.cboGame.Items(),
            (Texts{"Half-Life", "Quake 3 Arena", "Return To Castle Wolfenstein"}));
  EXPECT_EQ(f.txtLocation.Text(), kHlDefault);
  EXPECT_EQ(Stored("HLPath"), kHlDefault);
  EXPECT_FALSE(Stored("RTCWPath"));
  f.cboGame.UserSelected(1);
  EXPECT_EQ(f.txtLocation.Text(), "D:\\q3.exe");
  f.cboGame.UserSelected(2);
  EXPECT_EQ(Stored("RTCWPath"), "C:\\Program Files\\Return To Castle Wolfenstein\\WolfMP.exe");
  EXPECT_EQ(Stored("Q3APath"), "D:\\q3.exe");  // each location to its own value only
  // A value that cannot be read shows, and stores, the default.
  fp.registry.FailNext(fakes::FakeRegistry::Op::Query, 5);
  f.cboGame.UserSelected(1);
  EXPECT_EQ(f.txtLocation.Text(), kQ3Default);
  EXPECT_EQ(Stored("Q3APath"), kQ3Default);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ConfigWindowTest, EveryKeystrokeStoresTheTextForTheSelectedGameOnly) {
  ConfigWindow& f = Open();
  f.cboGame.UserSelected(1);
  for (const std::string typed : {"E", "E:", "E:\\q3.exe", ""}) {
    f.txtLocation.UserEdited(typed);
    EXPECT_EQ(Stored("Q3APath"), typed);
  }
  EXPECT_EQ(Stored("HLPath"), kHlDefault);
  EXPECT_TRUE(fp.files.Calls().empty());  // no check while typing

  f.cboGame.SetListIndex(-1);  // with no game selected nothing is stored
  const auto logged = fp.log.size();
  f.txtLocation.UserEdited("C:\\x.exe");
  EXPECT_EQ(fp.log.size(), logged);
}

TEST_F(ConfigWindowTest, LeavingTheBoxWarnsAboutAnythingButAnExistingFileAndNeverRefuses) {
  fp.files.AddFile("C:\\Games\\Half-Life\\hl.exe");
  ConfigWindow& f = Open();
  const std::string warning =
      Box("The specified program does not exist. Please select the correct executable.",
          mb::OK | mb::IconCritical);
  // Text, whether the lookup fails, whether it warns: also for a folder and a name the file
  // system rejects.
  // clang-format off
  const std::tuple<std::string, bool, bool> cases[] = {
      {"C:\\Games\\Half-Life\\missing.exe", false, true}, {"C:\\Games\\Half-Life", false, true},
      {"C:\\Games\\bad|name.exe", false, true}, {"C:\\Games\\Half-Life\\hl.exe", true, true},
      {"C:\\Games\\Half-Life\\hl.exe", false, false}};
  // clang-format on
  for (const auto& [text, failLookup, warns] : cases) {
    f.txtLocation.UserEdited(text);
    if (failLookup) fp.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 1117);
    bool cancel = true;
    f.txtLocation.Validate(cancel);
    EXPECT_FALSE(cancel) << text;
    EXPECT_EQ(Boxes(), Texts(warns ? 1 : 0, warning)) << text;
    EXPECT_EQ(Stored("HLPath"), text);
  }
}

TEST_F(ConfigWindowTest, BrowseStoresAChosenPathAndACancelOrFailureChangesNothing) {
  ConfigWindow& f = Open();
  f.cmdSelect.UserClicked();  // no scripted result: cancelled
  fp.dialogs.openResults.push_back({OpenResult::Outcome::Failed, "C:\\ignored.exe"});
  f.cmdSelect.UserClicked();
  EXPECT_EQ(Stored("HLPath"), kHlDefault);
  fp.dialogs.openResults.push_back({OpenResult::Outcome::Chosen, "D:\\Half Life\\hl.exe"});
  f.cmdSelect.UserClicked();
  EXPECT_EQ(Stored("HLPath"), "D:\\Half Life\\hl.exe");
  EXPECT_TRUE(Boxes().empty());                   // checked only on leaving the box
  ASSERT_EQ(fp.dialogs.openRequests.size(), 3u);  // each the same
  EXPECT_EQ(fp.dialogs.openRequests[2].title, "Program Location");
  EXPECT_EQ(fp.dialogs.openRequests[2].filter, "Executable Files (*.exe)|*.exe");
  EXPECT_EQ(fp.dialogs.openRequests[2].fileName, "");
}

TEST_F(ConfigWindowTest, RegisterAsksFirstAndReportsWhatHappened) {
  const std::string ask =
      Box("Are you sure you wish to associate Replaydock with all the demo types it supports?",
          mb::YesNo | mb::IconQuestion);
  const std::string failed = "The file types could not be registered.\n\nSystem error ";
  ConfigWindow& f = Open();
  fp.dialogs.answers.push_back(answer::No);
  f.cmdRegister.UserClicked();
  EXPECT_EQ(Boxes(), Texts{ask});
  f.cmdRegister.UserClicked();  // the box answers Yes, but there is no executable of that name
  EXPECT_EQ(Boxes(), (Texts{ask, Box(failed + "2.", mb::OK | mb::IconCritical)}));
  fp.files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe");
  f.cmdRegister.UserClicked();
  EXPECT_EQ(Boxes(), (Texts{ask, Box("File types registered!", mb::OK | mb::IconInformation)}));
  EXPECT_EQ(fp.shell.associationNotices, 1);
  fp.registry.FailUnder(fakes::FakeRegistry::Op::Create, "HKCR", 5);
  fp.registry.FailUnder(fakes::FakeRegistry::Op::Create, "HKCU\\Software\\Classes", 5);
  f.cmdRegister.UserClicked();
  EXPECT_EQ(Boxes(), (Texts{ask, Box(failed + "5.", mb::OK | mb::IconCritical)}));
}

TEST_F(ConfigWindowTest, DoneOnlyCloses) {
  ConfigWindow& f = Open();
  const auto logged = fp.log.size();
  EXPECT_CALL(host, CloseConfig());
  f.cmdBottom.UserClicked();
  EXPECT_EQ(fp.log.size(), logged);
}

}  // namespace
}  // namespace rd
