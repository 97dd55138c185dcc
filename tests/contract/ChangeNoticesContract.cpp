#include <memory>
#include <string>

#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

// A file written three folders down is told to a watch of the whole tree, on the window's
// thread; a missing folder cannot be watched. The folders are made after the watch began:
// Wine's notices follow a tree's new folders.
TEST_F(ContractTest, AWatchTellsOfAFileWrittenDeepBelowIt) {
  ChangeNotices& notices = b->ports().notices;
  EXPECT_EQ(notices.WatchFolder(b->folder + "\\missing", true, [] {}), nullptr);
  int told = 0;
  const std::unique_ptr<Watch> watch = notices.WatchFolder(b->folder, true, [&] { ++told; });
  ASSERT_NE(watch, nullptr);
  for (const char* folder : {"\\a", "\\a\\b", "\\a\\b\\c"}) b->PutFolder(b->folder + folder);
  ASSERT_TRUE(b->PumpUntil([&] { return told > 0; }));
  told = 0;
  b->PutFile(b->folder + "\\a\\b\\c\\new.dm_68", "demo");
  EXPECT_TRUE(b->PumpUntil([&] { return told > 0; }));
  int top = 0;
  const std::unique_ptr<Watch> topOnly = notices.WatchFolder(b->folder, false, [&] { ++top; });
  ASSERT_NE(topOnly, nullptr);
  b->PutFile(b->folder + "\\added.dem", "demo");
  EXPECT_TRUE(b->PumpUntil([&] { return top > 0; }));
}

}  // namespace
}  // namespace rd::contract
