#include <gtest/gtest.h>

#include "tests/fakes/FakePorts.h"
#include "util/PathHelpers.h"
#include "util/Text.h"

namespace rd::PathHelpers {
namespace {

// The parent folder is the fuzz target's (tests/fuzz/fuzz_paths), which knows it exactly.
TEST(PathHelpers, ProgramsRunInTheirOwnFolderWithTheDefaultVerbAndTheShellsAnswer) {
  fakes::FakePlatform fp;
  fp.shell.result = 2;
  EXPECT_EQ(RunProgram(fp.ports, "C:\\Quake III Arena\\quake3.exe", " +demo replaydock"), 2);
  fp.ports.mainWindowOwner = [] { return WindowHandle{0x1234}; };
  RunProgram(fp.ports, "", "");  // still reaches the shell; only the answer tells
  ASSERT_EQ(fp.shell.calls.size(), 2u);
  const auto& first = fp.shell.calls[0];
  EXPECT_EQ(first.file + "|" + first.parameters + "|" + first.directory,
            "C:\\Quake III Arena\\quake3.exe| +demo replaydock|C:\\Quake III Arena");
  EXPECT_EQ(std::tuple(first.owner, first.hasOperation, first.show), std::tuple(0u, false, 5));
  EXPECT_EQ(fp.shell.calls[1].file + fp.shell.calls[1].directory + std::to_string(fp.shell.calls[1].owner), "4660");
  EXPECT_TRUE(fp.dialogs.messages.empty());
  // The system's own text for Windows' codes, the shell's for its own.
  // clang-format off
  for (const auto& [code, text] : {std::pair<std::intptr_t, std::string>{2, "System error 2."},
       {11, "System error 11."}, {42, ""}, {-1, "The program could not be started."},
       {0, "The system is out of memory or resources."}, {31, "There is no application associated with this file."}})
    EXPECT_EQ(ShellErrorText(fp.ports, code), text) << code;
  // clang-format on
}

// Each name as the file system spells it, in proper case (through the platform's own case
// mapping), or the argument unchanged when any part of it cannot be looked up.
TEST(PathHelpers, TheLongPathLooksEachLevelUpFromTheEndOrLeavesThePathAlone) {
  fakes::FakePlatform fp;
  fp.files.AddFile("C:\\Program Files\\Quake III Arena\\quake3.exe");
  fp.files.AddFile("C:\\DÉMOS\\été À-b_c.dem");
  fp.files.AddFile("C:\\Demos\\match.dem", "x");
  fp.files.AddDrive('E', false);
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"c:\\program files\\QUAKE III ARENA\\QUAKE3.EXE", "C:\\Program Files\\Quake Iii Arena\\Quake3.exe"},
      {"c:\\dÉmos\\été À-B_C.DEM", "C:\\Démos\\Été À-b_c.dem"}, {"demo.DEM", "Demo.dem"}, {"", ""},
      {"  a  b", "  A  B"}, {"c:\\demos\\match.dem   ", "C:\\Demos\\Match.dem"},  // as Windows drops them
      {"c:\\demos\\match.dem. .", "C:\\Demos\\Match.dem"}};
  // clang-format on
  for (const auto& [path, result] : cases) EXPECT_EQ(GetLongPath(fp.ports, path), result) << path;
  // Unchanged: not found, unreadable; network paths and names ending in a backslash (an empty
  // component) are not even looked up.
  // clang-format off
  for (const auto& [path, lookups] : {std::pair<std::string, std::size_t>{"c:\\program files\\missing.EXE", 1},
       {"c:\\nowhere\\quake3.exe", 1}, {"\"C:\\Demos\\match.dem\"", 1}, {"q:\\DEMO.dem", 1},
       {"e:\\DEMO.dem", 1}, {"\\\\server\\share\\DEMO.dem", 0}, {"c:\\demos\\", 0},
       {"c:\\program files\\\\quake iii arena", 1}}) {
    // clang-format on
    const auto before = fp.files.Calls().size();
    EXPECT_EQ(GetLongPath(fp.ports, path), path);
    EXPECT_EQ(fp.files.Calls().size(), before + lookups) << path;
  }
  fp.files.FailNext(fakes::FakeFileSystem::Op::FindEntry, 21, 1);  // halfway up
  const std::string shortName = "c:\\PROGRAM FILES\\QUAKE III ARENA\\QUAKE3.EXE";
  EXPECT_EQ(GetLongPath(fp.ports, shortName), shortName);
}

}  // namespace
}  // namespace rd::PathHelpers
