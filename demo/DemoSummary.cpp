#include "demo/DemoSummary.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/OtherDemos.h"

namespace rd::summary {
namespace {

constexpr const char* kDot = " \xC2\xB7 ";  // a middle dot between the facts

bool RunsOnQuake3Engine(const catalogue::Game& game) {
  return game.extension.substr(0, 4) == ".dm_";
}

}  // namespace

std::string Clock(double seconds) {
  if (seconds < 0) return {};
  const auto total = static_cast<long long>(std::llround(std::min(seconds, 1e9)));
  const auto two = [](long long n) {
    std::string digits = std::to_string(n);
    if (n < 10) digits.insert(digits.begin(), '0');
    return digits;
  };
  const long long hours = total / 3600;
  const long long minutes = total / 60 % 60;
  if (hours > 0) return std::to_string(hours) + ":" + two(minutes) + ":" + two(total % 60);
  return std::to_string(minutes) + ":" + two(total % 60);
}

namespace {

// Without the engine's colour codes: a caret and the character after it.
std::string Plain(const std::string& name) {
  std::string plain;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '^' && i + 1 < name.size() && name[i + 1] != '^') {
      ++i;
    } else {
      plain += name[i];
    }
  }
  return plain;
}

// The games whose g_gametype 0 to 4 mean what Quake 3 Arena's do: the game itself, the
// mods that kept its numbers for them, and OpenArena's game.
constexpr std::string_view kQuake3GameTypes[] = {"Free For All", "Duel", "Single Player",
                                                 "Team Deathmatch", "Capture The Flag"};
constexpr std::string_view kSameNumbers[] = {"", "baseq3", "osp", "cpma", "baseoa"};

bool KeepsQuake3Numbers(std::string_view name) {
  return std::find(std::begin(kSameNumbers), std::end(kSameNumbers), name) !=
         std::end(kSameNumbers);
}

bool NamedForSure(const demo::DemoInfo& info) {
  const int p = info.protocol;
  const bool quake3 = p == 66 || p == 67 || p == 68 || p == 71 || (p == 0 && info.gameName == "baseq3");
  return quake3 && KeepsQuake3Numbers(info.gameName) && KeepsQuake3Numbers(info.mod) &&
         info.gameType >= 0 && info.gameType < static_cast<int>(std::size(kQuake3GameTypes));
}

}  // namespace

std::string GameType(const demo::DemoInfo& info) {
  if (info.engine != demo::Engine::Quake3 || info.gameType < 0) return {};
  if (NamedForSure(info)) return std::string(kQuake3GameTypes[info.gameType]);
  return std::to_string(info.gameType);
}

std::string Players(const demo::DemoInfo& info) {
  std::vector<const std::string*> names;
  for (const demo::Player& player : info.players) {
    if (!player.spectator) names.push_back(&player.name);
  }
  if (names.size() == 2) return *names[0] + " vs " + *names[1];
  constexpr std::size_t kNamed = 3;
  std::string text;
  for (std::size_t i = 0; i < names.size() && i < kNamed; ++i) {
    if (i > 0) text += names.size() <= kNamed && i + 1 == names.size() ? " and " : ", ";
    text += *names[i];
  }
  if (names.size() > kNamed) text += " and " + std::to_string(names.size() - kNamed) + " more";
  return text;
}

std::string Line(const demo::DemoInfo& info) {
  if (info.engine == demo::Engine::Other) {
    std::string line = info.kind + " demo";
    if (!info.map.empty()) line += " (map " + info.map + ")";
    return line + ": " + std::string(catalogue::NotPlayedHere);
  }
  if (!info.read) return "The demo could not be read: " + info.reason;
  std::string line = "Map: " + info.map;
  const auto add = [&](const std::string& fact) {
    if (!fact.empty()) line += kDot + fact;
  };
  if (info.engine == demo::Engine::GoldSrc) {
    add("Mod: " + info.mod);
    add(Clock(info.seconds));
  } else {
    const std::string type = GameType(info);
    add(type.empty() || NamedForSure(info) ? type : "game type " + type);
    add(Players(info));
    add(Clock(info.seconds));
    add("Mod: " + (info.mod.empty() ? std::string("base game") : info.mod));
  }
  if (info.protocol > 0) add("protocol " + std::to_string(info.protocol));
  const std::string host = Plain(info.hostName);
  if (!host.empty()) add("Host: " + host);
  return line;
}
const catalogue::Game* GameOf(const demo::DemoInfo& info, const catalogue::Game* named) {
  if (!info.read) return nullptr;
  if (info.engine == demo::Engine::GoldSrc) return catalogue::FindByExtension(".dem");
  if (info.engine != demo::Engine::Quake3) return nullptr;
  const catalogue::Game* byProtocol =
      catalogue::FindByExtension(".dm_" + std::to_string(info.protocol));
  if (byProtocol) return byProtocol;
  if (named && RunsOnQuake3Engine(*named)) return named;
  return catalogue::FindByName("Quake 3 Arena");
}

}  // namespace rd::summary
