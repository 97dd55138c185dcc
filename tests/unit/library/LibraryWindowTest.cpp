#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/GameCatalogue.h"
#include "library/Cache.h"
#include "library/LibraryWindow.h"
#include "tests/fakes/FakePorts.h"
#include "tests/unit/pictures/ZipWriter.h"

namespace rd::library {
namespace {

using Texts = std::vector<std::string>;

std::string Corpus(const char* name) {
  std::ifstream in(std::string(RD_CORPUS) + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Owner final : LibraryOwner {
  void TakeDemo(const std::string& path) override { log.push_back("take " + path); }
  void PlayDemo(const std::string& path) override { log.push_back("play " + path); }
  std::string CurrentDemo() override { return current; }
  void CloseLibrary() override { log.push_back("close"); }
  std::string current;
  Texts log;
};

struct NoHost final : AppHost {
  void ShowMain() override {}
  void HideMain() override {}
  void EndProgram() override {}
  void ShowConfigModal() override {}
  void CloseConfig() override {}
  void HandOver() override {}
};

// A computer with Quake 3 (a demo in baseq3's and one in a mod's demos folder), Half-Life
// (a demo at a mod's top level, one below it that the game does not see) and a folder of
// the file box's demo.
struct Library : ::testing::Test {
  Library() {
    fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey), "Q3APath",
                        "C:\\Q3\\quake3.exe");
    fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                        "HLPath", "C:\\HL\\hl.exe");
    fp.files.AddFile("C:\\Q3\\quake3.exe");
    fp.files.AddFile("C:\\Q3\\baseq3\\Demos\\team.dm_68", Corpus("real-04.dm_68"));
    fp.files.AddFile("C:\\Q3\\osp\\demos\\wcg\\duel.dm_66", Corpus("real-02.dm_66"));
    fp.files.AddFile("C:\\HL\\hl.exe");
    fp.files.AddFile("C:\\HL\\cstrike\\weapon.dem", Corpus("real-03.dem"));
    fp.files.AddFile("C:\\HL\\cstrike\\old\\unseen.dem", Corpus("real-01.dem"));
    fp.files.AddFile("C:\\Mine\\broken.dm_68", "too short");
    fp.files.AddFile("C:\\Mine\\sub\\c1a0.dem", Corpus("real-01.dem"));
    fp.files.AddFolder("C:\\Users\\Player\\AppData\\Local");
    owner.current = "C:\\Mine\\something.dm_68";
  }
  std::unique_ptr<LibraryWindow> Open() {
    auto window = std::make_unique<LibraryWindow>(fp.ports, host, owner);
    window->Form_Load();
    return window;
  }
  static Texts Column(const LibraryWindow& w, library::Column c) {
    Texts cells;
    for (int row = 0; row < w.RowCount(); ++row) cells.push_back(w.CellText(row, static_cast<int>(c)));
    return cells;
  }

  fakes::FakePlatform fp;
  NoHost host;
  Owner owner;
};

// The scan runs off the window's thread: nothing until the worker ran, then every demo of
// the folders (the game's own rules for where demos are), described, with a progress line;
// an unreadable demo says why in Map, greyed. The cache it leaves makes the next opening
// show the whole library before any scan, and that scan reads nothing again.
TEST_F(Library, ScansOffTheThreadThenOpensFromTheCache) {
  auto first = Open();
  EXPECT_EQ(first->RowCount(), 0);
  EXPECT_EQ(first->lblStatus.Caption(), "Looking for demos...");
  fp.background.Run();
  EXPECT_EQ(first->RowCount(), 0) << "nothing before the window's thread takes it";
  fp.background.Finish();
  EXPECT_EQ(Column(*first, Column::Name),
            (Texts{"broken.dm_68", "c1a0.dem", "duel.dm_66", "team.dm_68", "weapon.dem"}));
  EXPECT_EQ(Column(*first, Column::Map),
            (Texts{first->CellText(0, 2), "c1a0", "pro-q3tourney4", "Q3DM7", "crossfire"}));
  EXPECT_FALSE(first->CellText(0, 2).empty());
  EXPECT_TRUE(first->Greyed(0));
  EXPECT_FALSE(first->Greyed(1));
  EXPECT_EQ(Column(*first, Column::Game), (Texts{"", "Half-Life", "Quake 3 Arena",
                                                 "Quake 3 Arena", "Half-Life"}));
  EXPECT_EQ(Column(*first, Column::Mod), (Texts{"", "valve", "osp", "", "cstrike"}));
  EXPECT_EQ(first->lblStatus.Caption(), "5 demos");
  first->Form_Unload();
  first.reset();

  fp.files.AddFile("C:\\Mine\\new.dem", Corpus("real-01.dem"));
  fp.files.Remove("C:\\Mine\\sub\\c1a0.dem");
  auto second = Open();
  EXPECT_EQ(second->RowCount(), 5) << "from the cache, before any scan";
  const std::size_t readsBefore = fp.files.Calls().size();
  fp.background.Finish();
  Texts read;
  for (std::size_t i = readsBefore; i < fp.files.Calls().size(); ++i) {
    const std::string& call = fp.files.Calls()[i];
    if (call.rfind("read ", 0) == 0 && (read.empty() || read.back() != call)) read.push_back(call);
  }
  EXPECT_EQ(read, (Texts{"read C:\\Mine\\new.dem"})) << "only the new demo is read";
  EXPECT_EQ(Column(*second, Column::Name),
            (Texts{"broken.dm_68", "duel.dm_66", "new.dem", "team.dm_68", "weapon.dem"}));
}

// A damaged cache is rebuilt by the scan, never trusted.
TEST_F(Library, ADamagedCacheIsReadAgain) {
  const std::string cache = "C:\\Users\\Player\\AppData\\Local\\Replaydock\\Library.cache";
  fp.files.AddFile(cache, "Replaydock library\n\x01\x00\x00\x00garbage");
  auto window = Open();
  EXPECT_EQ(window->RowCount(), 0);
  fp.background.Finish();
  EXPECT_EQ(window->RowCount(), 5);
  std::vector<Demo> cached;
  EXPECT_EQ(LoadCache(fp.files, cache, cached), CacheStatus::Loaded);
  EXPECT_EQ(cached.size(), 5u);
}

// Closing stops the scan at once: what the worker had not handed over never arrives, and
// no cache is written from half a scan.
TEST_F(Library, ClosingStopsTheScan) {
  auto window = Open();
  fp.background.Run(/*stopAfter=*/1);
  fp.background.Deliver();
  EXPECT_EQ(window->RowCount(), 0);
  EXPECT_FALSE(fp.files.Content("C:\\Users\\Player\\AppData\\Local\\Replaydock\\Library.cache"));
  auto again = Open();
  fp.background.Run();
  again->Form_Unload();
  fp.background.Deliver();
  EXPECT_EQ(again->RowCount(), 0) << "steps handed back before the close are dropped";
}

// The search narrows as typed; a header click sorts, a second reverses; the pane shows the
// selected demo, kept across a new order; Enter takes the demo and closes, Ctrl+Enter plays
// it; the folder opens with the file selected; the layout is kept for the next opening.
TEST_F(Library, SearchSortSelectAndHandOver) {
  auto window = Open();
  fp.background.Finish();
  window->txtSearch.UserEdited("HALF");
  EXPECT_EQ(Column(*window, Column::Name), (Texts{"c1a0.dem", "weapon.dem"}));
  EXPECT_EQ(window->lblStatus.Caption(), "2 of 5 demos");
  window->txtSearch.UserEdited("");
  int changes = 0;
  window->OnRowsChanged = [&] { ++changes; };
  window->SelectRow(3);  // team.dm_68
  EXPECT_NE(window->lblLine.Caption().find("team.dm_68"), std::string::npos);
  EXPECT_NE(window->lblLine.Caption().find("Q3DM7"), std::string::npos);
  window->HeaderClicked(static_cast<int>(Column::Size));
  window->HeaderClicked(static_cast<int>(Column::Size));
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(window->SortDescending());
  EXPECT_EQ(window->PathOf(window->SelectedRow()), "C:\\Q3\\baseq3\\Demos\\team.dm_68");
  EXPECT_EQ(window->FindPrefix("WE", 0, false), window->SelectedRow() == 0 ? 1 : window->FindPrefix("we", 0, true));
  EXPECT_EQ(Column(*window, Column::Name)[static_cast<std::size_t>(window->FindPrefix("dU", 3, true))],
            "duel.dm_66");
  EXPECT_FALSE(window->CurrentPicture());

  const int team = window->SelectedRow();
  window->OpenFolder(team);
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_EQ(fp.shell.calls[0].file, "explorer.exe");
  EXPECT_EQ(fp.shell.calls[0].parameters, "/select,\"C:\\Q3\\baseq3\\Demos\\team.dm_68\"");
  window->PlayRow(team);
  window->Activate(team);
  EXPECT_EQ(owner.log, (Texts{"play C:\\Q3\\baseq3\\Demos\\team.dm_68",
                              "take C:\\Q3\\baseq3\\Demos\\team.dm_68", "close"}));
  window->layout.width = 900;
  window->layout.height = 600;
  window->layout.widths[0] = 150;
  window->Form_Unload();
  window.reset();

  auto next = Open();
  EXPECT_EQ(next->SortColumn(), static_cast<int>(Column::Size));
  EXPECT_TRUE(next->SortDescending());
  EXPECT_EQ(next->layout.width, 900);
  EXPECT_EQ(next->layout.widths[0], 150);
}

// A levelshot of width by height, all of one red.
std::string Levelshot(int width, int height, std::uint8_t red) {
  std::string tga(18, '\0');
  tga[2] = 2;  // true colour, not packed
  tga[12] = static_cast<char>(width), tga[14] = static_cast<char>(height);
  tga[16] = 24, tga[17] = 0x20;  // top row first
  for (int i = 0; i < width * height; ++i) tga += std::string{0, 0, static_cast<char>(red)};
  return tga;
}

struct Pictures : Library {
  Pictures() {
    fp.files.AddFile("C:\\Q3\\baseq3\\pak0.pk3",
                     pictures::fixtures::ZipWriter().Add("levelshots/q3dm7.tga", Levelshot(4, 3, 200)).Bytes());
  }
  std::unique_ptr<LibraryWindow> Scanned() {
    auto window = Open();
    fp.background.Finish();
    window->OnPictureChanged = [this] { ++changes; };
    return window;
  }
  int changes = 0;
};

// The map's picture is looked up on a worker: selecting waits for nothing, and the picture
// comes when the window's thread takes the answer. The archives' index goes to the cache.
TEST_F(Pictures, ComeFromTheGamesArchivesOffTheThread) {
  auto window = Scanned();
  window->SelectRow(3);  // team.dm_68, Q3DM7
  EXPECT_FALSE(window->CurrentPicture());
  EXPECT_FALSE(window->PictureMissing()) << "not known yet";
  fp.background.Run();
  EXPECT_FALSE(window->CurrentPicture()) << "nothing before the window's thread takes it";
  fp.background.Deliver();
  ASSERT_TRUE(window->CurrentPicture());
  EXPECT_EQ(window->CurrentPicture()->width, 4);
  EXPECT_EQ(window->CurrentPicture()->height, 3);
  EXPECT_EQ(window->CurrentPicture()->rgba[0], 200);
  EXPECT_FALSE(window->PictureMissing());
  EXPECT_EQ(changes, 1) << "once, when the picture came";
  const int started = fp.background.started;
  window->Rescan();
  fp.background.Finish();
  EXPECT_TRUE(window->CurrentPicture()) << "the same demo keeps its picture";
  EXPECT_EQ(fp.background.started, started + 1) << "a listing, no second lookup";

  window->Form_Unload();
  std::vector<Demo> demos;
  std::vector<std::string> indexes;
  ASSERT_EQ(LoadCache(fp.files, window->CacheFile(), demos, &indexes), CacheStatus::Loaded);
  EXPECT_EQ(demos.size(), 5u);
  ASSERT_EQ(indexes.size(), 1u);
  EXPECT_NE(indexes[0].find("q3dm7"), std::string::npos);
}

// Running down the list: only the latest selection is looked up, and an answer for a demo
// no longer selected is dropped rather than shown over the new one.
TEST_F(Pictures, OnlyTheLatestSelectionIsShown) {
  auto window = Scanned();
  const int started = fp.background.started;
  window->SelectRow(2);  // duel.dm_66: osp, a map without a picture
  window->SelectRow(3);
  EXPECT_EQ(fp.background.started, started + 1) << "one worker, taking the latest";
  fp.background.Run();
  window->SelectRow(2);  // before the answer for row 3 is taken
  fp.background.Deliver();
  EXPECT_FALSE(window->CurrentPicture()) << "the answer for team.dm_68 is stale";
  EXPECT_FALSE(window->PictureMissing());
  fp.background.Finish();
  EXPECT_FALSE(window->CurrentPicture());
  EXPECT_TRUE(window->PictureMissing());
  window->SelectRow(3);
  fp.background.Finish();
  EXPECT_TRUE(window->CurrentPicture());
  window->SelectRow(-1);
  EXPECT_FALSE(window->CurrentPicture());
  EXPECT_FALSE(window->PictureMissing()) << "nothing selected, nothing to say";
}

// No picture: a map without a levelshot, a Half-Life map without an overview, a game that
// keeps none, a demo that could not be read.
TEST_F(Pictures, WithoutOneThePaneSaysSo) {
  fp.files.AddFile("C:\\Mine\\sub\\valve.dem", Corpus("real-01.dem"));
  auto window = Scanned();
  const Texts names = Column(*window, Column::Name);
  for (const char* name : {"duel.dm_66", "weapon.dem", "valve.dem", "broken.dm_68"}) {
    SCOPED_TRACE(name);
    window->SelectRow(-1);
    window->SelectRow(static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin()));
    fp.background.Finish();
    EXPECT_FALSE(window->CurrentPicture());
    EXPECT_TRUE(window->PictureMissing());
  }
}

// Every folder is watched from before the scan; a change there rescans (once the scan under
// way has ended), reading only what changed; closing stops the watching.
TEST_F(Library, ChangesInAWatchedFolderRescan) {
  auto window = Open();
  const std::vector<std::string> watched = fp.notices.Folders();
  EXPECT_NE(std::find(watched.begin(), watched.end(), "C:\\Mine"), watched.end());
  EXPECT_NE(std::find(watched.begin(), watched.end(), "C:\\HL\\cstrike"), watched.end());
  fp.files.AddFile("C:\\Mine\\sub\\deeper\\late.dem", Corpus("real-01.dem"));
  fp.notices.Changed("C:\\Mine\\sub\\deeper");  // during the first scan
  EXPECT_EQ(fp.background.started, 1);
  fp.background.Finish();
  EXPECT_EQ(window->RowCount(), 6);
  EXPECT_EQ(fp.background.started, 4) << "a listing, its two readers, the second listing alone";

  fp.files.Remove("C:\\Mine\\broken.dm_68");
  fp.notices.Changed("C:\\Mine");
  fp.background.Finish();
  EXPECT_EQ(window->RowCount(), 5);
  EXPECT_EQ(fp.background.started, 5) << "nothing new: a listing alone";
  fp.notices.Changed("C:\\HL\\cstrike\\old");  // below a top-level-only root: not seen
  EXPECT_EQ(fp.background.started, 5);
  window->Form_Unload();
  EXPECT_TRUE(fp.notices.watches.empty());
}

Texts Names(const LibraryWindow& w) {
  Texts names;
  for (int row = 0; row < w.RowCount(); ++row) names.push_back(w.CellText(row, 0));
  std::sort(names.begin(), names.end());
  return names;
}

bool Has(const Texts& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// "Add folder...": the folder picked, then the question whether its subfolders count; the
// answer is kept with the folder in the value the library always kept (a "<" for the top
// level only), next to folders stored before. Adding it again with the other answer changes
// the folder rather than listing it twice; a cancel anywhere changes nothing; a picker that
// cannot be shown says so.
TEST_F(Library, AddFolderAsksAboutSubfoldersAndKeepsTheAnswer) {
  fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey), "LibraryFolders",
                      "E:\\Old|<F:\\Top");
  fp.files.AddFile("D:\\Pack\\one.dm_68", Corpus("real-07.dm_68"));
  fp.files.AddFile("D:\\Pack\\cup\\two.dm_68", Corpus("real-04.dm_68"));
  auto window = Open();
  fp.background.Finish();
  const auto stored = [&] {
    return fp.registry
        .GetText(regroot::CurrentUser, std::string(catalogue::SettingsKey), "LibraryFolders")
        .value_or("(none)");
  };
  struct Step {
    FolderResult picked;
    int answer;  // to the question about subfolders; -1: not asked
    std::string stored;
    bool one, two;  // listed afterwards
  };
  using O = FolderResult::Outcome;
  const Step steps[] = {
      {{O::Cancelled, {}}, -1, "E:\\Old|<F:\\Top", false, false},
      {{O::Chosen, "D:\\Pack\\"}, answer::Cancel, "E:\\Old|<F:\\Top", false, false},
      {{O::Chosen, "D:\\Pack\\"}, answer::No, "E:\\Old|<F:\\Top|<D:\\Pack", true, false},
      {{O::Chosen, "d:\\pack"}, answer::Yes, "E:\\Old|<F:\\Top|D:\\Pack", true, true},
      {{O::Chosen, "D:\\Pack"}, answer::Yes, "E:\\Old|<F:\\Top|D:\\Pack", true, true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(stored());
    fp.dialogs.folderResults.push_back(step.picked);
    const std::size_t asked = fp.dialogs.messages.size();
    if (step.answer >= 0) fp.dialogs.answers.push_back(step.answer);
    window->AddFolder();
    fp.background.Finish();
    EXPECT_EQ(fp.dialogs.messages.size(), asked + (step.answer >= 0 ? 1 : 0));
    if (step.answer >= 0) {
      std::string folder = step.picked.path;
      if (folder.back() == '\\') folder.pop_back();
      EXPECT_EQ(fp.dialogs.messages.back().text, "Include the subfolders of " + folder + "?");
      EXPECT_EQ(fp.dialogs.messages.back().style & 0xF, mb::YesNoCancel);
    }
    EXPECT_EQ(stored(), step.stored);
    const Texts names = Names(*window);
    EXPECT_EQ(Has(names, "one.dm_68"), step.one);
    EXPECT_EQ(Has(names, "two.dm_68"), step.two);
  }
  const std::vector<Root> folders = window->UserFolders();
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(LibraryWindow::FolderLabel(folders[0]), "E:\\Old (with subfolders)");
  EXPECT_EQ(LibraryWindow::FolderLabel(folders[1]), "F:\\Top");
  EXPECT_EQ(folders[2].folder, "D:\\Pack");

  fp.dialogs.folderResults.push_back({O::Failed, {}});
  window->AddFolder();
  EXPECT_EQ(fp.dialogs.messages.back().text, "The folder picker could not be shown.");
  EXPECT_EQ(stored(), "E:\\Old|<F:\\Top|D:\\Pack");
}

// Folders dropped on the window join the library (a file dropped is no folder). Removing a
// folder forgets it: its demos leave the list and it is watched no more, while the files
// stay where they are and a demo that another folder also holds stays listed.
TEST_F(Library, DroppedFoldersJoinAndRemovingOneForgetsItsDemosOnly) {
  fp.files.AddFile("D:\\Pack\\one.dm_68", Corpus("real-07.dm_68"));
  auto window = Open();
  fp.background.Finish();
  window->Form_DropFiles({"C:\\Mine\\broken.dm_68", "D:\\Pack", "C:\\Mine\\sub"});
  fp.background.Finish();
  ASSERT_EQ(window->UserFolders().size(), 2u);
  EXPECT_EQ(window->RowCount(), 6);
  EXPECT_TRUE(Has(Names(*window), "one.dm_68"));
  EXPECT_TRUE(Has(fp.notices.Folders(), "D:\\Pack"));

  window->RemoveFolder(5);  // no such folder
  window->RemoveFolder(0);
  fp.background.Finish();
  EXPECT_FALSE(Has(Names(*window), "one.dm_68"));
  EXPECT_FALSE(Has(fp.notices.Folders(), "D:\\Pack"));
  EXPECT_TRUE(fp.files.Content("D:\\Pack\\one.dm_68")) << "nothing on disk is touched";
  window->RemoveFolder(0);  // C:\Mine\sub: the file box's folder still holds its demo
  fp.background.Finish();
  EXPECT_TRUE(window->UserFolders().empty());
  EXPECT_TRUE(Has(Names(*window), "c1a0.dem"));
  EXPECT_EQ(window->RowCount(), 5);
}

// The engines that keep the user's files in a home folder record demos in a demos folder of
// each game folder there: those are listed, subfolders included, when they exist; a game
// folder without demos is not watched; without the user's folder nothing is looked for.
TEST_F(Library, TheEnginesHomeDemosFoldersAreSources) {
  const std::string home = "C:\\Users\\Player\\AppData\\Roaming\\Quake3";
  fp.files.AddFile(home + "\\baseq3\\demos\\io.dm_68", Corpus("real-07.dm_68"));
  fp.files.AddFile(home + "\\missionpack\\demos\\cup\\deep.dm_68", Corpus("real-04.dm_68"));
  fp.files.AddFile(home + "\\cpma\\q3config.cfg", "seta name x");
  fp.files.AddFile("C:\\Users\\Player\\Documents\\RTCW\\Main\\demos\\wolf.dm_60", "too short");
  auto window = Open();
  fp.background.Finish();
  const Texts names = Names(*window);
  EXPECT_TRUE(Has(names, "io.dm_68"));
  EXPECT_TRUE(Has(names, "deep.dm_68"));
  EXPECT_TRUE(Has(names, "wolf.dm_60"));
  EXPECT_EQ(window->RowCount(), 8);
  const Texts watched = fp.notices.Folders();
  EXPECT_TRUE(Has(watched, home + "\\baseq3\\demos"));
  EXPECT_FALSE(Has(watched, home + "\\cpma\\demos"));
  window.reset();

  fp.process.userFolders.erase(UserFolder::RoamingAppData);
  fp.process.userFolders.erase(UserFolder::Documents);
  fp.files.Remove("C:\\Users\\Player\\AppData\\Local\\Replaydock\\Library.cache");
  auto without = Open();
  fp.background.Finish();
  EXPECT_EQ(without->RowCount(), 5);
}

}  // namespace
}  // namespace rd::library
