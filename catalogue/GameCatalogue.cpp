#include "catalogue/GameCatalogue.h"

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
     " -console -toconsole +playdemo replaydock", true, true, 1, {}},
    {"Quake 3 Arena", ".dm_66", false, "Q3APath", "C:\\Program Files\\Quake III Arena\\quake3.exe",
     "DefaultQ3AMod", "", {"osp", "arena", "generations"}, false, "\\baseq3\\Demos",
     "replaydock.dm_66", " +set fs_game ", " +demo replaydock", false, false, 3,
     {".dm_67", ".dm_68", ".dm_71"}},
    {"Return To Castle Wolfenstein", ".dm_57", false, "RTCWPath",
     "C:\\Program Files\\Return To Castle Wolfenstein\\WolfMP.exe", "DefaultRTCWMod", "", {},
     false, "\\Main\\Demos", "replaydock.dm_57", " +set fs_game ", " +demo replaydock", false,
     false, 2, {".dm_58", ".dm_59", ".dm_60"}},
}};

bool EndsWith(std::string_view fileName, std::string_view extension) {
  return util::EqualsNoCase(util::Right(fileName, extension.size()), extension);
}

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
    if (EndsWithExtensionOf(game, fileName)) return &game;
  }
  return nullptr;
}

std::vector<std::string_view> Extensions(const Game& game) {
  std::vector<std::string_view> extensions{game.extension};
  extensions.insert(extensions.end(), game.laterExtensions.begin(), game.laterExtensions.end());
  return extensions;
}

bool EndsWithExtensionOf(const Game& game, std::string_view fileName) {
  return EndsWith(fileName, game.extension) || StagedExtension(game, fileName) != game.extension;
}

std::string_view StagedExtension(const Game& game, std::string_view fileName) {
  for (std::string_view extension : game.laterExtensions) {
    if (EndsWith(fileName, extension)) return extension;
  }
  return game.extension;
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

std::string StagedName(const Game& game, std::string_view extension) {
  if (extension.empty() || extension == game.extension) return std::string(game.stagedName);
  return "replaydock" + std::string(extension);
}

std::string StagedPath(const Game& game, std::string_view exeFolder, std::string_view mod,
                       std::string_view extension) {
  return DemoFolder(game, exeFolder, mod) + "\\" + StagedName(game, extension);
}

std::string Parameters(const Game& game, std::string_view mod, std::string_view speed,
                       std::string_view extension) {
  std::string parameters;
  if (!mod.empty()) {
    parameters += game.modOptionPrefix;
    parameters += mod;
  }
  parameters += game.playOption;
  if (!extension.empty() && extension != game.extension) parameters += extension;
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
  for (const Game* game : games) {
    extensions.insert(extensions.end(), game->laterExtensions.begin(), game->laterExtensions.end());
  }
  return extensions;
}

}  // namespace rd::catalogue
