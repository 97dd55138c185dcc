#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <tuple>
#include <vector>

#include "library/Cache.h"
#include "library/Scan.h"
#include "tests/fakes/FakePorts.h"

namespace rd::library {
namespace {

using Paths = std::vector<std::string>;

Paths Sorted(const std::vector<Found>& found) {
  Paths paths;
  for (const Found& f : found) paths.push_back(f.path);
  std::sort(paths.begin(), paths.end());
  return paths;
}

// Demos by extension in any letter case, below folders of any depth; staged copies, other
// files, links and folders that cannot be listed passed over; each file once when roots
// overlap; a top-level root leaves its subfolders out, unless another root takes them.
TEST(Scan, FindsEveryDemoOnceAndPassesOverWhatItMustNot) {
  fakes::FakeFileSystem files;
  for (const char* path :
       {"C:\\D\\a.dm_68", "C:\\D\\B.DEM", "C:\\D\\replaydock.dm_68", "C:\\D\\REPLAYDOCK.DEM",
        "C:\\D\\notes.txt", "C:\\D\\x\\y\\z\\deep.dm_66", "C:\\D\\\xE5\xA4\xA7\\\xE6\x9D\xB1.dm_60",
        "C:\\D\\locked\\hidden.dm_68", "C:\\Top\\t.dem", "C:\\Top\\sub\\s.dem",
        "C:\\Link\\target.dm_68"}) {
    files.AddFile(path, "x");
  }
  files.AddFolder("C:\\D\\loop", fakes::FileAttributes{false, false, false, true});
  files.AddFile("C:\\D\\loop\\inside.dm_68", "x");
  files.AddFile("C:\\D\\1.dm_68", std::string(300, 'q'));
  const std::atomic<bool> go{false};

  // The locked folder is the third one listed (D, then its subfolders from the back).
  files.FailNext(fakes::FakeFileSystem::Op::ListFolder, 5, 0);
  EXPECT_TRUE(FindDemos(files, {{"C:\\D", true}}, go).empty()) << "the root itself unreadable";

  const std::vector<Root> roots = {{"C:\\Top", false}, {"C:\\D\\", true}, {"C:\\D\\x", true},
                                   {"C:\\Missing", true}, {"C:\\Top", true}};
  const std::vector<Found> found = FindDemos(files, roots, go);
  EXPECT_EQ(Sorted(found),
            (Paths{"C:\\D\\1.dm_68", "C:\\D\\B.DEM", "C:\\D\\a.dm_68",
                   "C:\\D\\locked\\hidden.dm_68", "C:\\D\\x\\y\\z\\deep.dm_66",
                   "C:\\D\\\xE5\xA4\xA7\\\xE6\x9D\xB1.dm_60", "C:\\Top\\sub\\s.dem",
                   "C:\\Top\\t.dem"}));
  for (const Found& f : found) {
    if (f.path == "C:\\D\\1.dm_68") {
      EXPECT_EQ(f.facts.size, 300u);
    }
  }
  EXPECT_EQ(Sorted(FindDemos(files, {{"C:\\Top", false}}, go)), (Paths{"C:\\Top\\t.dem"}));

  const std::atomic<bool> stopped{true};
  EXPECT_TRUE(FindDemos(files, roots, stopped).empty());
}

std::vector<Demo> SomeDemos() {
  Demo a;
  a.path = "C:\\Demos\\final \xC3\xA9t\xC3\xA9.dm_68";
  a.size = 123456;
  a.writeTime = 133'000'000'000'000'000ULL;
  a.read = true;
  a.game = "Quake 3 Arena";
  a.map = "q3dm17";
  a.mod = "cpma";
  a.players = "A vs B";
  a.type = "Tournament";
  a.seconds = 612.5;
  a.line = "q3dm17 - cpma - A vs B";
  a.roster = {"A", "B", "C (spectator)"};
  Demo b;
  b.path = "C:\\Demos\\broken.dem";
  b.map = "the file is too short";
  b.line = "Cannot read: the file is too short";
  return {a, b};
}

bool Same(const Demo& x, const Demo& y) {
  return std::tie(x.path, x.size, x.writeTime, x.read, x.game, x.map, x.mod, x.players, x.type,
                  x.seconds, x.line, x.roster) == std::tie(y.path, y.size, y.writeTime, y.read,
                                                           y.game, y.map, y.mod, y.players, y.type,
                                                           y.seconds, y.line, y.roster);
}

// What was written reads back the same; every kind of damage is told and yields nothing,
// at any cut; a cache written by a newer version is left alone.
TEST(Cache, RoundTripsAndTellsEachDamage) {
  const std::vector<Demo> demos = SomeDemos();
  const std::vector<std::string> indexes = {"first index", std::string("\0second\xFF", 8)};
  const std::string bytes = CacheBytes(demos, indexes);
  std::vector<Demo> back;
  std::vector<std::string> indexesBack;
  ASSERT_EQ(ParseCache(bytes, back, &indexesBack), CacheStatus::Loaded);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_TRUE(Same(back[0], demos[0]) && Same(back[1], demos[1]));
  EXPECT_EQ(indexesBack, indexes);
  EXPECT_EQ(ParseCache(CacheBytes(std::vector<Demo>{}), back), CacheStatus::Loaded);
  EXPECT_TRUE(back.empty());

  std::string flipped = bytes;
  flipped[bytes.size() - 5] ^= 0x20;
  std::string newer = bytes;
  newer[19] = 3;
  std::string older = bytes;
  older[19] = 1;  // rows without the map pictures' indexes
  std::string longer = bytes + "x";
  const std::tuple<std::string, CacheStatus> cases[] = {
      {"", CacheStatus::Missing},
      {"PK\x03\x04 someone else's file", CacheStatus::Foreign},
      {bytes.substr(0, 7), CacheStatus::Truncated},
      {bytes.substr(0, 25), CacheStatus::Truncated},
      {bytes.substr(0, bytes.size() - 1), CacheStatus::Truncated},
      {flipped, CacheStatus::Corrupt},
      {longer, CacheStatus::Corrupt},
      {older, CacheStatus::Corrupt},
      {newer, CacheStatus::Newer}};
  for (const auto& [damaged, status] : cases) {
    SCOPED_TRACE(damaged.size());
    back = demos;
    indexesBack = indexes;
    EXPECT_EQ(ParseCache(damaged, back, &indexesBack), status);
    EXPECT_TRUE(back.empty());
    EXPECT_TRUE(indexesBack.empty());
  }
  // Every cut of the file is refused, none crashes.
  for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
    EXPECT_NE(ParseCache(bytes.substr(0, cut), back), CacheStatus::Loaded) << cut;
  }
}

// Saving writes a temporary file and renames it over the cache; when the rename fails the
// old cache stays whole and the temporary file goes.
TEST(Cache, SavesThroughATemporaryFileAndKeepsTheOldOneOnFailure) {
  fakes::FakePlatform fp;
  const std::string path = CachePath(fp.ports);
  EXPECT_EQ(path, "C:\\Users\\Player\\AppData\\Local\\Replaydock\\Library.cache");
  fp.files.AddFolder("C:\\Users\\Player\\AppData\\Local");
  std::vector<Demo> back;
  EXPECT_EQ(LoadCache(fp.files, path, back), CacheStatus::Missing);

  const std::vector<Demo> demos = SomeDemos();
  ASSERT_EQ(SaveCache(fp.files, path, demos), 0u);
  EXPECT_EQ(fp.log, (std::vector<std::string>{
                        "fs mkdir C:\\Users\\Player\\AppData\\Local\\Replaydock",
                        "fs write " + path + ".new", "fs move " + path + ".new -> " + path}));
  ASSERT_EQ(LoadCache(fp.files, path, back), CacheStatus::Loaded);
  EXPECT_EQ(back.size(), 2u);

  fp.files.FailNext(fakes::FakeFileSystem::Op::Move, 32);
  EXPECT_EQ(SaveCache(fp.files, path, {demos[0]}), 32u);
  EXPECT_FALSE(fp.files.Content(path + ".new"));
  ASSERT_EQ(LoadCache(fp.files, path, back), CacheStatus::Loaded);
  EXPECT_EQ(back.size(), 2u);

  fp.files.AddFile(path, "");
  EXPECT_EQ(LoadCache(fp.files, path, back), CacheStatus::Truncated);
  fp.process.userFolders.erase(UserFolder::LocalAppData);
  EXPECT_EQ(CachePath(fp.ports), "");
}

}  // namespace
}  // namespace rd::library
