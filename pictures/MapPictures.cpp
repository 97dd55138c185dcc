#include "pictures/MapPictures.h"

#include "util/Text.h"

namespace rd::pictures {

PictureSource SourceFor(const catalogue::Game& game, std::string_view mod) {
  using Kind = PictureSource::Kind;
  if (game.displayName == "Quake 3 Arena") return {Kind::Levelshots, "baseq3", PakOrder::Quake3};
  if (game.displayName == "Return To Castle Wolfenstein") {
    return {Kind::Levelshots, "Main", PakOrder::RtcwMultiplayer};
  }
  if (game.displayName == "Half-Life" && util::EqualsNoCase(mod, "cstrike")) return {Kind::Overview, {}, {}};
  return {};
}

std::shared_ptr<const LevelshotIndex> MapPictures::Index(const std::string& exeFolder,
                                                         const PictureSource& source, std::string_view mod) {
  const std::string key = LevelshotIndex::Key(exeFolder, source.base, mod);
  std::shared_ptr<std::once_flag> once;
  {
    const std::lock_guard lock(mutex_);
    if (const auto it = indexes_.find(key); it != indexes_.end()) return it->second;
    auto& flag = building_[key];
    if (!flag) flag = std::make_shared<std::once_flag>();
    once = flag;
  }
  // One thread builds, others asking for the same folder wait for it; other folders go on.
  std::call_once(*once, [&] {
    auto index = std::make_shared<const LevelshotIndex>(
        LevelshotIndex::Build(files_, exeFolder, source.base, mod, source.order));
    const std::lock_guard lock(mutex_);
    indexes_.try_emplace(key, std::move(index));
  });
  const std::lock_guard lock(mutex_);
  return indexes_.at(key);
}

std::optional<Image> MapPictures::Picture(const catalogue::Game& game, const std::string& exeFolder,
                                          std::string_view mod, std::string_view map) {
  const PictureSource source = SourceFor(game, mod);
  switch (source.kind) {
    case PictureSource::Kind::Levelshots:
      return Levelshot(files_, *Index(exeFolder, source, mod), map);
    case PictureSource::Kind::Overview:
      return CounterStrikeOverview(files_, exeFolder, map);
    case PictureSource::Kind::None:
      break;
  }
  return std::nullopt;
}

std::vector<std::string> MapPictures::SavedIndexes() const {
  const std::lock_guard lock(mutex_);
  std::vector<std::string> saved;
  for (const auto& [key, index] : indexes_) saved.push_back(index->Serialize());
  return saved;
}

bool MapPictures::Restore(std::string_view bytes) {
  auto index = LevelshotIndex::Deserialize(bytes);
  if (!index || !index->Current(files_)) return false;
  const std::string key = index->Key();
  const std::lock_guard lock(mutex_);
  return indexes_.try_emplace(key, std::make_shared<const LevelshotIndex>(std::move(*index))).second;
}

}  // namespace rd::pictures
