#pragma once
#include <span>
#include <string_view>
#include <vector>

#include "catalogue/GameCatalogue.h"

// The engines that play the catalogue's games, told apart by their executable's file name,
// and what each of them does with a demo: where it looks, what it opens, how it is named.
namespace rd::catalogue {

// The per-user folder an engine searches before its own folder.
enum class HomeRoot { None, AppData, Documents };

struct Engine {
  std::string_view name;                   // for the user: "ioquake3"
  std::string_view game;                   // the catalogue game's display name
  std::vector<std::string_view> patterns;  // executable names, * for any run, case ignored
  std::vector<int> protocols;              // the demo protocols it opens; empty: not checked
  bool acceptsExtension;                   // takes "+demo name.ext"; else only the bare name
  HomeRoot home;
  std::string_view homeFolder;             // below the home root: "Quake3"
  std::string_view baseFolder;             // the base game's folder: "baseq3"
};

std::span<const Engine> Engines();
// The engine of the executable at this path (by its file name), else the game's original.
const Engine& EngineOf(const Game& game, std::string_view executablePath);
// Whether the file name matches the pattern: * stands for any run, letter case ignored.
bool NameMatches(std::string_view pattern, std::string_view fileName);
// "66, 67 and 68"
std::string ProtocolList(const Engine& engine);

// The app id under which Steam starts a Half-Life mod: the mod's own, else Half-Life's.
int SteamAppId(std::string_view mod);

}  // namespace rd::catalogue
