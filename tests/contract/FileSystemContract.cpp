#include <string>
#include <vector>

#include "ports/WinErrors.h"
#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

constexpr std::uint32_t Code(std::int32_t code) { return static_cast<std::uint32_t>(code); }

class FileSystemContract : public ContractTest {
 protected:
  FileSystem& fs() { return b->ports().files; }

  const std::string dir = b->ScratchFolder();
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

  const std::string missing = b->MissingDrive();
  enum Which { kFile = 1, kEntry = 2, kBoth = 3 };
  struct Case {
    int which;
    std::string pattern;
    std::string found;  // empty: none; "!": the path is no valid name
  };
  const Case cases[] = {
      {kBoth, dir + "\\demo one.dem", "Demo One.DEM"},
      {kFile, dir + "\\Demo ???.dem", "Demo One.DEM"},
      {kFile, dir + "\\Demo ?.dem", ""},
      {kFile, dir + "\\Demo One", ""},
      {kFile, dir + "\\Skip\\*.dem", "plain.dem"},
      {kFile, dir + "\\Skip\\a system.dem", ""},
      {kFile, dir + "\\Skip\\folder.dem", ""},
      {kFile, dir + "\\Skip\\hidden.dem", ""},
      {kEntry, dir + "\\Empty\\*", ""},  // only "." and ".." are listed
      {kEntry, dir + "\\Entries\\*", "Sub Folder"},
      {kEntry, dir + "\\ENTRIES\\sub folder", "Sub Folder"},
      // Trailing dots and spaces of a name are dropped.
      {kFile, dir + "\\Demo One.DEM.", "Demo One.DEM"},
      {kFile, dir + "\\Demo One.DEM  ", "Demo One.DEM"},
      {kFile, dir + "\\ Demo One.DEM", ""},
      // Missing and unexaminable places are misses, not errors.
      {kBoth, "", ""},
      {kBoth, dir + "\\No Folder\\Deeper\\missing.dem", ""},
      {kFile, missing + "\\demo.dem", ""},
      {kEntry, missing, ""},
      {kEntry, "\\\\nohost\\share\\demo.dem", ""},
      {kEntry, "demo.dem", ""},
      // The last component is a mask: characters no name can hold there just match nothing.
      {kFile, dir + "\\bad\"name.dem", ""},
      {kFile, dir + "\\bad|name.dem", ""},
      {kEntry, dir + "\\Demo One.DEM\\", ""},
      {kEntry, dir + "\\demo<", ""},
      // In a folder on the way they make the path unexaminable.
      {kBoth, "\"" + dir + "\\demo.dem\"", "!"},
      {kBoth, "\"" + dir + "\\demo.dem", "!"},
      {kBoth, dir + "\\bad\"dir\\demo.dem", "!"},
      {kBoth, dir + "\\bad|dir\\demo.dem", "!"},
      {kBoth, dir + "\\*\\demo.dem", "!"},
  };
  for (const Case& c : cases) {
    const std::string& pattern = c.pattern;
    for (const int which : {kFile, kEntry}) {
      if (!(c.which & which)) continue;
      SCOPED_TRACE((which == kFile ? "FindFile " : "FindEntry ") + pattern);
      const FindResult r = which == kFile ? fs().FindFile(pattern) : fs().FindEntry(pattern);
      const FindStatus status = c.found.empty()  ? FindStatus::NotFound
                                : c.found == "!" ? FindStatus::Error
                                                 : FindStatus::Found;
      EXPECT_EQ(r.status, status);
      EXPECT_EQ(r.name, status == FindStatus::Found ? c.found : "");
      EXPECT_EQ(r.error, status == FindStatus::Error ? Code(winerr::InvalidName) : 0u);
    }
  }
}

TEST_F(FileSystemContract, ShortNamesAreFoundUnderTheirLongNames) {
  const std::string shortFile = b->PutWithShortName(dir + "\\A Long Demo Name.dm_66", false);
  ASSERT_FALSE(shortFile.empty());
  ASSERT_NE(shortFile, "A Long Demo Name.dm_66");
  EXPECT_EQ(fs().FindFile(dir + "\\" + shortFile).name, "A Long Demo Name.dm_66");
  EXPECT_EQ(fs().FindEntry(dir + "\\" + shortFile).name, "A Long Demo Name.dm_66");

  const std::string shortFolder = b->PutWithShortName(dir + "\\Quite Long Folder", true);
  ASSERT_FALSE(shortFolder.empty());
  b->PutFile(dir + "\\Quite Long Folder\\inner.txt", "i");
  EXPECT_EQ(fs().FindEntry(dir + "\\" + shortFolder).name, "Quite Long Folder");
  EXPECT_EQ(fs().FindEntry(dir + "\\" + shortFolder + "\\INNER.TXT").name, "inner.txt");
}

TEST_F(FileSystemContract, MakeFolderCreatesOneLevel) {
  b->PutFile(dir + "\\taken", "f");
  EXPECT_EQ(fs().MakeFolder(dir + "\\New Folder"), 0u);
  EXPECT_EQ(fs().FindEntry(dir + "\\new folder").name, "New Folder");
  EXPECT_EQ(fs().MakeFolder(dir + "\\NEW FOLDER"), Code(winerr::AlreadyExists));
  EXPECT_EQ(fs().MakeFolder(dir + "\\taken"), Code(winerr::AlreadyExists));
  EXPECT_EQ(fs().MakeFolder(dir + "\\Missing\\Child"), Code(winerr::PathNotFound));
  EXPECT_EQ(fs().FindEntry(dir + "\\Missing").status, FindStatus::NotFound);
}

TEST_F(FileSystemContract, CopyMoveAndRemoveReplaceOrDeleteFilesOnly) {
  b->PutFile(dir + "\\source.dem", "new data");
  b->PutFile(dir + "\\target.dem", "old data that is longer");
  b->PutFile(dir + "\\moving.dem", "moved");
  b->PutFile(dir + "\\old.dem", "old");
  b->PutFile(dir + "\\gone.dem", "x");
  b->PutFolder(dir + "\\Folder");
  EXPECT_EQ(fs().Copy(dir + "\\source.dem", dir + "\\target.dem"), 0u);
  EXPECT_EQ(fs().Copy(dir + "\\source.dem", dir + "\\fresh.dem"), 0u);
  EXPECT_EQ(fs().Copy(dir + "\\absent.dem", dir + "\\other.dem"), Code(winerr::FileNotFound));
  EXPECT_EQ(fs().Move(dir + "\\moving.dem", dir + "\\old.dem"), 0u);
  EXPECT_EQ(fs().Move(dir + "\\moving.dem", dir + "\\old.dem"), Code(winerr::FileNotFound));
  EXPECT_EQ(fs().Remove(dir + "\\GONE.dem"), 0u);
  EXPECT_EQ(fs().Remove(dir + "\\gone.dem"), Code(winerr::FileNotFound));
  EXPECT_EQ(fs().Remove(dir + "\\Folder"), Code(winerr::AccessDenied));
  const std::pair<const char*, const char*> contents[] = {
      {"source.dem", "new data"}, {"target.dem", "new data"}, {"fresh.dem", "new data"},
      {"old.dem", "moved"},       {"moving.dem", nullptr},    {"other.dem", nullptr},
      {"gone.dem", nullptr}};
  for (const auto& [name, content] : contents) {
    const std::string path = dir + "\\" + name;
    EXPECT_EQ(b->Content(path), content ? std::optional<std::string>(content) : std::nullopt);
  }
}

TEST_F(FileSystemContract, ReadOnlyFilesAreNotReplacedOrRemoved) {
  b->PutFile(dir + "\\source.dem", "new");
  b->PutFile(dir + "\\locked.dem", "old", {.readOnly = true});
  EXPECT_EQ(fs().Remove(dir + "\\locked.dem"), Code(winerr::AccessDenied));
  EXPECT_EQ(b->Content(dir + "\\locked.dem"), "old");
  if (!b->ReadOnlyIsProtected()) GTEST_SKIP() << "read-only files are writable for this user";
  EXPECT_EQ(fs().Copy(dir + "\\source.dem", dir + "\\locked.dem"), Code(winerr::AccessDenied));
  EXPECT_EQ(b->Content(dir + "\\locked.dem"), "old");
}

// A demo taken from a CD is read-only; its staged copy must not be, or the next launch
// could neither replace nor remove it.
TEST_F(FileSystemContract, ACopyOfAReadOnlyFileIsAnOrdinaryFile) {
  b->PutFile(dir + "\\cd.dem", "from a cd", {.readOnly = true});
  ASSERT_EQ(fs().Copy(dir + "\\cd.dem", dir + "\\copy.dem"), 0u);
  EXPECT_EQ(fs().Remove(dir + "\\copy.dem"), 0u);
  EXPECT_EQ(b->Content(dir + "\\copy.dem"), std::nullopt);
  EXPECT_EQ(b->Content(dir + "\\cd.dem"), "from a cd");
}

TEST_F(FileSystemContract, ReadBytesAndFactsSeeFilesOnly) {
  b->PutFile(dir + "\\demo.dem", "0123456789");
  b->PutFolder(dir + "\\Folder");
  struct Case {
    std::string path;
    std::uint64_t offset;
    std::size_t count;
    std::uint32_t code;
    std::string bytes;
  };
  const Case cases[] = {
      {dir + "\\DEMO.dem", 0, 4, 0, "0123"},    {dir + "\\demo.dem", 6, 100, 0, "6789"},
      {dir + "\\demo.dem", 10, 4, 0, ""},       {dir + "\\demo.dem", 1u << 20, 4, 0, ""},
      {dir + "\\absent.dem", 0, 4, 2, ""},      {dir + "\\No\\absent.dem", 0, 4, 3, ""},
      {dir + "\\Folder", 0, 4, Code(winerr::AccessDenied), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " @" + std::to_string(c.offset));
    std::string bytes = "stale";
    EXPECT_EQ(fs().ReadBytes(c.path, c.offset, c.count, bytes), c.code);
    EXPECT_EQ(bytes, c.bytes);
    FileFacts facts;
    EXPECT_EQ(fs().Facts(c.path, facts), c.code);
    if (c.code == 0) {
      EXPECT_EQ(facts.size, 10u);
    }
  }
}

}  // namespace
}  // namespace rd::contract
