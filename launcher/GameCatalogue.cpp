#include "launcher/GameCatalogue.h"

#include <algorithm>
#include <array>

#include "util/Text.h"

namespace rd::catalogue {
namespace {

// The mod option of the two id Tech 3 games selects the mod through fs_game, the variable
// their file systems read at start-up.
const std::array<Game, 3> kGames{{
    {"Half-Life", ".dem", true, "HLPath", "C:\\Sierra\\Half-Life\\hl.exe", "DefaultHLMod", "cstrike",
     {"cstrike", "dod"}, true, "", "replaydock.dem", " -game ",
     " -console -toconsole +playdemo replaydock", true, true, 1},
    {"Quake 3 Arena", ".dm_66", false, "Q3APath", "C:\\Program Files\\Quake III Arena\\quake3.exe",
     "DefaultQ3AMod", "", {"osp", "arena", "generations"}, false, "\\baseq3\\Demos",
     "replaydock.dm_66", " +set fs_game ", " +demo replaydock", false, false, 3},
    {"Return To Castle Wolfenstein", ".dm_57", false, "RTCWPath",
     "C:\\Program Files\\Return To Castle Wolfenstein\\WolfMP.exe", "DefaultRTCWMod", "", {},
     false, "\\Main\\Demos", "replaydock.dm_57", " +set fs_game ", " +demo replaydock", false,
     false, 2},
}};

}  // namespace

std::span<const Game> Games() { return kGames; }

const Game* FindByName(std::string_view displayName) {
  for (const Game& game : kGames) {
    if (game.displayName == displayName) return &game;
  }
  return nullptr;
}

const Game* FindByExtension(std::string_view fileName) {
  for (const Game& game : kGames) {
    if (util::EqualsNoCase(util::Right(fileName, game.extension.size()), game.extension)) {
      return &game;
    }
  }
  return nullptr;
}

std::string DemoFolder(const Game& game, std::string_view exeFolder, std::string_view mod) {
  std::string folder(exeFolder);
  if (game.demoFolderIsMod) {
    folder += '\\';
    folder += mod;
  } else {
    folder += game.demoFolder;
  }
  return folder;
}

std::string StagedPath(const Game& game, std::string_view exeFolder, std::string_view mod) {
  return DemoFolder(game, exeFolder, mod) + "\\" + std::string(game.stagedName);
}

std::string Parameters(const Game& game, std::string_view mod, std::string_view speed) {
  std::string parameters;
  if (!mod.empty()) {
    parameters += game.modOptionPrefix;
    parameters += mod;
  }
  parameters += game.playOption;
  if (game.passesSpeed && !speed.empty()) {
    parameters += ' ';
    parameters += speed;
  }
  return parameters;
}

std::vector<std::string_view> RegistrationOrder() {
  std::vector<const Game*> games;
  for (const Game& game : kGames) games.push_back(&game);
  std::sort(games.begin(), games.end(),
            [](const Game* a, const Game* b) { return a->registrationOrder < b->registrationOrder; });
  std::vector<std::string_view> extensions;
  for (const Game* game : games) extensions.push_back(game->extension);
  return extensions;
}

}  // namespace rd::catalogue
