#include "catalogue/Engines.h"

#include <array>
#include <string>

#include "util/Text.h"

namespace rd::catalogue {
namespace {

constexpr std::string_view kQ3 = "Quake 3 Arena", kRTCW = "Return To Castle Wolfenstein",
                           kHL = "Half-Life";

// The first of each game is its original, which also stands for any name not listed.
// RtcwPro's client replaces WolfMP.exe and behaves as the original there.
const std::array<Engine, 8> kEngines{{
    {"Quake III Arena 1.32", kQ3, {"quake3.exe"}, {66, 67, 68}, true, HomeRoot::None, "", "baseq3"},
    {"ioquake3", kQ3, {"ioquake3*.exe"}, {66, 67, 68, 71}, true, HomeRoot::AppData, "Quake3",
     "baseq3"},
    {"Quake3e", kQ3, {"quake3e*.exe"}, {66, 67, 68, 71}, true, HomeRoot::None, "", "baseq3"},
    {"oDFe", kQ3, {"odfe*.exe"}, {66, 67, 68, 71}, true, HomeRoot::None, "", "baseq3"},
    {"CNQ3", kQ3, {"cnq3-*.exe"}, {66, 67, 68}, false, HomeRoot::None, "", "baseq3"},
    {"Return to Castle Wolfenstein 1.41", kRTCW, {"WolfMP.exe"}, {60}, false, HomeRoot::None, "",
     "Main"},
    {"iortcw", kRTCW, {"ioWolfMP*.exe"}, {57, 58, 59, 60, 61}, true, HomeRoot::Documents, "RTCW",
     "Main"},
    {"Half-Life", kHL, {"hl.exe"}, {}, true, HomeRoot::None, "", "valve"},
}};

}  // namespace

std::span<const Engine> Engines() { return kEngines; }

bool NameMatches(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (p < pattern.size() &&
               util::EqualsNoCase(pattern.substr(p, 1), name.substr(n, 1))) {
      ++p, ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

const Engine& EngineOf(const Game& game, std::string_view executablePath) {
  const auto cut = executablePath.find_last_of("\\/");
  const std::string_view name =
      cut == std::string_view::npos ? executablePath : executablePath.substr(cut + 1);
  const Engine* original = nullptr;
  for (const Engine& engine : kEngines) {
    if (engine.game != game.displayName) continue;
    if (!original) original = &engine;
    for (std::string_view pattern : engine.patterns) {
      if (NameMatches(pattern, name)) return engine;
    }
  }
  return original ? *original : kEngines.back();
}

std::string ProtocolList(const Engine& engine) {
  std::string list;
  for (std::size_t i = 0; i < engine.protocols.size(); ++i) {
    if (i > 0) list += i + 1 == engine.protocols.size() ? " and " : ", ";
    list += std::to_string(engine.protocols[i]);
  }
  return list;
}

int SteamAppId(std::string_view mod) {
  constexpr std::pair<std::string_view, int> kIds[] = {
      {"cstrike", 10}, {"tfc", 20},      {"dod", 30},    {"dmc", 40},   {"gearbox", 50},
      {"ricochet", 60}, {"valve", 70},  {"czero", 80}, {"bshift", 130}};
  for (const auto& [folder, id] : kIds) {
    if (util::EqualsNoCase(folder, mod)) return id;
  }
  return 70;
}

}  // namespace rd::catalogue
