#pragma once
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "ports/FileSystem.h"

namespace rd::library {

// A folder the library looks in.
struct Root {
  std::string folder;
  bool subfolders = true;
};

struct Found {
  std::string path;
  FileFacts facts;
};

// A demo by its name: one of the games' extensions, and not one of Replaydock's own staged
// copies.
bool IsDemoName(std::string_view name);

// Every demo below the roots, each once. Links and junctions are not followed (they may
// lead round in a loop); a folder that cannot be listed is passed over. Ends early, with
// what it found, once stop holds.
std::vector<Found> FindDemos(FileSystem& files, const std::vector<Root>& roots,
                             const std::atomic<bool>& stop);

}  // namespace rd::library
