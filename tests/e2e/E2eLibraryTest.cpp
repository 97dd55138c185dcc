// The library over a folder of real demos: opened from the main window, its rows read from
// the list view, narrowed by the search, a demo taken into the main window with Enter and
// played with Ctrl+Enter.
#include "tests/e2e/E2eSupport.h"

#include <commctrl.h>

namespace e2e {

using namespace rd::ids;

// A cell of the list as the program's list view answers it. The item and its text buffer
// live in the program's memory: the control writes only there.
static std::string Cell(DWORD pid, HWND list, int row, int column) {
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return "<no process>";
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  std::string text(1024, '\0');
  LVITEMA item{};
  item.iSubItem = column;
  item.cchTextMax = 1024;
  item.pszText = remote + 1024;
  LRESULT length = 0;
  if (remote && WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
      Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote), &length) &&
      ReadProcessMemory(process, remote + 1024, text.data(), text.size(), nullptr)) {
    text.resize(std::clamp<LRESULT>(length, 0, 1023));
  } else {
    text = "<unread>";
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return text;
}

static int Rows(HWND list) {
  LRESULT count = -1;
  return Send(list, LVM_GETITEMCOUNT, 0, 0, &count) ? static_cast<int>(count) : -1;
}

static HWND OpenLibrary(Process& app, HWND main) {
  if (!Click(Control(main, MainCmdLibrary))) return nullptr;
  return WaitForWindow(app.Pid(), LibraryClass);
}

TEST(LibraryE2e, ListsReadsSearchesTakesAndPlaysRealDemos) {
  ASSERT_TRUE(FreshSettings(true) && LetWineDrawTitleBars());
  const std::string root = "C:\\e2e\\library", game = root + "\\Quake III Arena\\quake3.exe";
  const std::string demos = root + "\\demos";
  DeleteTree(demos);
  ASSERT_TRUE(InstallGame(game, "baseq3\\Demos", "Q3APath"));
  // The demos' mods are installed: a missing one would be asked about before playing.
  for (const char* mod : {"osp", "cpma"}) {
    const std::string folder = ParentFolder(game) + "\\" + mod;
    ASSERT_TRUE(MakeFolders(folder) && WriteBytes(folder + "\\pak0.pk3", "PK"));
  }
  ASSERT_TRUE(CopyTo(RD_CORPUS "real-07.dm_68", demos + "\\cpma.dm_68") &&
              CopyTo(RD_CORPUS "real-02.dm_66", demos + "\\Duel\\duel.dm_66") &&
              CopyTo(RD_CORPUS "real-04.dm_68", game.substr(0, game.rfind('\\')) + "\\baseq3\\Demos\\team.dm_68") &&
              WriteBytes(demos + "\\broken.dm_68", "not a demo"));

  const std::string dpi = "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /f /d ";
  for (const char* size : {"144", "96"}) {
    RunTool(dpi + size);
    Process app;
    HWND main = StartToMainWindow(app, ReplaydockExe(), demos + "\\cpma.dm_68");
    ASSERT_TRUE(main);
    HWND library = OpenLibrary(app, main);
    ASSERT_TRUE(library);
    EXPECT_EQ(GetText(library), "Replaydock Library");
    HWND list = Control(library, LibraryList);
    ASSERT_TRUE(WaitUntil([&] { return Rows(list) == 4; }))
        << Rows(list) << " rows; " << GetText(Control(library, LibraryLblStatus));
    std::vector<std::string> names, maps;
    for (int row = 0; row < 4; ++row) {
      names.push_back(Cell(app.Pid(), list, row, 0));
      maps.push_back(Cell(app.Pid(), list, row, 2));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"broken.dm_68", "cpma.dm_68", "duel.dm_66", "team.dm_68"}));
    EXPECT_EQ(maps[1] + "," + maps[2] + "," + maps[3], "q3dm6,pro-q3tourney4,Q3DM7");
    EXPECT_FALSE(maps[0].empty()) << "the reason it cannot be read";
    EXPECT_EQ(Cell(app.Pid(), list, 2, 3), "osp");
    EXPECT_TRUE(SameText(Cell(app.Pid(), list, 2, 9), demos + "\\Duel"));
    EXPECT_TRUE(WaitUntil([&] { return GetText(Control(library, LibraryLblStatus)) == "4 demos"; }));
    HWND search = Control(library, LibraryTxtSearch);
    ASSERT_TRUE(TypeText(search, "DUEL osp"));
    EXPECT_TRUE(WaitUntil([&] { return Rows(list) == 1; })) << Rows(list);
    EXPECT_EQ(Cell(app.Pid(), list, 0, 0), "duel.dm_66");
    EXPECT_EQ(GetText(Control(library, LibraryLblStatus)), "1 of 4 demos");
    // Down from the search box: the first row, and the pane shows it.
    ASSERT_TRUE(PostKey(search, VK_DOWN));
    EXPECT_TRUE(WaitUntil([&] {
      return GetText(Control(library, LibraryLblLine)).find("pro-q3tourney4") != std::string::npos;
    })) << GetText(Control(library, LibraryLblLine));
    RECT frame{}, work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(GetWindowRect(library, &frame) && frame.right - frame.left <= work.right - work.left &&
                frame.bottom - frame.top <= work.bottom - work.top) << "it fits on the screen";
    // The folder buttons below the list, clear of it and of each other, inside the window.
    HWND add = Control(library, LibraryCmdAddFolder), remove = Control(library, LibraryCmdRemoveFolder);
    ASSERT_TRUE(add && remove);
    EXPECT_EQ(GetText(add), "&Add folder...");
    EXPECT_EQ(GetText(remove), "&Remove folder...");
    RECT listBox{}, addBox{}, removeBox{}, overlap{};
    GetWindowRect(list, &listBox);
    GetWindowRect(add, &addBox);
    GetWindowRect(remove, &removeBox);
    EXPECT_FALSE(IntersectRect(&overlap, &listBox, &addBox) || IntersectRect(&overlap, &listBox, &removeBox) ||
                 IntersectRect(&overlap, &addBox, &removeBox));
    EXPECT_TRUE(addBox.top >= listBox.bottom && removeBox.bottom <= frame.bottom &&
                removeBox.right <= frame.right && addBox.right - addBox.left > 20 &&
                IsWindowVisible(add) && IsWindowVisible(remove));
    EXPECT_FALSE(SaveScreenshot(library, std::string("library-") + size + "dpi").empty());
    if (std::string(size) == "144") {
      ASSERT_TRUE(PostKey(list, VK_ESCAPE));
      EXPECT_TRUE(WaitHiddenOrGone(library)) << "Esc closes the library";
      ASSERT_TRUE(Click(CancelButton(main)) && app.WaitExit(kWaitMs));
      continue;
    }

    ASSERT_TRUE(PostKey(list, VK_RETURN));
    EXPECT_TRUE(WaitHiddenOrGone(library));
    EXPECT_TRUE(WaitUntil([&] {
      return SameText(GetText(Control(main, MainTxtFilename)), demos + "\\Duel\\duel.dm_66");
    })) << GetText(Control(main, MainTxtFilename));
    EXPECT_EQ(GetText(Control(main, MainCboMod)), "osp");

    // Ctrl+Enter from the keyboard itself: the window in front takes it.
    library = OpenLibrary(app, main);
    ASSERT_TRUE(library);
    list = Control(library, LibraryList);
    search = Control(library, LibraryTxtSearch);
    // The file box now names the duel: its folder is the one looked in, with the game's.
    ASSERT_TRUE(WaitUntil([&] { return GetText(Control(library, LibraryLblStatus)) == "2 demos"; }))
        << Rows(list) << " rows; " << GetText(Control(library, LibraryLblStatus));
    ASSERT_TRUE(TypeText(search, "q3dm7"));
    ASSERT_TRUE(WaitUntil([&] { return Rows(list) == 1; }));
    ASSERT_TRUE(PostKey(search, VK_DOWN));
    Sleep(300);  // the key reaches the program's queue before the keyboard's
    INPUT keys[4] = {};
    for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[3].ki.wVk = VK_CONTROL;
    keys[1].ki.wVk = keys[2].ki.wVk = VK_RETURN;
    keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SetForegroundWindow(library);
    ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
    EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Replaydock did not end after Ctrl+Enter";
    const auto starts = WaitForGameStarts(game);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_NE(starts[0].commandLine.find("+demo replaydock.dm_68"), std::string::npos)
        << starts[0].commandLine;
  }
}

// How many colours the pane's picture area shows on screen (from the screenshot taken by
// SaveScreenshot of the library): a plain background and a line of grey text have a few
// dozen, a map's picture thousands. ImageMagick counts them on the host.
static int PictureColours(HWND library, const std::string& screenshot) {
  RECT window{}, line{};
  POINT client{0, 0};
  if (screenshot.empty() || !GetWindowRect(library, &window) || !ClientToScreen(library, &client) ||
      !GetWindowRect(Control(library, rd::ids::LibraryLblLine), &line)) {
    return -1;
  }
  // The picture sits above the line of facts, as wide as it, below the client area's top.
  const int top = client.y + 4, bottom = line.top - 4;
  const std::string crop = std::to_string(line.right - line.left) + "x" + std::to_string(bottom - top) +
                           "+" + std::to_string(line.left - window.left) + "+" +
                           std::to_string(top - window.top);
  const std::string out = screenshot + ".colours.txt";
  std::string local = "Z:" + out;
  std::replace(local.begin(), local.end(), '/', '\\');
  DeleteFileA(local.c_str());
  RunTool("cmd.exe /c start /wait /unix /usr/bin/convert " + screenshot + " -crop " + crop +
          " +repage -format %k info:" + out);
  std::optional<std::string> text;  // the file appears before its number is written
  if (!WaitUntil([&] { return (text = ReadBytes(local)) && !text->empty(); }, 10000)) return -1;
  return std::atoi(text->c_str());
}

// The selected demo's map picture in the pane, from the game's own archives (OpenArena's
// free levelshots standing in for Quake 3's), smooth at 144 and 96 DPI; a map without one
// says so quietly.
TEST(LibraryE2e, ThePaneShowsTheMapsPicture) {
  const std::string pak = "Z:\\usr\\share\\games\\openarena\\baseoa\\pak1-maps.pk3";
  if (!FileExists(pak)) GTEST_SKIP() << "OpenArena's data is not installed (tools/setup.sh installs it)";
  ASSERT_TRUE(FreshSettings(true) && LetWineDrawTitleBars());
  const std::string root = "C:\\e2e\\pane", game = root + "\\Quake III Arena\\quake3.exe";
  const std::string base = root + "\\Quake III Arena\\baseq3";
  DeleteTree(base + "\\Demos");
  ASSERT_TRUE(InstallGame(game, "baseq3\\Demos", "Q3APath"));
  ASSERT_TRUE((FileExists(base + "\\pak1-maps.pk3") || CopyTo(pak, base + "\\pak1-maps.pk3")) &&
              CopyTo(RD_CORPUS "ioq3-01.dm_68", base + "\\Demos\\arena.dm_68") &&
              CopyTo(RD_CORPUS "real-04.dm_68", base + "\\Demos\\team.dm_68"));

  const std::string dpi = "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /f /d ";
  for (const char* size : {"144", "96"}) {
    RunTool(dpi + size);
    Process app;
    HWND main = StartToMainWindow(app, ReplaydockExe(), "");
    ASSERT_TRUE(main);
    HWND library = OpenLibrary(app, main);
    ASSERT_TRUE(library);
    HWND list = Control(library, LibraryList), search = Control(library, LibraryTxtSearch);
    ASSERT_TRUE(WaitUntil([&] { return GetText(Control(library, LibraryLblStatus)) == "2 demos"; }))
        << GetText(Control(library, LibraryLblStatus));
    const auto select = [&](const char* map) {
      return TypeText(search, map) && WaitUntil([&] { return Rows(list) == 1; }) &&
             PostKey(search, VK_DOWN) && WaitUntil([&] {
               return GetText(Control(library, LibraryLblLine)).find(map) != std::string::npos;
             });
    };
    ASSERT_TRUE(select("oa_dm4")) << GetText(Control(library, LibraryLblLine));
    // The first opening indexes the archive on a worker; the picture follows.
    const std::string name = std::string("library-picture-") + size + "dpi";
    int colours = 0;
    WaitUntil([&] { return (colours = PictureColours(library, SaveScreenshot(library, name))) > 1000; });
    EXPECT_GT(colours, 1000) << "the pane shows no picture";

    ASSERT_TRUE(select("Q3DM7")) << GetText(Control(library, LibraryLblLine));
    Sleep(500);
    colours = PictureColours(library, SaveScreenshot(library, std::string("library-nopicture-") + size + "dpi"));
    EXPECT_GT(colours, 0);
    EXPECT_LT(colours, 200) << "a map without a picture: the pane is plain but for its words";
    ASSERT_TRUE(PostKey(list, VK_ESCAPE));
    EXPECT_TRUE(WaitHiddenOrGone(library));
    ASSERT_TRUE(Click(CancelButton(main)) && app.WaitExit(kWaitMs));
  }
}

}  // namespace e2e
