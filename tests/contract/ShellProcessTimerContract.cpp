#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

TEST_F(ContractTest, TheProcessKnowsItsExecutableArgumentsErrorTextsNumbersAndCase) {
  ProcessInfo& process = b->ports().process;
  const std::string folder = process.ExeFolder(), name = process.ExeBaseName();
  ASSERT_FALSE(folder.empty() || name.empty() || folder.back() == '\\' ||
               name.find('\\') != std::string::npos);
  EXPECT_EQ(b->ports().files.FindFile(folder + "\\" + name + ".exe").status, FindStatus::Found);
  const std::string args = process.CommandLineText();
  EXPECT_TRUE(args.empty() ||
              (args[0] != ' ' && args[0] != '\t' && args.find(name + ".exe") == std::string::npos));
  for (const std::uint32_t code : {2u, 5u, 0xDEAD1234u}) {
    const std::string text = process.ErrorText(code);
    EXPECT_TRUE(!text.empty() && std::string(" \r\n").find(text.back()) == std::string::npos)
        << code;
  }
  EXPECT_NE(process.ErrorText(2), process.ErrorText(5));
  EXPECT_FALSE(process.Numbers().decimal.empty() ||
               process.Numbers().decimal == process.Numbers().thousands);
  EXPECT_EQ(process.ChangeCase("Demo 12.DEM", true) + process.ChangeCase("Demo 12.DEM", false),
            "DEMO 12.DEMdemo 12.dem");
  const std::string missing = b->folder + "\\no such program.exe";  // the shell fails to open it
  EXPECT_LE(b->ports().shell.Execute(0, nullptr, missing, "", b->folder, showcmd::Show), 32);
}

// The game's home folders and Windows' VirtualStore are found from these; Steam's running
// client from a process id.
TEST_F(ContractTest, TheUsersFoldersExistAndARunningProcessIsToldFromAnEndedOne) {
  ProcessInfo& process = b->ports().process;
  for (const UserFolder which :
       {UserFolder::RoamingAppData, UserFolder::LocalAppData, UserFolder::Documents}) {
    const std::string path = process.UserFolderPath(which);
    ASSERT_GT(path.size(), 3u) << static_cast<int>(which);
    EXPECT_NE(path.back(), '\\') << path;
    EXPECT_EQ(b->ports().files.FindEntry(path).status, FindStatus::Found) << path;
  }
  EXPECT_NE(process.UserFolderPath(UserFolder::RoamingAppData),
            process.UserFolderPath(UserFolder::LocalAppData));
  EXPECT_TRUE(process.ProcessAlive(b->OwnProcessId()));
  EXPECT_FALSE(process.ProcessAlive(0));
  EXPECT_FALSE(process.ProcessAlive(0xFFFFFFF0u));  // no such process
}

// Steps handed back run on the window's thread, in the order handed; a stop waits for the
// work to end and drops what it had not yet run; the jobs start again afterwards.
TEST_F(ContractTest, BackgroundStepsRunOnTheWindowsThreadInOrder) {
  const std::unique_ptr<Jobs> jobs = b->ports().background.NewJobs();
  const std::thread::id window = std::this_thread::get_id();
  std::vector<int> ran;
  bool onWindow = true;
  for (int w = 0; w < 2; ++w) {
    jobs->Start([&, w](const Deliver& deliver, const std::atomic<bool>&) {
      for (int i = 0; i < 3; ++i) {
        deliver([&, w, i] {
          onWindow = onWindow && std::this_thread::get_id() == window;
          ran.push_back(w * 10 + i);
        });
      }
    });
  }
  ASSERT_TRUE(b->PumpUntil([&] { return ran.size() == 6; }));
  EXPECT_TRUE(onWindow);
  std::vector<int> first, second;
  for (int step : ran) (step < 10 ? first : second).push_back(step);
  EXPECT_EQ(first, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(second, (std::vector<int>{10, 11, 12}));

  std::atomic<bool> ended{false};
  jobs->Start([&](const Deliver& deliver, const std::atomic<bool>& stop) {
    while (!stop) std::this_thread::yield();
    deliver([&] { ran.push_back(99); });
    ended = true;
  });
  jobs->Stop();
  EXPECT_TRUE(ended);
  bool late = false;
  jobs->Start([&](const Deliver& deliver, const std::atomic<bool>&) {
    deliver([&] { late = true; });
  });
  ASSERT_TRUE(b->PumpUntil([&] { return late; }));
  EXPECT_EQ(ran.size(), 6u) << "the step handed back after the stop was dropped";
}

TEST_F(ContractTest, TimersTickUntilStoppedEvenFromTheTickItself) {
  Timer& timer = b->ports().timer;
  int first = 0, second = 0;
  TimerId firstId = 0;
  firstId = timer.Start(1, [&] {
    if (++first == 3) timer.Stop(firstId);
  });
  const TimerId secondId = timer.Start(1, [&] { ++second; });
  ASSERT_TRUE(firstId != 0 && secondId != 0 && secondId != firstId);
  ASSERT_TRUE(b->PumpUntil([&] { return first == 3; }));
  const int seen = second;
  ASSERT_TRUE(b->PumpUntil([&] { return second >= seen + 3; }));
  EXPECT_EQ(first, 3);
  timer.Stop(secondId);
  timer.Stop(secondId);  // stopping twice is harmless
}

}  // namespace
}  // namespace rd::contract
