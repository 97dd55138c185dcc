#pragma once
#include <string>

#include "catalogue/GameCatalogue.h"
#include "demo/DemoReader.h"

// What a demo that was read says to a person choosing what to watch: shared by the main
// window's line and the library's columns.
namespace rd::summary {

// The line under the file box: the most telling facts first, or why the demo could not be
// read, or, for another game's demo, what it is and that it is not played here.
std::string Line(const demo::DemoInfo& info);

// The game type by its name where it is known for sure, else its number; empty when the
// demo does not say.
std::string GameType(const demo::DemoInfo& info);
// The players (spectators left out): "A vs B" for two, "A, B, C and 5 more" for more.
std::string Players(const demo::DemoInfo& info);
// m:ss, or h:mm:ss from an hour on; empty below 0 (unknown).
std::string Clock(double seconds);

// The game a demo that was read belongs to: Half-Life for GoldSrc; for the Quake 3 engine
// the game whose extension the protocol names, else the game of the file's name when it
// runs on that engine, else Quake 3 Arena. Null when the demo could not be read or belongs
// to a game Replaydock does not play.
const catalogue::Game* GameOf(const demo::DemoInfo& info, const catalogue::Game* named);

}  // namespace rd::summary
