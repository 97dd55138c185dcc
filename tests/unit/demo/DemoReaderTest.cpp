#include <gtest/gtest.h>

#include <tuple>

#include "demo/DemoReader.h"
#include "tests/unit/demo/DemoBuilder.h"
#include "tests/fakes/FakeFileSystem.h"

namespace rd::demo {
namespace {

using build::Corpus;
using build::Demo;

std::string Names(const DemoInfo& info) {
  std::string names;
  for (const Player& player : info.players) names += "[" + player.name + (player.spectator ? "*" : "") + "]";
  return names;
}

TEST(ReadDemo, ReadsWhatRealDemosSayAboutThemselves) {
  // Facts and their sources in tests/corpus/SOURCES.md. A null game name or players: not
  // established by a source. Lengths: low and high bounds (the recorded demos' from the
  // game's own log, to its one-second steps); the cut demos' only that there is one.
  struct Case {
    const char *file, *map, *mod; Engine engine; int protocol; double low, high;
    const char *gameName, *players;
  };
  // A gamename unlike fs_game (extra-01) shows the mod is taken from fs_game. ioq3-01's
  // server info has no protocol: its .dm_68 gives it; its last player was recorded as
  // "^1Rec^^7order".
  // clang-format off
  const Case cases[] = {
      {"real-01.dem", "c1a0", "valve", Engine::GoldSrc, 48, 2.8860816, 2.8860818, "", ""},
      {"real-03.dem", "crossfire", "cstrike", Engine::GoldSrc, 48, 7.3526916, 7.3526918, "", ""},
      {"real-06.dem", "boot_camp", "valve", Engine::GoldSrc, 35, 25.464447, 25.464448, "", ""},
      {"real-02.dm_66", "pro-q3tourney4", "osp", Engine::Quake3, 66, 1, 60, "osp", nullptr},
      {"real-04.dm_68", "Q3DM7", "", Engine::Quake3, 68, 1, 60, "baseq3", nullptr},
      {"real-07.dm_68", "q3dm6", "cpma", Engine::Quake3, 68, 1, 60, "cpma", nullptr},
      {"real-12.dm_68", "vpldm3", "cpma", Engine::Quake3, 68, 1, 60, nullptr, nullptr},
      {"extra-01.dm_67", "pro-q3dm6", "osp", Engine::Quake3, 67, 1, 70, "baseq3", nullptr},
      {"df-01.dm_68", "Dfwc2019-1", "defrag", Engine::Quake3, 68, 25.488, 40, "defrag", nullptr},
      {"ioq3-01.dm_68", "oa_dm4", "", Engine::Quake3, 68, 25, 27, "baseoa", "[Sarge][Grism][Kyonshi][Major][Rec^order]"},
      {"ioq3-02.dm_71", "dm4ish", "", Engine::Quake3, 71, 19, 21, "baseoa", "[Sarge][Grism][Watcher*]"},
  };
  // clang-format on
  for (const Case& c : cases) {
    fakes::FakeFileSystem fs;
    const std::string path = std::string("C:\\Demos\\") + c.file;
    fs.AddFile(path, Corpus(c.file));
    const DemoInfo info = ReadDemo(fs, path);
    EXPECT_EQ(std::tuple(info.reason, info.engine, info.map, info.mod, info.protocol,
                         c.gameName ? info.gameName : "", c.players ? Names(info) : ""),
              std::tuple("", c.engine, c.map, c.mod, c.protocol, c.gameName ? c.gameName : "",
                         c.players ? c.players : ""))
        << c.file;
    EXPECT_TRUE(info.seconds >= c.low && info.seconds <= c.high) << c.file << " " << info.seconds;
  }
}

// The content tells the engine; a .dm_NN name gives the protocol, the server info only when
// the name has none; another game's extension names it whatever the content. The maps other
// games' demos show are in their summary lines (DemoSummaryTest, MainWindowTest).
TEST(ReadDemo, TakesTheProtocolFromTheNameAndOtherGamesFromNameOrContent) {
  const std::string ioq3 = Corpus("ioq3-01.dm_68");  // no protocol in its server info
  const std::string q3 = Corpus("real-02.dm_66");    // protocol 66 in its server info
  struct Case { const char* name; const std::string& bytes; Engine engine; int protocol; const char* kind; };
  // clang-format off
  const Case cases[] = {
      {"a.dm_67", ioq3, Engine::Quake3, 67, ""},
      {"a.DM_68", ioq3, Engine::Quake3, 68, ""},
      {"a.demo", ioq3, Engine::Quake3, 0, ""},
      {"a.dem", q3, Engine::Quake3, 66, ""},
      {"a.dm_60", q3, Engine::Quake3, 60, ""},
      {"a.dm_84", ioq3, Engine::Other, 0, "Wolfenstein: Enemy Territory"},
      {"a.dm_82", q3, Engine::Other, 0, "Wolfenstein: Enemy Territory"},
      {"a.dm_73", ioq3, Engine::Other, 0, "Quake Live"},
      {"a.dm_91", std::string("junk"), Engine::Other, 0, "Quake Live"},
      {"a.dm_48", q3, Engine::Other, 0, "Quake 3 Arena 1.27 or older"},
      {"a.dm3", std::string(), Engine::Other, 0, "Quake 3 Arena 1.27 or older"},
      {"a.dm_68", Corpus("src-01.dem"), Engine::Other, 0, "Team Fortress 2"},
      {"a.dem", std::string("PBDEMS2\0\x10\0\0\0", 12), Engine::Other, 0, "Counter-Strike 2"},
      {"a.dem", std::string("HL2DEMO\0", 8), Engine::Other, 0, "Source engine"},
  };
  // clang-format on
  for (const Case& c : cases) {
    const DemoInfo info = ReadDemoBytes(c.bytes, std::string("C:\\D\\") + c.name);
    EXPECT_EQ(std::tuple(info.read, info.engine, info.protocol, info.kind),
              std::tuple(true, c.engine, c.protocol, std::string(c.kind)))
        << c.name;
  }
}

std::string Int32(std::int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

// A message coded by another project's encoder: long 0, gamestate, long 0, config string 0
// "\mapname\q3dm17\sv_hostname\Test", config string 1 "\fs_game\cpma", end.
const std::string kMessage =
    "\xaa\x48\x55\xb6\x1e\x7b\xc4\x53\xc8\xc0\xf3\x08\x76\x8c\xf1\xf2\xa5\x47\xc3\x61\x8f\xe5"
    "\x5d\x60\x73\xb3\x79\x59\x06\x9e\x47\xb0\x63\xd3\xc1\xf2\xb2\xb2\xb7\xc7\x82\xf2\xb0\x9f"
    "\xf2\x3c\x82\x1d\x7b\x5c\xf8\x88\xc7\x0a";

TEST(ReadDemo, DecodesAMessageOfAnotherEncoder) {
  const DemoInfo info = ReadDemoBytes(Int32(7) + Int32(54) + kMessage + Int32(-1) + Int32(-1));
  EXPECT_EQ(info.reason + "|" + info.map + "|" + info.hostName + "|" + info.mod, "|q3dm17|Test|cpma");
}

TEST(ReadDemo, GivesTheReasonWhenADemoIsDamaged) {
  const std::string hl = Corpus("real-01.dem");  // directory at 193192, two entries
  const std::string q3 = Corpus("real-04.dm_68");
  const auto with = [](std::string bytes, std::size_t at, const std::string& part) {
    return bytes.replace(at, part.size(), part);
  };
  const std::string nan = Int32(0x7fc00000);
  struct Case { const char* what; std::string bytes; const char* reason; };  // "": read, unknown length
  // clang-format off
  const Case cases[] = {
      {"cut header", hl.substr(0, 543), "the file is too short"},
      {"other magic", with(hl, 0, "HLDEMO\x01"), "the file is not a demo of a known kind"},
      {"map without end", with(hl, 16, std::string(260, 'a')), "the map name has no end"},
      {"folder without end", with(hl, 276, std::string(260, 'a')), "the game folder name has no end"},
      {"no map", with(hl, 16, std::string(1, '\0')), "the demo names no map"},
      {"no folder", with(hl, 276, std::string(1, '\0')), "the demo names no game folder"},
      {"control in map", with(hl, 16, "c1\na0"), "the map name is unreadable"},
      {"option as folder", with(hl, 276, "-dev"), "the game folder name is unreadable"},
      {"unfinished recording", with(hl, 540, Int32(0)), ""},
      {"directory in header", with(hl, 540, Int32(100)), "the directory offset is impossible"},
      {"directory past end", with(hl, 540, Int32(193390)), "the directory lies past the end of the file"},
      {"directory cut", hl.substr(0, hl.size() - 1), "the directory is cut off"},
      {"no entries", with(hl, 193192, Int32(0)), "the directory has an impossible number of entries"},
      {"65535 entries", with(hl, 193192, Int32(65535)), "the directory has an impossible number of entries"},
      {"length NaN", with(hl, 193196 + 92 + 76, nan), "the playback length is damaged"},
      {"cut record header", q3.substr(0, 7), "the file is too short"},
      {"only the end", Int32(0) + Int32(-1), "the demo holds no messages"},
      {"length -2", with(q3, 4, Int32(-2)), "the file is not a demo of a known kind"},
      {"length too big", with(q3, 4, Int32(32769)), "the file is not a demo of a known kind"},
      {"cut first message", Int32(7) + Int32(55) + kMessage, "the first message is cut off"},
      {"message of one byte", with(q3, 4, Int32(1)), "the first message ends early"},
      {"cut in a string", Int32(0) + Int32(10) + kMessage.substr(0, 10), "a config string has no end"},
  };
  // clang-format on
  for (const Case& c : cases) {
    const DemoInfo info = ReadDemoBytes(c.bytes);
    EXPECT_EQ(std::pair(info.read, info.reason), std::pair(!*c.reason, std::string(c.reason)))
        << c.what;
    EXPECT_TRUE(!info.read || (info.map == "c1a0" && info.mod == "valve" && info.seconds < 0));
  }
  fakes::FakeFileSystem files;
  EXPECT_EQ(ReadDemo(files, "C:\\missing.dem").reason, "the file cannot be read");
}

TEST(ReadDemo, RefusesAnOldHeaderThatDoesNotAgreeWithItsDirectory) {
  const std::string old = Corpus("real-06.dem");  // demo protocol 4, directory at 556538
  const auto with = [](std::string bytes, std::size_t at, const std::string& part) {
    return bytes.replace(at, part.size(), part);
  };
  struct Case { const char* what; std::string bytes; const char* reason; };
  // clang-format off
  const Case cases[] = {
      {"cut header", old.substr(0, 279), "the file is too short"},
      {"folder without end", with(old, 144, std::string(128, 'a')), "the game folder name has no end"},
      {"an entry too few", with(old, 556538, Int32(1)), "the directory does not end the file"},
      {"bytes after the directory", old + "x", "the directory does not end the file"},
      {"read as the new form", with(old, 8, Int32(5)), "the game folder name is unreadable"},
  };
  // clang-format on
  for (const Case& c : cases) {
    const DemoInfo info = ReadDemoBytes(c.bytes, "a.dem");
    EXPECT_EQ(std::tuple(info.engine, info.read, info.reason),
              std::tuple(Engine::GoldSrc, false, std::string(c.reason)))
        << c.what;
  }
  // The new form's header, damaged the same way, is refused alike.
  const std::string hl = Corpus("real-01.dem");
  EXPECT_EQ(ReadDemoBytes(with(hl, 193192, Int32(1))).reason, "the directory does not end the file");
}

const std::vector<std::pair<int, std::string>> kServer{{0, "\\mapname\\q3dm6\\g_gametype\\1"}, {1, "\\fs_game\\osp"}};

// The length is the last snapshot's server time less the first's, found from the end of a
// finished demo, by walking the records of one cut short or damaged at its end, and none
// when the time ran backwards.
TEST(ReadDemo, MeasuresTheMatchFromTheFirstAndLastSnapshots) {
  const std::string whole = Demo(kServer, {5000, 5050, 6000, 65000});
  const std::string lastRecord = Demo(kServer, {5000, 5050, 6000}).substr(0, whole.size() - 8);
  struct Case { const char* what; std::string bytes; double seconds; };
  // clang-format off
  const Case cases[] = {
      {"finished", whole, 60},
      {"one snapshot", Demo(kServer, {7000}), 0},
      {"no snapshot", Demo(kServer, {}), -1},
      {"no end marker", whole.substr(0, whole.size() - 8), 60},
      {"cut in the last record", whole.substr(0, whole.size() - 12), 1},
      {"cut in a record header", lastRecord.substr(0, lastRecord.size() + 3), 1},
      {"junk after the end marker", whole + "junk", 60},
      {"end marker damaged", whole.substr(0, whole.size() - 4) + Int32(7), 60},
      {"time ran backwards", Demo(kServer, {565298, 570000, 5515, 9000}), -1},
      {"time from another world", Demo(kServer, {-2000000000, 2000000000}), -1},
      {"a long match", Demo(kServer, {0, 3 * 3600 * 1000 + 1}), 3 * 3600 + 0.001},
  };
  // clang-format on
  for (const Case& c : cases) {
    const DemoInfo info = ReadDemoBytes(c.bytes, "a.dm_68");
    EXPECT_EQ(info.reason, "") << c.what;
    EXPECT_NEAR(info.seconds, c.seconds, 1e-9) << c.what;
  }
  // A whole real demo cut inside its last kilobytes: the length up to its last whole record.
  const std::string real = Corpus("ioq3-02.dm_71");
  const double all = ReadDemoBytes(real, "a.dm_71").seconds;
  const double cut = ReadDemoBytes(real.substr(0, real.size() - 300), "a.dm_71").seconds;
  EXPECT_TRUE(cut > all - 1 && cut < all) << all << " " << cut;
}

// Through the file system port a long demo is read at its start and its end only: finished,
// cut inside its last record, or with its end damaged; one whose end cannot be told gets no
// length rather than a walk through all of it.
TEST(ReadDemo, ReadsALongDemoOnlyAtItsStartAndEnd) {
  const build::Coder coder;
  std::string start = Demo(kServer, {1000});
  start.resize(start.size() - 8);  // its end marker
  std::string body;
  std::int32_t sequence = 2;
  while (body.size() < 17 * 1024 * 1024) body += build::Record(sequence++, std::string(3000, '\x11'));
  std::string end;
  for (int i = 0; i < 5; ++i) end += build::Record(sequence++, coder.Code(build::Snapshot(60000 + 250 * i)));
  const std::string demo = start + body + end;
  struct Case { const char* what; std::string bytes; double seconds; };
  // clang-format off
  const Case cases[] = {
      {"finished", demo + build::EndMarker(), 60},
      {"cut in its last record", demo.substr(0, demo.size() - 5), 59.75},
      {"end marker damaged", demo + Int32(-1) + Int32(3), 60},
      {"end unreadable", demo + std::string(70000, '\0'), -1},
  };
  // clang-format on
  for (const Case& c : cases) {
    fakes::FakeFileSystem fs;
    fs.AddFile("C:\\a.dm_68", c.bytes);
    EXPECT_NEAR(ReadDemo(fs, "C:\\a.dm_68").seconds, c.seconds, 1e-9) << c.what;
    EXPECT_LE(fs.Calls().size(), 5u) << c.what;
  }
}

// Players from their config strings (Return To Castle Wolfenstein's further on), spectators
// marked, colour codes taken out as the engines do it; the map's title; Enemy Territory
// known by its server info.
TEST(ReadDemo, ReadsPlayersTitleAndEnemyTerritoryFromTheGameState) {
  const std::vector<std::pair<int, std::string>> quake3{
      {0, "\\mapname\\q3dm17\\version\\Q3 1.32"}, {1, ""}, {3, "^3The ^^Longest Yard"},
      {544, "n\\^1A^^7ce\\t\\0\\model\\sarge"}, {545, "n\\Bob  [x]\\t\\3"}, {547, "t\\1\\n\\Cy^"},
      {548, ""}, {620, "n\\Wolf"}};
  DemoInfo info = ReadDemoBytes(Demo(quake3, {}), "a.dm_68");
  EXPECT_EQ(Names(info) + "|" + info.mapTitle, "[A^ce][Bob  [x]*][Cy^]|The ^ongest Yard");
  info = ReadDemoBytes(Demo(quake3, {}), "a.dm_60");
  EXPECT_EQ(Names(info), "[Wolf]");
  auto wolfenstein = quake3;
  wolfenstein[0].second += "\\gamename\\main";
  EXPECT_EQ(Names(ReadDemoBytes(Demo(wolfenstein, {}), "a.demo")), "[Wolf]");
  const std::vector<std::pair<int, std::string>> et1{{0, "\\mapname\\oasis\\version\\ET 2.60b linux-i386"}, {1, ""}};
  const std::vector<std::pair<int, std::string>> et2{{0, "\\mapname\\goldrush\\gamename\\etmain"}, {1, ""}};
  for (const auto& strings : {et1, et2}) {
    info = ReadDemoBytes(Demo(strings, {1, 2}), "a.dm_60");
    EXPECT_EQ(std::tuple(info.engine, info.kind), std::tuple(Engine::Other, std::string("Wolfenstein: Enemy Territory")));
  }
  // A first message that breaks off among the players still names the map and the mod.
  const std::string cut = build::Record(0, build::Coder().Code(build::GameState(quake3)).substr(0, 60));
  info = ReadDemoBytes(cut + build::EndMarker(), "a.dm_68");
  EXPECT_EQ(info.reason + info.map, "q3dm17");
}

}  // namespace
}  // namespace rd::demo
