#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win32/Win32Ports.h"
#include "settings/SettingsStore.h"
#include "tests/e2e/Driver.h"

// The registry store against reg.exe: what it writes, Windows reads back in the expected
// formats, and what Windows writes, it reads.
namespace {

class RegQueryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Replaydock Win32 Tests");
  }

  rd::win32::Win32Platform platform;
  const std::string key =
      "Software\\Replaydock Win32 Tests\\Run " + std::to_string(GetCurrentProcessId());
};

TEST_F(RegQueryTest, WrittenValuesHaveTheByteFormatsWindowsReports) {
  const struct {
    const char *root, *name, *type;
    rd::SettingValue value;
    const char *shownType, *shown;
  } cases[] = {
      {"HKCU", "S", "S", rd::SettingValue("abc"), "REG_SZ", "abc"},
      {"hkcu", "D", "D", rd::SettingValue(640), "REG_DWORD", "0x280"},
      {"HKCU", "M", "d", rd::SettingValue(-1), "REG_DWORD", "0xffffffff"},
      {"HKCU", "B", "B", rd::SettingValue(true), "REG_BINARY", "FFFF"},
      {"HKCU", "F", "B", rd::SettingValue(false), "REG_BINARY", "0000"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(rd::SettingsStore::WriteValue(platform.ports, c.root, key, c.name, c.type, c.value), 0)
        << c.name;
    const auto shown = e2e::RegQuery("HKCU\\" + key, c.name);
    ASSERT_TRUE(shown) << "reg query shows no value " << c.name;
    EXPECT_EQ(shown->type + " " + shown->data, std::string(c.shownType) + " " + c.shown) << c.name;
  }
}

TEST_F(RegQueryTest, WhatWindowsStoresReadsBackThroughTheStore) {
  ASSERT_TRUE(e2e::RegAddString("HKCU\\" + key, "Text", "a b"));
  rd::SettingValue read;
  EXPECT_EQ(rd::SettingsStore::ReadValue(platform.ports, "HKCU", key, "Text", "S",
                                       rd::SettingValue("none"), read),
            0);
  EXPECT_EQ(read, rd::SettingValue("a b"));
}

}  // namespace
