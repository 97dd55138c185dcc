// Fault injection: each scenario runs once to list the platform operations it makes, then
// again with each of them failing in turn. Whatever fails, the program must not throw, must
// close every registry key it opened, must either end or leave a window on screen, and
// must say what the behaviour promises (or stay silent).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "config/ConfigWindow.h"
#include "launcher/Startup.h"
#include "ports/WinErrors.h"
#include "tests/fakes/FakeViews.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd {
namespace {

using namespace launcher_tests;
using fakes::FakeFileSystem;
using fakes::FakeRegistry;

struct Installed {
  const char* game;
  const char* demo;
  const char* content;
  const char* exe;
  const char* staged;
};

const Installed kGames[] = {
    {kHL, "C:\\Demos\\match.dem", "NEW-HL", "C:\\Sierra\\Half-Life\\hl.exe",
     "C:\\Sierra\\Half-Life\\cstrike\\replaydock.dem"},
    {kQ3, "C:\\Demos\\final.dm_66", "NEW-Q3", "C:\\Program Files\\Quake III Arena\\quake3.exe",
     "C:\\Program Files\\Quake III Arena\\baseq3\\Demos\\replaydock.dm_66"},
    {kRTCW, "C:\\Demos\\duel.dm_57", "NEW-RTCW",
     "C:\\Program Files\\Return To Castle Wolfenstein\\WolfMP.exe",
     "C:\\Program Files\\Return To Castle Wolfenstein\\Main\\Demos\\replaydock.dm_57"},
};

// One run of the program: every game installed with a demo staged before.
struct World {
  World() {
    fp.files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe", "MZ");
    for (const Installed& g : kGames) {
      fp.files.AddFile(g.demo, g.content);
      fp.files.AddFile(g.exe, "MZ");
      fp.files.AddFile(g.staged, "OLD");
      Store(fp, catalogue::FindByName(g.game)->locationValue, g.exe);
    }
    Store(fp, catalogue::AlreadyRunValue, "Yes");
  }
  // Starts the program and lets the splash window hand over.
  MainWindow& Start() {
    app.Main();
    fp.timer.TickAll();
    return app.MainForm();
  }
  bool MainVisible() const {
    const auto last = std::find_if(fp.log.rbegin(), fp.log.rend(), [](const std::string& l) {
      return l == "show main" || l == "hide main" || l == "close main";
    });
    return last != fp.log.rend() && *last == "show main";
  }
  std::vector<std::string> Texts(bool criticalOnly = false) const {
    std::vector<std::string> out;
    for (const auto& m : fp.dialogs.messages) {
      if (!criticalOnly || (m.style & 0xF0) == mb::IconCritical) out.push_back(m.text);
    }
    return out;
  }

  fakes::FakePlatform fp;
  fakes::FakeViewFactory views{fp.log};
  Application app{fp.ports, views};
};

using Scenario = std::function<void(World&)>;
using R = FakeRegistry::Op;
using F = FakeFileSystem::Op;

// The calls that can be made to fail, told by how the fakes log them, and how they fail.
struct Kind {
  const char* verb;
  bool registry;
  R registryOp;
  F fileOp;
  std::uint32_t fileCode;
};
const Kind kKinds[] = {{"open ", true, R::Open, {}, 0},
                       {"create ", true, R::Create, {}, 0},
                       {"query ", true, R::Query, {}, 0},
                       {"set ", true, R::Set, {}, 0},
                       {"findfile ", false, {}, F::FindFile, winerr::NotReady},
                       {"findentry ", false, {}, F::FindEntry, winerr::NotReady},
                       {"mkdir ", false, {}, F::MakeFolder, winerr::AccessDenied},
                       {"copy ", false, {}, F::Copy, winerr::DiskFull},
                       {"move ", false, {}, F::Move, winerr::AccessDenied},
                       {"delete ", false, {}, F::Remove, winerr::AccessDenied}};

struct Fault {
  std::string call;  // the clean run's call that fails; "copy half": a copy stopping halfway
  const Kind* kind;  // null for the copy stopping halfway
  int skip;          // calls of its kind let through first

  void Arm(World& w, std::int32_t registryCode) const {
    if (!kind) return w.fp.files.FailCopyHalfway(winerr::DiskFull);
    if (kind->registry) return w.fp.registry.FailNext(kind->registryOp, registryCode, skip);
    w.fp.files.FailNext(kind->fileOp, kind->fileCode, skip);
  }
  bool Registry() const { return kind && kind->registry; }
  bool Is(const char* verb) const { return !Registry() && call.rfind(verb, 0) == 0; }
  bool Lookup() const { return Is("findfile ") || Is("findentry "); }
  bool Staging() const { return Is("mkdir ") || Is("copy ") || Is("move "); }
};

// Runs the scenario once cleanly and lists one fault per call it made.
std::vector<Fault> FailurePoints(const Scenario& setup, const Scenario& scenario) {
  World clean;
  setup(clean);
  clean.fp.registry.ClearCalls();
  const auto setupFileCalls = static_cast<std::ptrdiff_t>(clean.fp.files.Calls().size());
  scenario(clean);
  std::vector<std::string> calls = clean.fp.registry.Calls();
  calls.insert(calls.end(), clean.fp.files.Calls().begin() + setupFileCalls,
               clean.fp.files.Calls().end());
  std::vector<Fault> points;
  std::map<const Kind*, int> made;
  for (const std::string& call : calls) {
    for (const Kind& kind : kKinds) {
      if (call.rfind(kind.verb, 0) == 0) points.push_back({call, &kind, made[&kind]++});
    }
  }
  if (made[&kKinds[7]] > 0) points.push_back({"copy half", nullptr, 0});
  return points;
}

void ForEveryFailure(const Scenario& setup, const Scenario& scenario,
                     const std::function<void(World&, const Fault&)>& check) {
  const std::vector<Fault> points = FailurePoints(setup, scenario);
  ASSERT_FALSE(points.empty());
  // A refused registry sends the registration to the per-user classes; a damaged one not.
  for (const std::int32_t code : {winerr::AccessDenied, std::int32_t{1009}}) {
    for (const Fault& fault : points) {
      if (!fault.Registry() && code != winerr::AccessDenied) continue;
      SCOPED_TRACE("failing " + fault.call + " with " + std::to_string(code));
      World w;
      setup(w);
      fault.Arm(w, code);
      try {
        scenario(w);
      } catch (...) {
        ADD_FAILURE() << "an exception left a handler";
        continue;
      }
      EXPECT_EQ(w.fp.registry.OpenHandles(), 0);
      EXPECT_LE(w.fp.process.exitCount, 1);
      // Ending is fine; a hidden main window alone is not.
      EXPECT_TRUE(w.fp.process.exitCount == 1 || w.MainVisible()) << "no window left on screen";
      for (const auto& m : w.fp.dialogs.messages) EXPECT_EQ(m.title, AppTitle) << m.text;
      check(w, fault);
    }
  }
}

// A launch stages the new demo; anything else keeps the one staged before, and nothing
// temporary is left beside it either way, unless removing the one set aside failed.
void CheckPlay(World& w, const Fault& fault, const Installed& g, bool restored) {
  const std::string staged(g.staged);
  const std::string folder = staged.substr(0, staged.rfind('\\'));
  const std::string name = staged.substr(folder.size() + 1);
  const bool launched = w.fp.process.exitCount == 1;
  EXPECT_EQ(w.fp.files.Content(staged), launched ? g.content : "OLD");
  std::vector<std::string> names = w.fp.files.List(folder);
  if (launched && fault.call == "delete " + folder + "\\~" + name + ".old") {
    std::erase(names, "~" + name + ".old");
  }
  EXPECT_THAT(names, ::testing::ElementsAre(name));
  const std::vector<std::string> errors = w.Texts(true);
  if (launched) {
    EXPECT_THAT(errors, ::testing::IsEmpty());
    ASSERT_EQ(w.fp.shell.calls.size(), 1u);
    EXPECT_EQ(w.fp.shell.calls[0].file, g.exe);
    return;
  }
  ASSERT_EQ(errors.size(), 1u) << "a launch that did not happen must say why";
  EXPECT_TRUE(w.fp.shell.calls.empty());
  const std::string& text = errors[0];
  if (text.rfind(CopyFailed(staged), 0) == 0) {
    EXPECT_TRUE(fault.Staging()) << text;
  } else if (restored && text == kNoDemo) {
    EXPECT_TRUE(fault.Registry());  // the last file could not be read back
  } else {
    // A lookup that failed outright: the demo or the game could not be told.
    EXPECT_TRUE(fault.Lookup()) << text;
    EXPECT_THAT(text, ::testing::AnyOf(kDemoMissing, kNoGame));
  }
}

TEST(Faults, StartThenPlayForEachGameAndAfterARestoredStart) {
  const std::pair<const Installed*, bool> starts[] = {
      {&kGames[0], false}, {&kGames[1], false}, {&kGames[2], false}, {&kGames[0], true}};
  for (const auto& [g, restored] : starts) {
    SCOPED_TRACE(std::string(g->game) + (restored ? ", restored" : ", on the command line"));
    ForEveryFailure(
        [&](World& w) {
          if (!restored) w.fp.process.commandLine = g->demo;
          if (restored) Store(w.fp, catalogue::DefaultGameValue, g->game);
          if (restored) Store(w.fp, catalogue::LastFilenameValue, g->demo);
        },
        [](World& w) { w.Start().cmdBottom_Click(2); },
        [&](World& w, const Fault& fault) { CheckPlay(w, fault, *g, restored); });
  }
}

TEST(Faults, FirstRunWithRegistration) {
  ForEveryFailure(
      [](World& w) { Store(w.fp, catalogue::AlreadyRunValue, "No"); }, [](World& w) { w.Start(); },
      [](World& w, const Fault&) {
        // However the registration went: the same two boxes, in order.
        EXPECT_THAT(w.Texts(), ::testing::ElementsAre(kFirstRunQuestion, kFirstRunNote));
        EXPECT_EQ(w.views.configViewsCreated, 1);
        EXPECT_EQ(w.fp.process.exitCount, 0);
      });
}

// Whether every association is complete, below HKEY_CLASSES_ROOT or the per-user classes.
bool AllAssociated(const World& w) {
  const std::string exe = "C:\\Program Files\\Replaydock\\Replaydock.exe";
  const auto& r = w.fp.registry;
  const auto complete = [&](const std::string& ext, RegKey root, const std::string& prefix) {
    return r.GetText(root, prefix + ext, "") == "RD.Demo" &&
           r.GetText(root, prefix + "RD.Demo", "") == "Replaydock Demo" &&
           r.GetText(root, prefix + "RD.Demo\\shell\\Open\\command", "") == "\"" + exe + "\" %1" &&
           r.GetText(root, prefix + "RD.Demo\\DefaultIcon", "") == exe + ",0";
  };
  const char* const exts[] = {".dem", ".dm_57", ".dm_66"};
  return std::all_of(std::begin(exts), std::end(exts), [&](const char* ext) {
    return complete(ext, regroot::ClassesRoot, "") ||
           complete(ext, regroot::CurrentUser, "Software\\Classes\\");
  });
}

// The registration answers whether everything was written, and the window says so: the
// three types share one file type, so a failed write may be made good by the next type's,
// and the answer may then be more cautious than the result, never more hopeful.
TEST(Faults, ConfigurationChangesAndRegistration) {
  const std::string typed = "C:\\Program Files\\Quake III Arena\\quake3.exe";
  ForEveryFailure(
      [](World&) {},
      [&](World& w) {
        w.views.whileConfigOpen = [&](ConfigWindow& form) {
          form.cboGame.UserSelected(1);
          form.txtLocation.UserEdited(typed);
          form.txtLocation.UserLeaving();
          form.cmdRegister.UserClicked();
          form.cmdBottom.UserClicked();
        };
        w.Start().cmdBottom_Click(1);
      },
      [&](World& w, const Fault& fault) {
        const std::vector<std::string> texts = w.Texts();
        ASSERT_FALSE(texts.empty());
        // Leaving the location box warns only when its own lookup failed.
        const bool warned = std::count(texts.begin(), texts.end(),
                                       "The specified program does not exist. Please select the "
                                       "correct executable.") > 0;
        EXPECT_EQ(warned, fault.call == "findfile " + typed) << ::testing::PrintToString(texts);
        if (texts.back() == "File types registered!") {
          EXPECT_TRUE(AllAssociated(w)) << "claims success, not all written";
        } else {
          EXPECT_EQ(texts.back().rfind("The file types could not be registered.", 0), 0u);
        }
        EXPECT_TRUE(fault.Registry() || Stored(w.fp, "Q3APath") == typed);
        EXPECT_EQ(w.fp.process.exitCount, 0);
      });
}

}  // namespace
}  // namespace rd
