#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "ports/FileSystem.h"
#include "ports/Registry.h"

// Finding the games installed on this computer: Steam's libraries, GOG's and the retail
// installers' registry keys, and the catalogue's default location. Only reads.
namespace rd::games {

struct FoundGame {
  std::string displayName;               // as the catalogue names the game
  std::vector<std::string> executables;  // best first; each an existing file of the right name
};

// Every game of the catalogue, in catalogue order. A source that cannot be read (a key
// refused, a damaged file, a drive gone) is passed over.
std::vector<FoundGame> FindGames(Registry& registry, FileSystem& files);

// A registry or library-file path as Windows spells it: backslashes, no doubled or trailing
// ones, the drive letter upper case; "" when it is no absolute path.
std::string NormalisePath(std::string_view text);

}  // namespace rd::games
