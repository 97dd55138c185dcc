#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/GameCatalogue.h"
#include "ports/Ports.h"

// Staging a demo: the copy of the chosen demo in the game's demo folder under the fixed
// name the game's command line plays.
namespace rd::play {

struct StageResult {
  bool staged = false;
  std::string stagedPath;   // the staged demo's full path, also when staging failed
  std::uint32_t error = 0;  // Windows' code of the failing step; 0 when there was none
  std::string previous;     // the demo staged before, set aside until the game has started
};

// A mod text that can serve as one folder name below the game's folder: no separators,
// wildcards or characters Windows rejects in names, and not "." or "..". The empty text
// (no mod) passes.
bool IsSingleFolderName(std::string_view mod);

// Creates the demo folder when the game keeps its demos in a fixed one, copies the demo to
// a temporary file there and renames that to the staged name (under the demo's own
// extension), so that a failed copy neither leaves a truncated staged demo nor destroys the
// one staged before. The one staged before is renamed aside rather than replaced: freeing a
// large file takes about as long as copying it, and the game need not wait for that. Once
// staged, the copies under the game's other extensions are removed.
StageResult StageDemo(Ports& ports, const catalogue::Game& game, std::string_view exeFolder,
                      std::string_view mod, const std::string& demoPath);

// Removes the demo staged before, once the game has been started.
void ReleasePrevious(Ports& ports, const StageResult& staged);

// The width and height of a resolution text such as "800x600": the whole numbers before and
// after its first lower-case "x" (0 where there is none).
struct Resolution {
  int width = 0;
  int height = 0;
};
Resolution ParseResolution(std::string_view text);

}  // namespace rd::play
