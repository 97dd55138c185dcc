#include "pictures/Levelshots.h"

#include <algorithm>

#include "util/Text.h"

namespace rd::pictures {
namespace {

constexpr std::string_view kMagic = "RDLS";
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kMaxPicture = 32u << 20;  // far above any levelshot or overview

bool EndsWithPk3(std::string_view name) {
  return name.size() > 4 && util::EqualsNoCase(name.substr(name.size() - 4), ".pk3");
}

// The engines compare archive names in upper case, with '\' and ':' as '/'.
int PathCompare(std::string_view a, std::string_view b) {
  const auto key = [](char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return c == '\\' || c == ':' ? '/' : c;
  };
  for (std::size_t i = 0;; ++i) {
    const int ca = i < a.size() ? static_cast<unsigned char>(key(a[i])) : 0;
    const int cb = i < b.size() ? static_cast<unsigned char>(key(b[i])) : 0;
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

// A map name fit to stand in a file name: no folders, no wildcards, nothing outside.
bool PlainName(std::string_view map) {
  return !map.empty() && map.size() <= 200 && map != "." && map != ".." &&
         map.find_first_of("\\/:*?\"<>|") == std::string_view::npos &&
         std::none_of(map.begin(), map.end(), [](char c) { return static_cast<unsigned char>(c) < 32; });
}

std::string Join(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path.append(name);
}

// --- serialisation: little-endian numbers, strings with their length before them ---
void Put(std::string& out, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(v >> (8 * i));
}
void PutText(std::string& out, std::string_view s) {
  Put(out, s.size(), 4);
  out += s;
}
struct Reader {
  std::string_view in;
  bool ok = true;
  std::uint64_t Get(int bytes) {
    if (in.size() < static_cast<std::size_t>(bytes)) ok = false;
    if (!ok) return 0;
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(in[i]);
    in.remove_prefix(bytes);
    return v;
  }
  std::string Text() {
    const std::uint64_t n = Get(4);
    if (n > in.size()) ok = false;
    if (!ok) return {};
    std::string s(in.substr(0, n));
    in.remove_prefix(n);
    return s;
  }
};

}  // namespace

std::vector<std::string> SortArchives(std::vector<std::string> names, PakOrder order) {
  if (order == PakOrder::RtcwMultiplayer) {
    std::erase_if(names, [](const std::string& n) { return n.rfind("sp_", 0) == 0; });
  }
  // RTCW sorts "mp_" as if it were "zz_": its own archives come after everyone else's.
  const auto sortKey = [order](const std::string& n) {
    return order == PakOrder::RtcwMultiplayer && n.rfind("mp_", 0) == 0 ? "zz" + n.substr(2) : n;
  };
  std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    return PathCompare(sortKey(a), sortKey(b)) < 0;
  });
  return names;
}

std::vector<std::string> IndexFolders(const std::string& gameFolder, std::string_view base,
                                      std::string_view mod) {
  std::vector<std::string> folders{Join(gameFolder, base)};
  if (!mod.empty() && !util::EqualsNoCase(mod, base) && PlainName(mod)) folders.push_back(Join(gameFolder, mod));
  return folders;
}

// The archives of each folder in turn, each folder's in the order the engine loads them.
std::vector<LevelshotIndex::Archive> LevelshotIndex::ListArchives(
    FileSystem& files, const std::vector<std::string>& folders, PakOrder order) {
  std::vector<Archive> archives;
  for (const std::string& folder : folders) {
    std::vector<FolderEntry> listing;
    files.ListFolder(folder, listing);
    std::vector<std::string> names;
    std::map<std::string, FileFacts> facts;
    for (const FolderEntry& e : listing) {
      if (e.folder || !EndsWithPk3(e.name)) continue;
      names.push_back(e.name);
      facts[e.name] = e.facts;
    }
    for (const std::string& name : SortArchives(std::move(names), order)) {
      archives.push_back({Join(folder, name), facts[name].size, facts[name].writeTime, false});
    }
  }
  return archives;
}

std::string LevelshotIndex::Key(const std::string& gameFolder, std::string_view base, std::string_view mod) {
  std::string key;
  for (const std::string& folder : IndexFolders(gameFolder, base, mod)) key += util::ToLower(folder) + "|";
  return key;
}

std::string LevelshotIndex::Key() const {
  std::string key;
  for (const std::string& folder : folders_) key += util::ToLower(folder) + "|";
  return key;
}

LevelshotIndex LevelshotIndex::Build(FileSystem& files, const std::string& gameFolder,
                                     std::string_view base, std::string_view mod, PakOrder order) {
  LevelshotIndex index;
  index.order_ = order;
  index.folders_ = IndexFolders(gameFolder, base, mod);
  // Base first, then the mod, each in its sorted order: a later one overrides.
  for (Archive archive : ListArchives(files, index.folders_, order)) {
    const auto entries = ReadZipDirectory(files, archive.path, archive.size);
    archive.read = entries.has_value();
    const auto number = static_cast<std::uint32_t>(index.archives_.size());
    index.archives_.push_back(std::move(archive));
    if (!entries) continue;
    for (const ZipEntry& e : *entries) {
      std::string key = util::ToLower(e.name);
      std::replace(key.begin(), key.end(), '\\', '/');
      if (key.rfind("levelshots/", 0) != 0 || key.back() == '/') continue;
      index.shots_[std::move(key)] = Shot{number, e};
    }
  }
  return index;
}

const LevelshotIndex::Shot* LevelshotIndex::Find(std::string_view name) const {
  std::string key = util::ToLower(name);
  std::replace(key.begin(), key.end(), '\\', '/');
  const auto it = shots_.find(key);
  return it == shots_.end() ? nullptr : &it->second;
}

bool LevelshotIndex::Current(FileSystem& files) const {
  const std::vector<Archive> now = ListArchives(files, folders_, order_);
  if (now.size() != archives_.size()) return false;
  for (std::size_t i = 0; i < now.size(); ++i) {
    if (now[i].path != archives_[i].path || now[i].size != archives_[i].size ||
        now[i].writeTime != archives_[i].writeTime) {
      return false;
    }
  }
  return true;
}

std::string LevelshotIndex::Serialize() const {
  std::string out(kMagic);
  Put(out, kVersion, 4);
  Put(out, static_cast<std::uint8_t>(order_), 1);
  Put(out, folders_.size(), 4);
  for (const std::string& f : folders_) PutText(out, f);
  Put(out, archives_.size(), 4);
  for (const Archive& a : archives_) {
    PutText(out, a.path);
    Put(out, a.size, 8);
    Put(out, a.writeTime, 8);
    Put(out, a.read ? 1 : 0, 1);
  }
  Put(out, shots_.size(), 4);
  for (const auto& [key, shot] : shots_) {
    PutText(out, key);
    Put(out, shot.archive, 4);
    PutText(out, shot.entry.name);
    Put(out, shot.entry.headerOffset, 8);
    Put(out, shot.entry.packedSize, 4);
    Put(out, shot.entry.size, 4);
    Put(out, shot.entry.crc, 4);
    Put(out, shot.entry.method, 2);
  }
  Put(out, Crc32(out), 4);
  return out;
}

std::optional<LevelshotIndex> LevelshotIndex::Deserialize(std::string_view bytes) {
  if (bytes.size() < kMagic.size() + 8 || bytes.substr(0, kMagic.size()) != kMagic) return std::nullopt;
  const std::string_view body = bytes.substr(0, bytes.size() - 4);
  Reader check{bytes.substr(bytes.size() - 4)};
  if (check.Get(4) != Crc32(body)) return std::nullopt;

  Reader r{body.substr(kMagic.size())};
  if (r.Get(4) != kVersion) return std::nullopt;
  LevelshotIndex index;
  const std::uint64_t order = r.Get(1);
  if (order > static_cast<std::uint8_t>(PakOrder::RtcwMultiplayer)) return std::nullopt;
  index.order_ = static_cast<PakOrder>(order);
  // Each count is checked against the bytes left, so that a wild one allocates nothing.
  const std::uint64_t folders = r.Get(4);
  if (folders > r.in.size() / 4) return std::nullopt;
  for (std::uint64_t i = 0; i < folders && r.ok; ++i) index.folders_.push_back(r.Text());
  const std::uint64_t archives = r.Get(4);
  if (archives > r.in.size() / 21) return std::nullopt;
  for (std::uint64_t i = 0; i < archives && r.ok; ++i) {
    Archive a;
    a.path = r.Text();
    a.size = r.Get(8);
    a.writeTime = r.Get(8);
    const std::uint64_t read = r.Get(1);
    if (read > 1) return std::nullopt;
    a.read = read == 1;
    index.archives_.push_back(std::move(a));
  }
  const std::uint64_t shots = r.Get(4);
  if (shots > r.in.size() / 34) return std::nullopt;
  for (std::uint64_t i = 0; i < shots && r.ok; ++i) {
    std::string key = r.Text();
    Shot shot;
    shot.archive = static_cast<std::uint32_t>(r.Get(4));
    shot.entry.name = r.Text();
    shot.entry.headerOffset = r.Get(8);
    shot.entry.packedSize = static_cast<std::uint32_t>(r.Get(4));
    shot.entry.size = static_cast<std::uint32_t>(r.Get(4));
    shot.entry.crc = static_cast<std::uint32_t>(r.Get(4));
    shot.entry.method = static_cast<std::uint16_t>(r.Get(2));
    if (shot.archive >= index.archives_.size() || !index.archives_[shot.archive].read) return std::nullopt;
    index.shots_[std::move(key)] = std::move(shot);
  }
  if (!r.ok || !r.in.empty() || index.shots_.size() != shots) return std::nullopt;
  return index;
}

bool LevelshotIndex::operator==(const LevelshotIndex& o) const {
  const auto sameArchive = [](const Archive& a, const Archive& b) {
    return a.path == b.path && a.size == b.size && a.writeTime == b.writeTime && a.read == b.read;
  };
  const auto sameShot = [](const auto& a, const auto& b) {
    const ZipEntry &x = a.second.entry, &y = b.second.entry;
    return a.first == b.first && a.second.archive == b.second.archive && x.name == y.name &&
           x.headerOffset == y.headerOffset && x.packedSize == y.packedSize && x.size == y.size &&
           x.crc == y.crc && x.method == y.method;
  };
  return folders_ == o.folders_ && order_ == o.order_ &&
         std::equal(archives_.begin(), archives_.end(), o.archives_.begin(), o.archives_.end(), sameArchive) &&
         std::equal(shots_.begin(), shots_.end(), o.shots_.begin(), o.shots_.end(), sameShot);
}

std::optional<Image> Levelshot(FileSystem& files, const LevelshotIndex& index, std::string_view map) {
  if (!PlainName(map)) return std::nullopt;
  // A damaged .tga gives way to the .jpg, as the renderer tries the next format.
  for (const char* extension : {".tga", ".jpg"}) {
    const LevelshotIndex::Shot* shot = index.Find("levelshots/" + std::string(map) + extension);
    if (!shot) continue;
    const auto bytes = ReadZipEntry(files, index.Archives()[shot->archive].path, shot->entry, kMaxPicture);
    if (!bytes) continue;
    if (auto image = Decode(*bytes)) return image;
  }
  return std::nullopt;
}

std::optional<Image> CounterStrikeOverview(FileSystem& files, const std::string& hlFolder,
                                           std::string_view map) {
  if (!PlainName(map)) return std::nullopt;
  const std::string path = Join(hlFolder, "cstrike\\overviews\\" + std::string(map) + ".bmp");
  FileFacts facts;
  if (files.Facts(path, facts) != 0 || facts.size == 0 || facts.size > kMaxPicture) return std::nullopt;
  std::string bytes;
  if (files.ReadBytes(path, 0, static_cast<std::size_t>(facts.size), bytes) != 0) return std::nullopt;
  return Decode(bytes);
}

}  // namespace rd::pictures
