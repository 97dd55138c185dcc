#include <gtest/gtest.h>

#include "tests/fakes/FakePorts.h"
#include "util/PathHelpers.h"
#include "util/Text.h"

namespace rd::PathHelpers {
namespace {

// Folder, file and owner of a launch are proven by the Play and splash tests; the parent
// folder by tests/fuzz/fuzz_paths.
TEST(PathHelpers, ProgramsRunWithTheDefaultVerbAndTheShellsCodesGetItsOwnTexts) {
  fakes::FakePlatform fp;
  fp.shell.result = 2;
  EXPECT_EQ(RunProgram(fp.ports, "C:\\Quake III Arena\\quake3.exe", " +demo replaydock"), 2);
  EXPECT_EQ(std::tuple(fp.shell.calls.at(0).hasOperation, fp.shell.calls.at(0).show), std::tuple(false, 5));
  // clang-format off
  for (const auto& [code, text] : {std::pair<std::intptr_t, std::string>{11, "System error 11."}, {42, ""},
       {-1, "The program could not be started."}, {31, "There is no application associated with this file."}})
    EXPECT_EQ(ShellErrorText(fp.ports, code), text) << code;
  // clang-format on
}

// Each name as the file system spells it, in proper case, or the argument unchanged when any
// part of it cannot be looked up; network paths and empty components are not looked up.
TEST(PathHelpers, TheLongPathLooksEachLevelUpFromTheEndOrLeavesThePathAlone) {
  fakes::FakePlatform fp;
  fp.files.AddFile("C:\\Program Files\\Quake III Arena\\quake3.exe");
  fp.files.AddFile("C:\\DÉMOS\\été À-b_c.dem");
  fp.files.AddDrive('E', false);
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"c:\\program files\\QUAKE III ARENA\\QUAKE3.EXE", "C:\\Program Files\\Quake Iii Arena\\Quake3.exe"},
      {"c:\\dÉmos\\été À-B_C.DEM. .", "C:\\Démos\\Été À-b_c.dem"}, {"  a  b", "  A  B"},
      {"c:\\nowhere\\quake3.exe", ""}, {"e:\\DEMO.dem", ""}, {"\\\\server\\share\\DEMO.dem", ""},
      {"c:\\program files\\\\quake iii arena", ""}};
  // clang-format on
  for (const auto& [path, result] : cases)
    EXPECT_EQ(GetLongPath(fp.ports, path), result.empty() ? path : result) << path;
  fp.files.FailNext(fakes::FakeFileSystem::Op::FindEntry, 21, 1);  // halfway up
  const std::string shortName = "c:\\PROGRAM FILES\\QUAKE III ARENA\\QUAKE3.EXE";
  EXPECT_EQ(GetLongPath(fp.ports, shortName), shortName);
}

}  // namespace
}  // namespace rd::PathHelpers
