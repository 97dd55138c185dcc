#include <string>

#include "ports/WinErrors.h"
#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

constexpr auto kTooLong = static_cast<std::uint32_t>(winerr::FilenameTooLong);

class FileSystemLimitsContract : public ContractTest {
 protected:
  FileSystem& fs() { return b->ports().files; }

  const std::string dir = b->ScratchFolder();
};

// Past the classic 259 characters every call works, whatever the system's long-path setting;
// only a name longer than any file system takes is too long for Windows.
TEST_F(FileSystemLimitsContract, LongPathsWorkAndOnlyOverlongNamesAreTooLong) {
  b->PutFile(dir + "\\demo.dm_66", "demo bytes");
  std::string folder = dir;
  while (folder.size() < 300) {
    folder += "\\A Folder Of Demos Far Below The Drive";
    ASSERT_EQ(fs().MakeFolder(folder), 0u) << folder.size();
  }
  const std::string file = folder + "\\Demo.dm_66";
  ASSERT_EQ(fs().Copy(dir + "\\demo.dm_66", file), 0u);
  EXPECT_EQ(fs().FindFile(folder + "\\demo.*").name, "Demo.dm_66");
  EXPECT_EQ(fs().FindEntry(folder).name, "A Folder Of Demos Far Below The Drive");
  FileFacts facts;
  EXPECT_EQ(fs().Facts(file, facts), 0u);
  EXPECT_EQ(facts.size, 10u);
  std::string bytes;
  EXPECT_EQ(fs().ReadBytes(file, 5, 9, bytes), 0u);
  EXPECT_EQ(bytes, "bytes");
  EXPECT_EQ(fs().Move(file, folder + "\\Moved.dm_66"), 0u);
  EXPECT_EQ(fs().Remove(folder + "\\moved.dm_66"), 0u);
  EXPECT_EQ(fs().FindFile(folder + "\\*").status, FindStatus::NotFound);

  const std::string overlong = dir + "\\" + std::string(256, 'n');
  const FindResult found = fs().FindEntry(overlong);
  EXPECT_EQ(found.status, FindStatus::Error);
  EXPECT_EQ(found.error, kTooLong);
  EXPECT_EQ(fs().MakeFolder(overlong), kTooLong);
  EXPECT_EQ(fs().Copy(dir + "\\demo.dm_66", overlong), kTooLong);
  EXPECT_EQ(fs().Move(overlong, dir + "\\x"), kTooLong);
  EXPECT_EQ(fs().Remove(overlong + "\\x"), kTooLong);
  EXPECT_EQ(fs().Facts(overlong, facts), kTooLong);
}

// Wine would rename over a read-only file, and either system would move one away.
TEST_F(FileSystemLimitsContract, ReadOnlyFilesAreNotMovedNorMovedOver) {
  b->PutFile(dir + "\\locked.dem", "old", {.readOnly = true});
  b->PutFile(dir + "\\new.dem", "new");
  const auto denied = static_cast<std::uint32_t>(winerr::AccessDenied);
  EXPECT_EQ(fs().Move(dir + "\\locked.dem", dir + "\\elsewhere.dem"), denied);
  EXPECT_EQ(fs().Move(dir + "\\new.dem", dir + "\\locked.dem"), denied);
  ASSERT_EQ(fs().Copy(dir + "\\new.dem", dir + "\\copy.dem"), 0u);
  EXPECT_EQ(fs().Move(dir + "\\copy.dem", dir + "\\locked.dem"), denied);  // the copy just made
  EXPECT_EQ(b->Content(dir + "\\locked.dem"), "old");
  EXPECT_EQ(b->Content(dir + "\\new.dem"), "new");
}

}  // namespace
}  // namespace rd::contract
