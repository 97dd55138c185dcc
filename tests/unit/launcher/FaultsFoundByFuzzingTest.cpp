// Inputs the fuzz targets of tests/fuzz found; each is also kept in that target's corpus.
#include <gtest/gtest.h>

#include "tests/fakes/FakePorts.h"
#include "util/PathHelpers.h"

namespace rd {
namespace {

// corpus/fuzz_paths/seed04: a folder path ending in a backslash came back changed, though
// Windows finds nothing for such a name and the path must then stay as it was.
TEST(FoundByFuzzing, LongPathOfAFolderEndingInABackslashIsTheArgument) {
  fakes::FakePlatform fp;
  fp.files.AddFolder("C:\\Demos");
  fp.files.AddFile("C:\\Demos\\match.dem", "x");
  EXPECT_EQ(PathHelpers::GetLongPath(fp.ports, "C:\\Demos\\"), "C:\\Demos\\");
  EXPECT_EQ(PathHelpers::GetLongPath(fp.ports, "c:\\demos\\\\"), "c:\\demos\\\\");
}

// corpus/fuzz_paths/seed10: a name with trailing blanks is found as Windows finds it, without
// them; the long form then spells the name as the file system reports it, not as typed.
TEST(FoundByFuzzing, LongPathDropsTheTrailingBlanksWindowsIgnores) {
  fakes::FakePlatform fp;
  fp.files.AddFile("C:\\Demos\\match.dem", "x");
  EXPECT_EQ(PathHelpers::GetLongPath(fp.ports, "c:\\demos\\match.dem   "), "C:\\Demos\\Match.dem");
  EXPECT_EQ(PathHelpers::GetLongPath(fp.ports, "c:\\demos\\match.dem. ."), "C:\\Demos\\Match.dem");
}

}  // namespace
}  // namespace rd
