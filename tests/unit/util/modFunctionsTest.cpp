#include <gtest/gtest.h>

#include "tests/fakes/FakePorts.h"
#include "util/modFunctions.h"

namespace rd::modFunctions {
namespace {

using fakes::FakePlatform;

TEST(GetParentFolder, GivesTheTextBeforeTheLastBackslash) {
  EXPECT_EQ(GetParentFolder("C:\\Sierra\\Half-Life\\hl.exe"), "C:\\Sierra\\Half-Life");
  EXPECT_EQ(GetParentFolder("X:\\hl.exe"), "X:");
  EXPECT_EQ(GetParentFolder("C:\\Games\\"), "C:\\Games");
  EXPECT_EQ(GetParentFolder("C:\\Games\\\\hl.exe"), "C:\\Games\\");
  EXPECT_EQ(GetParentFolder("hl.exe"), "");
  EXPECT_EQ(GetParentFolder(""), "");
  EXPECT_EQ(GetParentFolder("mailto:someone@example.org"), "");
  EXPECT_EQ(GetParentFolder("\\"), "");
}

TEST(RunProgram, StartsTheProgramInItsOwnFolderWithTheDefaultVerb) {
  FakePlatform fake;
  fake.shell.result = 42;
  const auto result = RunProgram(fake.ports, "C:\\Quake III Arena\\quake3.exe",
                                 " +set fs_game osp +demo replaydock");
  EXPECT_EQ(result, 42);
  ASSERT_EQ(fake.shell.calls.size(), 1u);
  const auto& call = fake.shell.calls[0];
  EXPECT_EQ(call.owner, 0u);  // no main window yet
  EXPECT_FALSE(call.hasOperation);
  EXPECT_EQ(call.file, "C:\\Quake III Arena\\quake3.exe");
  EXPECT_EQ(call.parameters, " +set fs_game osp +demo replaydock");
  EXPECT_EQ(call.directory, "C:\\Quake III Arena");
  EXPECT_EQ(call.show, 5);
}

TEST(RunProgram, IsOwnedByTheMainWindowOnceItsHookIsInstalled) {
  FakePlatform fake;
  int created = 0;
  fake.ports.mainWindowOwner = [&created] {
    ++created;
    return WindowHandle{0x1234};
  };
  RunProgram(fake.ports, "mailto:someone@example.org", "");
  ASSERT_EQ(fake.shell.calls.size(), 1u);
  EXPECT_EQ(fake.shell.calls[0].owner, 0x1234u);
  EXPECT_EQ(fake.shell.calls[0].directory, "");
  EXPECT_EQ(created, 1);
}

TEST(RunProgram, AnEmptyProgramStillReachesTheShellAndItsFailureIsOnlyAnswered) {
  FakePlatform fake;
  fake.shell.result = 2;
  EXPECT_EQ(RunProgram(fake.ports, "", ""), 2);
  ASSERT_EQ(fake.shell.calls.size(), 1u);
  EXPECT_EQ(fake.shell.calls[0].file, "");
  EXPECT_EQ(fake.shell.calls[0].parameters, "");
  EXPECT_EQ(fake.shell.calls[0].directory, "");
  EXPECT_TRUE(fake.dialogs.messages.empty());
}

class GetLongPathTest : public ::testing::Test {
 protected:
  GetLongPathTest() {
    fake.files.AddFolder("C:\\Program Files", {}, "PROGRA~1");
    fake.files.AddFolder("C:\\Program Files\\Quake III Arena", {}, "QUAKEI~1");
    fake.files.AddFile("C:\\Program Files\\Quake III Arena\\quake3.exe");
    fake.files.AddFile("C:\\Demos\\my long demo.dm_66", "", {}, "MYLONG~1.DM_");
    fake.files.AddFile("C:\\Demos\\secret.dem", "", {.hidden = true});
  }
  std::string Long(const std::string& path) { return GetLongPath(fake.ports, path); }

  FakePlatform fake;
};

TEST_F(GetLongPathTest, ShortNamesBecomeLongOnesInProperCase) {
  EXPECT_EQ(Long("c:\\PROGRA~1\\QUAKEI~1\\QUAKE3.EXE"),
            "C:\\Program Files\\Quake Iii Arena\\Quake3.exe");
  EXPECT_EQ(Long("C:\\demos\\MYLONG~1.DM_"), "C:\\Demos\\My Long Demo.dm_66");
  EXPECT_EQ(Long("c:\\program files"), "C:\\Program Files");
}

TEST_F(GetLongPathTest, ABareNameIsOnlyProperCased) {
  EXPECT_EQ(Long("demo.DEM"), "Demo.dem");
  EXPECT_EQ(Long(""), "");
  EXPECT_TRUE(fake.files.Calls().empty());
}

TEST_F(GetLongPathTest, WhatCannotBeLookedUpComesBackUnchanged) {
  // A missing file, a missing folder on the way, a hidden file.
  EXPECT_EQ(Long("c:\\PROGRA~1\\QUAKEI~1\\missing.EXE"), "c:\\PROGRA~1\\QUAKEI~1\\missing.EXE");
  EXPECT_EQ(Long("c:\\nowhere\\quake3.exe"), "c:\\nowhere\\quake3.exe");
  EXPECT_EQ(Long("C:\\demos\\SECRET.dem"), "C:\\demos\\SECRET.dem");
  // Network paths are not looked up at all.
  EXPECT_EQ(Long("\\\\server\\share\\DEMO.dem"), "\\\\server\\share\\DEMO.dem");
  EXPECT_EQ(Long("\\\\"), "\\\\");
  // Names the file system cannot parse, or a drive that is not there or not ready.
  EXPECT_EQ(Long("\"C:\\Demos\\my long demo.dm_66\""), "\"C:\\Demos\\my long demo.dm_66\"");
  EXPECT_EQ(Long("q:\\DEMO.dem"), "q:\\DEMO.dem");
  fake.files.AddDrive('E', false);
  EXPECT_EQ(Long("e:\\DEMO.dem"), "e:\\DEMO.dem");
}

TEST_F(GetLongPathTest, AnEmptyComponentIsNoNameAndLeavesTheArgumentUnchanged) {
  EXPECT_EQ(Long("c:\\program files\\"), "c:\\program files\\");
  EXPECT_EQ(Long("c:\\program files\\\\quake iii arena"), "c:\\program files\\\\quake iii arena");
  EXPECT_EQ(Long("c:\\"), "c:\\");
}

TEST_F(GetLongPathTest, AFailureHalfwayLeavesTheArgumentUnchanged) {
  fake.files.FailNext(fakes::FakeFileSystem::Op::FindEntry, 21, 1);
  EXPECT_EQ(Long("c:\\PROGRA~1\\QUAKEI~1\\QUAKE3.EXE"), "c:\\PROGRA~1\\QUAKEI~1\\QUAKE3.EXE");
}

TEST_F(GetLongPathTest, EveryLevelIsLookedUpFromTheEnd) {
  Long("c:\\PROGRA~1\\QUAKEI~1\\QUAKE3.EXE");
  const std::vector<std::string> expected{
      "findentry c:\\PROGRA~1\\QUAKEI~1\\QUAKE3.EXE",
      "findentry c:\\PROGRA~1\\QUAKEI~1",
      "findentry c:\\PROGRA~1",
  };
  EXPECT_EQ(fake.files.Calls(), expected);
}

TEST(ShellErrorText, NamesTheShellsReasons) {
  FakePlatform fake;
  EXPECT_EQ(ShellErrorText(fake.ports, 2), "System error 2.");
  EXPECT_EQ(ShellErrorText(fake.ports, 11), "System error 11.");
  EXPECT_NE(ShellErrorText(fake.ports, 0).find("memory"), std::string::npos);
  EXPECT_NE(ShellErrorText(fake.ports, 31).find("associated"), std::string::npos);
  EXPECT_NE(ShellErrorText(fake.ports, 32).find("DLL"), std::string::npos);
  for (std::intptr_t code : {26, 27, 28, 29, 30}) {
    EXPECT_FALSE(ShellErrorText(fake.ports, code).empty()) << code;
    EXPECT_EQ(ShellErrorText(fake.ports, code).find("System error"), std::string::npos) << code;
  }
  EXPECT_EQ(ShellErrorText(fake.ports, 42), "");
}

}  // namespace
}  // namespace rd::modFunctions
