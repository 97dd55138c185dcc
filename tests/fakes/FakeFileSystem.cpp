#include "tests/fakes/FakeFileSystem.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "ports/WinErrors.h"
#include "util/Text.h"

namespace rd::fakes {
namespace {

bool Match(std::string_view pattern, std::string_view name) {
  // Classic wildcard match, letter case ignored.
  std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || util::EqualsNoCase(pattern.substr(p, 1), name.substr(n, 1)))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  // "name.*" also matches a name without a dot, as on Windows.
  if (p + 2 == pattern.size() && pattern.substr(p) == ".*") return true;
  return p == pattern.size();
}

// A character no file name can hold (the colon only after a drive letter).
bool BadChar(char c) {
  return std::string_view("\"<>|:").find(c) != std::string_view::npos ||
         static_cast<unsigned char>(c) < 32;
}

std::string ParentOf(const std::string& key) {
  const auto cut = key.find_last_of('\\');
  return cut == std::string::npos ? std::string() : key.substr(0, cut);
}

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

constexpr auto kInvalidName = static_cast<std::uint32_t>(winerr::InvalidName);

}  // namespace

std::optional<std::uint32_t> FakeFileSystem::Call(Op op, const std::string& line) {
  calls_.push_back(line);
  if (sharedLog && line.rfind("find", 0) != 0) sharedLog->push_back("fs " + line);
  const auto it = std::find_if(failures_.begin(), failures_.end(),
                               [&](Failure& f) { return f.op == op && f.skip-- == 0; });
  if (it == failures_.end()) return std::nullopt;
  const std::uint32_t code = it->code;
  failures_.erase(it);
  return code;
}

FakeFileSystem::Parsed FakeFileSystem::Parse(const std::string& path, bool allowWildcards) const {
  // A path of any length goes, but no name of over 255 characters nor path of over 32767.
  std::size_t name = 0, length = 0;
  for (const char c : path) {
    if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;  // inside a UTF-8 letter
    name = c == '\\' || c == '/' ? 0 : name + 1;
    if (name > 255 || ++length > 32767) return {winerr::FilenameTooLong};
  }
  if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) {
    return {path.rfind("\\\\", 0) == 0 ? static_cast<std::uint32_t>(winerr::PathNotFound)
                                       : kInvalidName};
  }
  std::string rest = path.substr(2);
  if (std::any_of(rest.begin(), rest.end(), BadChar)) return {kInvalidName};
  const char drive = Upper(path[0]);
  const auto d = drives_.find(drive);
  if (d == drives_.end()) return {winerr::PathNotFound};
  if (!d->second) return {winerr::NotReady};
  // Windows reads a run of backslashes inside a path as one.
  for (auto run = rest.find("\\\\"); run != std::string::npos; run = rest.find("\\\\", run)) {
    rest.erase(run, 1);
  }
  if (rest.empty() || rest.front() != '\\') return {kInvalidName};
  while (rest.size() > 1 && rest.back() == '\\') rest.pop_back();
  const auto cut = rest.find_last_of('\\');
  Parsed out;
  out.parent = util::ToLower(std::string(1, drive) + ":" + rest.substr(0, cut));
  out.leaf = rest.substr(cut + 1);
  if (rest.substr(0, cut).find_first_of("*?") != std::string::npos ||
      (!allowWildcards && out.leaf.find_first_of("*?") != std::string::npos)) {
    return {kInvalidName};
  }
  // A folder named on the way must exist as a folder; its short 8.3 name names it too.
  std::string resolved = out.parent.substr(0, 2);
  for (std::size_t pos = 2; pos < out.parent.size();) {
    const auto next = std::min(out.parent.find('\\', pos + 1), out.parent.size());
    const std::string name = out.parent.substr(pos + 1, next - pos - 1);
    auto e = entries_.find(resolved + "\\" + name);
    if (e == entries_.end()) {
      e = std::find_if(entries_.begin(), entries_.end(), [&](const auto& kv) {
        return util::ToLower(kv.second.shortName) == name && ParentOf(kv.first) == resolved;
      });
    }
    if (e == entries_.end() || !e->second.folder) return {winerr::PathNotFound};
    resolved = e->first;
    pos = next;
  }
  out.parent = resolved;
  out.full = out.leaf.empty() ? resolved : resolved + "\\" + util::ToLower(out.leaf);
  return out;
}

FindResult FakeFileSystem::Find(const std::string& pattern, bool foldersToo) {
  if (auto code = foldersToo ? Call(Op::FindEntry, "findentry " + pattern)
                             : Call(Op::FindFile, "findfile " + pattern)) {
    return {FindStatus::Error, {}, *code};
  }
  // As FindFirstFileA answers: a folder part that is no valid name is an error, but the last
  // component is only a mask, so odd characters there, a trailing backslash, a bare drive
  // or a relative name simply match nothing.
  const auto slash = pattern.find_last_of('\\');
  if (slash == std::string::npos) return {};
  const std::string head = pattern.substr(0, slash);
  std::string mask = pattern.substr(slash + 1);
  for (std::size_t i = 0; i < head.size(); ++i) {
    const char c = head[i];
    if ((BadChar(c) && !(c == ':' && i == 1)) || c == '*' || c == '?') {
      return {FindStatus::Error, {}, kInvalidName};
    }
  }
  const bool rooted = (head.size() >= 2 && head[1] == ':') || head.rfind("\\\\", 0) == 0;
  // A relative name would need a current folder, which the fake does not have.
  if (mask.empty() || !rooted || std::any_of(mask.begin(), mask.end(), BadChar)) return {};
  // Trailing dots and spaces of a plain name are dropped, as Windows drops them.
  if (mask != "." && mask != ".." && mask.find_first_of("*?") == std::string::npos) {
    while (!mask.empty() && (mask.back() == '.' || mask.back() == ' ')) mask.pop_back();
    if (mask.empty()) return {};
  }
  const Parsed p = Parse(head + "\\" + mask, true);
  if (p.code == static_cast<std::uint32_t>(winerr::PathNotFound)) return {};
  if (p.code) return {FindStatus::Error, {}, p.code};
  // The first match in name order, as NTFS lists them.
  const Entry* first = nullptr;
  for (const auto& [key, e] : entries_) {
    if (ParentOf(key) != p.parent || e.attributes.hidden || e.attributes.system ||
        (e.folder && !foldersToo)) {
      continue;
    }
    if (!Match(p.leaf, e.name) && (e.shortName.empty() || !Match(p.leaf, e.shortName))) continue;
    if (!first || util::CompareNoCase(e.name, first->name) < 0) first = &e;
  }
  if (!first) return {};
  return {FindStatus::Found, first->name, 0};
}

std::uint32_t FakeFileSystem::MakeFolder(const std::string& path) {
  if (auto code = Call(Op::MakeFolder, "mkdir " + path)) return *code;
  const Parsed p = Parse(path, false);
  if (p.code) return p.code;
  if (entries_.count(p.full)) return winerr::AlreadyExists;
  entries_[p.full] = Entry{p.leaf, true, {}, {}, {}};
  return 0;
}

std::uint32_t FakeFileSystem::Transfer(const std::string& from, const std::string& to, bool move) {
  if (auto code =
          Call(move ? Op::Move : Op::Copy, (move ? "move " : "copy ") + from + " -> " + to)) {
    return *code;
  }
  const Parsed s = Parse(from, false), d = Parse(to, false);
  if (s.code) return s.code;
  const auto src = entries_.find(s.full);
  if (src == entries_.end()) return winerr::FileNotFound;
  if (d.code) return d.code;
  const auto dst = entries_.find(d.full);
  const bool dstTaken = dst != entries_.end();
  if (src->second.folder || (move && src->second.attributes.readOnly) ||
      (dstTaken && (dst->second.folder || dst->second.attributes.readOnly))) {
    return winerr::AccessDenied;
  }
  // A copy is a plain new file; a moved one keeps what it was.
  Entry e = move ? src->second : Entry{};
  e.content = src->second.content;
  e.name = dstTaken ? dst->second.name : d.leaf;
  const auto halfway = move ? std::nullopt : std::exchange(copyHalfway_, std::nullopt);
  if (move) entries_.erase(src);
  if (halfway) e.content.resize(e.content.size() / 2);
  if (!move) e.writeTime = ++clock_;
  entries_[d.full] = std::move(e);
  return halfway.value_or(0);
}

std::uint32_t FakeFileSystem::Remove(const std::string& path) {
  if (auto code = Call(Op::Remove, "delete " + path)) return *code;
  const Parsed p = Parse(path, false);
  if (p.code) return p.code;
  const auto it = entries_.find(p.full);
  if (it == entries_.end()) return winerr::FileNotFound;
  if (it->second.folder || it->second.attributes.readOnly) return winerr::AccessDenied;
  entries_.erase(it);
  return 0;
}

void FakeFileSystem::AddDrive(char letter, bool ready) { drives_[Upper(letter)] = ready; }

// Each missing folder on the way to path, path included, spelt as path spells it.
void FakeFileSystem::AddFolders(const std::string& path) {
  AddDrive(path.at(0));
  for (auto pos = path.find('\\'); pos != std::string::npos;) {
    const auto next = path.find('\\', pos + 1);
    const std::string prefix = path.substr(0, next);
    if (prefix.size() > pos + 1) {
      entries_.try_emplace(util::ToLower(prefix), Entry{prefix.substr(pos + 1), true, {}, {}, {}});
    }
    pos = next;
  }
}

void FakeFileSystem::AddFolder(const std::string& path, FileAttributes attributes,
                               std::string shortName) {
  AddFolders(path);
  auto& e = entries_[util::ToLower(path)];
  e.attributes = attributes;
  e.shortName = std::move(shortName);
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& content,
                             FileAttributes attributes, std::string shortName) {
  const auto cut = path.find_last_of('\\');
  AddFolders(path.substr(0, cut));  // a folder already there keeps what it was
  entries_[util::ToLower(path)] =
      Entry{path.substr(cut + 1), false, attributes, std::move(shortName), content, ++clock_};
}

std::uint32_t FakeFileSystem::Existing(const std::string& path, const Entry*& file) const {
  const Parsed p = Parse(path, false);
  if (p.code) return p.code;
  const auto it = entries_.find(p.full);
  if (it == entries_.end()) return winerr::FileNotFound;
  if (it->second.folder) return winerr::AccessDenied;
  file = &it->second;
  return 0;
}

std::uint32_t FakeFileSystem::ReadBytes(const std::string& path, std::uint64_t offset,
                                        std::size_t count, std::string& bytes) {
  bytes.clear();
  if (auto code = Call(Op::ReadBytes, "read " + path)) return *code;
  const Entry* file = nullptr;
  if (const std::uint32_t code = Existing(path, file)) return code;
  if (offset < file->content.size()) bytes = file->content.substr(offset, count);
  return 0;
}

std::uint32_t FakeFileSystem::Facts(const std::string& path, FileFacts& facts) {
  if (auto code = Call(Op::Facts, "facts " + path)) return *code;
  const Entry* file = nullptr;
  if (const std::uint32_t code = Existing(path, file)) return code;
  facts = {file->content.size(), file->writeTime};
  return 0;
}

std::optional<std::string> FakeFileSystem::Content(const std::string& path) const {
  const auto it = entries_.find(util::ToLower(path));
  if (it == entries_.end() || it->second.folder) return std::nullopt;
  return it->second.content;
}

std::vector<std::string> FakeFileSystem::List(const std::string& folder) const {
  std::vector<std::string> names;
  for (const auto& [key, entry] : entries_) {
    if (ParentOf(key) == util::ToLower(folder)) names.push_back(entry.name);
  }
  return names;
}

}  // namespace rd::fakes
