#include <gtest/gtest.h>

#include "demo/DemoReader.h"
#include "demo/DemoSummary.h"
#include "tests/unit/demo/DemoBuilder.h"

namespace rd::summary {
namespace {

using demo::DemoInfo;
using demo::Engine;
using demo::build::Corpus;

// The line of every real demo: the most telling facts first.
TEST(Summary, DescribesEveryRealDemoOnOneLine) {
  const char* const notHere =
      "Replaydock plays Half-Life, Quake 3 Arena and Return To Castle Wolfenstein demos.";
  // clang-format off
  const std::pair<const char*, std::string> cases[] = {
      {"real-01.dem", "Map: c1a0 · Mod: valve · 0:03 · protocol 48"},
      {"extra-01.dm_67", "Map: pro-q3dm6 · Duel · ZeRo4 vs socrates · 1:05 · Mod: osp · protocol 67 · Host: CPL & Belkin #1"},
      {"ioq3-01.dm_68", "Map: oa_dm4 · Free For All · Sarge, Grism, Kyonshi and 2 more · 0:26 · Mod: base game · protocol 68 · Host: noname"},
      {"ioq3-02.dm_71", "Map: dm4ish · Duel · Sarge vs Grism · 0:20 · Mod: base game · protocol 71 · Host: noname"},
      {"df-01.dm_68", "Map: Dfwc2019-1 · game type 0 · CLANEBLAN.LOK · 0:30 · Mod: defrag · protocol 68 · Host: noname"},
      {"real-07.dm_68", "Map: q3dm6 · Duel · myT vs Anarki · 0:12 · Mod: cpma · protocol 68 · Host: noname"},
      {"src-01.dem", std::string("Team Fortress 2 demo (map cp_gullywash): ") + notHere},
  };
  // clang-format on
  for (const auto& [file, line] : cases) {
    EXPECT_EQ(Line(demo::ReadDemoBytes(Corpus(file), file)), line) << file;
  }
}

DemoInfo Quake3(int protocol, const char* gameName, const char* mod, int gameType) {
  DemoInfo info;
  info.read = true;
  info.engine = Engine::Quake3;
  info.protocol = protocol;
  info.gameName = gameName;
  info.mod = mod;
  info.gameType = gameType;
  return info;
}

// Quake 3 Arena's own numbers by name; a mod's or another game's number as it is.
TEST(Summary, NamesTheGameTypeOnlyWhereTheNumberIsSure) {
  struct Case { DemoInfo info; const char* type; };
  // clang-format off
  const Case cases[] = {
      {Quake3(68, "baseq3", "", 0), "Free For All"},
      {Quake3(66, "osp", "osp", 1), "Duel"},
      {Quake3(67, "baseq3", "osp", 2), "Single Player"},
      {Quake3(71, "baseoa", "", 3), "Team Deathmatch"},
      {Quake3(68, "cpma", "cpma", 4), "Capture The Flag"},
      {Quake3(68, "baseq3", "", 5), "5"},
      {Quake3(68, "baseq3", "missionpack", 4), "4"},
      {Quake3(68, "defrag", "defrag", 0), "0"},
      {Quake3(60, "main", "", 1), "1"},
      {Quake3(0, "baseq3", "", 1), "Duel"},
      {Quake3(0, "", "", 1), "1"},
      {Quake3(68, "baseq3", "", -1), ""},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(GameType(c.info), c.type) << c.info.protocol << c.info.gameName << c.info.mod << c.info.gameType;
  }
  DemoInfo info = Quake3(60, "main", "", 7);
  info.map = "mp_beach";
  EXPECT_EQ(Line(info), "Map: mp_beach · game type 7 · Mod: base game · protocol 60");
}

TEST(Summary, ListsThePlayersWithoutSpectators) {
  const std::vector<std::pair<std::vector<const char*>, const char*>> cases = {
      {{}, ""},
      {{"A"}, "A"},
      {{"A", "*S", "B"}, "A vs B"},
      {{"A", "B", "C"}, "A, B and C"},
      {{"A", "B", "C", "D"}, "A, B, C and 1 more"},
      {{"*S", "A", "B", "C", "D", "E", "F", "G", "H"}, "A, B, C and 5 more"},
  };
  for (const auto& [names, text] : cases) {
    DemoInfo info = Quake3(68, "baseq3", "", 0);
    for (const char* name : names) {
      info.players.push_back({name[0] == '*' ? name + 1 : name, name[0] == '*'});
    }
    EXPECT_EQ(Players(info), text);
  }
}

TEST(Summary, OtherDemosSayWhatTheyAreAndNoGame) {
  DemoInfo info;
  info.read = true;
  info.engine = Engine::Other;
  info.kind = "Quake Live";
  EXPECT_EQ(Line(info), "Quake Live demo: Replaydock plays Half-Life, Quake 3 Arena and Return To "
                        "Castle Wolfenstein demos.");
  EXPECT_EQ(GameOf(info, catalogue::FindByName("Quake 3 Arena")), nullptr);
  EXPECT_EQ(Clock(3600 * 12 + 61.4), "12:01:01");
  EXPECT_EQ(Clock(-1), "");
}

}  // namespace
}  // namespace rd::summary
