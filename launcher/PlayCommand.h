#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include <vector>

#include "catalogue/Engines.h"
#include "catalogue/GameCatalogue.h"
#include "ports/Ports.h"

// Staging a demo: the copy of the chosen demo in the game's demo folder under the fixed
// name the game's command line plays.
namespace rd::play {

struct StageResult {
  bool staged = false;
  std::string stagedPath;   // the staged demo's full path, also when staging failed
  std::uint32_t error = 0;  // Windows' code of the failing step; 0 when there was none
  std::string previous;     // the demo staged before, set aside until the game has started
  // Set when Windows refused the writing there and no other place would do: the folder.
  std::string refusedFolder;
};

// A mod text that can serve as one folder name below the game's folder: no separators,
// wildcards or characters Windows rejects in names, and not "." or "..". The empty text
// (no mod) passes.
bool IsSingleFolderName(std::string_view mod);

// The demo folders the executable's engine searches, first searched first: for an id Tech 3
// engine its home's and its own folder's, the mod's before the base game's, each preceded by
// its VirtualStore mirror when Windows virtualizes the engine. Half-Life: the mod's folder.
std::vector<std::string> SearchedFolders(Ports& ports, const catalogue::Game& game,
                                         std::string_view exePath, std::string_view mod,
                                         bool virtualized);

// Where the demo goes: an engine with a home folder searched first gets it there (always
// writable), any other the game's own demo folder, made when missing. When Windows refuses
// writing into that and the engine is one Windows virtualizes, its VirtualStore mirror
// takes the demo instead. The demo is copied to a temporary file and renamed to the staged
// name (under the demo's own extension), so that a failed copy neither leaves a truncated
// staged demo nor destroys the one staged before. The one staged before is renamed aside
// rather than replaced: freeing a large file takes about as long as copying it, and the game
// need not wait for that. Once staged, Replaydock's own other copies ("replaydock.*") go from
// every folder the engine searches: asked for the bare name, an engine plays the first
// extension it finds, and a copy in a folder searched earlier hides the new one.
StageResult StageDemo(Ports& ports, const catalogue::Game& game, std::string_view exePath,
                      std::string_view mod, const std::string& demoPath);

// Whether the mod is there for the executable's engine: Half-Life's <mod>\liblist.gam; for
// an id Tech 3 engine a folder <mod> holding a .pk3 or a vm folder, in the game's folder or
// the engine's home. No mod, the base game and a name that is no folder count as there.
bool ModInstalled(Ports& ports, const catalogue::Game& game, std::string_view exePath,
                  std::string_view mod);
// The mods installed in the game's folder and the engine's home, as above, by folder name.
std::vector<std::string> InstalledMods(Ports& ports, const catalogue::Game& game,
                                       std::string_view exePath);

// Steam's Half-Life, when Steam is not running, is started through Steam itself: a direct
// start stops for want of Steam. Answers the steam.exe to start, or "" to start the game.
std::string SteamToStart(Ports& ports, const catalogue::Game& game, std::string_view exePath);
// What steam.exe is given: the mod's app id, then the game's own parameters.
std::string SteamParameters(std::string_view mod, std::string_view gameParameters);

// Removes the demo staged before, once the game has been started.
void ReleasePrevious(Ports& ports, const StageResult& staged);

// The width and height of a resolution text such as "800x600": the whole numbers before and
// after its first lower-case "x" (0 where there is none).
struct Resolution {
  int width = 0;
  int height = 0;
};
Resolution ParseResolution(std::string_view text);

}  // namespace rd::play
