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

void CacheWriter::Add(const Demo& d) {
  PutText(body_, d.path);
  PutNumber(body_, d.size, 8);
  PutNumber(body_, d.writeTime, 8);
  PutNumber(body_, d.read ? 1 : 0, 1);
  for (const std::string* text : {&d.game, &d.map, &d.mod, &d.players, &d.type, &d.line}) {
    PutText(body_, *text);
  }
  std::uint64_t seconds = 0;
  std::memcpy(&seconds, &d.seconds, sizeof seconds);
  PutNumber(body_, seconds, 8);
  PutNumber(body_, d.roster.size(), 4);
  for (const std::string& player : d.roster) PutText(body_, player);
  ++count_;
}

std::string CacheWriter::Finish(const std::vector<std::string>& indexes) const {
  std::string tail;
  PutNumber(tail, indexes.size(), 4);
  for (const std::string& index : indexes) PutText(tail, index);
  std::string out(kMagic);
  out.reserve(kHeader + body_.size() + tail.size());
  PutNumber(out, kVersion, 4);
  PutNumber(out, count_, 4);
  PutNumber(out, body_.size() + tail.size(), 8);
  const std::size_t sumAt = out.size();
  PutNumber(out, 0, 8);
  out += body_;
  out += tail;
  const std::uint64_t sum = Checksum(std::string_view(out).substr(kHeader));
  for (int i = 0; i < 8; ++i)
    out[sumAt + static_cast<std::size_t>(i)] = static_cast<char>((sum >> (8 * i)) & 0xFF);
  return out;
}

std::string CacheBytes(const std::vector<Demo>& demos, const std::vector<std::string>& indexes) {
  CacheWriter writer;
  for (const Demo& demo : demos) writer.Add(demo);
  return writer.Finish(indexes);
}

namespace {

// Reads the whole cache, handing each demo on when each is given; only checks otherwise.
CacheStatus Walk(const std::string& bytes, const EachDemo* each,
                 std::vector<std::string>* indexes) {
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
  Demo d;  // one for all: its texts keep their room from one demo to the next
  for (std::uint64_t i = 0; i < count; ++i) {
    std::uint64_t flag = 0, seconds = 0, players = 0;
    bool ok = in.Text(d.path) && in.Number(d.size, 8) && in.Number(d.writeTime, 8) &&
              in.Number(flag, 1) && in.Text(d.game) && in.Text(d.map) && in.Text(d.mod) &&
              in.Text(d.players) && in.Text(d.type) && in.Text(d.line) && in.Number(seconds, 8) &&
              in.Number(players, 4) && flag <= 1 && !d.path.empty() && players <= body.size();
    d.roster.resize(ok ? static_cast<std::size_t>(players) : 0);
    for (std::string& player : d.roster) ok = ok && in.Text(player);
    if (!ok) return CacheStatus::Corrupt;
    d.read = flag == 1;
    std::memcpy(&d.seconds, &seconds, sizeof seconds);
    if (each) (*each)(Demo(d));
  }
  std::uint64_t indexCount = 0;
  if (!in.Number(indexCount, 4)) return CacheStatus::Corrupt;
  std::vector<std::string> saved;
  for (std::uint64_t i = 0; i < indexCount; ++i) {
    if (!in.Text(saved.emplace_back())) return CacheStatus::Corrupt;
  }
  if (!in.AtEnd()) return CacheStatus::Corrupt;
  if (indexes) *indexes = std::move(saved);
  return CacheStatus::Loaded;
}

}  // namespace

CacheStatus ParseCache(const std::string& bytes, const EachDemo& each,
                       std::vector<std::string>* indexes) {
  const CacheStatus status = Walk(bytes, nullptr, indexes);
  return status == CacheStatus::Loaded ? Walk(bytes, &each, indexes) : status;
}

CacheStatus ParseCache(const std::string& bytes, std::vector<Demo>& demos,
                       std::vector<std::string>* indexes) {
  demos.clear();
  return ParseCache(
      bytes, [&demos](Demo&& demo) { demos.push_back(std::move(demo)); }, indexes);
}

std::string CachePath(Ports& ports) {
  const std::string folder = ports.process.UserFolderPath(UserFolder::LocalAppData);
  if (folder.empty()) return {};
  return folder + "\\Replaydock\\Library.cache";
}

CacheStatus LoadCache(FileSystem& files, const std::string& path, const EachDemo& each,
                      std::vector<std::string>* indexes) {
  if (indexes) indexes->clear();
  FileFacts facts;
  if (path.empty() || files.Facts(path, facts) != 0) return CacheStatus::Missing;
  std::string bytes;
  if (files.ReadBytes(path, 0, static_cast<std::size_t>(facts.size), bytes) != 0) {
    return CacheStatus::Missing;
  }
  if (bytes.empty()) return CacheStatus::Truncated;
  return ParseCache(bytes, each, indexes);
}

CacheStatus LoadCache(FileSystem& files, const std::string& path, std::vector<Demo>& demos,
                      std::vector<std::string>* indexes) {
  demos.clear();
  return LoadCache(
      files, path, [&demos](Demo&& demo) { demos.push_back(std::move(demo)); }, indexes);
}

std::uint32_t SaveCache(FileSystem& files, const std::string& path,
                        const std::vector<Demo>& demos) {
  return SaveCacheBytes(files, path, CacheBytes(demos));
}

std::uint32_t SaveCacheBytes(FileSystem& files, const std::string& path, const std::string& bytes) {
  const auto cut = path.find_last_of('\\');
  if (cut == std::string::npos) return 3;  // ERROR_PATH_NOT_FOUND
  files.MakeFolder(path.substr(0, cut));   // already there, mostly
  const std::string temporary = path + ".new";
  std::uint32_t code = files.WriteFile(temporary, bytes);
  if (code == 0) code = files.Move(temporary, path);
  if (code != 0) files.Remove(temporary);
  return code;
}

}  // namespace rd::library
