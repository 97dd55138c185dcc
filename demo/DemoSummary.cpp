#include "demo/DemoSummary.h"

#include <algorithm>
#include <cmath>
#include <string>

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

}  // namespace

std::string GameType(const demo::DemoInfo& info) {
  return info.gameType >= 0 ? std::to_string(info.gameType) : std::string();
}

std::string Players(const demo::DemoInfo& info) {
  std::string text;
  for (const demo::Player& player : info.players) {
    if (player.spectator) continue;
    if (!text.empty()) text += ", ";
    text += player.name;
  }
  return text;
}

std::string Line(const demo::DemoInfo& info) {
  if (!info.read) return "The demo could not be read: " + info.reason;
  std::string line =
      "Map: " + info.map + kDot + "Mod: " + (info.mod.empty() ? "base game" : info.mod);
  if (info.engine == demo::Engine::GoldSrc && info.seconds >= 0) line += kDot + Clock(info.seconds);
  if (info.protocol > 0) line += kDot + std::string("protocol ") + std::to_string(info.protocol);
  const std::string host = Plain(info.hostName);
  if (!host.empty()) line += kDot + std::string("Host: ") + host;
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
