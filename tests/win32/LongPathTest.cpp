#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32Ports.h"
#include "util/Text.h"
#include "util/modFunctions.h"

namespace {

class LongPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    char longTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    ASSERT_GT(GetLongPathNameA(temp, longTemp, MAX_PATH), 0u);
    folder = std::string(longTemp) + "Replaydock Long Folder " +
             std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    file = folder + "\\A Long Demo File.dm_66";
    const HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
  }
  void TearDown() override {
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
  }

  rd::win32::Win32Platform platform;
  std::string folder;
  std::string file;
};

TEST_F(LongPathTest, ShortPathsComeBackLongAndProperCased) {
  char shortPath[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(file.c_str(), shortPath, MAX_PATH), 0u);
  const std::string shortText = shortPath;
  ASSERT_EQ(shortText.find("A Long Demo File"), std::string::npos) << shortText;
  ASSERT_EQ(shortText.find("Replaydock Long Folder"), std::string::npos) << shortText;

  const std::string expectedTail =
      "\\Replaydock Long Folder " + std::to_string(GetCurrentProcessId()) +
      "\\A Long Demo File.dm_66";
  for (const std::string& input : {shortText, rd::util::ToLower(shortText)}) {
    const std::string result = rd::modFunctions::GetLongPath(platform.ports, input);
    EXPECT_TRUE(rd::util::EqualsNoCase(result, file)) << input << " -> " << result;
    ASSERT_GE(result.size(), expectedTail.size());
    EXPECT_EQ(result.substr(result.size() - expectedTail.size()), expectedTail) << result;
    EXPECT_EQ(result.substr(0, 2), rd::util::ToUpper(file.substr(0, 2))) << result;
  }
}

TEST_F(LongPathTest, PathsThatCannotBeLookedUpComeBackUnchanged) {
  const std::string missing = folder + "\\missing\\nothing.dem";
  EXPECT_EQ(rd::modFunctions::GetLongPath(platform.ports, missing), missing);
  const std::string quoted = "\"" + file + "\"";
  EXPECT_EQ(rd::modFunctions::GetLongPath(platform.ports, quoted), quoted);
}

}  // namespace
