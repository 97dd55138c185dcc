#include "tests/fakes/FakeFileSystem.h"

#include <algorithm>
#include <cctype>

#include "platform/ports/WinErrors.h"
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

constexpr std::string_view kBadChars = "\"<>|";

}  // namespace

FakeFileSystem::FakeFileSystem() { AddDrive('C'); }

void FakeFileSystem::Log(const std::string& line) {
  calls_.push_back(line);
  if (sharedLog && line.rfind("find", 0) != 0) sharedLog->push_back("fs " + line);
}

std::optional<std::uint32_t> FakeFileSystem::Injected(Op op) {
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->op != op) continue;
    if (it->skip > 0) {
      --it->skip;
      continue;
    }
    const std::uint32_t code = it->code;
    failures_.erase(it);
    return code;
  }
  return std::nullopt;
}

std::uint32_t FakeFileSystem::Parse(const std::string& path, std::string& lowerFull,
                                    std::string& lowerParent, std::string& leaf,
                                    bool allowWildcards) const {
  if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) {
    return static_cast<std::uint32_t>(path.rfind("\\\\", 0) == 0 ? winerr::PathNotFound
                                                                 : winerr::InvalidName);
  }
  for (char c : path.substr(2)) {
    if (kBadChars.find(c) != std::string_view::npos || c == ':' ||
        (static_cast<unsigned char>(c) < 32)) {
      return winerr::InvalidName;
    }
  }
  const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  const auto d = drives_.find(drive);
  if (d == drives_.end()) return winerr::PathNotFound;
  if (!d->second) return winerr::NotReady;
  std::string rest = path.substr(2);
  // Windows reads a run of backslashes inside a path as one.
  for (auto run = rest.find("\\\\"); run != std::string::npos; run = rest.find("\\\\", run)) {
    rest.erase(run, 1);
  }
  if (rest.empty() || rest.front() != '\\') return winerr::InvalidName;
  while (rest.size() > 1 && rest.back() == '\\') rest.pop_back();
  const auto cut = rest.find_last_of('\\');
  leaf = rest.substr(cut + 1);
  const std::string parent = rest.substr(0, cut);
  if (parent.find_first_of("*?") != std::string::npos) return winerr::InvalidName;
  if (!allowWildcards && leaf.find_first_of("*?") != std::string::npos) return winerr::InvalidName;
  lowerParent = util::ToLower(std::string(1, drive) + ":" + parent);
  lowerFull = util::ToLower(std::string(1, drive) + ":" + rest);
  if (lowerFull.size() > 2 && lowerFull.back() == '\\') lowerFull.pop_back();
  // A folder named on the way must exist as a folder; its short 8.3 name names it too.
  std::string resolved = lowerParent.substr(0, 2);
  for (std::size_t pos = 2; pos < lowerParent.size();) {
    const auto next = lowerParent.find('\\', pos + 1);
    const std::string name = lowerParent.substr(pos + 1, next - pos - 1);
    std::string candidate = resolved + "\\" + name;
    auto e = entries_.find(candidate);
    if (e == entries_.end()) {
      for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (!it->second.shortName.empty() && util::ToLower(it->second.shortName) == name &&
            it->first.substr(0, it->first.find_last_of('\\')) == resolved) {
          e = it;
          candidate = it->first;
          break;
        }
      }
    }
    if (e == entries_.end() || !e->second.folder) return winerr::PathNotFound;
    resolved = candidate;
    if (next == std::string::npos) break;
    pos = next;
  }
  lowerFull = resolved + lowerFull.substr(lowerParent.size());
  lowerParent = resolved;
  return winerr::Success;
}

FindResult FakeFileSystem::Find(const std::string& pattern, bool foldersToo) {
  Log(std::string(foldersToo ? "findentry " : "findfile ") + pattern);
  if (auto code = Injected(foldersToo ? Op::FindEntry : Op::FindFile)) {
    return {FindStatus::Error, {}, *code};
  }
  if (pattern.empty()) return {};
  // As FindFirstFileA answers: a folder part that is no valid name is an error, but the last
  // component is only a mask, so odd characters there, a trailing backslash, a bare drive
  // or a relative name simply match nothing.
  const auto slash = pattern.find_last_of('\\');
  const std::string head = slash == std::string::npos ? std::string() : pattern.substr(0, slash);
  std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  for (std::size_t i = 0; i < head.size(); ++i) {
    const char c = head[i];
    if (kBadChars.find(c) != std::string_view::npos || c == '*' || c == '?' ||
        static_cast<unsigned char>(c) < 32 || (c == ':' && i != 1)) {
      return {FindStatus::Error, {}, static_cast<std::uint32_t>(winerr::InvalidName)};
    }
  }
  if (mask.empty() || slash == std::string::npos) return {};
  const bool rooted = (head.size() >= 2 && head[1] == ':') || head.rfind("\\\\", 0) == 0;
  if (!rooted) return {};  // relative to a current folder the fake does not have
  for (char c : mask) {
    if (kBadChars.find(c) != std::string_view::npos || c == ':' ||
        static_cast<unsigned char>(c) < 32) {
      return {};
    }
  }
  // Trailing dots and spaces of a plain name are dropped, as Windows drops them.
  if (mask != "." && mask != ".." && mask.find_first_of("*?") == std::string::npos) {
    while (!mask.empty() && (mask.back() == '.' || mask.back() == ' ')) mask.pop_back();
    if (mask.empty()) return {};
  }
  std::string full, parent, leaf;
  const std::uint32_t code = Parse(head + "\\" + mask, full, parent, leaf, true);
  if (code == static_cast<std::uint32_t>(winerr::PathNotFound)) return {};
  if (code != 0) return {FindStatus::Error, {}, code};
  if (leaf.empty()) return {};
  // Entries in name order, as NTFS lists them.
  std::vector<const Entry*> candidates;
  for (const auto& [key, entry] : entries_) {
    const auto cut = key.find_last_of('\\');
    if (cut == std::string::npos || key.substr(0, cut) != parent) continue;
    candidates.push_back(&entry);
  }
  std::sort(candidates.begin(), candidates.end(), [](const Entry* a, const Entry* b) {
    return util::CompareNoCase(a->name, b->name) < 0;
  });
  for (const Entry* entry : candidates) {
    if (entry->attributes.hidden || entry->attributes.system) continue;
    if (entry->folder && !foldersToo) continue;
    if (Match(leaf, entry->name) || (!entry->shortName.empty() && Match(leaf, entry->shortName))) {
      return {FindStatus::Found, entry->name, 0};
    }
  }
  return {};
}

FindResult FakeFileSystem::FindFile(const std::string& pattern) { return Find(pattern, false); }
FindResult FakeFileSystem::FindEntry(const std::string& pattern) { return Find(pattern, true); }

std::uint32_t FakeFileSystem::MakeFolder(const std::string& path) {
  Log("mkdir " + path);
  if (auto code = Injected(Op::MakeFolder)) return *code;
  std::string full, parent, leaf;
  if (const auto code = Parse(path, full, parent, leaf, false)) return code;
  if (entries_.count(full)) return winerr::AlreadyExists;
  if (parent.size() > 2 && entries_[parent].writeProtected) return winerr::AccessDenied;
  Entry e;
  e.name = leaf;
  e.folder = true;
  entries_[full] = e;
  return 0;
}

std::uint32_t FakeFileSystem::Copy(const std::string& from, const std::string& to) {
  Log("copy " + from + " -> " + to);
  if (auto code = Injected(Op::Copy)) return *code;
  std::string sFull, sParent, sLeaf, dFull, dParent, dLeaf;
  if (const auto code = Parse(from, sFull, sParent, sLeaf, false)) return code;
  const auto src = entries_.find(sFull);
  if (src == entries_.end()) return winerr::FileNotFound;
  if (src->second.folder) return winerr::AccessDenied;
  if (const auto code = Parse(to, dFull, dParent, dLeaf, false)) return code;
  const auto dst = entries_.find(dFull);
  if (dst != entries_.end() && (dst->second.folder || dst->second.attributes.readOnly)) {
    return winerr::AccessDenied;
  }
  if (dParent.size() > 2 && entries_[dParent].writeProtected) return winerr::AccessDenied;
  Entry copy;
  copy.name = dst != entries_.end() ? dst->second.name : dLeaf;
  copy.content = src->second.content;
  if (copyHalfway_) {
    copyHalfway_ = false;
    copy.content.resize(copy.content.size() / 2);
    entries_[dFull] = copy;
    return copyHalfwayCode_;
  }
  entries_[dFull] = copy;
  return 0;
}

std::uint32_t FakeFileSystem::Move(const std::string& from, const std::string& to) {
  Log("move " + from + " -> " + to);
  if (auto code = Injected(Op::Move)) return *code;
  std::string sFull, sParent, sLeaf, dFull, dParent, dLeaf;
  if (const auto code = Parse(from, sFull, sParent, sLeaf, false)) return code;
  const auto src = entries_.find(sFull);
  if (src == entries_.end()) return winerr::FileNotFound;
  if (const auto code = Parse(to, dFull, dParent, dLeaf, false)) return code;
  const auto dst = entries_.find(dFull);
  if (dst != entries_.end() && (dst->second.folder || dst->second.attributes.readOnly)) {
    return winerr::AccessDenied;
  }
  if (src->second.folder) return winerr::AccessDenied;
  Entry moved = src->second;
  moved.name = dst != entries_.end() ? dst->second.name : dLeaf;
  entries_.erase(src);
  entries_[dFull] = moved;
  return 0;
}

std::uint32_t FakeFileSystem::Remove(const std::string& path) {
  Log("delete " + path);
  if (auto code = Injected(Op::Remove)) return *code;
  std::string full, parent, leaf;
  if (const auto code = Parse(path, full, parent, leaf, false)) return code;
  const auto it = entries_.find(full);
  if (it == entries_.end()) return winerr::FileNotFound;
  if (it->second.folder || it->second.attributes.readOnly) return winerr::AccessDenied;
  entries_.erase(it);
  return 0;
}

void FakeFileSystem::AddDrive(char letter, bool ready) {
  drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = ready;
}

void FakeFileSystem::AddFolder(const std::string& path, Attributes attributes,
                               std::string shortName) {
  AddDrive(path.at(0));
  std::string walk;
  std::size_t pos = path.find('\\');
  while (pos != std::string::npos) {
    const std::size_t next = path.find('\\', pos + 1);
    const std::string prefix = path.substr(0, next);
    const std::string lower = util::ToLower(prefix);
    if (!entries_.count(lower) && prefix.size() > pos + 1) {
      Entry e;
      e.name = prefix.substr(pos + 1);
      e.folder = true;
      entries_[lower] = e;
    }
    pos = next;
  }
  auto& e = entries_[util::ToLower(path)];
  e.attributes = attributes;
  e.shortName = std::move(shortName);
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& content,
                             Attributes attributes, std::string shortName) {
  const auto cut = path.find_last_of('\\');
  // A folder already there keeps its attributes and short name.
  if (cut > 2 && !entries_.count(util::ToLower(path.substr(0, cut)))) {
    AddFolder(path.substr(0, cut));
  }
  AddDrive(path.at(0));
  Entry e;
  e.name = path.substr(cut + 1);
  e.content = content;
  e.attributes = attributes;
  e.shortName = std::move(shortName);
  entries_[util::ToLower(path)] = e;
}

bool FakeFileSystem::Exists(const std::string& path) const {
  return entries_.count(util::ToLower(path)) > 0;
}

bool FakeFileSystem::IsFolder(const std::string& path) const {
  const auto it = entries_.find(util::ToLower(path));
  return it != entries_.end() && it->second.folder;
}

std::optional<std::string> FakeFileSystem::Content(const std::string& path) const {
  const auto it = entries_.find(util::ToLower(path));
  if (it == entries_.end() || it->second.folder) return std::nullopt;
  return it->second.content;
}

std::vector<std::string> FakeFileSystem::List(const std::string& folder) const {
  std::vector<std::string> names;
  const std::string lower = util::ToLower(folder);
  for (const auto& [key, entry] : entries_) {
    const auto cut = key.find_last_of('\\');
    if (cut != std::string::npos && key.substr(0, cut) == lower) names.push_back(entry.name);
  }
  return names;
}

void FakeFileSystem::FailNext(Op op, std::uint32_t code, int skip) {
  failures_.push_back(Failure{op, code, skip});
}

void FakeFileSystem::FailCopyHalfway(std::uint32_t code) {
  copyHalfway_ = true;
  copyHalfwayCode_ = code;
}

void FakeFileSystem::MakeReadOnlyFolder(const std::string& path) {
  AddFolder(path);
  entries_[util::ToLower(path)].writeProtected = true;
}

}  // namespace rd::fakes
