#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tests/e2e/Driver.h"
#include "util/PathHelpers.h"
#include "util/Text.h"
#include "win32/DragOut.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Ports.h"

// What the contract suites cannot ask of both sides: Windows' own command-line form, case
// mapping, short names and message loops.
namespace {

TEST(Win32Process, TheProgramNameIsCutFromTheCommandLineAndErrorsWithoutTextGetTheirNumber) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"\"C:\\Program Files\\R\\Replaydock.exe\"  \"C:\\a b.dem\"", "\"C:\\a b.dem\""},
      {"Replaydock.exe C:\\a b.dem ", "C:\\a b.dem "}, {"\"C:\\x y\\r.exe\"C:\\a.dem", "C:\\a.dem"},
      {"r.exe\t\tx", "x"}, {"\"C:\\x y\\r.exe\"", ""}, {"\"unterminated", ""}, {"", ""}};
  // clang-format on
  for (const auto& [line, args] : cases) EXPECT_EQ(rd::win32::ArgumentText(line), args) << line;
  EXPECT_EQ(rd::win32::Win32Process().ErrorText(0xDEAD1234u), "Error 3735884340.");
}

// Proper case maps every script the platform knows the case of; one without case stays.
TEST(Win32Process, ProperCaseMapsEveryScript) {
  rd::win32::Win32Process process;
  EXPECT_EQ(rd::util::ProperCase(process, "αθήνα МОСКВА հայաստան łÓDŹ 東京"),
            "Αθήνα Москва Հայաստան Łódź 東京");
}

TEST(Win32FileSystem, AShortPathComesBackLongAndProperCased) {
  char temp[MAX_PATH] = {}, longTemp[MAX_PATH] = {}, shortPath[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  ASSERT_GT(GetLongPathNameA(temp, longTemp, MAX_PATH), 0u);
  const std::string tail = "Replaydock Long Folder " + std::to_string(GetCurrentProcessId()) +
                           "\\A Long Demo File.dm_66";
  const std::string file = longTemp + tail, folder = e2e::ParentFolder(file);
  ASSERT_TRUE(e2e::MakeFolders(folder) && e2e::WriteBytes(file, ""));
  ASSERT_GT(GetShortPathNameA(file.c_str(), shortPath, MAX_PATH), 0u);
  ASSERT_EQ(std::string(shortPath).find("Long Demo"), std::string::npos) << "8.3 names are off";
  rd::win32::Win32Platform platform;
  const std::string result =
      rd::PathHelpers::GetLongPath(platform.ports, rd::util::ToLower(shortPath));
  EXPECT_TRUE(rd::util::EqualsNoCase(result, file)) << result;
  EXPECT_EQ(result.substr(0, 2) + result.substr(result.size() - tail.size()),
            rd::util::ToUpper(file.substr(0, 2)) + tail);
  e2e::DeleteTree(folder);
}

// A message box runs its own message loop; the thread timer must tick inside it.
TEST(Win32Timer, TicksArriveWhileAMessageBoxIsOpen) {
  rd::win32::Win32Platform platform;
  int ticks = 0;
  const std::string title = "Timer test " + std::to_string(GetCurrentProcessId());
  const rd::TimerId id = platform.timer.Start(10, [&] {
    if (++ticks == 3) PostMessageA(FindWindowA("#32770", title.c_str()), WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(platform.dialogs.ShowMessage("Closes itself", title, rd::mb::OK), rd::answer::OK);
  platform.timer.Stop(id);
  EXPECT_GE(ticks, 3);
}

}  // namespace

namespace {

// The block a drag out offers is the shell's own file list: the shell reads back every path
// as the program's code page spells it (UTF-8 in the program, whatever it is here).
TEST(DragOut, TheFileListIsTheShellsOwn) {
  const std::vector<std::string> paths = {"C:\\Demos\\final.dm_68",
                                          "D:\\\xE5\xA4\xA7\xE4\xBC\x9A\\duel \xC3\xA9t\xC3\xA9.dem"};
  const HGLOBAL block = rd::win32::FileListBlock(paths);
  ASSERT_NE(block, nullptr);
  using QueryFn = UINT(WINAPI*)(HDROP, UINT, LPWSTR, UINT);
  const auto query = rd::win32::SystemFunction<QueryFn>("shell32.dll", "DragQueryFileW");
  ASSERT_NE(query, nullptr);
  const auto drop = static_cast<HDROP>(block);
  ASSERT_EQ(query(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  for (UINT i = 0; i < 2; ++i) {
    wchar_t name[MAX_PATH] = {};
    const UINT n = query(drop, i, name, MAX_PATH);
    char narrow[MAX_PATH * 3] = {};
    WideCharToMultiByte(CP_ACP, 0, name, static_cast<int>(n), narrow, sizeof narrow, nullptr, nullptr);
    EXPECT_EQ(std::string(narrow), paths[i]);
  }
  GlobalFree(block);
}

}  // namespace
