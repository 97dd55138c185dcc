#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/unit/launcher/LauncherTesting.h"

// The main window over real demos; staging and drops are played end to end.
namespace rd::launcher_tests {

static std::string Corpus(const char* name) {
  std::ifstream in(std::string(RD_CORPUS) + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The content picks the game where the name names another; a demo naming no mod keeps the
// game's last one, one that cannot be read says why, a file that is no demo says nothing.
// Typed, a demo is read once the text names it and again only when it changed; a drop of a
// folder or of no demo changes nothing.
TEST_F(WindowTest, ADemoBringsItsGameModAndLineAndIsReadOnlyWhenNew) {
  Store(fp, "DefaultQ3AMod", "osp");
  const char* const cases[][5] = {
      {"C:\\D\\Base.dm_68", "real-04.dm_68", kQ3, "osp", "Map: Q3DM7 · Mod: base game · protocol 68 · Host: noname"},
      {"C:\\D\\Cs.dm_66", "real-03.dem", kHL, "cstrike", "Map: crossfire · Mod: cstrike · 0:07 · protocol 48"},
      {"C:\\D\\Notes.dm_68", "SOURCES.md", kQ3, "osp", "The demo could not be read: the file is not a demo of a known kind"},
      {"C:\\D\\Notes.md", "SOURCES.md", "", "", ""}};
  for (const auto& [file, demo, game, mod, line] : cases) {
    fp.files.AddFile(file, Corpus(demo));
    fp.process.commandLine = file;
    MainWindow& f = Load();
    EXPECT_EQ(f.cboGame.Text() + "|" + f.cboMod.Text() + "|" + f.lblDemo.Caption(),
              std::string(game) + "|" + mod + "|" + line);
  }

  const auto reads = [&](bool written) {
    if (written) fp.files.AddFile("C:\\D\\A.dm_68", Corpus("real-07.dm_68"));
    for (const char* typed : {"C:\\D\\A", "C:\\D\\A.dm_68", "C:\\D\\A", "C:\\D\\A.dm_68"}) form->txtFilename.UserEdited(typed);
    return std::count(fp.files.Calls().begin(), fp.files.Calls().end(), "read C:\\D\\A.dm_68");
  };
  const auto once = reads(true);
  EXPECT_EQ(reads(false), once);
  EXPECT_EQ(reads(true), 2 * once);
  for (const char* dropped : {"C:\\D", "C:\\D\\Notes.md", "C:\\D\\X.dm_68"}) form->Form_DropFiles({dropped, "C:\\D\\Cs.dm_66"});
  EXPECT_EQ(form->txtFilename.Text(), "C:\\D\\A.dm_68");
}

}  // namespace rd::launcher_tests
