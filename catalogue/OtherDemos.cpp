#include "catalogue/OtherDemos.h"

#include <array>

#include "util/Text.h"

namespace rd::catalogue {
namespace {

struct Named {
  std::string_view key;
  std::string_view kind;
};

constexpr std::array<Named, 12> kSourceGames{{
    {"cstrike", "Counter-Strike: Source"},
    {"csgo", "Counter-Strike: Global Offensive"},
    {"tf", "Team Fortress 2"},
    {"hl2mp", "Half-Life 2: Deathmatch"},
    {"dod", "Day of Defeat: Source"},
    {"left4dead", "Left 4 Dead"},
    {"left4dead2", "Left 4 Dead 2"},
    {"portal", "Portal"},
    {"portal2", "Portal 2"},
    {"hl2", "Half-Life 2"},
    {"garrysmod", "Garry's Mod"},
    {"hl1mp", "Half-Life Deathmatch: Source"},
}};

constexpr std::array<Named, 8> kExtensions{{
    {".dm_82", EnemyTerritoryKind},
    {".dm_83", EnemyTerritoryKind},
    {".dm_84", EnemyTerritoryKind},
    {".dm_73", "Quake Live"},
    {".dm_90", "Quake Live"},
    {".dm_91", "Quake Live"},
    {".dm_48", "Quake 3 Arena 1.27 or older"},
    {".dm3", "Quake 3 Arena 1.27 or older"},
}};

bool EndsWith(std::string_view text, std::string_view end) {
  return util::EqualsNoCase(util::Right(text, end.size()), end);
}

}  // namespace

std::string_view SourceKind(std::string_view gameFolder) {
  for (const Named& game : kSourceGames) {
    if (util::EqualsNoCase(game.key, gameFolder)) return game.kind;
  }
  return "Source engine";
}

std::string_view KindByExtension(std::string_view fileName) {
  for (const Named& extension : kExtensions) {
    if (EndsWith(fileName, extension.key)) return extension.kind;
  }
  return {};
}

bool IsEnemyTerritory(std::string_view gameName, std::string_view version) {
  // Its own game module is "etmain"; every build's version starts "ET " ("ET 2.60b …",
  // "ET Legacy v2.81 …"), whichever mod runs.
  return util::EqualsNoCase(gameName, "etmain") ||
         util::EqualsNoCase(version.substr(0, 3), "ET ");
}

bool IsUncoded(std::string_view fileName) {
  return EndsWith(fileName, ".dm_48") || EndsWith(fileName, ".dm3");
}

}  // namespace rd::catalogue
