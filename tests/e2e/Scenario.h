#pragma once
// What the end-to-end runs share: where the programs are, the stand-in game, the settings.
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"

namespace e2e {

inline const std::string kAppKey = "HKCU\\Software\\Tessaway\\Replaydock";
inline const std::string kSettingsKey = kAppKey + "\\Settings";

// The programs built beside the test program.
inline std::string ReplaydockExe() {
  return ExeFolder() + "\\Replaydock.exe";
}
inline std::string StandInExe() {
  return ExeFolder() + "\\standin_game.exe";
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
  return CopyTo(StandInExe(), gameExe);
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

}  // namespace e2e
