#pragma once
// What the end-to-end scenarios share: where the programs are, the stand-in game, the
// settings, and the steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "tests/e2e/Driver.h"
#include "win32/ControlIds.h"

namespace e2e {

inline const std::string kAppKey = "HKCU\\Software\\Tessaway\\Replaydock";
inline const std::string kSettingsKey = kAppKey + "\\Settings";

// The program built beside the test program.
inline std::string ReplaydockExe() {
  return ExeFolder() + "\\Replaydock.exe";
}

// How the stand-in game was started, one entry per start, as it records them beside itself.
struct GameStart {
  std::string commandLine, workingFolder;
};
// Waits for the stand-in to record a start; returns what it recorded by then.
inline std::vector<GameStart> WaitForGameStarts(const std::string& gameExe) {
  std::vector<GameStart> starts;
  WaitUntil([&] {
    const std::string text = ReadBytes(ParentFolder(gameExe) + "\\standin-record.txt").value_or("");
    starts.clear();
    // Whole lines only: the last entry may still be being written.
    for (std::size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
      const std::string line = text.substr(pos, end - pos);
      if (line.rfind("CMDLINE:", 0) == 0) starts.push_back(GameStart{line.substr(8), {}});
      if (line.rfind("CWD:", 0) == 0 && !starts.empty()) starts.back().workingFolder = line.substr(4);
    }
    return !starts.empty() && !starts.back().workingFolder.empty();
  });
  return starts;
}
// Copies the stand-in to gameExe (folders created) and forgets earlier starts.
inline bool InstallStandIn(const std::string& gameExe) {
  DeleteTree(ParentFolder(gameExe) + "\\standin-record.txt");
  return CopyTo(ExeFolder() + "\\standin_game.exe", gameExe);
}

// Settings from scratch: the program's whole key removed; with firstRunDone AlreadyRun = "Yes".
inline bool FreshSettings(bool firstRunDone) {
  return RegDeleteTree(kAppKey) &&
         (!firstRunDone || RegAddString(kSettingsKey, "AlreadyRun", "Yes"));
}
// Under Wine on a display without a window manager, has Wine draw the title bars itself, so
// that screenshots show the windows whole. Programs started afterwards pick it up.
inline bool LetWineDrawTitleBars() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return true;
  return RegAddString("HKCU\\Software\\Wine\\X11 Driver", "Decorated", "N");
}
inline bool SameText(const std::string& a, const std::string& b) {  // letter case ignored
  return a.size() == b.size() && _stricmp(a.c_str(), b.c_str()) == 0;
}

inline std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}
inline HWND CancelButton(HWND main) {
  return Control(main, rd::ids::MainCmdBottom0);
}

// Starts the program as the shell would (the program, then the argument text as given) and
// answers its main window, or null.
inline HWND StartToMainWindow(Process& app, const std::string& exe,
                              const std::string& argumentText) {
  const std::string line = argumentText.empty() ? Quoted(exe) : Quoted(exe) + " " + argumentText;
  return app.Start(exe, line) ? WaitForWindow(app.Pid(), rd::ids::MainClass) : nullptr;
}
// The next message box of the process once `previous` (if any) has gone.
inline std::optional<MessageBoxSeen> NextMessageBox(DWORD pid, HWND previous = nullptr) {
  if (previous) WaitHiddenOrGone(previous);
  std::optional<MessageBoxSeen> seen;
  WaitUntil([&] {
    for (HWND w : TopWindows(pid, "#32770")) {  // a dialog box of the process, ours by title
      if (seen || GetText(w) != "Replaydock") continue;
      seen = MessageBoxSeen{w, {}};
      for (HWND c = nullptr; (c = FindWindowExA(w, c, "Static", nullptr));) {
        if (GetText(c).size() > seen->text.size()) seen->text = GetText(c);
      }
    }
    return seen.has_value();
  });
  return seen;
}
// The stand-in installed as the game, its data folder made and its location stored.
inline bool InstallGame(const std::string& exe, const std::string& dataFolder,
                        const std::string& locationValue) {
  return InstallStandIn(exe) && MakeFolders(ParentFolder(exe) + "\\" + dataFolder) &&
         RegAddString(kSettingsKey, locationValue, exe);
}
// A demo file of sample bytes; answers the bytes, or "" when it could not be written.
inline std::string WriteDemo(const std::string& path, std::size_t size, unsigned seed) {
  const std::string bytes = SampleDemoBytes(size, seed);
  return MakeFolders(ParentFolder(path)) && WriteBytes(path, bytes) ? bytes : std::string();
}
// Play pressed: the program ends, and the game is started once in its own folder, with these
// arguments after its quoted path.
inline void ExpectPlayed(Process& app, HWND main, const std::string& game,
                         const std::string& arguments) {
  ASSERT_TRUE(Click(Control(main, rd::ids::MainCmdBottom0 + 2)));  // Play
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Replaydock did not end after Play";
  const auto starts = WaitForGameStarts(game);
  ASSERT_EQ(starts.size(), 1u) << "the game was not started once";
  const std::string& line = starts[0].commandLine;
  EXPECT_TRUE(SameText(line.substr(0, game.size() + 2), Quoted(game))) << line;
  EXPECT_EQ(line.substr(std::min(line.find_first_not_of(' ', game.size() + 2), line.size())),
            arguments);
  EXPECT_TRUE(SameText(starts[0].workingFolder, ParentFolder(game))) << starts[0].workingFolder;
}

// The demo types, then the identifier they point at.
inline const char* const kDemoKeys[] = {".dem", ".dm_57", ".dm_66", ".dm_58", ".dm_59", ".dm_60", ".dm_67", ".dm_68", ".dm_71", "RD.Demo"};

}  // namespace e2e
