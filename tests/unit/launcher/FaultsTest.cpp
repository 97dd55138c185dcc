// Fault injection: each scenario runs once to list the platform calls it makes, then again
// with each of them failing in turn. Whatever fails, the program must not throw, must close
// every registry key it opened, must end or leave a window on screen, and must say what the
// behaviour promises (or stay silent).
#include <gmock/gmock.h>

#include <map>

#include "launcher/Startup.h"
#include "tests/fakes/FakeViews.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd::launcher_tests {
namespace {

struct Installed {
  const char *game, *demo, *exe, *staged;
};
// clang-format off
const Installed kGames[] = {
    {kHL, "C:\\Demos\\match.dem", "C:\\Sierra\\Half-Life\\hl.exe", "C:\\Sierra\\Half-Life\\cstrike\\replaydock.dem"},
    {kQ3, "C:\\Demos\\final.dm_66", "C:\\Program Files\\Quake III Arena\\quake3.exe",
     "C:\\Program Files\\Quake III Arena\\baseq3\\Demos\\replaydock.dm_66"},
    {kRTCW, "C:\\Demos\\duel.dm_57", "C:\\Program Files\\Return To Castle Wolfenstein\\WolfMP.exe",
     "C:\\Program Files\\Return To Castle Wolfenstein\\Main\\Demos\\replaydock.dm_57"}};
// The calls that can be made to fail, as the fakes log them, and how the file system fails.
const std::pair<const char*, std::uint32_t> kKinds[] = {
    {"open ", 0}, {"create ", 0}, {"query ", 0}, {"set ", 0}, {"findfile ", 21}, {"findentry ", 21},
    {"mkdir ", 5}, {"copy ", 112}, {"move ", 5}, {"delete ", 5}};
// clang-format on

// One run of the program: every game installed with a demo staged before, the chosen game's
// demo named on the command line or restored from the last run. It starts, lets the splash
// window hand over and plays.
struct World {
  World(const Installed& chosen, bool restored) {
    fp.files.AddFile(fp.process.exeFolder + "\\Replaydock.exe", "MZ");
    for (const Installed& g : kGames) {
      fp.files.AddFile(g.demo, "NEW");
      fp.files.AddFile(g.exe, "MZ");
      fp.files.AddFile(g.staged, "OLD");
      Store(fp, catalogue::FindByName(g.game)->locationValue, g.exe);
    }
    Store(fp, catalogue::AlreadyRunValue, "Yes");
    fp.process.commandLine = restored ? "" : chosen.demo;
    Store(fp, catalogue::DefaultGameValue, chosen.game);
    Store(fp, catalogue::LastFilenameValue, chosen.demo);
  }
  void Run() { app.Main(), fp.timer.TickAll(), app.MainForm().cmdBottom_Click(2); }
  fakes::FakePlatform fp;
  fakes::FakeViewFactory views{fp.log};
  Application app{fp.ports, views};
};

struct Fault {
  std::string call;  // of the clean run; "copy half": a copy that stops halfway
  int kind, skip;    // which kind, and how many of its kind go through first
};

// A launch stages the new demo; anything else keeps the one staged before and says why,
// with the failing step's reason. Nothing temporary stays beside it either way.
TEST(Faults, StartThenPlayForEachGameAndAfterARestoredStart) {
  for (int start = 0; start < 4; ++start) {
    const Installed& g = kGames[start % 3];
    const bool restored = start == 3;
    SCOPED_TRACE(std::string(g.game) + (restored ? ", restored" : ", on the command line"));
    World clean(g, restored);
    clean.fp.registry.ClearCalls();
    const auto before = static_cast<std::ptrdiff_t>(clean.fp.files.Calls().size());
    clean.Run();
    Texts calls = clean.fp.registry.Calls();
    calls.insert(calls.end(), clean.fp.files.Calls().begin() + before, clean.fp.files.Calls().end());
    std::vector<Fault> faults;
    std::map<int, int> made;
    for (const std::string& call : calls) {
      for (int k = 0; k < 10; ++k) {
        if (call.rfind(kKinds[k].first, 0) == 0) faults.push_back({call, k, made[k]++});
      }
    }
    if (made[7]) faults.push_back({"copy half", 7, -1});
    for (const Fault& fault : faults) {
      SCOPED_TRACE("failing " + fault.call);
      World w(g, restored);
      const std::uint32_t code = kKinds[fault.kind].second;
      if (fault.skip < 0) w.fp.files.FailCopyHalfway(code);
      else if (fault.kind < 4) w.fp.registry.FailNext(fakes::FakeRegistry::Op(fault.kind), 5, fault.skip);
      else w.fp.files.FailNext(fakes::FakeFileSystem::Op(fault.kind - 4), code, fault.skip);
      EXPECT_NO_THROW(w.Run());
      EXPECT_EQ(w.fp.registry.OpenHandles(), 0);
      // Ending is fine; a hidden main window alone is not.
      const auto shown = std::find_if(w.fp.log.rbegin(), w.fp.log.rend(),
                                      [](const auto& l) { return l.ends_with(" main"); });
      const bool launched = w.fp.process.exitCount == 1;
      EXPECT_TRUE(launched || (shown != w.fp.log.rend() && *shown == "show main"));
      for (const auto& m : w.fp.dialogs.messages) EXPECT_EQ(m.title, AppTitle) << m.text;

      const std::string staged(g.staged), folder = staged.substr(0, staged.rfind('\\'));
      const std::string name = staged.substr(folder.size() + 1);
      EXPECT_EQ(w.fp.files.Content(staged), launched ? "NEW" : "OLD");
      Texts left = w.fp.files.List(folder);
      // The copy set aside stays only when removing it, after the start, failed.
      if (launched && fault.call == "delete " + folder + "\\~" + name + ".old") std::erase(left, "~" + name + ".old");
      EXPECT_EQ(left, Texts{name});
      Texts said;  // a launch or why not
      for (const auto& c : w.fp.shell.calls) said.push_back("shell " + c.file);
      for (const auto& m : w.fp.dialogs.messages) {
        if ((m.style & 0xF0) == mb::IconCritical) said.push_back(m.text);
      }
      ASSERT_EQ(said.size(), 1u);
      const std::string reason = "\n\nSystem error " + std::to_string(code) + ".";
      if (launched) EXPECT_EQ(said[0], "shell " + std::string(g.exe));
      else if (fault.kind == 6) EXPECT_EQ(said[0], NotAllowed(folder));  // its folder refused
      else if (fault.kind >= 6) EXPECT_EQ(said[0], CopyFailed(staged) + reason);  // a staging step
      else if (fault.kind >= 4) EXPECT_THAT(said[0], ::testing::AnyOf(kDemoMissing, kNoGame));  // a lookup
      else EXPECT_TRUE(restored && said[0] == kNoDemo) << said[0];  // the last file unread
    }
  }
}

}  // namespace
}  // namespace rd::launcher_tests
