#include <string>

#include "tests/contract/ContractTest.h"

namespace rd::contract {
namespace {

using ShellContract = ContractTest;
using ProcessContract = ContractTest;
using TimerContract = ContractTest;

TEST_F(ShellContract, OpeningAMissingFileFails) {
  b->ArrangeShellMiss();
  const std::string missing = b->ScratchFolder() + "\\no such program.exe";
  EXPECT_LE(b->shell().Execute(0, nullptr, missing, "", b->ScratchFolder(), showcmd::Show), 32);
  EXPECT_LE(b->shell().Execute(0, "open", missing, "-x", "", showcmd::Show), 32);
}

TEST_F(ProcessContract, TheExecutableIsWhereItsFolderAndNameSay) {
  b->ArrangeOwnExecutable();
  const std::string folder = b->process().ExeFolder();
  const std::string name = b->process().ExeBaseName();
  ASSERT_FALSE(folder.empty());
  ASSERT_FALSE(name.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_EQ(name.find('\\'), std::string::npos);
  const FindResult exe = b->files().FindFile(folder + "\\" + name + ".exe");
  EXPECT_EQ(exe.status, FindStatus::Found) << folder << "\\" << name;

  const std::string args = b->process().CommandLineText();
  EXPECT_TRUE(args.empty() || (args.front() != ' ' && args.front() != '\t')) << args;
  EXPECT_EQ(args.find(name + ".exe"), std::string::npos) << args;
}

TEST_F(ProcessContract, ErrorTextsAndNumberFormat) {
  for (const std::uint32_t code : {2u, 5u, 0xDEAD1234u}) {
    const std::string text = b->process().ErrorText(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_NE(text.back(), '\n') << code;
    EXPECT_NE(text.back(), '\r') << code;
    EXPECT_NE(text.back(), ' ') << code;
  }
  EXPECT_NE(b->process().ErrorText(2), b->process().ErrorText(5));
  const NumberFormat numbers = b->process().Numbers();
  EXPECT_FALSE(numbers.decimal.empty());
  EXPECT_NE(numbers.decimal, numbers.thousands);
}

TEST_F(TimerContract, TicksComeUntilStoppedEvenFromTheTickItself) {
  int first = 0;
  int second = 0;
  TimerId firstId = 0;
  firstId = b->timer().Start(1, [&] {
    if (++first == 3) b->timer().Stop(firstId);
  });
  const TimerId secondId = b->timer().Start(1, [&] { ++second; });
  ASSERT_NE(firstId, 0u);
  ASSERT_NE(secondId, 0u);
  EXPECT_NE(firstId, secondId);
  ASSERT_TRUE(b->PumpUntil([&] { return first == 3; }));
  const int seen = second;
  ASSERT_TRUE(b->PumpUntil([&] { return second >= seen + 3; }));
  EXPECT_EQ(first, 3);
  b->timer().Stop(secondId);
  b->timer().Stop(secondId);  // stopping twice is harmless
}

}  // namespace
}  // namespace rd::contract
