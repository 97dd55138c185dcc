#include <windows.h>

#include <gtest/gtest.h>

// The test binaries really run on Windows (or Wine), with the UTF-8 code page they need.
TEST(Win32Smoke, RunsUnderWindows) {
  char folder[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(folder, MAX_PATH), 0u);
  EXPECT_NE(GetFileAttributesA(folder), INVALID_FILE_ATTRIBUTES);
}
