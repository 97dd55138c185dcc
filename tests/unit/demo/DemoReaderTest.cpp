#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "demo/DemoReader.h"
#include "tests/fakes/FakeFileSystem.h"

namespace rd::demo {
namespace {

// Real demos recorded by the games; what they hold is in tests/corpus/SOURCES.md.
std::string Corpus(const std::string& name) {
  std::ifstream in(std::string(RD_SOURCE_DIR) + "/tests/corpus/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  EXPECT_FALSE(bytes.str().empty()) << name;
  return bytes.str();
}

TEST(ReadDemo, ReadsWhatRealDemosSayAboutThemselves) {
  // A null game name: not established by a source.
  struct Case { const char *file, *map, *mod; Engine engine; int protocol; double seconds; const char* gameName; };
  // A gamename unlike fs_game (extra-01) shows the mod is taken from fs_game.
  // clang-format off
  const Case cases[] = {
      {"real-01.dem", "c1a0", "valve", Engine::GoldSrc, 48, 2.8860817, ""},
      {"real-02.dm_66", "pro-q3tourney4", "osp", Engine::Quake3, 66, -1, "osp"},
      {"real-04.dm_68", "Q3DM7", "", Engine::Quake3, 68, -1, "baseq3"},
      {"real-07.dm_68", "q3dm6", "cpma", Engine::Quake3, 68, -1, "cpma"},
      {"real-12.dm_68", "vpldm3", "cpma", Engine::Quake3, 68, -1, nullptr},
      {"extra-01.dm_67", "pro-q3dm6", "osp", Engine::Quake3, 67, -1, "baseq3"},
  };
  // clang-format on
  for (const Case& c : cases) {
    fakes::FakeFileSystem fs;  // a misleading name: the content tells the engine
    fs.AddFile("C:\\Demos\\x.dm_57", Corpus(c.file));
    const DemoInfo info = ReadDemo(fs, "C:\\Demos\\x.dm_57");
    EXPECT_EQ(std::tuple(info.reason, info.engine, info.map, info.mod, info.protocol,
                         c.gameName ? info.gameName : ""),
              std::tuple("", c.engine, c.map, c.mod, c.protocol, c.gameName ? c.gameName : ""))
        << c.file;
    EXPECT_NEAR(info.seconds, c.seconds, 1e-6) << c.file;
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
      {"other magic", with(hl, 0, "HL2DEMO"), "the file is not a demo of a known kind"},
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

}  // namespace
}  // namespace rd::demo
