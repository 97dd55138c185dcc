#include "library/Cache.h"

#include <cstring>

namespace rd::library {
namespace {

constexpr std::string_view kMagic = "Replaydock library\n";
// Raised whenever the layout or what the readers find changes: an older cache is rebuilt.
constexpr std::uint32_t kVersion = 2;
constexpr std::size_t kHeader = 19 + 4 + 4 + 8 + 8;  // magic, version, count, length, sum
constexpr std::uint64_t kMaxCount = 50'000'000;

std::uint64_t Checksum(std::string_view bytes) {  // FNV-1a
  std::uint64_t sum = 14695981039346656037ULL;
  for (const char c : bytes) sum = (sum ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  return sum;
}

void PutNumber(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
void PutText(std::string& out, const std::string& text) {
  PutNumber(out, text.size(), 4);
  out += text;
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool Number(std::uint64_t& value, int bytes) {
    if (bytes_.size() - at_ < static_cast<std::size_t>(bytes)) return false;
    value = 0;
    for (int i = 0; i < bytes; ++i) {
      value |= std::uint64_t{static_cast<unsigned char>(bytes_[at_ + i])} << (8 * i);
    }
    at_ += static_cast<std::size_t>(bytes);
    return true;
  }
  bool Text(std::string& text) {
    std::uint64_t size = 0;
    if (!Number(size, 4) || bytes_.size() - at_ < size) return false;
    text.assign(bytes_.substr(at_, size));
    at_ += size;
    return true;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace

std::string CacheBytes(const std::vector<Demo>& demos, const std::vector<std::string>& indexes) {
  std::vector<const Demo*> all;
  all.reserve(demos.size());
  for (const Demo& demo : demos) all.push_back(&demo);
  return CacheBytes(all, indexes);
}

std::string CacheBytes(const std::vector<const Demo*>& demos, const std::vector<std::string>& indexes) {
  std::string body;
  body.reserve(demos.size() * 160);
  for (const Demo* demo : demos) {
    const Demo& d = *demo;
    PutText(body, d.path);
    PutNumber(body, d.size, 8);
    PutNumber(body, d.writeTime, 8);
    PutNumber(body, d.read ? 1 : 0, 1);
    for (const std::string* text : {&d.game, &d.map, &d.mod, &d.players, &d.type, &d.line}) {
      PutText(body, *text);
    }
    std::uint64_t seconds = 0;
    std::memcpy(&seconds, &d.seconds, sizeof seconds);
    PutNumber(body, seconds, 8);
    PutNumber(body, d.roster.size(), 4);
    for (const std::string& player : d.roster) PutText(body, player);
  }
  PutNumber(body, indexes.size(), 4);
  for (const std::string& index : indexes) PutText(body, index);
  std::string out(kMagic);
  PutNumber(out, kVersion, 4);
  PutNumber(out, demos.size(), 4);
  PutNumber(out, body.size(), 8);
  PutNumber(out, Checksum(body), 8);
  return out + body;
}

CacheStatus ParseCache(const std::string& bytes, std::vector<Demo>& demos,
                       std::vector<std::string>* indexes) {
  demos.clear();
  if (indexes) indexes->clear();
  if (bytes.empty()) return CacheStatus::Missing;
  if (bytes.compare(0, kMagic.size(), kMagic) != 0) {
    // A cut-off start of our own magic is a torn file, anything else someone else's.
    return kMagic.compare(0, bytes.size(), bytes) == 0 ? CacheStatus::Truncated
                                                       : CacheStatus::Foreign;
  }
  Reader header(std::string_view(bytes).substr(kMagic.size()));
  std::uint64_t version = 0, count = 0, length = 0, sum = 0;
  if (!header.Number(version, 4)) return CacheStatus::Truncated;
  if (version > kVersion) return CacheStatus::Newer;
  if (version < kVersion) return CacheStatus::Corrupt;  // an older layout: read again
  if (!header.Number(count, 4) || !header.Number(length, 8) || !header.Number(sum, 8)) {
    return CacheStatus::Truncated;
  }
  const std::string_view body = std::string_view(bytes).substr(std::min(bytes.size(), kHeader));
  if (body.size() < length) return CacheStatus::Truncated;
  if (body.size() > length || Checksum(body) != sum || count > kMaxCount) {
    return CacheStatus::Corrupt;
  }
  Reader in(body);
  std::vector<Demo> read;
  read.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, body.size() / 40 + 1)));
  for (std::uint64_t i = 0; i < count; ++i) {
    Demo d;
    std::uint64_t flag = 0, seconds = 0, players = 0;
    bool ok = in.Text(d.path) && in.Number(d.size, 8) && in.Number(d.writeTime, 8) &&
              in.Number(flag, 1) && in.Text(d.game) && in.Text(d.map) && in.Text(d.mod) &&
              in.Text(d.players) && in.Text(d.type) && in.Text(d.line) &&
              in.Number(seconds, 8) && in.Number(players, 4) && flag <= 1 && !d.path.empty();
    for (std::uint64_t p = 0; ok && p < players; ++p) {
      ok = in.Text(d.roster.emplace_back());
    }
    if (!ok) return CacheStatus::Corrupt;
    d.read = flag == 1;
    std::memcpy(&d.seconds, &seconds, sizeof seconds);
    read.push_back(std::move(d));
  }
  std::uint64_t indexCount = 0;
  if (!in.Number(indexCount, 4)) return CacheStatus::Corrupt;
  std::vector<std::string> saved;
  for (std::uint64_t i = 0; i < indexCount; ++i) {
    if (!in.Text(saved.emplace_back())) return CacheStatus::Corrupt;
  }
  if (!in.AtEnd()) return CacheStatus::Corrupt;
  demos = std::move(read);
  if (indexes) *indexes = std::move(saved);
  return CacheStatus::Loaded;
}

std::string CachePath(Ports& ports) {
  const std::string folder = ports.process.UserFolderPath(UserFolder::LocalAppData);
  if (folder.empty()) return {};
  return folder + "\\Replaydock\\Library.cache";
}

CacheStatus LoadCache(FileSystem& files, const std::string& path, std::vector<Demo>& demos,
                      std::vector<std::string>* indexes) {
  demos.clear();
  if (indexes) indexes->clear();
  FileFacts facts;
  if (path.empty() || files.Facts(path, facts) != 0) return CacheStatus::Missing;
  std::string bytes;
  if (files.ReadBytes(path, 0, static_cast<std::size_t>(facts.size), bytes) != 0) {
    return CacheStatus::Missing;
  }
  if (bytes.empty()) return CacheStatus::Truncated;
  return ParseCache(bytes, demos, indexes);
}

std::uint32_t SaveCache(FileSystem& files, const std::string& path,
                        const std::vector<Demo>& demos) {
  return SaveCacheBytes(files, path, CacheBytes(demos));
}

std::uint32_t SaveCacheBytes(FileSystem& files, const std::string& path, const std::string& bytes) {
  const auto cut = path.find_last_of('\\');
  if (cut == std::string::npos) return 3;  // ERROR_PATH_NOT_FOUND
  files.MakeFolder(path.substr(0, cut));  // already there, mostly
  const std::string temporary = path + ".new";
  std::uint32_t code = files.WriteFile(temporary, bytes);
  if (code == 0) code = files.Move(temporary, path);
  if (code != 0) files.Remove(temporary);
  return code;
}

}  // namespace rd::library
