#include <string>

#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

using ShellContract = ContractTest;
using ProcessContract = ContractTest;
using TimerContract = ContractTest;

TEST_F(ShellContract, OpeningAMissingFileFails) {
  b->ArrangeShellMiss();
  Shell& shell = b->ports().shell;
  const std::string missing = b->ScratchFolder() + "\\no such program.exe";
  EXPECT_LE(shell.Execute(0, nullptr, missing, "", b->ScratchFolder(), showcmd::Show), 32);
  EXPECT_LE(shell.Execute(0, "open", missing, "-x", "", showcmd::Show), 32);
}

TEST_F(ProcessContract, TheExecutableIsWhereItsFolderAndNameSay) {
  b->ArrangeOwnExecutable();
  ProcessInfo& process = b->ports().process;
  const std::string folder = process.ExeFolder();
  const std::string name = process.ExeBaseName();
  ASSERT_FALSE(folder.empty() || name.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_EQ(name.find('\\'), std::string::npos);
  EXPECT_EQ(b->ports().files.FindFile(folder + "\\" + name + ".exe").status, FindStatus::Found)
      << folder << "\\" << name;

  const std::string args = process.CommandLineText();
  EXPECT_TRUE(args.empty() || (args.front() != ' ' && args.front() != '\t')) << args;
  EXPECT_EQ(args.find(name + ".exe"), std::string::npos) << args;
}

TEST_F(ProcessContract, ErrorTextsAndNumberFormat) {
  ProcessInfo& process = b->ports().process;
  for (const std::uint32_t code : {2u, 5u, 0xDEAD1234u}) {
    const std::string text = process.ErrorText(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_EQ(std::string(" \r\n").find(text.back()), std::string::npos) << code;
  }
  EXPECT_NE(process.ErrorText(2), process.ErrorText(5));
  const NumberFormat numbers = process.Numbers();
  EXPECT_FALSE(numbers.decimal.empty());
  EXPECT_NE(numbers.decimal, numbers.thousands);
}

TEST_F(TimerContract, TicksComeUntilStoppedEvenFromTheTickItself) {
  Timer& timer = b->ports().timer;
  int first = 0;
  int second = 0;
  TimerId firstId = 0;
  firstId = timer.Start(1, [&] {
    if (++first == 3) timer.Stop(firstId);
  });
  const TimerId secondId = timer.Start(1, [&] { ++second; });
  ASSERT_NE(firstId, 0u);
  ASSERT_NE(secondId, 0u);
  EXPECT_NE(firstId, secondId);
  ASSERT_TRUE(b->PumpUntil([&] { return first == 3; }));
  const int seen = second;
  ASSERT_TRUE(b->PumpUntil([&] { return second >= seen + 3; }));
  EXPECT_EQ(first, 3);
  timer.Stop(secondId);
  timer.Stop(secondId);  // stopping twice is harmless
}

}  // namespace
}  // namespace rd::contract
