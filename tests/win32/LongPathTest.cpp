#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "win32/Win32Ports.h"
#include "tests/e2e/Driver.h"
#include "util/Text.h"
#include "util/PathHelpers.h"

namespace {

class LongPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    char longTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    ASSERT_GT(GetLongPathNameA(temp, longTemp, MAX_PATH), 0u);
    folder = longTemp + tail.substr(1, tail.find_last_of('\\') - 1);
    file = longTemp + tail.substr(1);
    ASSERT_TRUE(e2e::MakeFolders(folder));
    ASSERT_TRUE(e2e::WriteBytes(file, ""));
  }
  void TearDown() override { e2e::DeleteTree(folder); }

  const std::string tail = "\\Replaydock Long Folder " + std::to_string(GetCurrentProcessId()) +
                           "\\A Long Demo File.dm_66";
  rd::win32::Win32Platform platform;
  std::string folder, file;
};

TEST_F(LongPathTest, ShortPathsComeBackLongAndProperCased) {
  char shortPath[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(file.c_str(), shortPath, MAX_PATH), 0u);
  const std::string shortText = shortPath;
  for (const char* name : {"Long Folder", "Long Demo"})
    ASSERT_EQ(shortText.find(name), std::string::npos) << "8.3 names are off here: " << shortText;

  // The folders above the test's own keep whatever case the system gives them.
  for (const std::string& input : {shortText, rd::util::ToLower(shortText)}) {
    const std::string result = rd::PathHelpers::GetLongPath(platform.ports, input);
    EXPECT_TRUE(rd::util::EqualsNoCase(result, file)) << input << " -> " << result;
    EXPECT_EQ(result.substr(0, 2), rd::util::ToUpper(file.substr(0, 2))) << result;
    EXPECT_EQ(result.substr(result.size() - std::min(result.size(), tail.size())), tail) << result;
  }
}

TEST_F(LongPathTest, PathsThatCannotBeLookedUpComeBackUnchanged) {
  for (const std::string& path : {folder + "\\missing\\nothing.dem", "\"" + file + "\""})
    EXPECT_EQ(rd::PathHelpers::GetLongPath(platform.ports, path), path);
}

}  // namespace
