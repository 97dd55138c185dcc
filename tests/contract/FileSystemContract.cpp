#include <algorithm>
#include <string>
#include <vector>
#include <tuple>

#include "ports/WinErrors.h"
#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

class FileSystemContract : public ContractTest {
 protected:
  FileSystem& fs() { return b->ports().files; }
  const std::string dir = b->folder;
};

TEST_F(FileSystemContract, LookupsAnswerTheNameAsStoredAndPassOverWhatTheyMayNotSee) {
  b->PutFile(dir + "\\Demo One.DEM", "data");
  // What lookups pass over sorts first, so one that stopped there would show.
  b->PutFolder(dir + "\\Skip");
  b->PutFile(dir + "\\Skip\\a system.dem", "s", {.system = true});
  b->PutFolder(dir + "\\Skip\\folder.dem");
  b->PutFile(dir + "\\Skip\\hidden.dem", "h", {.hidden = true});
  b->PutFile(dir + "\\Skip\\plain.dem", "p", {.readOnly = true});  // read-only still counts
  b->PutFolder(dir + "\\Entries");
  b->PutFile(dir + "\\Entries\\a system.txt", "", {.system = true});
  b->PutFolder(dir + "\\Entries\\Hidden Folder", {.hidden = true});
  b->PutFolder(dir + "\\Entries\\Sub Folder");
  b->PutFolder(dir + "\\Empty");
  const std::string missing = b->MissingDrive(), d = dir + "\\";
  enum Which { kFile = 1, kEntry = 2, kBoth = 3 };
  // Which lookup, the pattern, the name found ("": none; "!": the path is no valid name).
  // The last component is a mask: odd characters there match nothing, but in a folder on the
  // way they make the path unexaminable. Trailing dots and spaces of a name are dropped.
  // clang-format off
  const std::tuple<int, std::string, std::string> cases[] = {
      {kBoth, d + "demo one.dem", "Demo One.DEM"}, {kFile, d + "Demo ???.dem", "Demo One.DEM"},
      {kFile, d + "Demo ?.dem", ""}, {kFile, d + "Demo One", ""},
      {kFile, d + "Skip\\*.dem", "plain.dem"}, {kFile, d + "Skip\\hidden.dem", ""},
      {kEntry, d + "Empty\\*", ""}, {kEntry, d + "Entries\\*", "Sub Folder"},
      {kEntry, d + "ENTRIES\\sub folder", "Sub Folder"}, {kFile, d + "Demo One.DEM.", "Demo One.DEM"},
      {kFile, d + "Demo One.DEM  ", "Demo One.DEM"}, {kFile, d + " Demo One.DEM", ""}, {kBoth, "", ""},
      {kBoth, d + "No Folder\\Deeper\\missing.dem", ""}, {kFile, missing + "\\demo.dem", ""},
      {kEntry, missing, ""}, {kEntry, "\\\\nohost\\share\\demo.dem", ""}, {kEntry, "demo.dem", ""},
      {kFile, d + "bad\"name.dem", ""}, {kFile, d + "bad|name.dem", ""},
      {kEntry, d + "Demo One.DEM\\", ""}, {kEntry, d + "demo<", ""},
      {kBoth, "\"" + d + "demo.dem\"", "!"}, {kBoth, d + "bad\"dir\\demo.dem", "!"},
      {kBoth, d + "*\\demo.dem", "!"}};
  // clang-format on
  for (const auto& [which, pattern, found] : cases) {
    for (const int lookup : {kFile, kEntry}) {
      if (!(which & lookup)) continue;
      SCOPED_TRACE((lookup == kFile ? "FindFile " : "FindEntry ") + pattern);
      const FindResult r = lookup == kFile ? fs().FindFile(pattern) : fs().FindEntry(pattern);
      const FindStatus status = found.empty()  ? FindStatus::NotFound
                                : found == "!" ? FindStatus::Error
                                               : FindStatus::Found;
      EXPECT_EQ(r.status, status);
      EXPECT_EQ(r.name, status == FindStatus::Found ? found : "");
      EXPECT_EQ(r.error, status == FindStatus::Error ? std::uint32_t{winerr::InvalidName} : 0u);
    }
  }
}

// A demo taken from a CD is read-only; its staged copy must not be, or the next launch
// could neither replace nor remove it. Read-only files are neither moved nor moved over (Wine
// would do both).
TEST_F(FileSystemContract, ChangesAnswerWindowsCodesAndCopiesAreOrdinaryFiles) {
  for (const char* name : {"source.dem", "moving.dem", "old.dem", "gone.dem", "taken"}) {
    b->PutFile(dir + "\\" + name, name);
  }
  b->PutFile(dir + "\\target.dem", "old data that is longer");
  b->PutFile(dir + "\\cd.dem", "from a cd", {.readOnly = true});
  b->PutFolder(dir + "\\Folder");
  enum Op { kMkdir, kCopy, kMove, kRemove };
  // clang-format off
  const std::tuple<Op, std::string, std::string, std::int32_t> cases[] = {
      {kMkdir, "New Folder", "", 0}, {kMkdir, "NEW FOLDER", "", winerr::AlreadyExists},
      {kMkdir, "taken", "", winerr::AlreadyExists}, {kMkdir, "Missing\\Child", "", winerr::PathNotFound},
      {kCopy, "source.dem", "target.dem", 0}, {kCopy, "source.dem", "fresh.dem", 0},
      {kCopy, "absent.dem", "other.dem", winerr::FileNotFound},
      {kCopy, "source.dem", "taken\\x.dem", winerr::PathNotFound},
      {kMove, "moving.dem", "old.dem", 0}, {kMove, "moving.dem", "old.dem", winerr::FileNotFound},
      {kRemove, "GONE.dem", "", 0}, {kRemove, "gone.dem", "", winerr::FileNotFound},
      {kRemove, "Folder", "", winerr::AccessDenied}, {kRemove, "cd.dem", "", winerr::AccessDenied},
      {kMove, "cd.dem", "elsewhere.dem", winerr::AccessDenied}, {kMove, "source.dem", "cd.dem", winerr::AccessDenied},
      {kCopy, "cd.dem", "copy.dem", 0}, {kRemove, "copy.dem", "", 0}};
  const std::pair<const char*, const char*> contents[] = {
      {"target.dem", "source.dem"}, {"fresh.dem", "source.dem"}, {"old.dem", "moving.dem"},
      {"cd.dem", "from a cd"}, {"moving.dem", nullptr}, {"other.dem", nullptr}, {"gone.dem", nullptr},
      {"copy.dem", nullptr}, {"elsewhere.dem", nullptr}};
  // clang-format on
  for (const auto& [op, from, to, code] : cases) {
    const std::string a = dir + "\\" + from, z = dir + "\\" + to;
    const std::uint32_t got = op == kMkdir  ? fs().MakeFolder(a)
                              : op == kCopy ? fs().Copy(a, z)
                              : op == kMove ? fs().Move(a, z)
                                            : fs().Remove(a);
    EXPECT_EQ(got, static_cast<std::uint32_t>(code)) << op << " " << from << " " << to;
  }
  EXPECT_EQ(fs().FindEntry(dir + "\\new folder").name, "New Folder");
  for (const auto& [name, content] : contents) {  // nullptr: no such file
    std::string bytes;
    const bool read = fs().ReadBytes(dir + "\\" + name, 0, 64, bytes) == 0;
    EXPECT_STREQ(read ? bytes.c_str() : nullptr, content) << name;
  }
}

TEST_F(FileSystemContract, ReadBytesAndFactsSeeFilesOnly) {
  b->PutFile(dir + "\\demo.dem", "0123456789");
  b->PutFolder(dir + "\\Folder");
  // clang-format off
  const std::tuple<std::string, std::uint64_t, std::size_t, std::uint32_t, std::string> cases[] = {
      {"DEMO.dem", 0, 4, 0, "0123"}, {"demo.dem", 6, 100, 0, "6789"}, {"demo.dem", 1u << 20, 4, 0, ""},
      {"absent.dem", 0, 4, 2, ""}, {"No\\absent.dem", 0, 4, 3, ""}, {"Folder", 0, 4, 5, ""}};
  // clang-format on
  for (const auto& [name, offset, count, code, read] : cases) {
    SCOPED_TRACE(name + " @" + std::to_string(offset));
    std::string bytes = "stale";
    EXPECT_EQ(fs().ReadBytes(dir + "\\" + name, offset, count, bytes), code);
    EXPECT_EQ(bytes, read);
    FileFacts facts;
    EXPECT_EQ(fs().Facts(dir + "\\" + name, facts), code);
    EXPECT_EQ(code == 0 ? facts.size : 10u, 10u);
    // The same read among others of the same file, with the file opened once.
    std::vector<std::string> parts;
    EXPECT_EQ(fs().ReadRanges(dir + "\\" + name, {{9, 5}, {offset, count}}, parts), code);
    if (code == 0) {
      EXPECT_EQ(parts, (std::vector<std::string>{"9", read}));
    }
  }
}

// A write creates or replaces the whole file, a folder cannot be written over, and a
// temporary file renamed over another replaces it: the cache's atomic save.
TEST_F(FileSystemContract, WritesCreateOrReplaceWholeFiles) {
  b->PutFolder(dir + "\\Folder");
  const std::string target = dir + "\\cache.bin";
  std::string bytes;
  ASSERT_EQ(fs().WriteFile(target, std::string("long old content\0\xFF", 18)), 0u);
  ASSERT_EQ(fs().ReadBytes(target, 0, 100, bytes), 0u);
  EXPECT_EQ(bytes, std::string("long old content\0\xFF", 18));
  EXPECT_EQ(fs().WriteFile(target, "new"), 0u);
  EXPECT_EQ(fs().ReadBytes(target, 0, 100, bytes), 0u);
  EXPECT_EQ(bytes, "new");
  EXPECT_EQ(fs().WriteFile(target + ".tmp", ""), 0u);
  EXPECT_EQ(fs().Move(target + ".tmp", target), 0u);
  FileFacts facts;
  EXPECT_EQ(fs().Facts(target, facts), 0u);
  EXPECT_EQ(facts.size, 0u);
  EXPECT_EQ(fs().WriteFile(dir + "\\No\\cache.bin", "x"), 3u);
  EXPECT_EQ(fs().WriteFile(dir + "\\Folder", "x"), 5u);
}

// A listing names what a lookup would find, files with their facts, and nothing hidden.
TEST_F(FileSystemContract, ListingsNameFilesWithTheirFactsAndFolders) {
  b->PutFile(dir + "\\Duel \xC3\xA9t\xC3\xA9.dm_68", "12345");
  b->PutFile(dir + "\\hidden.dm_68", "h", {.hidden = true});
  b->PutFolder(dir + "\\Sub");
  b->PutFolder(dir + "\\Secret", {.hidden = true});
  std::vector<FolderEntry> listed(1);  // a listing replaces what was there
  ASSERT_EQ(fs().ListFolder(dir, listed), 0u);
  std::sort(listed.begin(), listed.end(),
            [](const FolderEntry& a, const FolderEntry& z) { return a.name < z.name; });
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].name, "Duel \xC3\xA9t\xC3\xA9.dm_68");
  EXPECT_FALSE(listed[0].folder);
  EXPECT_EQ(listed[0].facts.size, 5u);
  FileFacts facts;
  ASSERT_EQ(fs().Facts(dir + "\\" + listed[0].name, facts), 0u);
  EXPECT_EQ(listed[0].facts.writeTime, facts.writeTime);
  EXPECT_EQ(listed[1].name, "Sub");
  EXPECT_TRUE(listed[1].folder);
  EXPECT_FALSE(listed[1].link);

  EXPECT_EQ(fs().ListFolder(dir + "\\Missing", listed), std::uint32_t{winerr::FileNotFound});
  EXPECT_TRUE(listed.empty());
  EXPECT_EQ(fs().ListFolder(dir + "\\hidden.dm_68", listed),
            std::uint32_t{winerr::DirectoryName});
}

// Past the classic 259 characters every call works, whatever the system's long-path setting;
// only a name longer than any file system takes is too long for Windows.
TEST_F(FileSystemContract, LongPathsWorkAndOverlongNamesDoNot) {
  const std::string demo = dir + "\\demo.dm_66";
  b->PutFile(demo, "demo bytes");
  std::string deep = dir;
  while (deep.size() < 300) ASSERT_EQ(fs().MakeFolder(deep += "\\A Folder Of Demos Below"), 0u);
  ASSERT_EQ(fs().Copy(demo, deep + "\\Demo.dm_66"), 0u);
  EXPECT_EQ(fs().FindFile(deep + "\\demo.*").name, "Demo.dm_66");
  EXPECT_EQ(fs().FindEntry(deep).name, "A Folder Of Demos Below");
  FileFacts facts;
  EXPECT_EQ(fs().Facts(deep + "\\Demo.dm_66", facts), 0u);
  std::string bytes;
  EXPECT_EQ(fs().ReadBytes(deep + "\\Demo.dm_66", 5, 9, bytes), 0u);
  EXPECT_EQ(bytes, "bytes");
  EXPECT_EQ(fs().Move(deep + "\\Demo.dm_66", deep + "\\Moved.dm_66"), 0u);
  EXPECT_EQ(fs().Remove(deep + "\\moved.dm_66"), 0u);
  EXPECT_EQ(fs().FindFile(deep + "\\*").status, FindStatus::NotFound);
  std::vector<FolderEntry> listed;
  EXPECT_EQ(fs().ListFolder(deep, listed), 0u);
  EXPECT_TRUE(listed.empty());

  const std::string overlong = deep + "\\" + std::string(256, 'n');
  const auto tooLong = static_cast<std::uint32_t>(winerr::FilenameTooLong);
  EXPECT_EQ(fs().FindEntry(overlong).error, tooLong);
  EXPECT_EQ(fs().MakeFolder(overlong), tooLong);
  EXPECT_EQ(fs().Copy(demo, overlong), tooLong);
  EXPECT_EQ(fs().Move(overlong, demo), tooLong);
}

}  // namespace
}  // namespace rd::contract
