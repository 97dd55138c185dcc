#include <string>

#include "ports/WinErrors.h"
#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

using Limits = ContractTest;

// Past the classic 259 characters every call works, whatever the system's long-path setting;
// only a name longer than any file system takes is too long for Windows. Read-only files are
// neither moved nor moved over (Wine would do both).
TEST_F(Limits, LongPathsWorkOverlongNamesDoNotAndReadOnlyFilesStay) {
  FileSystem& fs = b->ports().files;
  std::string dir = b->folder;
  b->PutFile(dir + "\\demo.dm_66", "demo bytes");
  b->PutFile(dir + "\\locked.dem", "old", {.readOnly = true});
  const auto denied = static_cast<std::uint32_t>(winerr::AccessDenied);
  EXPECT_EQ(fs.Move(dir + "\\locked.dem", dir + "\\elsewhere.dem"), denied);
  EXPECT_EQ(fs.Move(dir + "\\demo.dm_66", dir + "\\locked.dem"), denied);
  EXPECT_EQ(b->Content(dir + "\\locked.dem"), "old");

  const std::string demo = dir + "\\demo.dm_66";
  while (dir.size() < 300) ASSERT_EQ(fs.MakeFolder(dir += "\\A Folder Of Demos Below"), 0u);
  ASSERT_EQ(fs.Copy(demo, dir + "\\Demo.dm_66"), 0u);
  EXPECT_EQ(fs.FindFile(dir + "\\demo.*").name, "Demo.dm_66");
  EXPECT_EQ(fs.FindEntry(dir).name, "A Folder Of Demos Below");
  FileFacts facts;
  EXPECT_EQ(fs.Facts(dir + "\\Demo.dm_66", facts), 0u);
  std::string bytes;
  EXPECT_EQ(fs.ReadBytes(dir + "\\Demo.dm_66", 5, 9, bytes), 0u);
  EXPECT_EQ(bytes, "bytes");
  EXPECT_EQ(fs.Move(dir + "\\Demo.dm_66", dir + "\\Moved.dm_66"), 0u);
  EXPECT_EQ(fs.Remove(dir + "\\moved.dm_66"), 0u);
  EXPECT_EQ(fs.FindFile(dir + "\\*").status, FindStatus::NotFound);

  const std::string overlong = dir + "\\" + std::string(256, 'n');
  const auto tooLong = static_cast<std::uint32_t>(winerr::FilenameTooLong);
  EXPECT_EQ(fs.FindEntry(overlong).error, tooLong);
  EXPECT_EQ(fs.MakeFolder(overlong), tooLong);
  EXPECT_EQ(fs.Copy(demo, overlong), tooLong);
  EXPECT_EQ(fs.Move(overlong, demo), tooLong);
}

}  // namespace
}  // namespace rd::contract
