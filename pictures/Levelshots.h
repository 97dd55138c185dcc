#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/Image.h"
#include "pictures/Zip.h"
#include "ports/FileSystem.h"

namespace rd::pictures {

// How a game orders the .pk3 archives of one folder. Both sort the names without regard to
// case, and a later archive overrides an earlier one; RTCW's multiplayer engine also passes
// over its single-player archives (sp_*) and sorts its own (mp_*) after all others.
enum class PakOrder : std::uint8_t { Quake3, RtcwMultiplayer };

// The archives' order within one folder, the one searched last first.
std::vector<std::string> SortArchives(std::vector<std::string> names, PakOrder order);

// The folders whose archives make up a game's index, the base game's first.
std::vector<std::string> IndexFolders(const std::string& gameFolder, std::string_view base,
                                      std::string_view mod);

// Every levelshot in a game's archives, the winning copy of each name: the mod's archives
// over the base game's, later archives over earlier ones. Built once per game folder and
// kept (Serialize) with the library's cache; Current tells whether the folders changed.
class LevelshotIndex {
 public:
  // What the index saw of each archive; a changed one means building it again.
  struct Archive {
    std::string path;
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    bool read = false;  // false: damaged or zip64, passed over
  };
  struct Shot {
    std::uint32_t archive = 0;  // index into Archives()
    ZipEntry entry;
  };

  LevelshotIndex() = default;
  // gameFolder is the game's own folder (where quake3.exe is), base its base game's folder
  // name (baseq3, Main), mod the demo's mod folder or empty. Never fails: archives that
  // cannot be read are passed over and noted.
  static LevelshotIndex Build(FileSystem& files, const std::string& gameFolder,
                              std::string_view base, std::string_view mod,
                              PakOrder order = PakOrder::Quake3);

  // Which game folder, base and mod the index is of: equal keys, the same folders.
  static std::string Key(const std::string& gameFolder, std::string_view base, std::string_view mod);
  std::string Key() const;

  // The winning copy of a name such as "levelshots/q3dm17.tga", any case.
  const Shot* Find(std::string_view name) const;
  const std::vector<Archive>& Archives() const { return archives_; }
  std::size_t Size() const { return shots_.size(); }
  // True while the folders hold the same archives, unchanged in size and time.
  bool Current(FileSystem& files) const;

  std::string Serialize() const;
  // Nothing for bytes of another version, damaged or cut short.
  static std::optional<LevelshotIndex> Deserialize(std::string_view bytes);

  bool operator==(const LevelshotIndex&) const;

 private:
  static std::vector<Archive> ListArchives(FileSystem& files,
                                           const std::vector<std::string>& folders,
                                           PakOrder order);

  std::vector<std::string> folders_;  // the folders listed, the mod's first
  PakOrder order_ = PakOrder::Quake3;
  std::vector<Archive> archives_;
  std::map<std::string, Shot> shots_;  // by lower-case name
};

// The map's levelshot: levelshots/<map>.tga, else levelshots/<map>.jpg, as the game asks
// for them. Nothing when there is none or it is damaged. Thread-safe over a shared index
// as long as the file system is.
std::optional<Image> Levelshot(FileSystem& files, const LevelshotIndex& index,
                               std::string_view map);

// Counter-Strike's overview of the map, <hlFolder>\cstrike\overviews\<map>.bmp, or nothing.
std::optional<Image> CounterStrikeOverview(FileSystem& files, const std::string& hlFolder,
                                           std::string_view map);

}  // namespace rd::pictures
