#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "fileassoc/AssociateDemoTypes.h"
#include "tests/fakes/FakePorts.h"

namespace rd::PathHelpers {
namespace {

using fakes::FakeRegistry;
using Op = FakeRegistry::Op;
using Texts = std::vector<std::string>;

TEST(AssociateDemoTypes, RegistersTheThreeTypesSilentlyAndTellsTheShellOnce) {
  fakes::FakePlatform fp;
  fp.process.exeFolder = "D:\\Tools\\My Demos";  // the program's own path, as it runs
  fp.process.exeBaseName = "rdock";
  fp.files.AddDrive('D');
  fp.files.AddFile("D:\\Tools\\My Demos\\rdock.exe");
  const AssociationResult result = AssociateDemoTypes(fp.ports);
  EXPECT_TRUE(result.allWritten);
  EXPECT_EQ(result.error, 0);
  EXPECT_EQ(fp.registry.Keys(regroot::ClassesRoot),
            (Texts{".dem", ".dm_57", ".dm_58", ".dm_59", ".dm_60", ".dm_66", ".dm_67", ".dm_68",
                   "RD.Demo", "RD.Demo\\DefaultIcon", "RD.Demo\\shell", "RD.Demo\\shell\\Open",
                   "RD.Demo\\shell\\Open\\command"}));
  EXPECT_EQ(fp.registry.GetText(regroot::ClassesRoot, "RD.Demo", ""), "Replaydock Demo");
  EXPECT_EQ(fp.registry.GetText(regroot::ClassesRoot, "RD.Demo\\shell\\Open\\command", ""),
            "\"D:\\Tools\\My Demos\\rdock.exe\" %1");
  EXPECT_EQ(fp.registry.GetText(regroot::ClassesRoot, "RD.Demo\\DefaultIcon", ""),
            "D:\\Tools\\My Demos\\rdock.exe,0");
  EXPECT_TRUE(fp.dialogs.messages.empty());
  EXPECT_EQ(fp.shell.associationNotices, 1);
  EXPECT_EQ(fp.log.back(), "shell associations changed");  // after the last write
}

TEST(AssociateDemoTypes, TheAnswerIsTrueOnlyWhenEverythingWasWrittenAndKeepsTheFirstCode) {
  using Arrange = std::function<void(fakes::FakePlatform&)>;
  // The per-user classes standing in for HKEY_CLASSES_ROOT are no failure.
  // clang-format off
  const std::tuple<const char*, Arrange, bool, std::int32_t, int> cases[] = {
      {"classes root refused", [](auto& p) { p.registry.FailUnder(Op::Create, "HKCR", 5); },
       true, 0, 1},
      {"no executable", [](auto& p) { p.process.exeBaseName = "Replaydock.scr"; }, false, 2, 0},
      {"every value refused, the keys written", [](auto& p) {
         p.registry.FailUnder(Op::Set, "HKCR", 5); }, false, 5, 1},
      {"a key refused", [](auto& p) { p.registry.FailNext(Op::Create, 1450, 4); }, false, 1450, 1},
      {"a key missing", [](auto& p) { p.registry.FailNext(Op::Open, 2, 9); }, false, 2, 1},
      {"first and third fail", [](auto& p) {
         p.registry.FailNext(Op::Set, 1450, 0);
         p.registry.FailNext(Op::Set, 5, 7); }, false, 1450, 1},
      {"both classes refused", [](auto& p) {
         p.registry.FailUnder(Op::Create, "HKCR", 5);
         p.registry.FailUnder(Op::Create, "HKCU", 5); }, false, 5, 0}};
  // clang-format on
  for (const auto& [what, arrange, allWritten, error, notices] : cases) {
    SCOPED_TRACE(what);
    fakes::FakePlatform p;
    p.files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe");
    arrange(p);
    const AssociationResult result = AssociateDemoTypes(p.ports);
    EXPECT_EQ(result.allWritten, allWritten);
    EXPECT_EQ(result.error, error);
    EXPECT_EQ(p.shell.associationNotices, notices);
    // A failure stops none of the associations after it.
    EXPECT_EQ(p.registry.KeyExists(regroot::ClassesRoot, ".dm_66") ||
                  p.registry.KeyExists(regroot::CurrentUser, "Software\\Classes\\.dm_66"),
              notices > 0);
    EXPECT_TRUE(p.dialogs.messages.empty());
    EXPECT_EQ(p.registry.OpenHandles(), 0);
  }
}

}  // namespace
}  // namespace rd::PathHelpers
