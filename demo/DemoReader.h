#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ports/FileSystem.h"

// What a demo says about itself: read from the start of the file (and, for Half-Life, its
// directory), never from the whole demo.
namespace rd::demo {

// Other: a demo of a game Replaydock does not play, recognised by its content or its name.
enum class Engine { Unknown, GoldSrc, Quake3, Other };

struct Player {
  std::string name;        // as recorded, without the engine's colour codes
  bool spectator = false;  // in the game, but not playing
};

struct DemoInfo {
  bool read = false;    // false: could not read it, reason says why
  std::string reason;   // a short phrase for the user, e.g. "the file is too short"
  // Also when not read, if the content showed it (GoldSrc's magic).
  Engine engine = Engine::Unknown;
  std::string map;
  // GoldSrc: the game folder as recorded ("valve" is Half-Life itself); Quake 3 engine:
  // fs_game, empty for the base game.
  std::string mod;
  int protocol = 0;      // GoldSrc: the network protocol; Quake 3 engine: the .dm_NN of the
                         // name, else the server's protocol
  std::string hostName;  // Quake 3 engine, when the server named itself
  std::string gameName;  // Quake 3 engine: the server's gamename, when present
  int gameType = -1;     // Quake 3 engine: the server's g_gametype; below 0 when unknown
  double seconds = -1;   // the playback (GoldSrc) or match (Quake 3 engine) length; below 0
                         // when unknown
  std::string mapTitle;          // Quake 3 engine: the map's own title, when present
  std::vector<Player> players;   // Quake 3 engine: in client order, spectators included
  std::string kind;              // Engine::Other: what it is, e.g. "Counter-Strike: Source"
};

// Reads the demo at path through the file system port: its start, the Half-Life directory,
// and for the Quake 3 engine a few records after the game state and the last kilobytes. The
// engine is told by the content; the name adds the protocol (.dm_NN) and other games' kinds.
DemoInfo ReadDemo(FileSystem& files, const std::string& path);
// The same, the file's size already known (from its folder's listing, say).
DemoInfo ReadDemo(FileSystem& files, const std::string& path, std::uint64_t size);

// The same reading over a whole file already in memory (tests, fuzzing): answers what
// ReadDemo answers for a file of these bytes.
DemoInfo ReadDemoBytes(std::string_view file, std::string_view name = {});

// How much of the start ReadDemo reads: the largest first message the engines write, and its
// record header.
inline constexpr std::size_t kStartBytes = 8 + 32768;

}  // namespace rd::demo
