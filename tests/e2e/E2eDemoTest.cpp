// Real demos through the real program: a Quake 3 1.32 demo named on the command line, a Day
// of Defeat demo, a file dropped on the window, and the demo's line at 96 and 144 DPI.
#include "tests/e2e/E2eSupport.h"

#include <shlobj.h>

namespace e2e {
namespace {

using namespace rd::ids;

const std::string kDot = "\xC2\xB7";
const std::string kCpmaLine = "Map: q3dm6 " + kDot + " Mod: cpma " + kDot + " protocol 68 " + kDot + " Host: noname";

// A demo of tests/corpus, as Windows names it.
std::string Corpus(const std::string& name) {
  std::string path = std::string(RD_SOURCE_DIR) + "/tests/corpus/" + name;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path.front() == '\\' ? "Z:" + path : path;  // Wine shows the host's root as Z:
}

// A real Counter-Strike demo with its header's game folder (offset 276) changed to dod.
std::string DayOfDefeatBytes() {
  std::string bytes = ReadBytes(Corpus("real-03.dem")).value_or("");
  if (bytes.size() > 544) bytes.replace(276, 8, std::string("dod\0\0\0\0\0", 8));
  return bytes;
}

// The text as the window holds it, in UTF-8 whatever this program's code page.
std::string Utf8Text(HWND window) {
  wchar_t wide[512] = {};
  const int length = GetWindowTextW(window, wide, 512);
  char text[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, wide, length, text, sizeof text - 1, nullptr, nullptr);
  return text;
}

RECT ClientRectOf(HWND control, HWND main) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The line sits between the file box and the game box, inside the window, and the window
// grew by its room at this DPI.
void ExpectTheLineFits(HWND main, int dpi) {
  const RECT line = ClientRectOf(Control(main, MainLblDemo), main);
  const RECT file = ClientRectOf(Control(main, MainTxtFilename), main);
  const RECT game = ClientRectOf(Control(main, MainCboGame), main);
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_GE(line.top, file.bottom);
  EXPECT_LE(line.bottom, game.top);
  EXPECT_LE(line.right, client.right);
  EXPECT_EQ(client.bottom, MulDiv(3720, dpi, 1440)) << "at " << dpi << " DPI";
}

struct Installed {
  std::string game;
  std::string demo;
  std::string bytes;
};

// The stand-in as the game, and a demo of these bytes in a folder of its own.
Installed Install(const std::string& folder, const std::string& gameExe, const char* dataFolder,
                  const char* locationValue, const std::string& demoName, const std::string& bytes) {
  DeleteTree(folder);
  const Installed installed{folder + "\\" + gameExe, folder + "\\My Demos\\" + demoName, bytes};
  EXPECT_TRUE(InstallGame(installed.game, dataFolder, locationValue));
  EXPECT_TRUE(MakeFolders(ParentFolder(installed.demo)) && WriteBytes(installed.demo, bytes));
  EXPECT_FALSE(bytes.empty());
  return installed;
}

TEST(DemoE2e, AQuake3DemoOfTheLatestVersionPicksItsGameAndModAndPlaysByItsOwnName) {
  ASSERT_TRUE(FreshSettings(true));
  const Installed q3 = Install("C:\\e2e\\demo-q3", "Quake III Arena\\quake3.exe", "baseq3", "Q3APath",
                              "cpma duel.dm_68", ReadBytes(Corpus("real-07.dm_68")).value_or(""));
  const std::string demos = ParentFolder(q3.game) + "\\baseq3\\Demos\\";
  ASSERT_TRUE(MakeFolders(demos) && WriteBytes(demos + "replaydock.dm_66", "an earlier launch's demo"));

  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), Quoted(q3.demo));
  ASSERT_TRUE(main) << "no main window";
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Quake 3 Arena");
  EXPECT_EQ(GetText(Control(main, MainCboMod)), "cpma");
  EXPECT_EQ(Utf8Text(Control(main, MainLblDemo)), kCpmaLine);
  ExpectTheLineFits(main, 96);
  EXPECT_FALSE(SaveScreenshot(main, "main-window-demo").empty());

  ExpectPlayed(app, main, q3.game, "+set fs_game cpma +demo replaydock.dm_68");
  EXPECT_EQ(ReadBytes(demos + "replaydock.dm_68"), q3.bytes);
  EXPECT_FALSE(FileExists(demos + "replaydock.dm_66")) << "the earlier copy would be played instead";
}

TEST(DemoE2e, ADayOfDefeatDemoPlaysWithItsModOverTheRememberedOne) {
  ASSERT_TRUE(FreshSettings(true));
  ASSERT_TRUE(RegAddString(kSettingsKey, "DefaultHLMod", "cstrike"));
  const Installed hl = Install("C:\\e2e\\demo-dod", "Half-Life\\hl.exe", "dod", "HLPath", "flag match.dem",
                               DayOfDefeatBytes());
  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), Quoted(hl.demo));
  ASSERT_TRUE(main) << "no main window";
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Half-Life");
  EXPECT_EQ(GetText(Control(main, MainCboMod)), "dod");
  EXPECT_EQ(RegText(kSettingsKey, "DefaultHLMod"), "dod");
  ExpectPlayed(app, main, hl.game, "-game dod -console -toconsole +playdemo replaydock 1");
  EXPECT_EQ(ReadBytes(ParentFolder(hl.game) + "\\dod\\replaydock.dem"), hl.bytes);
}

// As the shell drops files: a DROPFILES header, then the names, each ended by a zero, and
// one more zero. A handle is only good in its own process, so the block is written into the
// program's memory and passed as a fixed block, which is a handle there too.
bool PostDrop(DWORD pid, HWND window, const std::vector<std::string>& paths) {
  constexpr std::size_t kAt = 64;  // not at the start of its pages, as a heap block is not
  std::string block(kAt + sizeof(DROPFILES), '\0');
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = FALSE;
  memcpy(&block[kAt], &header, sizeof header);
  for (const std::string& path : paths) block += path + '\0';
  block += '\0';
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  char* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  const bool written = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
  CloseHandle(process);
  return written && PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote + kAt), 0);
}

TEST(DemoE2e, AFileDroppedOnTheWindowIsTakenAsIfChosen) {
  ASSERT_TRUE(FreshSettings(true));
  const std::string demo = "C:\\e2e\\demo-drop\\cpma duel.dm_68";
  DeleteTree(ParentFolder(demo));
  ASSERT_TRUE(MakeFolders(ParentFolder(demo)) && CopyTo(Corpus("real-07.dm_68"), demo));
  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), "");
  ASSERT_TRUE(main) << "no main window";
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Half-Life");
  ASSERT_TRUE(PostDrop(app.Pid(), main, {demo, ParentFolder(demo)}));
  const std::string shown = "C:\\E2e\\Demo-drop\\Cpma Duel.dm_68";
  EXPECT_TRUE(WaitUntil([&] { return GetText(Control(main, MainTxtFilename)) == shown; }))
      << GetText(Control(main, MainTxtFilename));
  EXPECT_EQ(GetText(Control(main, MainCboGame)), "Quake 3 Arena");
  EXPECT_EQ(GetText(Control(main, MainCboMod)), "cpma");
  EXPECT_EQ(Utf8Text(Control(main, MainLblDemo)), kCpmaLine);
  EXPECT_EQ(RegText(kSettingsKey, "LastFilename"), shown);
  ASSERT_TRUE(Click(CancelButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Cancel did not end the program";
}

// Wine takes the screen's DPI from this value when a program starts.
class ScreenDpi {
 public:
  explicit ScreenDpi(int dpi) : before_(RegQuery(kKey, "LogPixels")) { Set(std::to_string(dpi)); }
  ~ScreenDpi() {
    if (before_) {
      Set(std::to_string(std::stoul(before_->data, nullptr, 0)));
    } else {
      RunTool("reg.exe delete " + Quoted(kKey) + " /v LogPixels /f");
    }
  }
  ScreenDpi(const ScreenDpi&) = delete;
  ScreenDpi& operator=(const ScreenDpi&) = delete;

 private:
  static inline const std::string kKey = "HKCU\\Control Panel\\Desktop";
  void Set(const std::string& dpi) {
    RunTool("reg.exe add " + Quoted(kKey) + " /v LogPixels /t REG_DWORD /d " + dpi + " /f");
  }
  std::optional<RegValue> before_;
};

TEST(DemoE2e, TheWindowGrowsByTheLineAt144Dpi) {
  ASSERT_TRUE(FreshSettings(true));
  const std::string demo = "C:\\e2e\\demo-dpi\\cpma duel.dm_68";
  DeleteTree(ParentFolder(demo));
  ASSERT_TRUE(MakeFolders(ParentFolder(demo)) && CopyTo(Corpus("real-07.dm_68"), demo));
  ScreenDpi dpi(144);
  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), Quoted(demo));
  ASSERT_TRUE(main) << "no main window";
  EXPECT_EQ(Utf8Text(Control(main, MainLblDemo)), kCpmaLine);
  ExpectTheLineFits(main, 144);
  EXPECT_FALSE(SaveScreenshot(main, "main-window-demo-144dpi").empty());
  ASSERT_TRUE(Click(CancelButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Cancel did not end the program";
}

}  // namespace
}  // namespace e2e
