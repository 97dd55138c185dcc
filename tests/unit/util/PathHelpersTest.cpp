#include <gtest/gtest.h>

#include "tests/fakes/FakePorts.h"
#include "util/PathHelpers.h"

namespace rd::PathHelpers {
namespace {

using fakes::FakePlatform;

TEST(GetParentFolder, GivesTheTextBeforeTheLastBackslash) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Sierra\\Half-Life\\hl.exe", "C:\\Sierra\\Half-Life"}, {"X:\\hl.exe", "X:"},
      {"C:\\Games\\", "C:\\Games"}, {"C:\\Games\\\\hl.exe", "C:\\Games\\"}, {"hl.exe", ""}, {"", ""},
      {"mailto:someone@example.org", ""}, {"\\", ""}};
  // clang-format on
  for (const auto& [path, parent] : cases) EXPECT_EQ(GetParentFolder(path), parent) << path;
}

TEST(RunProgram, StartsTheProgramInItsOwnFolderWithTheDefaultVerbAndAnswersTheShell) {
  FakePlatform fake;
  fake.shell.result = 2;
  EXPECT_EQ(RunProgram(fake.ports, "C:\\Quake III Arena\\quake3.exe", " +demo replaydock"), 2);
  fake.ports.mainWindowOwner = [] { return WindowHandle{0x1234}; };
  RunProgram(fake.ports, "", "");
  ASSERT_EQ(fake.shell.calls.size(), 2u);
  const auto& first = fake.shell.calls[0];
  EXPECT_EQ(first.owner, 0u);  // no main window yet
  EXPECT_FALSE(first.hasOperation);
  EXPECT_EQ(first.file, "C:\\Quake III Arena\\quake3.exe");
  EXPECT_EQ(first.parameters, " +demo replaydock");
  EXPECT_EQ(first.directory, "C:\\Quake III Arena");
  EXPECT_EQ(first.show, 5);
  // An empty program still reaches the shell; only the answer tells of its failure.
  EXPECT_EQ(fake.shell.calls[1].owner, 0x1234u);
  EXPECT_EQ(fake.shell.calls[1].file, "");
  EXPECT_EQ(fake.shell.calls[1].directory, "");
  EXPECT_TRUE(fake.dialogs.messages.empty());
}

TEST(GetLongPath, LooksEachLevelUpFromTheEndOrLeavesThePathAlone) {
  FakePlatform fake;
  fake.files.AddFolder("C:\\Program Files", {}, "PROGRA~1");
  fake.files.AddFolder("C:\\Program Files\\Quake III Arena", {}, "QUAKEI~1");
  fake.files.AddFile("C:\\Program Files\\Quake III Arena\\quake3.exe");
  fake.files.AddFile("C:\\Demos\\my long demo.dm_66", "", {}, "MYLONG~1.DM_");
  fake.files.AddDrive('E', false);
  fake.files.AddFile("C:\\DÉMOS\\ÉTÉ ŁÓDŹ ΆΘΉΝΑ МОСКВА ÿ.dem");
  const std::pair<std::string, std::string> cases[] = {
      // Letters beyond ASCII take their case too; stray bytes and other signs stay.
      {"c:\\dÉmos\\ÉTÉ ŁÓDŹ ΆΘΉΝΑ МОСКВА ÿ.DEM", "C:\\Démos\\Été Łódź Άθήνα Москва Ÿ.dem"},
      {"c:\\PROGRA~1\\QUAKEI~1\\QUAKE3.EXE", "C:\\Program Files\\Quake Iii Arena\\Quake3.exe"},
      {"C:\\demos\\MYLONG~1.DM_", "C:\\Demos\\My Long Demo.dm_66"},
      {"demo.DEM", "Demo.dem"},  // a bare name is only proper-cased
      {"×ÀÖ÷ \xC3\xFF" "AB ΣΟΦΟΣ", "×àö÷ \xC3\xFF" "ab Σοφοσ"},
      {"", ""},
  };
  for (const auto& [path, result] : cases) EXPECT_EQ(GetLongPath(fake.ports, path), result);
  for (const std::string path :
       {"c:\\PROGRA~1\\QUAKEI~1\\missing.EXE", "c:\\nowhere\\quake3.exe",
        "\"C:\\Demos\\my long demo.dm_66\"", "q:\\DEMO.dem", "e:\\DEMO.dem"}) {
    EXPECT_EQ(GetLongPath(fake.ports, path), path);
  }
  // Network paths, and names ending in a backslash (an empty component), are not looked up.
  for (const std::string path :
       {"\\\\server\\share\\DEMO.dem", "\\\\", "c:\\program files\\", "c:\\"}) {
    const auto lookups = fake.files.Calls().size();
    EXPECT_EQ(GetLongPath(fake.ports, path), path);
    EXPECT_EQ(fake.files.Calls().size(), lookups) << path;
  }
  EXPECT_EQ(GetLongPath(fake.ports, "c:\\program files\\\\quake iii arena"),
            "c:\\program files\\\\quake iii arena");
  fake.files.FailNext(fakes::FakeFileSystem::Op::FindEntry, 21, 1);  // halfway up
  EXPECT_EQ(GetLongPath(fake.ports, "c:\\PROGRA~1\\QUAKEI~1\\QUAKE3.EXE"),
            "c:\\PROGRA~1\\QUAKEI~1\\QUAKE3.EXE");
}

TEST(ShellErrorText, NamesTheShellsReasons) {
  FakePlatform fake;
  // The system's own text for Windows' codes, the shell's for its own.
  // clang-format off
  const std::pair<std::intptr_t, std::string> exact[] = {
      {2, "System error 2."}, {11, "System error 11."}, {1, "System error 1."}, {42, ""},
      {-1, "The program could not be started."}};
  // clang-format on
  for (const auto& [code, text] : exact) EXPECT_EQ(ShellErrorText(fake.ports, code), text);
  // clang-format off
  const std::pair<std::intptr_t, const char*> own[] = {
      {0, "memory"}, {26, "sharing"}, {27, "association"}, {28, "timed out"},
      {29, "DDE transaction failed"}, {30, "other DDE"}, {31, "no application"}, {32, "DLL"}};
  // clang-format on
  for (const auto& [code, word] : own) {
    EXPECT_NE(ShellErrorText(fake.ports, code).find(word), std::string::npos) << code;
  }
}

}  // namespace
}  // namespace rd::PathHelpers
