#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/frmConfig.h"
#include "tests/fakes/FakePorts.h"

namespace rd {
namespace {

using fakes::FakeFileSystem;

const std::string kSettings = "Software\\Tessaway\\Replaydock\\Settings";
const std::string kHlDefault = "C:\\Sierra\\Half-Life\\hl.exe";
const std::string kQ3Default = "C:\\Program Files\\Quake III Arena\\quake3.exe";
const std::string kRtcwDefault = "C:\\Program Files\\Return To Castle Wolfenstein\\WolfMP.exe";
const std::string kMissing =
    "The specified program does not exist. Please select the correct executable.";

class RecordingHost final : public AppHost {
 public:
  void ShowMain() override { calls.push_back("show main"); }
  void HideMain() override { calls.push_back("hide main"); }
  void EndProgram() override { calls.push_back("end"); }
  void ShowConfigModal() override { calls.push_back("config modal"); }
  void CloseConfig() override { calls.push_back("close config"); }
  void HandOver() override { calls.push_back("hand over"); }

  std::vector<std::string> calls;
};

class frmConfigTest : public ::testing::Test {
 protected:
  // A fresh window, as the host creates one for each opening.
  frmConfig& Open() {
    form = std::make_unique<frmConfig>(fp.ports, host);
    form->Form_Load();
    return *form;
  }

  std::optional<std::string> Stored(const std::string& value) const {
    return fp.registry.GetText(regroot::CurrentUser, kSettings, value);
  }

  int StoresOf(const std::string& value) const {
    const std::string line = "reg set HKCU\\" + kSettings + "\\" + value;
    return static_cast<int>(std::count(fp.log.begin(), fp.log.end(), line));
  }

  fakes::FakePlatform fp;
  RecordingHost host;
  std::unique_ptr<frmConfig> form;
};

TEST_F(frmConfigTest, FirstOpeningShowsAndStoresTheHalfLifeDefault) {
  frmConfig& f = Open();

  EXPECT_EQ(f.cboGame.Items(), (std::vector<std::string>{"Half-Life", "Quake 3 Arena",
                                                         "Return To Castle Wolfenstein"}));
  EXPECT_EQ(f.cboGame.ListIndex(), 0);
  EXPECT_EQ(f.txtLocation.Text(), kHlDefault);
  EXPECT_EQ(Stored("HLPath"), kHlDefault);
  EXPECT_EQ(StoresOf("HLPath"), 1);
  EXPECT_FALSE(Stored("Q3APath"));
  EXPECT_FALSE(Stored("RTCWPath"));
  EXPECT_TRUE(fp.dialogs.messages.empty());
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(fp.registry.OpenHandles(), 0);
}

TEST_F(frmConfigTest, ChoosingEachGameShowsItsLocationAndStoresAnAbsentDefault) {
  fp.registry.PutText(regroot::CurrentUser, kSettings, "HLPath", "D:\\HL\\hl.exe");
  frmConfig& f = Open();
  EXPECT_EQ(f.txtLocation.Text(), "D:\\HL\\hl.exe");

  f.cboGame.UserSelected(1);
  EXPECT_EQ(f.txtLocation.Text(), kQ3Default);
  EXPECT_EQ(Stored("Q3APath"), kQ3Default);
  f.cboGame.UserSelected(2);
  EXPECT_EQ(f.txtLocation.Text(), kRtcwDefault);
  EXPECT_EQ(Stored("RTCWPath"), kRtcwDefault);
  f.cboGame.UserSelected(0);
  EXPECT_EQ(f.txtLocation.Text(), "D:\\HL\\hl.exe");

  // Each location went to its own game's value only.
  EXPECT_EQ(Stored("HLPath"), "D:\\HL\\hl.exe");
  EXPECT_EQ(Stored("Q3APath"), kQ3Default);
  EXPECT_TRUE(fp.dialogs.messages.empty());
}

TEST_F(frmConfigTest, AValueThatCannotBeReadShowsAndStoresTheDefault) {
  fp.registry.PutText(regroot::CurrentUser, kSettings, "Q3APath", "D:\\q3.exe");
  frmConfig& f = Open();
  fp.registry.FailNext(fakes::FakeRegistry::Op::Query, 5);
  f.cboGame.UserSelected(1);
  EXPECT_EQ(f.txtLocation.Text(), kQ3Default);
  EXPECT_EQ(Stored("Q3APath"), kQ3Default);
}

TEST_F(frmConfigTest, EveryKeystrokeStoresTheTextAsTypedForTheSelectedGame) {
  frmConfig& f = Open();
  f.cboGame.UserSelected(1);
  const int before = StoresOf("Q3APath");
  const std::string typed = "E:\\q3.exe";
  for (std::size_t n = 1; n <= typed.size(); ++n) {
    f.txtLocation.UserEdited(typed.substr(0, n));
    EXPECT_EQ(Stored("Q3APath"), typed.substr(0, n));
  }
  EXPECT_EQ(StoresOf("Q3APath") - before, static_cast<int>(typed.size()));
  EXPECT_EQ(Stored("HLPath"), kHlDefault);

  f.txtLocation.UserEdited("");
  EXPECT_EQ(Stored("Q3APath"), "");
  EXPECT_TRUE(fp.dialogs.messages.empty());  // no check while typing
}

TEST_F(frmConfigTest, WithNoGameSelectedTypingStoresNothing) {
  frmConfig& f = Open();
  f.cboGame.SetListIndex(-1);
  EXPECT_EQ(f.txtLocation.Text(), kHlDefault);
  const auto writes = fp.log.size();
  f.txtLocation.UserEdited("C:\\x.exe");
  EXPECT_EQ(fp.log.size(), writes);
  EXPECT_EQ(Stored("HLPath"), kHlDefault);
}

TEST_F(frmConfigTest, LeavingTheBoxWarnsAboutAnythingButAnExistingFileAndNeverRefuses) {
  fp.files.AddDrive('E', false);
  fp.files.AddFolder("C:\\Games\\Half-Life");
  fp.files.AddFile("C:\\Games\\Half-Life\\hl.exe");
  frmConfig& f = Open();

  struct Case {
    std::string text;
    bool warns;
  };
  const std::vector<Case> cases = {
      {"C:\\Games\\Half-Life\\missing.exe", true},
      {"C:\\Games\\Half-Life", true},     // a folder
      {"C:\\Games\\bad|name.exe", true},  // the file system rejects the name
      {"E:\\hl.exe", true},               // the drive is not ready
      {"", true},
      {"C:\\Games\\Half-Life\\hl.exe", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    f.txtLocation.UserEdited(c.text);
    for (int leave = 0; leave < 2; ++leave) {
      fp.dialogs.messages.clear();
      bool cancel = false;
      f.txtLocation.Validate(cancel);
      EXPECT_FALSE(cancel);
      if (c.warns) {
        ASSERT_EQ(fp.dialogs.messages.size(), 1u);
        EXPECT_EQ(fp.dialogs.messages[0].text, kMissing);
        EXPECT_EQ(fp.dialogs.messages[0].title, "Replaydock");
        EXPECT_EQ(fp.dialogs.messages[0].style, mb::OK | mb::IconCritical);
      } else {
        EXPECT_TRUE(fp.dialogs.messages.empty());
      }
    }
    EXPECT_EQ(f.txtLocation.Text(), c.text);
    EXPECT_EQ(Stored("HLPath"), c.text);
  }
}

TEST_F(frmConfigTest, AFileSystemErrorDuringTheCheckIsAWarningLikeAMissingFile) {
  fp.files.AddFile(kHlDefault);
  frmConfig& f = Open();
  fp.files.FailNext(FakeFileSystem::Op::FindFile, 1117);
  f.txtLocation.UserLeaving();
  ASSERT_EQ(fp.dialogs.messages.size(), 1u);
  EXPECT_EQ(fp.dialogs.messages[0].text, kMissing);
  // Nothing stuck: the next check passes.
  f.txtLocation.UserLeaving();
  EXPECT_EQ(fp.dialogs.messages.size(), 1u);
  EXPECT_EQ(f.txtLocation.Text(), kHlDefault);
}

TEST_F(frmConfigTest, BrowseStoresAChosenPathAndACancelOrFailureChangesNothing) {
  frmConfig& f = Open();
  const auto logged = fp.log.size();

  f.cmdSelect.UserClicked();  // no scripted result: cancelled
  fp.dialogs.openResults.push_back({OpenResult::Outcome::Failed, "C:\\ignored.exe"});
  f.cmdSelect.UserClicked();
  EXPECT_EQ(f.txtLocation.Text(), kHlDefault);
  EXPECT_EQ(Stored("HLPath"), kHlDefault);
  // Only the two dialogs happened in between.
  EXPECT_EQ(fp.log.size(), logged + 2);

  fp.dialogs.openResults.push_back({OpenResult::Outcome::Chosen, "D:\\Half Life\\hl.exe"});
  f.cmdSelect.UserClicked();
  EXPECT_EQ(f.txtLocation.Text(), "D:\\Half Life\\hl.exe");
  EXPECT_EQ(Stored("HLPath"), "D:\\Half Life\\hl.exe");
  EXPECT_TRUE(fp.dialogs.messages.empty());  // the path is checked only on leaving the box

  ASSERT_EQ(fp.dialogs.openRequests.size(), 3u);
  for (const OpenRequest& r : fp.dialogs.openRequests) {
    EXPECT_EQ(r.title, "Program Location");
    EXPECT_EQ(r.filter, "Executable Files (*.exe)|*.exe");
    EXPECT_EQ(r.fileName, "");
  }
}

TEST_F(frmConfigTest, RegisterAnsweredNoDoesNothing) {
  fp.files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe");
  frmConfig& f = Open();
  fp.dialogs.answers.push_back(answer::No);
  f.cmdRegister.UserClicked();

  ASSERT_EQ(fp.dialogs.messages.size(), 1u);
  EXPECT_EQ(fp.dialogs.messages[0].text,
            "Are you sure you wish to associate Replaydock with all the demo types it supports?");
  EXPECT_EQ(fp.dialogs.messages[0].title, "Replaydock");
  EXPECT_EQ(fp.dialogs.messages[0].style, mb::YesNo | mb::IconQuestion);
  EXPECT_TRUE(fp.registry.Keys(regroot::ClassesRoot).empty());
  EXPECT_EQ(fp.shell.associationNotices, 0);
}

TEST_F(frmConfigTest, RegisterAnsweredYesConfirmsOnlyWhatWasWritten) {
  fp.files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe");
  frmConfig& f = Open();
  f.cmdRegister.UserClicked();  // the box answers Yes

  ASSERT_EQ(fp.dialogs.messages.size(), 2u);
  EXPECT_EQ(fp.dialogs.messages[1].text, "File types registered!");
  EXPECT_EQ(fp.dialogs.messages[1].title, "Replaydock");
  EXPECT_EQ(fp.dialogs.messages[1].style, mb::OK | mb::IconInformation);
  EXPECT_EQ(fp.registry.GetText(regroot::ClassesRoot, ".dm_66", ""), "RD.Demo");
  EXPECT_EQ(fp.shell.associationNotices, 1);
}

TEST_F(frmConfigTest, RegisterThatCouldNotWriteSaysWhy) {
  struct Case {
    const char* what;
    bool exeExists;
    bool refuseAll;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"both classes refused", true, true, "System error 5."},
      {"no executable of that name", false, false, "System error 2."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fakes::FakePlatform p;
    RecordingHost h;
    if (c.exeExists) p.files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe");
    if (c.refuseAll) {
      p.registry.FailUnder(fakes::FakeRegistry::Op::Create, "HKCR", 5);
      p.registry.FailUnder(fakes::FakeRegistry::Op::Create, "HKCU\\Software\\Classes", 5);
    }
    frmConfig f(p.ports, h);
    f.Form_Load();
    f.cmdRegister.UserClicked();
    ASSERT_EQ(p.dialogs.messages.size(), 2u);
    EXPECT_EQ(p.dialogs.messages[1].text, "The file types could not be registered.\n\n" + c.reason);
    EXPECT_EQ(p.dialogs.messages[1].title, "Replaydock");
    EXPECT_EQ(p.dialogs.messages[1].style, mb::OK | mb::IconCritical);
    EXPECT_TRUE(p.registry.Keys(regroot::ClassesRoot).empty());
  }
}

TEST_F(frmConfigTest, DoneOnlyClosesAndReopeningStartsAfresh) {
  frmConfig& first = Open();
  first.cboGame.UserSelected(2);
  first.txtLocation.UserEdited("D:\\RTCW\\WolfMP.exe");
  first.cboGame.UserSelected(0);
  first.txtLocation.UserEdited("D:\\HL\\hl.exe");
  const auto logged = fp.log.size();
  first.cmdBottom.UserClicked();
  EXPECT_EQ(host.calls, (std::vector<std::string>{"close config"}));
  EXPECT_EQ(fp.log.size(), logged);  // nothing written on closing

  frmConfig& second = Open();
  EXPECT_EQ(second.cboGame.Items(), (std::vector<std::string>{"Half-Life", "Quake 3 Arena",
                                                              "Return To Castle Wolfenstein"}));
  EXPECT_EQ(second.cboGame.Text(), "Half-Life");
  EXPECT_EQ(second.txtLocation.Text(), "D:\\HL\\hl.exe");
  second.cboGame.UserSelected(2);
  EXPECT_EQ(second.txtLocation.Text(), "D:\\RTCW\\WolfMP.exe");
}

}  // namespace
}  // namespace rd
