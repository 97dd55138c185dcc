// Real demos through the real program: a Day of Defeat demo dropped on the window at 144 DPI,
// then a Quake 3 1.32 demo named on the command line and played.
#include "tests/e2e/E2eSupport.h"

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

}  // namespace e2e
