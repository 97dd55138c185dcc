// Real demos through the real program: a Day of Defeat demo dropped on the window at 144 DPI,
// then a Quake 3 1.32 demo named on the command line and played; another game's demo opened by
// double-click, refused.
#include "tests/e2e/E2eSupport.h"

#include <commctrl.h>
#include <shlobj.h>

namespace e2e {

using namespace rd::ids;

// As the shell drops files: DROPFILES, then the names, each ended by a zero, and one more.
// A handle is good only in its own process, so the block goes into the program's memory as a
// fixed one, away from the start of its page as a heap block would be.
static bool PostDrop(DWORD pid, HWND window, const std::string& names) {
  DROPFILES header{sizeof(DROPFILES), {}, FALSE, FALSE};
  const std::string block = std::string(64, '\0') + std::string(reinterpret_cast<char*>(&header), sizeof header) + names;
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  const bool written = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
  if (process) CloseHandle(process);
  return written && PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote + 64), 0);
}

TEST(DemoE2e, DemosBringTheirModAndLineAndPlayUnderTheirOwnExtension) {
  ASSERT_TRUE(FreshSettings(true));
  const std::string root = "C:\\e2e\\demos", game = root + "\\Quake III Arena\\quake3.exe";
  const std::string staged = ParentFolder(game) + "\\baseq3\\Demos\\replaydock";
  ASSERT_TRUE(InstallGame(game, "baseq3\\Demos", "Q3APath") && WriteBytes(staged + ".dm_66", "earlier"));
  // The demo's mod installed, so that no question comes before the game.
  ASSERT_TRUE(MakeFolders(ParentFolder(game) + "\\cpma") &&
              WriteBytes(ParentFolder(game) + "\\cpma\\z-cpma-pak152.pk3", "PK"));
  std::string dod = ReadBytes(RD_CORPUS "real-03.dem").value_or(std::string(544, '\0'));
  // A Counter-Strike demo with another game folder (offset 276); Quake 3's name, Half-Life's content.
  ASSERT_TRUE(WriteBytes(root + "\\dod.dm_66", dod.replace(276, 8, std::string("dod\0\0\0\0\0", 8))) &&
              CopyTo(RD_CORPUS "real-07.dm_68", root + "\\cpma.dm_68"));

  const std::string dpi = "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /f /d ";
  RunTool(dpi + "144");  // Wine takes the DPI from it when a program starts
  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), "");
  RunTool(dpi + "96");
  ASSERT_TRUE(main && PostDrop(app.Pid(), main, root + "\\dod.dm_66" + '\0' + root + '\0' + '\0'));
  EXPECT_TRUE(WaitUntil([&] { return GetText(Control(main, MainCboMod)) == "dod"; }));
  EXPECT_EQ(GetText(Control(main, MainTxtFilename)), "C:\\E2e\\Demos\\Dod.dm_66");
  RECT client{};
  EXPECT_TRUE(GetClientRect(main, &client) && client.bottom == 372) << "not grown by the line";
  EXPECT_FALSE(SaveScreenshot(main, "main-window-demo-144dpi").empty());
  ASSERT_TRUE(Click(CancelButton(main)) && app.WaitExit(kWaitMs));

  Process again;
  ASSERT_TRUE(main = StartToMainWindow(again, ReplaydockExe(), root + "\\cpma.dm_68"));
  EXPECT_EQ(GetText(Control(main, MainCboGame)) + ", " + GetText(Control(main, MainCboMod)), "Quake 3 Arena, cpma");
  EXPECT_EQ(GetText(Control(main, MainLblDemo)).substr(0, 10), "Map: q3dm6");  // the rest in any code page
  EXPECT_FALSE(SaveScreenshot(main, "main-window-demo").empty());
  ExpectPlayed(again, main, game, "+set fs_game cpma +demo replaydock.dm_68");
  EXPECT_EQ(ReadBytes(staged + ".dm_68"), ReadBytes(RD_CORPUS "real-07.dm_68"));
  EXPECT_FALSE(FileExists(staged + ".dm_66")) << "an earlier copy would be played instead";
}

// A Team Fortress 2 demo, as a double-click opens it: its line says what it is, no game is
// chosen, and Play refuses it by name, copying and starting nothing.
TEST(DemoE2e, AnotherGamesDemoIsNamedAndRefused) {
  ASSERT_TRUE(FreshSettings(true));
  const std::string root = "C:\\e2e\\other", hl = root + "\\Half-Life\\hl.exe";
  ASSERT_TRUE(InstallGame(hl, "valve", "HLPath") && CopyTo(RD_CORPUS "src-01.dem", root + "\\tf.dem"));
  const std::string line =
      "Team Fortress 2 demo (map cp_gullywash): Replaydock plays Half-Life, Quake 3 Arena and "
      "Return To Castle Wolfenstein demos.";
  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), Quoted(root + "\\tf.dem"));
  ASSERT_TRUE(main);
  EXPECT_TRUE(WaitUntil([&] { return GetText(Control(main, MainLblDemo)) == line; }))
      << GetText(Control(main, MainLblDemo));
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "");
  // The line's tooltip, for the part the window's width cuts off.
  int tools = 0;
  for (HWND tip = nullptr; (tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr));) {
    if (GetWindow(tip, GW_OWNER) == main) tools += static_cast<int>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
  }
  EXPECT_EQ(tools, 1);
  EXPECT_FALSE(SaveScreenshot(main, "main-window-other-demo").empty());

  ASSERT_TRUE(Click(Control(main, MainCmdBottom0 + 2)));  // Play
  auto refusal = NextMessageBox(app.Pid());
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->text, line);
  ASSERT_TRUE(PressButton(refusal->window, IDOK) && WaitHiddenOrGone(refusal->window));
  EXPECT_TRUE(IsShown(main)) << "the window stays for another choice";
  EXPECT_FALSE(FileExists(ParentFolder(hl) + "\\valve\\replaydock.dem"));
  EXPECT_FALSE(FileExists(ParentFolder(hl) + "\\tf\\replaydock.dem"));
  ASSERT_TRUE(Click(CancelButton(main)) && app.WaitExit(kWaitMs));
}

}  // namespace e2e
