#include <string>

#include "platform/ports/WinErrors.h"
#include "tests/contract/ContractTest.h"

namespace rd::contract {
namespace {

class FileSystemContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    dir = b->ScratchFolder();
  }
  FileSystem& fs() { return b->files(); }

  static void ExpectFound(const FindResult& r, const std::string& name) {
    EXPECT_EQ(r.status, FindStatus::Found) << "error " << r.error;
    EXPECT_EQ(r.name, name);
  }
  static void ExpectMiss(const FindResult& r) {
    EXPECT_EQ(r.status, FindStatus::NotFound) << r.name << " error " << r.error;
  }

  std::string dir;
};

TEST_F(FileSystemContract, FindFileAnswersTheNameAsStoredWithoutItsFolder) {
  b->PutFile(dir + "\\Demo One.DEM", "data");
  ExpectFound(fs().FindFile(dir + "\\demo one.dem"), "Demo One.DEM");
  ExpectFound(fs().FindFile(dir + "\\*.dem"), "Demo One.DEM");
  ExpectFound(fs().FindFile(dir + "\\Demo ???.dem"), "Demo One.DEM");
  ExpectFound(fs().FindEntry(dir + "\\DEMO ONE.dem"), "Demo One.DEM");
  ExpectMiss(fs().FindFile(dir + "\\*.dm_66"));
  ExpectMiss(fs().FindFile(dir + "\\Demo ?.dem"));
  ExpectMiss(fs().FindFile(dir + "\\Demo One"));
}

TEST_F(FileSystemContract, FindFilePassesOverFoldersHiddenAndSystemEntries) {
  b->PutFolder(dir + "\\folder.dem");
  b->PutFile(dir + "\\hidden.dem", "h", {.hidden = true});
  b->PutFile(dir + "\\system.dem", "s", {.system = true});
  ExpectMiss(fs().FindFile(dir + "\\*.dem"));
  ExpectMiss(fs().FindFile(dir + "\\hidden.dem"));
  ExpectMiss(fs().FindFile(dir + "\\system.dem"));
  ExpectMiss(fs().FindFile(dir + "\\folder.dem"));

  b->PutFile(dir + "\\plain.dem", "p", {.readOnly = true});  // read-only still counts
  ExpectFound(fs().FindFile(dir + "\\*.dem"), "plain.dem");
}

TEST_F(FileSystemContract, FindEntryCountsFoldersButNotDotsHiddenOrSystem) {
  ExpectMiss(fs().FindEntry(dir + "\\*"));  // only "." and ".." are listed
  b->PutFolder(dir + "\\Hidden Folder", {.hidden = true});
  b->PutFile(dir + "\\system.txt", "", {.system = true});
  ExpectMiss(fs().FindEntry(dir + "\\*"));
  b->PutFolder(dir + "\\Sub Folder");
  ExpectFound(fs().FindEntry(dir + "\\*"), "Sub Folder");
  ExpectFound(fs().FindEntry(dir + "\\sub folder"), "Sub Folder");
  ExpectMiss(fs().FindFile(dir + "\\sub folder"));
}

TEST_F(FileSystemContract, ShortNamesAreFoundUnderTheirLongNames) {
  const std::string shortFile = b->PutWithShortName(dir + "\\A Long Demo Name.dm_66", false);
  ASSERT_FALSE(shortFile.empty());
  ASSERT_NE(shortFile, "A Long Demo Name.dm_66");
  ExpectFound(fs().FindFile(dir + "\\" + shortFile), "A Long Demo Name.dm_66");
  ExpectFound(fs().FindEntry(dir + "\\" + shortFile), "A Long Demo Name.dm_66");

  const std::string shortFolder = b->PutWithShortName(dir + "\\Quite Long Folder", true);
  ASSERT_FALSE(shortFolder.empty());
  b->PutFile(dir + "\\Quite Long Folder\\inner.txt", "i");
  ExpectFound(fs().FindEntry(dir + "\\" + shortFolder), "Quite Long Folder");
  ExpectFound(fs().FindEntry(dir + "\\" + shortFolder + "\\INNER.TXT"), "inner.txt");
}

TEST_F(FileSystemContract, UnexaminablePathsAreErrorsNotMisses) {
  b->PutFile(dir + "\\demo.dem", "d");
  ExpectMiss(fs().FindFile(""));
  ExpectMiss(fs().FindEntry(""));
  ExpectMiss(fs().FindFile(dir + "\\missing.dem"));
  ExpectMiss(fs().FindFile(dir + "\\No Folder\\missing.dem"));
  ExpectMiss(fs().FindEntry(dir + "\\No Folder\\Deeper\\missing.dem"));
  ExpectMiss(fs().FindFile(b->MissingDrive() + "\\demo.dem"));
  ExpectMiss(fs().FindEntry(b->MissingDrive()));
  ExpectMiss(fs().FindEntry("\\\\nohost\\share\\demo.dem"));
  ExpectMiss(fs().FindEntry("demo.dem"));

  // The last component is a mask: characters no name can hold there just match nothing.
  ExpectMiss(fs().FindFile(dir + "\\bad\"name.dem"));
  ExpectMiss(fs().FindFile(dir + "\\bad|name.dem"));
  ExpectMiss(fs().FindEntry(dir + "\\demo.dem\\"));
  ExpectMiss(fs().FindEntry(dir + "\\demo<"));

  // In a folder on the way they make the path unexaminable.
  for (const std::string& bad :
       {"\"" + dir + "\\demo.dem\"", "\"" + dir + "\\demo.dem", dir + "\\bad\"dir\\demo.dem", dir + "\\bad|dir\\demo.dem",
        dir + "\\*\\demo.dem"}) {
    const FindResult r = fs().FindEntry(bad);
    EXPECT_EQ(r.status, FindStatus::Error) << bad;
    EXPECT_EQ(r.error, static_cast<std::uint32_t>(winerr::InvalidName)) << bad;
    EXPECT_EQ(fs().FindFile(bad).status, FindStatus::Error) << bad;
  }
}

TEST_F(FileSystemContract, TrailingDotsAndSpacesOfANameAreDropped) {
  b->PutFile(dir + "\\demo.dem", "d");
  ExpectFound(fs().FindFile(dir + "\\demo.dem."), "demo.dem");
  ExpectFound(fs().FindFile(dir + "\\demo.dem  "), "demo.dem");
  ExpectMiss(fs().FindFile(dir + "\\ demo.dem"));
}

TEST_F(FileSystemContract, MakeFolderCreatesOneLevel) {
  EXPECT_EQ(fs().MakeFolder(dir + "\\New Folder"), 0u);
  ExpectFound(fs().FindEntry(dir + "\\new folder"), "New Folder");
  EXPECT_EQ(fs().MakeFolder(dir + "\\NEW FOLDER"), static_cast<std::uint32_t>(winerr::AlreadyExists));
  EXPECT_EQ(fs().MakeFolder(dir + "\\Missing\\Child"),
            static_cast<std::uint32_t>(winerr::PathNotFound));
  ExpectMiss(fs().FindEntry(dir + "\\Missing"));
  b->PutFile(dir + "\\taken", "f");
  EXPECT_EQ(fs().MakeFolder(dir + "\\taken"), static_cast<std::uint32_t>(winerr::AlreadyExists));
}

TEST_F(FileSystemContract, CopyAndMoveReplaceTheDestination) {
  b->PutFile(dir + "\\source.dem", "new data");
  b->PutFile(dir + "\\target.dem", "old data that is longer");
  EXPECT_EQ(fs().Copy(dir + "\\source.dem", dir + "\\target.dem"), 0u);
  EXPECT_EQ(b->Content(dir + "\\target.dem"), "new data");
  EXPECT_EQ(b->Content(dir + "\\source.dem"), "new data");
  EXPECT_EQ(fs().Copy(dir + "\\source.dem", dir + "\\fresh.dem"), 0u);
  EXPECT_EQ(b->Content(dir + "\\fresh.dem"), "new data");
  EXPECT_EQ(fs().Copy(dir + "\\absent.dem", dir + "\\other.dem"),
            static_cast<std::uint32_t>(winerr::FileNotFound));
  ExpectMiss(fs().FindFile(dir + "\\other.dem"));

  b->PutFile(dir + "\\moving.dem", "moved");
  EXPECT_EQ(fs().Move(dir + "\\moving.dem", dir + "\\target.dem"), 0u);
  EXPECT_EQ(b->Content(dir + "\\target.dem"), "moved");
  ExpectMiss(fs().FindFile(dir + "\\moving.dem"));
  EXPECT_EQ(fs().Move(dir + "\\moving.dem", dir + "\\target.dem"),
            static_cast<std::uint32_t>(winerr::FileNotFound));
}

TEST_F(FileSystemContract, ReadOnlyFilesAreNotReplacedOrRemoved) {
  b->PutFile(dir + "\\source.dem", "new");
  b->PutFile(dir + "\\locked.dem", "old", {.readOnly = true});
  EXPECT_EQ(fs().Remove(dir + "\\locked.dem"), static_cast<std::uint32_t>(winerr::AccessDenied));
  EXPECT_EQ(b->Content(dir + "\\locked.dem"), "old");
  if (!b->ReadOnlyIsProtected()) GTEST_SKIP() << "read-only files are writable for this user";
  EXPECT_EQ(fs().Copy(dir + "\\source.dem", dir + "\\locked.dem"),
            static_cast<std::uint32_t>(winerr::AccessDenied));
  EXPECT_EQ(b->Content(dir + "\\locked.dem"), "old");
}

TEST_F(FileSystemContract, RemoveDeletesFilesOnly) {
  b->PutFile(dir + "\\gone.dem", "x");
  EXPECT_EQ(fs().Remove(dir + "\\GONE.dem"), 0u);
  ExpectMiss(fs().FindFile(dir + "\\gone.dem"));
  EXPECT_EQ(fs().Remove(dir + "\\gone.dem"), static_cast<std::uint32_t>(winerr::FileNotFound));
  b->PutFolder(dir + "\\Folder");
  EXPECT_EQ(fs().Remove(dir + "\\Folder"), static_cast<std::uint32_t>(winerr::AccessDenied));
}

}  // namespace
}  // namespace rd::contract
