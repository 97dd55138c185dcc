#pragma once
#include <string>

#include "demo/DemoReader.h"
#include "catalogue/GameCatalogue.h"

// What the main window makes of a demo it has read.
namespace rd::summary {

// The line under the file box: map, mod, length and protocol (and the server's name), or
// why the demo could not be read.
std::string Line(const demo::DemoInfo& info);

// The game a demo that was read belongs to: Half-Life for GoldSrc; for the Quake 3 engine
// the game whose extension the protocol names, else the game of the file's name when it
// runs on that engine, else Quake 3 Arena. Null when the demo could not be read.
const catalogue::Game* GameOf(const demo::DemoInfo& info, const catalogue::Game* named);

}  // namespace rd::summary
