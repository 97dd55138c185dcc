#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/Win32Ports.h"
#include "settings/modRegistry.h"

namespace {

// Runs a console program and answers what it wrote to its standard output.
std::string RunAndCapture(std::string commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  std::string output;
  if (started) {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) output.append(buffer, n);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(readEnd);
  return output;
}

struct RegLine {
  std::string type;
  std::string data;
};

// The line of `reg query /v name` for the value: "    name    REG_TYPE    data".
RegLine Query(const std::string& key, const std::string& name) {
  const std::string output =
      RunAndCapture("reg.exe query \"HKCU\\" + key + "\" /v " + name);
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string first, type, data;
    if (words >> first >> type && first == name && type.rfind("REG_", 0) == 0) {
      words >> data;
      return {type, data};
    }
  }
  ADD_FAILURE() << "reg query printed no line for " << name << ":\n" << output;
  return {};
}

class RegQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key = "Software\\Replaydock Win32 Tests\\Run " + std::to_string(GetCurrentProcessId());
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Replaydock Win32 Tests");
  }

  rd::win32::Win32Platform platform;
  std::string key;
};

TEST_F(RegQueryTest, WrittenValuesHaveTheByteFormatsWindowsReports) {
  using rd::modRegistry::WriteValue;
  ASSERT_EQ(WriteValue(platform.ports, "HKCU", key, "S", "S", rd::SettingValue("abc")), 0);
  ASSERT_EQ(WriteValue(platform.ports, "hkcu", key, "D", "D", rd::SettingValue(640)), 0);
  ASSERT_EQ(WriteValue(platform.ports, "HKCU", key, "M", "d", rd::SettingValue(-1)), 0);
  ASSERT_EQ(WriteValue(platform.ports, "HKCU", key, "B", "B", rd::SettingValue(true)), 0);
  ASSERT_EQ(WriteValue(platform.ports, "HKCU", key, "F", "B", rd::SettingValue(false)), 0);

  const RegLine s = Query(key, "S");
  EXPECT_EQ(s.type, "REG_SZ");
  EXPECT_EQ(s.data, "abc");
  const RegLine d = Query(key, "D");
  EXPECT_EQ(d.type, "REG_DWORD");
  EXPECT_EQ(d.data, "0x280");
  const RegLine m = Query(key, "M");
  EXPECT_EQ(m.type, "REG_DWORD");
  EXPECT_EQ(m.data, "0xffffffff");
  const RegLine b = Query(key, "B");
  EXPECT_EQ(b.type, "REG_BINARY");
  EXPECT_EQ(b.data, "FFFF");
  const RegLine f = Query(key, "F");
  EXPECT_EQ(f.type, "REG_BINARY");
  EXPECT_EQ(f.data, "0000");
}

TEST_F(RegQueryTest, WhatWindowsStoresReadsBackThroughTheStore) {
  const std::string command = "reg.exe add \"HKCU\\" + key + "\" /v Text /t REG_SZ /d \"a b\" /f";
  RunAndCapture(command);
  ASSERT_EQ(Query(key, "Text").type, "REG_SZ");
  rd::SettingValue read;
  EXPECT_EQ(rd::modRegistry::ReadValue(platform.ports, "HKCU", key, "Text", "S",
                                       rd::SettingValue("none"), read),
            0);
  EXPECT_EQ(read, rd::SettingValue("a b"));
}

}  // namespace
