#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fileassoc/AssociateDemoTypes.h"
#include "tests/fakes/FakePorts.h"

namespace rd::modFunctions {
namespace {

using fakes::FakeRegistry;

const std::string kExe = "C:\\Program Files\\Replaydock\\Replaydock.exe";

class AssociateDemoTypesTest : public ::testing::Test {
 protected:
  AssociateDemoTypesTest() { fp.files.AddFile(kExe); }

  std::vector<std::string> Writes() const {
    std::vector<std::string> out;
    for (const std::string& line : fp.registry.Calls()) {
      if (line.rfind("create ", 0) == 0 || line.rfind("set ", 0) == 0) out.push_back(line);
    }
    return out;
  }

  // The layout expected below root + prefix, key by key.
  void ExpectLayout(RegKey root, const std::string& prefix) const {
    std::vector<std::string> keys;
    for (const char* key :
         {".dem", ".dm_57", ".dm_66", "RD.Demo", "RD.Demo\\DefaultIcon", "RD.Demo\\shell",
          "RD.Demo\\shell\\Open", "RD.Demo\\shell\\Open\\command"}) {
      keys.push_back(prefix + key);
    }
    if (!prefix.empty()) {
      keys.insert(keys.begin(), {"Software", "Software\\Classes"});
    }
    EXPECT_EQ(fp.registry.Keys(root), keys);
    auto text = [&](const std::string& key) {
      return fp.registry.GetText(root, prefix + key, "").value_or("<absent>");
    };
    EXPECT_EQ(text(".dem"), "RD.Demo");
    EXPECT_EQ(text(".dm_57"), "RD.Demo");
    EXPECT_EQ(text(".dm_66"), "RD.Demo");
    EXPECT_EQ(text("RD.Demo"), "Replaydock Demo");
    EXPECT_EQ(text("RD.Demo\\shell\\Open\\command"),
              "\"C:\\Program Files\\Replaydock\\Replaydock.exe\" %1");
    EXPECT_EQ(text("RD.Demo\\DefaultIcon"), "C:\\Program Files\\Replaydock\\Replaydock.exe,0");
    // Keys in between hold no value of their own.
    EXPECT_FALSE(fp.registry.Get(root, prefix + "RD.Demo\\shell", ""));
    EXPECT_FALSE(fp.registry.Get(root, prefix + "RD.Demo\\shell\\Open", ""));
  }

  fakes::FakePlatform fp;
};

TEST_F(AssociateDemoTypesTest, WritesTheThreeTypesInOrderSilentlyAndTellsTheShellOnce) {
  const AssociationResult result = AssociateDemoTypes(fp.ports);

  EXPECT_TRUE(result.allWritten);
  EXPECT_EQ(result.error, 0);
  ExpectLayout(regroot::ClassesRoot, "");
  EXPECT_TRUE(fp.registry.Keys(regroot::CurrentUser).empty());
  std::vector<std::string> expected;
  for (const char* ext : {".dem", ".dm_57", ".dm_66"}) {
    const std::string e = ext;
    for (const std::string& line : {
             "create HKCR\\" + e,
             std::string("create HKCR\\RD.Demo\\shell\\Open\\command"),
             std::string("create HKCR\\RD.Demo\\DefaultIcon"),
             std::string("set HKCR\\RD.Demo\\DefaultIcon\\(default)"),
             "set HKCR\\" + e + "\\(default)",
             std::string("set HKCR\\RD.Demo\\(default)"),
             std::string("set HKCR\\RD.Demo\\shell\\Open\\command\\(default)"),
         }) {
      expected.push_back(line);
    }
  }
  EXPECT_EQ(Writes(), expected);
  EXPECT_TRUE(fp.dialogs.messages.empty());
  EXPECT_EQ(fp.shell.associationNotices, 1);
  // The notice follows the last write.
  ASSERT_FALSE(fp.log.empty());
  EXPECT_EQ(fp.log.back(), "shell associations changed");
  EXPECT_EQ(fp.registry.OpenHandles(), 0);
}

TEST_F(AssociateDemoTypesTest, TheExecutablePathIsBuiltFromTheRunningProgramEachTime) {
  fp.process.exeFolder = "D:\\Tools\\My Demos";
  fp.process.exeBaseName = "rdock";
  fp.files.AddDrive('D');
  fp.files.AddFile("D:\\Tools\\My Demos\\rdock.exe");
  EXPECT_TRUE(AssociateDemoTypes(fp.ports).allWritten);
  EXPECT_EQ(fp.registry.GetText(regroot::ClassesRoot, "RD.Demo\\shell\\Open\\command", ""),
            "\"D:\\Tools\\My Demos\\rdock.exe\" %1");
  EXPECT_EQ(fp.registry.GetText(regroot::ClassesRoot, "RD.Demo\\DefaultIcon", ""),
            "D:\\Tools\\My Demos\\rdock.exe,0");
}

TEST_F(AssociateDemoTypesTest, AProgramNotEndingInExeRegistersNothingAndSaysSoOnlyInItsAnswer) {
  fp.process.exeBaseName = "Replaydock.scr";
  const AssociationResult result = AssociateDemoTypes(fp.ports);
  EXPECT_FALSE(result.allWritten);
  EXPECT_EQ(result.error, 2);
  EXPECT_TRUE(Writes().empty());
  EXPECT_TRUE(fp.registry.Keys(regroot::ClassesRoot).empty());
  EXPECT_TRUE(fp.dialogs.messages.empty());
  EXPECT_EQ(fp.shell.associationNotices, 0);
}

TEST_F(AssociateDemoTypesTest, RefusedClassesRootIsWrittenBelowThePerUserClasses) {
  fp.registry.PutText(regroot::CurrentUser, "Software\\Tessaway\\Replaydock\\Settings", "HLPath",
                      "C:\\hl.exe");
  fp.registry.FailUnder(FakeRegistry::Op::Create, "HKCR", 5);
  const AssociationResult result = AssociateDemoTypes(fp.ports);

  EXPECT_TRUE(result.allWritten);
  EXPECT_EQ(result.error, 0);
  EXPECT_TRUE(fp.registry.Keys(regroot::ClassesRoot).empty());
  EXPECT_EQ(fp.registry.GetText(regroot::CurrentUser, "Software\\Classes\\.dm_57", ""), "RD.Demo");
  EXPECT_EQ(fp.registry.GetText(regroot::CurrentUser,
                                "Software\\Classes\\RD.Demo\\shell\\Open\\command", ""),
            "\"" + kExe + "\" %1");
  EXPECT_EQ(
      fp.registry.GetText(regroot::CurrentUser, "Software\\Classes\\RD.Demo\\DefaultIcon", ""),
      kExe + ",0");
  EXPECT_EQ(fp.registry.GetText(regroot::CurrentUser, "Software\\Tessaway\\Replaydock\\Settings",
                                "HLPath"),
            "C:\\hl.exe");
  EXPECT_TRUE(fp.dialogs.messages.empty());
  EXPECT_EQ(fp.shell.associationNotices, 1);
  EXPECT_EQ(fp.registry.OpenHandles(), 0);
}

TEST_F(AssociateDemoTypesTest, OnlyAFullyWrittenRegistrationCountsAsDone) {
  struct Case {
    const char* what;
    void (*arrange)(FakeRegistry&);
    std::int32_t error;
    int notices;
  };
  const std::vector<Case> cases = {
      {"one value refused",
       [](FakeRegistry& r) { r.FailUnder(FakeRegistry::Op::Set, "HKCR\\RD.Demo\\shell", 5); }, 5,
       1},
      {"one key refused after the first",
       [](FakeRegistry& r) { r.FailNext(FakeRegistry::Op::Create, 1450, 4); }, 1450, 1},
      {"one key missing when its value is set",
       [](FakeRegistry& r) { r.FailNext(FakeRegistry::Op::Open, 2, 9); }, 2, 1},
      {"both classes refused",
       [](FakeRegistry& r) {
         r.FailUnder(FakeRegistry::Op::Create, "HKCR", 5);
         r.FailUnder(FakeRegistry::Op::Create, "HKCU", 5);
       },
       5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fakes::FakePlatform p;
    p.files.AddFile(kExe);
    c.arrange(p.registry);
    const AssociationResult result = AssociateDemoTypes(p.ports);
    EXPECT_FALSE(result.allWritten);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(p.shell.associationNotices, c.notices);
    EXPECT_TRUE(p.dialogs.messages.empty());
    EXPECT_EQ(p.registry.OpenHandles(), 0);
  }
}

TEST_F(AssociateDemoTypesTest, AFailureInOneAssociationDoesNotHideTheOthersOrTheFirstCode) {
  // The first association meets 1450, the third 5: the answer keeps the first.
  fp.registry.FailNext(FakeRegistry::Op::Set, 1450, 0);
  fp.registry.FailNext(FakeRegistry::Op::Set, 5, 8 - 1);
  const AssociationResult result = AssociateDemoTypes(fp.ports);
  EXPECT_FALSE(result.allWritten);
  EXPECT_EQ(result.error, 1450);
  EXPECT_EQ(fp.registry.GetText(regroot::ClassesRoot, ".dm_57", ""), "RD.Demo");
}

TEST_F(AssociateDemoTypesTest, RegisteringAgainKeepsTheSameEntries) {
  ASSERT_TRUE(AssociateDemoTypes(fp.ports).allWritten);
  const auto keys = fp.registry.Keys(regroot::ClassesRoot);
  fp.registry.PutText(regroot::ClassesRoot, ".dm_66", "", "Other.Demo");
  ASSERT_TRUE(AssociateDemoTypes(fp.ports).allWritten);
  EXPECT_EQ(fp.registry.Keys(regroot::ClassesRoot), keys);
  ExpectLayout(regroot::ClassesRoot, "");
  EXPECT_EQ(fp.shell.associationNotices, 2);
}

}  // namespace
}  // namespace rd::modFunctions
