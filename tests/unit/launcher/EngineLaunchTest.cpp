// Launches as each engine needs them: where the demo is staged, what stays beside it, the
// play option, the questions before a launch that will likely fail, Steam's Half-Life, and
// the one-step play from Explorer.
#include <fstream>
#include <iterator>

#include "launcher/ExeImage.h"
#include "launcher/Startup.h"
#include "tests/fakes/FakeViews.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd::launcher_tests {
namespace {

void Put32(std::string& b, std::size_t at, std::uint32_t v, int width = 4) {
  if (b.size() < at + static_cast<std::size_t>(width)) b.resize(at + static_cast<std::size_t>(width));
  for (int i = 0; i < width; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> 8 * i);
}

// A PE image as the linker lays it out: 32- or 64-bit, with the manifest (if any) as
// resource 24/1 in a .rsrc section.
std::string PeImage(bool is32, const std::string& manifest) {
  std::string b = "MZ";
  Put32(b, 0x3C, 0x40);
  b.resize(0x40);
  b += std::string("PE\0\0", 4);
  const std::size_t optional = 0x40 + 24, optionalSize = is32 ? 224 : 240;
  Put32(b, 0x44, is32 ? 0x14C : 0x8664, 2);
  Put32(b, 0x46, manifest.empty() ? 0 : 1, 2);
  Put32(b, 0x54, static_cast<std::uint32_t>(optionalSize), 2);
  Put32(b, optional, is32 ? 0x10B : 0x20B, 2);
  const std::size_t dirs = optional + (is32 ? 96 : 112);
  Put32(b, dirs - 4, 16);
  b.resize(optional + optionalSize + 40, '\0');
  if (!manifest.empty()) {
    Put32(b, dirs + 16, 0x1000);
    Put32(b, dirs + 20, static_cast<std::uint32_t>(0x58 + manifest.size()));
    const std::size_t section = optional + optionalSize;
    b.replace(section, 5, ".rsrc");
    Put32(b, section + 8, static_cast<std::uint32_t>(0x58 + manifest.size()));
    Put32(b, section + 12, 0x1000);
    Put32(b, section + 16, static_cast<std::uint32_t>(0x58 + manifest.size()));
    Put32(b, section + 20, 0x400);
    std::string r(0x58, '\0');  // type 24 -> name 1 -> language 0x409 -> the data
    Put32(r, 14, 1, 2), Put32(r, 16, 24), Put32(r, 20, 0x80000018);
    Put32(r, 0x18 + 14, 1, 2), Put32(r, 0x18 + 16, 1), Put32(r, 0x18 + 20, 0x80000030);
    Put32(r, 0x30 + 14, 1, 2), Put32(r, 0x30 + 16, 0x409), Put32(r, 0x30 + 20, 0x48);
    Put32(r, 0x48, 0x1058), Put32(r, 0x4C, static_cast<std::uint32_t>(manifest.size()));
    b.resize(0x400, '\0');
    b += r + manifest;
  }
  return b;
}
const std::string kAsInvoker =
    "<assembly><trustInfo><security><requestedPrivileges><requestedExecutionLevel "
    "level=\"asInvoker\"/></requestedPrivileges></security></trustInfo></assembly>";
const std::string kThemesOnly = "<assembly><dependency>Common-Controls</dependency></assembly>";

// Only a 32-bit image whose own manifest asks for no execution level is virtualized.
TEST(ExeImage, OnlyA32BitImageWithoutAnExecutionLevelIsVirtualized) {
  const std::pair<std::string, bool> cases[] = {
      {PeImage(true, ""), true},        {PeImage(true, kThemesOnly), true},
      {PeImage(true, kAsInvoker), false}, {PeImage(false, ""), false},
      {PeImage(true, "").substr(0, 0x50), false}, {"MZ", false}, {"", false}};
  for (const auto& [image, virtualized] : cases) {
    fakes::FakeFileSystem files;
    files.AddFile("C:\\Game\\game.exe", image);
    EXPECT_EQ(play::WindowsVirtualizes(files, "C:\\Game\\game.exe"), virtualized) << image.size();
  }
}

const std::string kAppData = "C:\\Users\\Player\\AppData\\Roaming",
                  kVirtualStore = "C:\\Users\\Player\\AppData\\Local\\VirtualStore",
                  kDocs = "C:\\Users\\Player\\Documents", kPF = "C:\\Program Files (x86)\\Quake III Arena";

struct Staging {
  const char* name;
  std::string exe, image, demo, mod;
  bool refused;              // the game's folder refuses writes
  std::string outcome;       // the shell's "program |parameters|", or the error
  std::string staged;        // where the demo is afterwards ("" nowhere)
  std::vector<std::string> gone, kept;  // files before: removed, or left alone
};
class Stagings : public WindowTest, public ::testing::WithParamInterface<Staging> {};

// clang-format off
const Staging kStagings[] = {
    // A home folder searched first: staged there, which is always writable; our copies in
    // the game's folder would not hide it, but they are ours and go.
    {"IoquakeStagesInItsHome", "C:\\Games\\Q3\\ioquake3.x86_64.exe", "", "D:\\d\\duel.dm_68", "", false,
     "C:\\Games\\Q3\\ioquake3.x86_64.exe | +demo replaydock.dm_68|",
     kAppData + "\\Quake3\\baseq3\\demos\\replaydock.dm_68",
     {"C:\\Games\\Q3\\baseq3\\Demos\\replaydock.dm_66", kAppData + "\\Quake3\\baseq3\\demos\\REPLAYDOCK.DM_67"},
     {"C:\\Games\\Q3\\baseq3\\Demos\\replaydock-notes.txt", kAppData + "\\Quake3\\baseq3\\demos\\mine.dm_68"}},
    {"IoquakeWithAModUsesItsFolderInTheHome", "C:\\Games\\Q3\\IOQUAKE3.EXE", "", "D:\\d\\duel.dm_68", "cpma",
     false, "C:\\Games\\Q3\\IOQUAKE3.EXE | +set fs_game cpma +demo replaydock.dm_68|",
     kAppData + "\\Quake3\\cpma\\demos\\replaydock.dm_68", {kAppData + "\\Quake3\\baseq3\\demos\\replaydock.dm_68"}, {}},
    {"IortcwStagesInDocuments", "C:\\RTCW\\ioWolfMP.x86.exe", "", "D:\\d\\m.dm_60", "", false,
     "C:\\RTCW\\ioWolfMP.x86.exe | +demo replaydock.dm_60|", kDocs + "\\RTCW\\Main\\demos\\replaydock.dm_60",
     {"C:\\RTCW\\Main\\Demos\\replaydock.dm_57"}, {}},
    // The engines that append their own extension get the bare name, and no other copy of
    // ours in any folder they search.
    {"Cnq3GetsTheBareName", "C:\\Games\\Q3\\cnq3-x64.exe", "", "D:\\d\\duel.dm_68", "cpma", false,
     "C:\\Games\\Q3\\cnq3-x64.exe | +set fs_game cpma +demo replaydock|",
     "C:\\Games\\Q3\\baseq3\\Demos\\replaydock.dm_68",
     {"C:\\Games\\Q3\\cpma\\demos\\replaydock.dm_66", "C:\\Games\\Q3\\baseq3\\Demos\\replaydock.dm_67"},
     {"C:\\Games\\Q3\\cpma\\demos\\other.dm_68"}},
    // The original in Program Files: Windows refuses Replaydock, but lets the game read its
    // VirtualStore first, so the demo goes there and a copy in the real folder goes.
    {"VirtualizedGameGetsTheVirtualStore", kPF + "\\quake3.exe", PeImage(true, ""), "D:\\d\\duel.dm_68", "",
     true, kPF + "\\quake3.exe | +demo replaydock.dm_68|",
     kVirtualStore + "\\Program Files (x86)\\Quake III Arena\\baseq3\\Demos\\replaydock.dm_68", {}, {}},
    {"A64BitGameIsNotVirtualized", kPF + "\\quake3e.x64.exe", PeImage(false, ""), "D:\\d\\duel.dm_68", "", true,
     NotAllowed(kPF + "\\baseq3\\Demos"), "", {}, {}},
    // Writable, but the game is virtualized: a stale copy in its VirtualStore would win.
    {"AVirtualStoreCopyOfOursGoes", "C:\\Games\\Q3\\quake3.exe", PeImage(true, ""), "D:\\d\\duel.dm_68", "osp",
     false, "C:\\Games\\Q3\\quake3.exe | +set fs_game osp +demo replaydock.dm_68|",
     "C:\\Games\\Q3\\baseq3\\Demos\\replaydock.dm_68",
     {kVirtualStore + "\\Games\\Q3\\baseq3\\Demos\\replaydock.dm_68",
      kVirtualStore + "\\Games\\Q3\\osp\\demos\\replaydock.dm_66", "C:\\Games\\Q3\\osp\\demos\\replaydock.dm_68"},
     {kVirtualStore + "\\Games\\Q3\\osp\\demos\\duel.dm_68"}},
};
// clang-format on

TEST_P(Stagings, TheDemoGoesWhereTheEngineLooksFirstAndOurOtherCopiesGo) {
  const Staging& c = GetParam();
  const catalogue::Game& game = *catalogue::FindByExtension(c.demo);
  Store(fp, game.locationValue, c.exe);
  for (const auto& [which, path] : fp.process.userFolders) fp.files.AddFolder(path);
  fp.files.AddFile(c.exe, c.image.empty() ? "MZ" : c.image);
  fp.files.AddFolder(c.exe.substr(0, c.exe.rfind('\\')) + (game.extension == ".dm_66" ? "\\baseq3" : "\\Main"));
  if (!c.mod.empty()) fp.files.AddFile(c.exe.substr(0, c.exe.rfind('\\')) + "\\" + c.mod + "\\pak0.pk3");
  for (const auto& list : {c.gone, c.kept}) for (const std::string& f : list) fp.files.AddFile(f, "OLD");
  fp.files.AddFile(c.demo, "NEW");
  if (c.refused) fp.files.RefuseWritesUnder(kPF);
  Load();
  form->txtFilename.UserEdited(c.demo);
  Pick(form->cboGame, std::string(game.displayName));
  form->cboMod.UserEdited(c.mod);
  fp.dialogs.answers = {answer::Yes};
  form->cmdBottom[2].UserClicked();
  std::string got;
  for (const auto& call : fp.shell.calls) got += call.file + " |" + call.parameters + "|";
  for (const auto& m : fp.dialogs.messages) got += m.text;
  EXPECT_EQ(got, c.outcome);
  if (!c.staged.empty()) {
    EXPECT_EQ(fp.files.Content(c.staged), "NEW");
  }
  for (const std::string& f : c.gone) EXPECT_FALSE(fp.files.Content(f)) << f;
  for (const std::string& f : c.kept) EXPECT_EQ(fp.files.Content(f), "OLD") << f;
  // Nothing temporary stays, where the demo went or where it was refused.
  const std::string stagedFolder = c.staged.substr(0, c.staged.rfind('\\'));
  for (const std::string& folder : {stagedFolder, kPF + "\\baseq3\\Demos"}) {
    for (const std::string& name : fp.files.List(folder)) EXPECT_NE(name[0], '~') << folder;
  }
}
INSTANTIATE_TEST_SUITE_P(Engines, Stagings, ::testing::ValuesIn(kStagings),
                         [](const auto& info) { return std::string(info.param.name); });

std::string CorpusBytes(const char* name) {
  std::ifstream in(std::string(RD_CORPUS) + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Question {
  const char* name;
  std::string exe, demo, demoBytes, mod;
  std::vector<std::string> installed;  // files that make a mod
  std::string question;                // "" none
};
class Questions : public WindowTest, public ::testing::WithParamInterface<Question> {};

// clang-format off
const Question kQuestions[] = {
    {"ModMissing", "C:\\Q3\\quake3.exe", "D:\\d\\a.dm_68", "", "cpma", {"C:\\Q3\\cpma\\readme.txt"},
     ModMissing("cpma", "C:\\Q3")},
    {"ModInTheHome", "C:\\Q3\\ioquake3.exe", "D:\\d\\a.dm_68", "", "osp", {kAppData + "\\Quake3\\osp\\osp.pk3"}, ""},
    {"TheBaseGameIsNoMod", "C:\\Q3\\quake3.exe", "D:\\d\\a.dm_68", "", "BASEQ3", {}, ""},
    {"HalfLifeModWithoutLiblist", "C:\\HL\\hl.exe", "D:\\d\\a.dem", "", "tfc", {"C:\\HL\\tfc\\tfc.wad"},
     ModMissing("tfc", "C:\\HL")},
    {"ProtocolTheEngineDoesNotOpen", "C:\\Q3\\cnq3-x86.exe", "D:\\d\\a.dm_68", "", "", {}, ""},
    {"Protocol60OnlyForWolf141", "C:\\RTCW\\WolfMP.exe", "D:\\d\\a.dm_59", "", "", {},
     "Return to Castle Wolfenstein 1.41 plays protocol 60 demos; this demo is protocol 59. Play anyway?"},
    {"IortcwOpensOlderOnes", "C:\\RTCW\\ioWolfMP.x86_64.exe", "D:\\d\\a.dm_59", "", "", {}, ""},
    // What the demo says wins over its extension.
    {"TheReadProtocolCounts", "C:\\Q3\\cnq3-x86.exe", "D:\\d\\a.dm_66", "real-04.dm_68", "", {}, ""},
    {"HalfLife48", "C:\\HL\\hl.exe", "D:\\d\\a.dem", "real-01.dem", "", {}, ""},
    {"OlderHalfLife", "C:\\HL\\hl.exe", "D:\\d\\a.dem", "real-01.dem@47", "", {},
     "This demo was recorded by an older Half-Life (protocol 47); today's Half-Life may refuse it. Play anyway?"},
};
// clang-format on

// Each question asks once with the question icon; No returns with nothing staged or
// started, Yes plays as without it.
TEST_P(Questions, AskedOnlyWhenTheLaunchWillLikelyFail) {
  const Question& c = GetParam();
  for (const int reply : {answer::No, answer::Yes}) {
    fakes::FakePlatform& p = fp;
    p.dialogs.messages.clear();
    p.shell.calls.clear();
    const catalogue::Game& game = *catalogue::FindByExtension(c.demo);
    Store(fp, game.locationValue, c.exe);
    p.files.AddFile(c.exe, "MZ");
    for (const auto& [which, path] : p.process.userFolders) p.files.AddFolder(path);
    p.files.AddFolder(c.exe.substr(0, c.exe.rfind('\\')) + "\\baseq3");
    p.files.AddFolder(c.exe.substr(0, c.exe.rfind('\\')) + "\\Main");
    for (const std::string& f : c.installed) p.files.AddFile(f);
    std::string bytes = c.demoBytes.empty() ? "NEW" : CorpusBytes(c.demoBytes.substr(0, c.demoBytes.find('@')).c_str());
    if (c.demoBytes.find('@') != std::string::npos) bytes[12] = static_cast<char>(std::stoi(c.demoBytes.substr(c.demoBytes.find('@') + 1)));
    p.files.AddFile(c.demo, bytes);
    Load();
    form->txtFilename.UserEdited(c.demo);
    Pick(form->cboGame, std::string(game.displayName));
    form->cboMod.UserEdited(c.mod);
    p.dialogs.answers = {reply};
    p.log.clear();
    form->cmdBottom[2].UserClicked();
    Texts asked;
    for (const auto& m : p.dialogs.messages) {
      asked.push_back(m.text);
      EXPECT_EQ(m.style, mb::YesNo | mb::IconQuestion);
    }
    EXPECT_EQ(asked, c.question.empty() ? Texts{} : Texts{c.question});
    const bool played = c.question.empty() || reply == answer::Yes;
    EXPECT_EQ(p.shell.calls.size(), played ? 1u : 0u);
    EXPECT_EQ(p.log.back(), played ? "exit" : "show main");
    if (!played) {
      for (const std::string& l : p.log) EXPECT_EQ(l.rfind("fs ", 0), std::string::npos) << l;
    }
  }
}
INSTANTIATE_TEST_SUITE_P(Before, Questions, ::testing::ValuesIn(kQuestions),
                         [](const auto& info) { return std::string(info.param.name); });

// The mod box lists the mods installed where the game is, after the catalogue's, once each.
TEST_F(WindowTest, TheModBoxAlsoListsTheInstalledMods) {
  Store(fp, "Q3APath", "C:\\Q3\\ioquake3.exe");
  fp.files.AddFile("C:\\Q3\\cpma\\z-cpma.pk3");
  fp.files.AddFile("C:\\Q3\\OSP\\osp.pk3");
  fp.files.AddFile("C:\\Q3\\baseq3\\pak0.pk3");
  fp.files.AddFile("C:\\Q3\\empty\\readme.txt");
  fp.files.AddFile(kAppData + "\\Quake3\\defrag\\vm\\cgame.qvm");
  fp.files.AddFile("C:\\HL\\valve\\liblist.gam");
  fp.files.AddFile("C:\\HL\\cstrike\\liblist.gam");
  fp.files.AddFile("C:\\HL\\svencoop\\liblist.gam");
  Store(fp, "HLPath", "C:\\HL\\hl.exe");
  MainWindow& f = Load();
  Pick(f.cboGame, kQ3);
  EXPECT_EQ(f.cboMod.Items(), (Texts{"arena", "cpma", "defrag", "generations", "osp"}));
  Pick(f.cboGame, kHL);
  EXPECT_EQ(f.cboMod.Items(), (Texts{"cstrike", "dod", "svencoop", "valve"}));
}

// Steam's Half-Life while Steam is not running is started by Steam with the mod's app id;
// with Steam running, or outside a Steam library, the game itself.
TEST_F(WindowTest, SteamsHalfLifeStartsThroughSteamWhenSteamIsNotRunning) {
  const std::string hl = "D:\\Games\\steamapps\\common\\Half-Life\\hl.exe";
  struct Case {
    std::string exe, mod;
    std::optional<std::uint32_t> pid;
    std::string outcome;
  };
  const std::string params = " -console -toconsole +playdemo replaydock 1";
  const Case cases[] = {
      {hl, "cstrike", std::nullopt, "c:\\steam\\steam.exe|-applaunch 10 -game cstrike" + params},
      {hl, "dod", 0, "c:\\steam\\steam.exe|-applaunch 30 -game dod" + params},
      {hl, "svencoop", 999, "c:\\steam\\steam.exe|-applaunch 70 -game svencoop" + params},
      {hl, "czero", 1234, hl + "| -game czero" + params},
      {"C:\\Sierra\\Half-Life\\hl.exe", "gearbox", std::nullopt, "C:\\Sierra\\Half-Life\\hl.exe| -game gearbox" + params}};
  for (const Case& c : cases) {
    fp.shell.calls.clear();
    Store(fp, "HLPath", c.exe);
    fp.files.AddFile(c.exe, "MZ");
    fp.files.AddFile(c.exe.substr(0, c.exe.rfind('\\')) + "\\" + c.mod + "\\liblist.gam");
    fp.files.AddFile("C:\\Steam\\steam.exe");
    fp.files.AddFile("D:\\d\\a.dem", "NEW");
    fp.registry.PutText(regroot::CurrentUser, "Software\\Valve\\Steam", "SteamPath", "c:/steam");
    if (c.pid) {
      const std::uint32_t pid = *c.pid;
      fp.registry.Put(regroot::CurrentUser, "Software\\Valve\\Steam\\ActiveProcess", "pid", regtype::Dword,
                      {static_cast<std::uint8_t>(pid), static_cast<std::uint8_t>(pid >> 8), 0, 0});
    }
    Load();
    form->txtFilename.UserEdited("D:\\d\\a.dem");
    Pick(form->cboGame, kHL);
    form->cboMod.UserEdited(c.mod);
    form->cmdBottom[2].UserClicked();
    ASSERT_EQ(fp.shell.calls.size(), 1u) << c.outcome;
    EXPECT_EQ(fp.shell.calls[0].file + "|" + fp.shell.calls[0].parameters, c.outcome);
    EXPECT_EQ(fp.shell.calls[0].directory, c.exe.substr(0, c.exe.rfind('\\')));
  }
}

// "-play <demo>": no splash; the game and mod come from the demo, nothing is stored. A
// refusal opens the main window on that demo. What Yes does (no window, the game started)
// is the end-to-end play verb's.
TEST(PlayVerb, ARefusalOpensTheWindowOnTheDemoWithNothingStored) {
  fakes::FakePlatform fp;
  fakes::FakeViewFactory views{fp.log};
  Application app{fp.ports, views};
  Store(fp, catalogue::AlreadyRunValue, "Yes");
  Store(fp, catalogue::DefaultGameValue, kHL);
  Store(fp, "Q3APath", "C:\\Q3\\quake3.exe");
  fp.files.AddFile("C:\\Q3\\quake3.exe", "MZ");
  fp.files.AddFolder("C:\\Q3\\baseq3");
  fp.files.AddFile("D:\\My Demos\\Cpma.dm_68", CorpusBytes("real-07.dm_68"));  // mod cpma, not installed
  fp.process.commandLine = "-PLAY \"D:\\My Demos\\cpma.dm_68\"";
  fp.dialogs.answers = {answer::No};
  fp.registry.ClearCalls();
  app.Main();
  EXPECT_EQ(std::count(fp.log.begin(), fp.log.end(), "create splash"), 0);
  ASSERT_EQ(fp.dialogs.messages.size(), 1u);
  EXPECT_EQ(fp.dialogs.messages[0].text, ModMissing("cpma", "C:\\Q3"));
  for (const std::string& call : fp.registry.Calls()) EXPECT_EQ(call.rfind("set ", 0), std::string::npos) << call;
  EXPECT_TRUE(fp.shell.calls.empty());
  EXPECT_EQ(fp.log.back(), "show main");
  EXPECT_EQ(app.MainForm().txtFilename.Text(), "D:\\My Demos\\Cpma.dm_68");
  EXPECT_EQ(app.MainForm().cboGame.Text(), kQ3);
  // From now on the window is the user's: choices are stored again.
  app.MainForm().cboMod.UserEdited("osp");
  EXPECT_EQ(fp.registry.GetText(regroot::CurrentUser, std::string(catalogue::SettingsKey), "DefaultQ3AMod"), "osp");
}

}  // namespace
}  // namespace rd::launcher_tests
