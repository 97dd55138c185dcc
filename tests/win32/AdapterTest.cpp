#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "win32/Win32Ports.h"

namespace {

using rd::win32::ArgumentText;

TEST(Win32Process, TheProgramNameIsCutFromTheCommandLine) {
  EXPECT_EQ(ArgumentText("\"C:\\Program Files\\R\\Replaydock.exe\"  \"C:\\a b.dem\""),
            "\"C:\\a b.dem\"");
  EXPECT_EQ(ArgumentText("Replaydock.exe C:\\a b.dem "), "C:\\a b.dem ");
  EXPECT_EQ(ArgumentText("\"C:\\x y\\r.exe\"C:\\a.dem"), "C:\\a.dem");
  EXPECT_EQ(ArgumentText("r.exe\t\tx"), "x");
  for (const char* nothing : {"\"C:\\x y\\r.exe\"", "r.exe", "\"unterminated", ""})
    EXPECT_EQ(ArgumentText(nothing), "") << nothing;
}

TEST(Win32Process, FactsAboutThisTestProgram) {
  rd::win32::Win32Platform platform;
  EXPECT_EQ(platform.process.ExeBaseName(), "win32_tests");
  // It carries no version resource.
  const rd::ProgramVersion v = platform.process.Version();
  EXPECT_EQ(std::tie(v.major, v.minor, v.revision), std::make_tuple(0, 0, 0));
  EXPECT_EQ(platform.process.ErrorText(0xDEAD1234u), "Error 3735884340.");
}

TEST(Win32Dialogs, FiltersBecomeNulSeparatedLists) {
  static const char expected[] = "Demos\0*.dem;*.dm_66\0All\0*.*\0";  // and its own NUL
  EXPECT_EQ(rd::win32::FilterForDialog("Demos|*.dem;*.dm_66|All|*.*"),
            std::string(expected, sizeof expected));
}

// A message box runs its own message loop; the thread timer must tick inside it.
TEST(Win32Timer, TicksArriveWhileAMessageBoxIsOpen) {
  rd::win32::Win32Platform platform;
  int ticks = 0;
  const std::string title = "Timer test " + std::to_string(GetCurrentProcessId());
  const rd::TimerId id = platform.timer.Start(10, [&] {
    if (++ticks != 3) return;
    const HWND box = FindWindowA("#32770", title.c_str());
    if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  ASSERT_NE(id, 0u);
  const int answer = platform.dialogs.ShowMessage("Closes itself", title, rd::mb::OK);
  platform.timer.Stop(id);
  EXPECT_EQ(answer, rd::answer::OK);
  EXPECT_GE(ticks, 3);
}

}  // namespace
