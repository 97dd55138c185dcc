#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/GameCatalogue.h"
#include "pictures/Image.h"
#include "pictures/Levelshots.h"
#include "ports/FileSystem.h"

namespace rd::pictures {

// Where a game of the catalogue keeps its maps' pictures.
struct PictureSource {
  enum class Kind { None, Levelshots, Overview };
  Kind kind = Kind::None;
  std::string_view base;  // Levelshots: the base game's folder
  PakOrder order = PakOrder::Quake3;
};
PictureSource SourceFor(const catalogue::Game& game, std::string_view mod);

// The map pictures of every game, for the library's workers: each game folder's archives
// are indexed once per process (or restored from the library's cache) and shared. Every
// member may be called from any thread; the file system must allow that too (the Win32 one
// does).
class MapPictures {
 public:
  explicit MapPictures(FileSystem& files) : files_(files) {}

  // The picture of map for a demo of game played with mod, the game's program being in
  // exeFolder; nothing when the game keeps none, the map has none, or it is damaged.
  std::optional<Image> Picture(const catalogue::Game& game, const std::string& exeFolder,
                               std::string_view mod, std::string_view map);

  // The indexes built so far, serialised, for the library's cache file.
  std::vector<std::string> SavedIndexes() const;
  // An index from the cache file; kept when it reads back whole and its folders have not
  // changed since, else dropped (it is built again when needed). True when kept.
  bool Restore(std::string_view bytes);

 private:
  std::shared_ptr<const LevelshotIndex> Index(const std::string& exeFolder, const PictureSource& source,
                                              std::string_view mod);
  FileSystem& files_;
  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<const LevelshotIndex>> indexes_;  // by Key()
  std::map<std::string, std::shared_ptr<std::once_flag>> building_;
};

}  // namespace rd::pictures
