// Fault injection: the main scenarios run once to count the platform operations they use,
// then again with the n-th operation of each kind failing, for every n. Whatever fails, the
// program must not crash or throw, must close every registry key it opened, must either end
// or leave a window on screen, and must say what the behaviour promises (or stay silent).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fileassoc/AssociateDemoTypes.h"
#include "launcher/GameCatalogue.h"
#include "launcher/Startup.h"
#include "tests/fakes/FakePorts.h"
#include "tests/fakes/FakeViews.h"
#include "util/Text.h"

namespace rd {
namespace {

using fakes::FakeFileSystem;
using fakes::FakeRegistry;

constexpr const char* kNoDemo = "You must select a demo file to play first";
constexpr const char* kDemoMissing =
    "The specified demo file does not exist. Please select a valid file and try again.";
constexpr const char* kNoGame = "You must select a game first";
constexpr const char* kCopyFailed = "The demo could not be copied to ";
constexpr const char* kNotStarted = "The game could not be started: ";
constexpr const char* kFirstRunQuestion =
    "Since this is the first time Replaydock has been run, you must configure the program. "
    "Do you wish to associate Replaydock with all supported demo files?";
constexpr const char* kFirstRunNotice =
    "Replaydock will now open up the configuration window to allow you to configure program "
    "locations";
constexpr const char* kRegistered = "File types registered!";
constexpr const char* kNotRegistered = "The file types could not be registered.";
constexpr const char* kNoProgram =
    "The specified program does not exist. Please select the correct executable.";

struct Installed {
  const char* game;
  const char* demo;
  const char* demoContent;
  const char* exe;
  const char* staged;
  const char* demoFolder;
};

const Installed kGames[] = {
    {"Half-Life", "C:\\Demos\\match.dem", "NEW-HL", "C:\\Sierra\\Half-Life\\hl.exe",
     "C:\\Sierra\\Half-Life\\cstrike\\replaydock.dem", "C:\\Sierra\\Half-Life\\cstrike"},
    {"Quake 3 Arena", "C:\\Demos\\final.dm_66", "NEW-Q3",
     "C:\\Program Files\\Quake III Arena\\quake3.exe",
     "C:\\Program Files\\Quake III Arena\\baseq3\\Demos\\replaydock.dm_66",
     "C:\\Program Files\\Quake III Arena\\baseq3\\Demos"},
    {"Return To Castle Wolfenstein", "C:\\Demos\\duel.dm_57", "NEW-RTCW",
     "C:\\Program Files\\Return To Castle Wolfenstein\\WolfMP.exe",
     "C:\\Program Files\\Return To Castle Wolfenstein\\Main\\Demos\\replaydock.dm_57",
     "C:\\Program Files\\Return To Castle Wolfenstein\\Main\\Demos"},
};

// One run of the program on a fresh fake platform.
struct World {
  World() {
    fp.files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe", "MZ");
    for (const Installed& g : kGames) {
      fp.files.AddFile(g.demo, g.demoContent);
      fp.files.AddFile(g.exe, "MZ");
      fp.files.AddFolder(g.demoFolder);
      fp.files.AddFile(g.staged, "OLD");
      const catalogue::Game* game = catalogue::FindByName(g.game);
      Store(game->locationValue, g.exe);
    }
    Store(catalogue::AlreadyRunValue, "Yes");
  }
  void Store(std::string_view name, const std::string& text) {
    fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                        std::string(name), text);
  }
  // Starts the program and lets the splash window hand over.
  frmMain& Start() {
    app->Main();
    fp.timer.TickAll();
    return app->MainForm();
  }
  bool MainVisible() const {
    for (auto it = fp.log.rbegin(); it != fp.log.rend(); ++it) {
      if (*it == "show main") return true;
      if (*it == "hide main" || *it == "close main") return false;
    }
    return false;
  }
  std::vector<std::string> CriticalMessages() const {
    std::vector<std::string> out;
    for (const auto& m : fp.dialogs.messages) {
      if ((m.style & 0xF0) == mb::IconCritical) out.push_back(m.text);
    }
    return out;
  }

  fakes::FakePlatform fp;
  fakes::FakeViewFactory views{fp.log};
  std::unique_ptr<Application> app = std::make_unique<Application>(fp.ports, views);
};

// A failure point: which operation fails, and how often it is let through first.
struct Fault {
  enum class Kind { Registry, Files, CopyHalfway } kind;
  FakeRegistry::Op regOp = FakeRegistry::Op::Open;
  FakeFileSystem::Op fileOp = FakeFileSystem::Op::FindFile;
  int skip = 0;
  std::string name;

  void Arm(World& w, std::int32_t registryCode) const {
    switch (kind) {
      case Kind::Registry:
        w.fp.registry.FailNext(regOp, registryCode, skip);
        break;
      case Kind::Files: {
        std::uint32_t code = winerr::AccessDenied;
        if (fileOp == FakeFileSystem::Op::FindFile || fileOp == FakeFileSystem::Op::FindEntry) {
          code = winerr::NotReady;
        } else if (fileOp == FakeFileSystem::Op::Copy) {
          code = winerr::DiskFull;
        }
        w.fp.files.FailNext(fileOp, code, skip);
        break;
      }
      case Kind::CopyHalfway:
        w.fp.files.FailCopyHalfway(winerr::DiskFull);
        break;
    }
  }
  bool IsFileLookup() const {
    return kind == Kind::Files &&
           (fileOp == FakeFileSystem::Op::FindFile || fileOp == FakeFileSystem::Op::FindEntry);
  }
  bool IsStaging() const {
    return kind == Kind::CopyHalfway ||
           (kind == Kind::Files && !IsFileLookup() && fileOp != FakeFileSystem::Op::Remove);
  }
};

int Count(const std::vector<std::string>& calls, const std::string& prefix) {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
    return c.rfind(prefix, 0) == 0;
  }));
}

std::string NthCall(const std::vector<std::string>& calls, const std::string& prefix, int n) {
  for (const std::string& c : calls) {
    if (c.rfind(prefix, 0) == 0 && n-- == 0) return c;
  }
  return {};
}

// Runs the scenario once cleanly and lists one failure point per operation it made.
std::vector<Fault> FailurePoints(const std::function<void(World&)>& setup,
                                 const std::function<void(World&)>& scenario) {
  World clean;
  setup(clean);
  clean.fp.registry.ClearCalls();
  scenario(clean);
  const auto& reg = clean.fp.registry.Calls();
  const auto& files = clean.fp.files.Calls();
  std::vector<Fault> points;
  const std::pair<FakeRegistry::Op, const char*> regOps[] = {
      {FakeRegistry::Op::Open, "open "},
      {FakeRegistry::Op::Create, "create "},
      {FakeRegistry::Op::Query, "query "},
      {FakeRegistry::Op::Set, "set "}};
  for (const auto& [op, prefix] : regOps) {
    for (int n = 0; n < Count(reg, prefix); ++n) {
      points.push_back({Fault::Kind::Registry, op, {}, n, prefix + std::to_string(n)});
    }
  }
  const std::pair<FakeFileSystem::Op, const char*> fileOps[] = {
      {FakeFileSystem::Op::FindFile, "findfile "}, {FakeFileSystem::Op::FindEntry, "findentry "},
      {FakeFileSystem::Op::MakeFolder, "mkdir "},  {FakeFileSystem::Op::Copy, "copy "},
      {FakeFileSystem::Op::Move, "move "},         {FakeFileSystem::Op::Remove, "delete "}};
  for (const auto& [op, prefix] : fileOps) {
    for (int n = 0; n < Count(files, prefix); ++n) {
      points.push_back({Fault::Kind::Files, {}, op, n, prefix + std::to_string(n)});
    }
  }
  if (Count(files, "copy ") > 0) {
    points.push_back({Fault::Kind::CopyHalfway, {}, {}, 0, "copy half"});
  }
  return points;
}

// What holds at every failure point of every scenario.
void CheckCommon(World& w) {
  EXPECT_EQ(w.fp.registry.OpenHandles(), 0);
  EXPECT_LE(w.fp.process.exitCount, 1);
  // The program ends, or a window is left for the user; never a hidden main window alone.
  if (w.fp.process.exitCount == 0) {
    EXPECT_TRUE(w.MainVisible()) << "no window left on screen";
  }
  for (const auto& m : w.fp.dialogs.messages) {
    EXPECT_EQ(m.title, AppTitle) << m.text;
  }
}

// Registry failures answer each of these: refused (which sends the registration to the
// per-user classes) and a damaged hive (which does not).
constexpr std::int32_t kRegistryCodes[] = {winerr::AccessDenied, 1009};

template <typename Setup, typename Run, typename Check>
void ForEveryFailure(Setup setup, Run scenario, Check check) {
  const std::vector<Fault> points = FailurePoints(setup, scenario);
  ASSERT_FALSE(points.empty());
  for (const std::int32_t code : kRegistryCodes) {
  for (const Fault& fault : points) {
    if (fault.kind != Fault::Kind::Registry && code != kRegistryCodes[0]) continue;
    SCOPED_TRACE("failing " + fault.name + " with " + std::to_string(code));
    World w;
    setup(w);
    fault.Arm(w, code);
    try {
      scenario(w);
    } catch (...) {
      ADD_FAILURE() << "an exception left a handler";
      continue;
    }
    CheckCommon(w);
    check(w, fault);
  }
  }
}

void NoSetup(World&) {}

// The staged demo is the new one, or, when staging failed, the one staged before; never a
// part of either, and nothing temporary is left beside it.
void CheckStaged(World& w, const Installed& g, bool expectNew) {
  const auto content = w.fp.files.Content(g.staged);
  ASSERT_TRUE(content.has_value()) << "the staged demo is gone";
  EXPECT_EQ(*content, expectNew ? g.demoContent : "OLD");
}

void CheckNoLeftovers(World& w, const Installed& g) {
  const std::string staged(g.staged);
  const std::string name = staged.substr(staged.rfind('\\') + 1);
  for (const std::string& entry : w.fp.files.List(g.demoFolder)) {
    EXPECT_TRUE(util::EqualsNoCase(entry, name)) << "left behind: " << entry;
  }
}

void CheckPlay(World& w, const Fault& fault, const Installed& g) {
  const std::vector<std::string> errors = w.CriticalMessages();
  if (w.fp.process.exitCount == 1) {
    EXPECT_THAT(errors, ::testing::IsEmpty());
    ASSERT_EQ(w.fp.shell.calls.size(), 1u);
    EXPECT_EQ(w.fp.shell.calls[0].file, g.exe);
    CheckStaged(w, g, true);
    CheckNoLeftovers(w, g);
    return;
  }
  ASSERT_EQ(errors.size(), 1u) << "a launch that did not happen must say why";
  const std::string& text = errors[0];
  EXPECT_TRUE(w.fp.shell.calls.empty());
  if (text.rfind(kCopyFailed, 0) == 0) {
    EXPECT_TRUE(fault.IsStaging()) << text;
    EXPECT_EQ(text.substr(0, std::string(kCopyFailed).size() + std::string(g.staged).size()),
              kCopyFailed + std::string(g.staged));
    CheckStaged(w, g, false);
    CheckNoLeftovers(w, g);
  } else {
    // A lookup that failed outright: the demo or the game could not be told.
    EXPECT_TRUE(fault.IsFileLookup()) << text;
    EXPECT_THAT(text, ::testing::AnyOf(kDemoMissing, kNoGame));
    CheckStaged(w, g, false);
  }
}

TEST(Faults, CommandLineStartThenPlayForEachGame) {
  for (const Installed& g : kGames) {
    SCOPED_TRACE(g.game);
    ForEveryFailure(
        [&](World& w) { w.fp.process.commandLine = g.demo; },
        [&](World& w) { w.Start().cmdBottom_Click(2); },
        [&](World& w, const Fault& fault) { CheckPlay(w, fault, g); });
  }
}

TEST(Faults, RestoredStartThenPlay) {
  const Installed& g = kGames[0];
  ForEveryFailure(
      [&](World& w) {
        w.Store(catalogue::DefaultGameValue, g.game);
        w.Store(catalogue::LastFilenameValue, g.demo);
      },
      [&](World& w) { w.Start().cmdBottom_Click(2); },
      [&](World& w, const Fault& fault) {
        // A failed read of the last file leaves the file box empty: Play says so.
        const auto errors = w.CriticalMessages();
        if (errors.size() == 1 && errors[0] == kNoDemo) {
          EXPECT_EQ(fault.kind, Fault::Kind::Registry);
          EXPECT_TRUE(w.fp.shell.calls.empty());
          CheckStaged(w, g, false);
          return;
        }
        CheckPlay(w, fault, g);
      });
}

TEST(Faults, FirstRunWithRegistration) {
  ForEveryFailure(
      [](World& w) { w.Store(catalogue::AlreadyRunValue, "No"); },
      [](World& w) { w.Start(); },
      [](World& w, const Fault&) {
        // The dialogue ignores how the registration went: the same two boxes, in order.
        std::vector<std::string> texts;
        for (const auto& m : w.fp.dialogs.messages) texts.push_back(m.text);
        EXPECT_THAT(texts, ::testing::ElementsAre(kFirstRunQuestion, kFirstRunNotice));
        EXPECT_EQ(w.views.configViewsCreated, 1);
        EXPECT_EQ(w.fp.process.exitCount, 0);
        EXPECT_TRUE(w.MainVisible());
      });
}

TEST(Faults, ConfigurationChangesAndRegistration) {
  const std::string typed = "C:\\Program Files\\Quake III Arena\\quake3.exe";
  ForEveryFailure(
      NoSetup,
      [&](World& w) {
        w.views.whileConfigOpen = [&](frmConfig& form) {
          form.cboGame.UserSelected(1);
          form.txtLocation.UserEdited(typed);
          form.txtLocation.UserLeaving();
          form.cmdRegister.UserClicked();
          form.cmdBottom.UserClicked();
        };
        w.Start().cmdBottom_Click(1);
      },
      [&](World& w, const Fault& fault) {
        EXPECT_EQ(w.fp.process.exitCount, 0);
        std::vector<std::string> texts;
        for (const auto& m : w.fp.dialogs.messages) texts.push_back(m.text);
        ASSERT_FALSE(texts.empty());
        // Leaving the location box warns only when its own lookup failed.
        const bool warned = std::find(texts.begin(), texts.end(), kNoProgram) != texts.end();
        EXPECT_EQ(warned, fault.kind == Fault::Kind::Files &&
                              fault.fileOp == FakeFileSystem::Op::FindFile &&
                              NthCall(w.fp.files.Calls(), "findfile ", fault.skip) ==
                                  "findfile " + typed)
            << ::testing::PrintToString(texts);
        const std::string& last = texts.back();
        const bool all = last == kRegistered;
        if (!all) {
          EXPECT_EQ(last.rfind(kNotRegistered, 0), 0u) << last;
        }
        // The success message only when every association is in place.
        if (all) {
          for (const std::string ext : {".dem", ".dm_57", ".dm_66"}) {
            const bool machine = w.fp.registry.GetText(regroot::ClassesRoot, ext, "") == "RD.Demo";
            const bool user = w.fp.registry.GetText(regroot::CurrentUser,
                                                    "Software\\Classes\\" + ext, "") == "RD.Demo";
            EXPECT_TRUE(machine || user) << ext;
          }
        }
        if (fault.kind != Fault::Kind::Registry) {
          EXPECT_EQ(w.fp.registry.GetText(regroot::CurrentUser,
                                          std::string(catalogue::SettingsKey), "Q3APath"),
                    typed);
        }
      });
}

TEST(Faults, ShellThatDoesNotStartTheGame) {
  for (std::intptr_t result : {0, 2, 3, 5, 8, 11, 26, 27, 28, 29, 30, 31, 32}) {
    SCOPED_TRACE(result);
    World w;
    w.fp.shell.result = result;
    w.fp.process.commandLine = kGames[1].demo;
    w.Start().cmdBottom_Click(2);
    CheckCommon(w);
    EXPECT_EQ(w.fp.process.exitCount, 0);
    EXPECT_TRUE(w.MainVisible());
    const auto errors = w.CriticalMessages();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(std::string(kNotStarted) + kGames[1].exe +
                                  ". Please check the game's location in the configuration "
                                  "window.\n\n",
                              0),
              0u)
        << errors[0];
    EXPECT_GT(errors[0].size(), std::string(kNotStarted).size() + 80) << "no reason given";
    CheckStaged(w, kGames[1], true);
  }
}

TEST(Faults, CopyHalfwayAndTheCleanUpFailingToo) {
  for (const Installed& g : kGames) {
    SCOPED_TRACE(g.game);
    World w;
    w.fp.files.FailCopyHalfway(winerr::DiskFull);
    w.fp.files.FailNext(FakeFileSystem::Op::Remove, winerr::AccessDenied);
    w.fp.process.commandLine = g.demo;
    w.Start().cmdBottom_Click(2);
    CheckCommon(w);
    EXPECT_TRUE(w.fp.shell.calls.empty());
    CheckStaged(w, g, false);
    const auto errors = w.CriticalMessages();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(kCopyFailed + std::string(g.staged), 0), 0u);
    EXPECT_NE(errors[0].find("System error 112."), std::string::npos) << errors[0];
  }
}

TEST(Faults, FirstRunQuestionUnanswered) {
  for (int reply : {answer::No, answer::None, answer::Cancel}) {
    SCOPED_TRACE(reply);
    World w;
    w.fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                          std::string(catalogue::AlreadyRunValue), "No");
    w.fp.dialogs.answers = {reply};
    w.Start();
    CheckCommon(w);
    EXPECT_TRUE(w.fp.registry.Keys(regroot::ClassesRoot).empty()) << "registered without a Yes";
    EXPECT_EQ(w.views.configViewsCreated, 1);
    EXPECT_EQ(w.fp.registry.GetText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                                    std::string(catalogue::AlreadyRunValue)),
              "Yes");
  }
}

TEST(Faults, OpenDialogThatFailsChangesNothing) {
  for (auto outcome : {OpenResult::Outcome::Failed, OpenResult::Outcome::Cancelled}) {
    World w;
    w.fp.process.commandLine = kGames[2].demo;
    frmMain& form = w.Start();
    const auto before = w.fp.registry.Calls().size();
    const std::string file = form.txtFilename.Text();
    w.fp.dialogs.openResults.push_back(OpenResult{outcome, "C:\\Demos\\match.dem"});
    form.cmdSelect_Click();
    CheckCommon(w);
    EXPECT_EQ(form.txtFilename.Text(), file);
    EXPECT_EQ(form.cboGame.Text(), kGames[2].game);
    EXPECT_EQ(w.fp.registry.Calls().size(), before) << "a setting was touched";
  }
}

// Whether one association is complete, below HKEY_CLASSES_ROOT or the per-user classes.
bool Associated(const FakeRegistry& r, const std::string& ext, const std::string& exe) {
  const auto complete = [&](RegKey root, const std::string& prefix) {
    return r.GetText(root, prefix + ext, "") == "RD.Demo" &&
           r.GetText(root, prefix + "RD.Demo", "") == "Replaydock Demo" &&
           r.GetText(root, prefix + "RD.Demo\\shell\\Open\\command", "") ==
               "\"" + exe + "\" %1" &&
           r.GetText(root, prefix + "RD.Demo\\DefaultIcon", "") == exe + ",0";
  };
  return complete(regroot::ClassesRoot, "") ||
         complete(regroot::CurrentUser, "Software\\Classes\\");
}

TEST(Faults, RegistrationAnswersWhetherEverythingWasWritten) {
  const std::string exe = "C:\\Program Files\\Replaydock\\Replaydock.exe";
  const auto register_ = [](World& w) {
    const auto result = modFunctions::AssociateDemoTypes(w.fp.ports);
    w.fp.log.push_back(result.allWritten ? "all written" : "not all written");
  };
  const auto allWritten = [](const World& w) {
    return std::find(w.fp.log.begin(), w.fp.log.end(), "all written") != w.fp.log.end();
  };
  const auto complete = [&](const World& w) {
    bool all = true;
    for (const char* ext : {".dem", ".dm_57", ".dm_66"}) {
      all = Associated(w.fp.registry, ext, exe) && all;
    }
    return all;
  };
  {
    World clean;
    clean.Start();
    register_(clean);
    EXPECT_TRUE(allWritten(clean));
    EXPECT_TRUE(complete(clean));
  }
  // Started in the setup, so the failures fall on the registration alone. The three types
  // share one file type, so a failed write may be made good by the next type's: the answer
  // may then be more cautious than the result, never more hopeful.
  ForEveryFailure(
      [](World& w) {
        w.Start();
        w.fp.dialogs.messages.clear();
      },
      register_,
      [&](World& w, const Fault&) {
        EXPECT_TRUE(!allWritten(w) || complete(w)) << "claims success, not all written";
        EXPECT_TRUE(w.fp.dialogs.messages.empty()) << "the registration is silent";
      });
}

}  // namespace
}  // namespace rd
