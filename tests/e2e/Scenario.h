#pragma once
// What the end-to-end runs share: where the programs are, the stand-in game, the settings.
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"

namespace e2e {

inline const std::string kAppKey = "HKCU\\Software\\Tessaway\\Replaydock";
inline const std::string kSettingsKey = kAppKey + "\\Settings";
inline const std::string kHalfLifeKey = "HKCU\\Software\\Valve\\Half-Life\\Settings";

// The programs built beside the test program.
std::string ReplaydockExe();
std::string StandInExe();

// How the stand-in game was started, one entry per start.
struct GameStart {
  std::string commandLine;
  std::string workingFolder;
};
std::vector<GameStart> ReadGameStarts(const std::string& gameExe);
// Waits for the stand-in to record `count` starts; returns what it recorded by then.
std::vector<GameStart> WaitForGameStarts(const std::string& gameExe, std::size_t count = 1,
                                         int timeoutMs = kWaitMs);
// Copies the stand-in to gameExe (folders created) and forgets earlier starts.
bool InstallStandIn(const std::string& gameExe);

// Settings from scratch: the program's whole key removed; with firstRunDone AlreadyRun = "Yes".
bool FreshSettings(bool firstRunDone);

// Under Wine on a display without a window manager, has Wine draw the title bars itself, so
// that screenshots show the windows whole. Programs started afterwards pick it up.
bool LetWineDrawTitleBars();

bool SameText(const std::string& a, const std::string& b);  // case-insensitive

}  // namespace e2e
