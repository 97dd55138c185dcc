#include "library/Scan.h"

#include <map>

#include "catalogue/GameCatalogue.h"
#include "util/Text.h"

namespace rd::library {
namespace {

constexpr int kMaxDepth = 64;  // deeper than any demo collection; a guard, not a limit

std::string Trimmed(std::string folder) {
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace

bool IsDemoName(std::string_view name) {
  constexpr std::string_view kStaged = "replaydock.";
  if (name.size() >= kStaged.size() &&
      util::EqualsNoCase(name.substr(0, kStaged.size()), kStaged)) {
    return false;
  }
  return catalogue::FindByExtension(name) != nullptr;
}

std::vector<Found> FindDemos(FileSystem& files, const std::vector<Root>& roots,
                             const std::atomic<bool>& stop) {
  std::vector<Found> found;
  // Lower case -> listed with its subfolders: overlapping roots are listed once, and a
  // folder's files are taken from its first listing only, so each demo comes once.
  std::map<std::string, bool> seenFolders;
  std::vector<FolderEntry> entries;
  for (const Root& root : roots) {
    struct Pending {
      std::string folder;
      int depth;
    };
    std::vector<Pending> pending{{Trimmed(root.folder), 0}};
    while (!pending.empty() && !stop) {
      const Pending here = std::move(pending.back());
      pending.pop_back();
      if (here.folder.empty()) continue;
      const auto [seen, added] =
          seenFolders.try_emplace(util::ToLower(here.folder), root.subfolders);
      if (!added && (seen->second || !root.subfolders)) continue;
      seen->second = seen->second || root.subfolders;
      const bool filesTaken = !added;
      if (files.ListFolder(here.folder, entries) != 0) continue;
      const std::string prefix = here.folder.back() == '\\' ? here.folder : here.folder + "\\";
      for (FolderEntry& entry : entries) {
        if (entry.folder) {
          if (root.subfolders && !entry.link && here.depth < kMaxDepth) {
            pending.push_back({prefix + entry.name, here.depth + 1});
          }
        } else if (!filesTaken && IsDemoName(entry.name)) {
          found.push_back({prefix + entry.name, entry.facts});
        }
      }
    }
  }
  return found;
}

}  // namespace rd::library
