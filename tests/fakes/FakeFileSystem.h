#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ports/FileSystem.h"
#include "ports/WinErrors.h"
#include "util/Text.h"

namespace rd::fakes {

struct FileAttributes {
  bool hidden = false;
  bool system = false;
  bool readOnly = false;
  bool link = false;  // folders: a junction (the fake lists it, nothing more)
};

// An in-memory file system with Windows' path rules: drive-letter paths, backslashes,
// names compared without regard to case, * and ? in the last component of a lookup.
class FakeFileSystem final : public FileSystem {
 public:
  enum class Op { FindFile, FindEntry, MakeFolder, Copy, Move, Remove, ReadBytes, Facts, ListFolder,
                  WriteFile };

  FakeFileSystem() { AddDrive('C'); }

  FindResult FindFile(const std::string& pattern) override { return Find(pattern, false); }
  FindResult FindEntry(const std::string& pattern) override { return Find(pattern, true); }
  std::uint32_t MakeFolder(const std::string& path) override {
    const Parsed p = Parse(path, false);
    if (auto code = Call(Op::MakeFolder, "mkdir " + path, p.code)) return *code;
    if (Refused(p.key)) return winerr::AccessDenied;
    if (entries_.count(p.key)) return winerr::AlreadyExists;
    entries_[p.key] = Entry{p.leaf, true};
    return 0;
  }
  std::uint32_t Copy(const std::string& from, const std::string& to) override {
    return Transfer(from, to, false);
  }
  std::uint32_t Move(const std::string& from, const std::string& to) override {
    return Transfer(from, to, true);
  }
  std::uint32_t Remove(const std::string& path) override {
    Entry* file = nullptr;
    if (auto code = Call(Op::Remove, "delete " + path, Existing(path, file))) return *code;
    if (file->attributes.readOnly || Refused(Parse(path, false).key)) return winerr::AccessDenied;
    entries_.erase(Parse(path, false).key);
    return 0;
  }
  std::uint32_t ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count,
                          std::string& bytes) override {
    Entry* file = nullptr;
    bytes.clear();
    if (auto code = Call(Op::ReadBytes, "read " + path, Existing(path, file))) return *code;
    if (offset < file->content.size()) bytes = file->content.substr(offset, count);
    return 0;
  }
  std::uint32_t WriteFile(const std::string& path, const std::string& bytes) override {
    const Parsed p = Parse(path, false);
    if (auto code = Call(Op::WriteFile, "write " + path, p.code)) return *code;
    const auto it = entries_.find(p.key);
    if (it != entries_.end() && (it->second.folder || it->second.attributes.readOnly)) {
      return winerr::AccessDenied;
    }
    entries_[p.key] = Entry{it != entries_.end() ? it->second.name : p.leaf, false, {}, bytes,
                            ++clock_};
    return 0;
  }
  std::uint32_t Facts(const std::string& path, FileFacts& facts) override {
    Entry* file = nullptr;
    if (auto code = Call(Op::Facts, "facts " + path, Existing(path, file))) return *code;
    facts = {file->content.size(), file->writeTime};
    return 0;
  }

  std::uint32_t ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
    entries.clear();
    const Parsed p = Parse(folder, false);
    const auto it = entries_.find(p.key);
    const std::uint32_t missing = it == entries_.end()  ? std::uint32_t{winerr::FileNotFound}
                                  : !it->second.folder ? std::uint32_t{winerr::DirectoryName}
                                                        : 0;
    if (auto code = Call(Op::ListFolder, "list " + folder, p.code ? p.code : missing)) return *code;
    for (const auto& [key, e] : entries_) {
      if (key.size() <= p.key.size() || key.compare(0, p.key.size(), p.key) != 0 ||
          key[p.key.size()] != '\\' || key.find('\\', p.key.size() + 1) != std::string::npos ||
          e.attributes.hidden || e.attributes.system) {
        continue;
      }
      entries.push_back({e.name, e.folder, e.attributes.link,
                         e.folder ? FileFacts{} : FileFacts{e.content.size(), e.writeTime}});
    }
    return 0;
  }

  // --- for tests ---
  void AddDrive(char letter, bool ready = true) { drives_[Upper(letter)] = ready; }
  // Each creates the missing folders on the way too, spelt as path spells them.
  void AddFolder(const std::string& path, FileAttributes attributes = {}) {
    drives_.try_emplace(Upper(path.at(0)), true);
    for (auto pos = path.find('\\', 3);; pos = path.find('\\', pos + 1)) {
      const std::string prefix = path.substr(0, pos);
      entries_.try_emplace(Lower(prefix), Entry{prefix.substr(prefix.rfind('\\') + 1), true});
      if (pos == std::string::npos) break;
    }
    entries_[Lower(path)].attributes = attributes;
  }
  void AddFile(const std::string& path, const std::string& content = {},
               FileAttributes attributes = {}) {
    const auto cut = path.rfind('\\');
    if (cut > 2 && !entries_.count(Lower(path.substr(0, cut)))) AddFolder(path.substr(0, cut));
    drives_.try_emplace(Upper(path.at(0)), true);
    entries_[Lower(path)] = Entry{path.substr(cut + 1), false, attributes, content, ++clock_};
  }
  std::optional<std::string> Content(const std::string& path) const {
    const auto it = entries_.find(Lower(path));
    if (it == entries_.end() || it->second.folder) return std::nullopt;
    return it->second.content;
  }
  std::vector<std::string> List(const std::string& folder) const {  // names, as spelt
    std::vector<std::string> names;
    for (const auto& [key, entry] : entries_) {
      if (key.substr(0, key.rfind('\\')) == Lower(folder)) names.push_back(entry.name);
    }
    return names;
  }
  // Refuses every change below the folder (access denied), as Program Files does to a
  // program Windows does not virtualize.
  void RefuseWritesUnder(const std::string& folder) { refused_.push_back(Lower(folder) + "\\"); }
  // Makes the skip-th next call of op answer code (for Find*: an Error) and do nothing.
  void FailNext(Op op, std::uint32_t code, int skip = 0) { failures_.push_back({op, code, skip}); }
  // The next copy writes half of the file, then answers code (disk full, say).
  void FailCopyHalfway(std::uint32_t code = 112) { copyHalfway_ = code; }
  // One line per call: "findfile C:\x", "copy A -> B", "mkdir", "move", "delete", "read", "facts".
  const std::vector<std::string>& Calls() const { return calls_; }
  std::vector<std::string>* sharedLog = nullptr;  // also gets every change, not the lookups and reads

 private:
  static constexpr std::uint32_t kBadName = winerr::InvalidName, kNoPath = winerr::PathNotFound;
  struct Entry {
    std::string name;
    bool folder = false;
    FileAttributes attributes = {};
    std::string content = {};
    std::uint64_t writeTime = 0;
  };
  struct Parsed {
    std::uint32_t code = 0;           // or the error Windows gives for the path
    std::string key = {}, leaf = {};  // the full path in lower case; the last name as spelt
    std::string parent = {};          // in lower case
  };

  static char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
  static std::string Lower(const std::string& s) { return util::ToLower(s); }
  // A character no file name can hold (the colon only after a drive letter).
  static bool BadChar(char c) {
    return std::string_view("\"<>|:").find(c) != std::string_view::npos ||
           static_cast<unsigned char>(c) < 32;
  }
  // Wildcards as FindFirstFile reads them, letter case ignored; "x.*" also matches "x".
  static bool Match(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
      if (p < pattern.size() && pattern[p] == '*') {
        star = p++;
        mark = n;
      } else if (p < pattern.size() && (pattern[p] == '?' || Upper(pattern[p]) == Upper(name[n]))) {
        ++p, ++n;
      } else if (star != std::string_view::npos) {
        p = star + 1;
        n = ++mark;
      } else {
        return false;
      }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size() || pattern.substr(p) == ".*";
  }

  // Logs a call of op; answers the failure injected for it, else the path's error, if any.
  std::optional<std::uint32_t> Call(Op op, const std::string& line, std::uint32_t pathError) {
    calls_.push_back(line);
    const bool looks = line.rfind("find", 0) == 0 || line.rfind("read", 0) == 0 ||
                       line.rfind("facts", 0) == 0 || line.rfind("list", 0) == 0;
    if (sharedLog && !looks) sharedLog->push_back("fs " + line);
    const auto it = std::find_if(failures_.begin(), failures_.end(),
                                 [&](Failure& f) { return f.op == op && f.skip-- == 0; });
    if (it == failures_.end()) return pathError ? std::optional(pathError) : std::nullopt;
    const std::uint32_t code = it->code;
    failures_.erase(it);
    return code;
  }

  Parsed Parse(const std::string& path, bool wildcards) const {
    // A path of any length goes, but no name of over 255 characters nor path of over 32767.
    std::size_t name = 0, length = 0;
    for (const char c : path) {
      if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;  // inside a UTF-8 letter
      name = c == '\\' || c == '/' ? 0 : name + 1;
      if (name > 255 || ++length > 32767) return {winerr::FilenameTooLong};
    }
    if (path.size() < 2 || path[1] != ':' || Upper(path[0]) < 'A' || Upper(path[0]) > 'Z') {
      return {path.rfind("\\\\", 0) == 0 ? kNoPath : kBadName};
    }
    std::string rest;
    for (const char c : path.substr(2)) {
      if (BadChar(c)) return {kBadName};
      if (c != '\\' || rest.empty() || rest.back() != '\\') rest += c;  // a run counts as one
    }
    const auto drive = drives_.find(Upper(path[0]));
    if (drive == drives_.end()) return {kNoPath};
    if (!drive->second) return {winerr::NotReady};
    if (rest.empty() || rest[0] != '\\') return {kBadName};
    if (rest.size() > 1 && rest.back() == '\\') rest.pop_back();
    const auto cut = rest.rfind('\\');
    Parsed out{0, {}, rest.substr(cut + 1), Lower(path.substr(0, 2) + rest.substr(0, cut))};
    if (rest.substr(0, cut).find_first_of("*?") != std::string::npos ||
        (!wildcards && out.leaf.find_first_of("*?") != std::string::npos)) {
      return {kBadName};
    }
    for (std::size_t pos = 3; pos <= out.parent.size(); ++pos) {  // each folder on the way
      if (pos < out.parent.size() && out.parent[pos] != '\\') continue;
      const auto e = entries_.find(out.parent.substr(0, pos));
      if (e == entries_.end() || !e->second.folder) return {kNoPath};
    }
    out.key = out.leaf.empty() ? out.parent : out.parent + "\\" + Lower(out.leaf);
    return out;
  }

  FindResult Find(const std::string& pattern, bool foldersToo) {
    const std::string verb = foldersToo ? "findentry " : "findfile ";
    if (auto code = Call(foldersToo ? Op::FindEntry : Op::FindFile, verb + pattern, 0)) {
      return {FindStatus::Error, {}, *code};
    }
    // As FindFirstFileA answers: a folder part that is no valid name is an error, but the
    // last component is only a mask, so odd characters there, a trailing backslash or a
    // bare drive simply match nothing.
    const auto slash = pattern.rfind('\\');
    const std::string head = pattern.substr(0, slash);
    std::string mask = slash == std::string::npos ? "" : pattern.substr(slash + 1);
    for (std::size_t i = 0; i < head.size() && slash != std::string::npos; ++i) {
      if ((BadChar(head[i]) && !(head[i] == ':' && i == 1)) || head[i] == '*' || head[i] == '?') {
        return {FindStatus::Error, {}, kBadName};
      }
    }
    // Trailing dots and spaces of a plain name are dropped, as Windows drops them.
    while (mask != "." && mask != ".." && mask.find_first_of("*?") == std::string::npos &&
           !mask.empty() && (mask.back() == '.' || mask.back() == ' ')) {
      mask.pop_back();
    }
    if (mask.empty() || std::any_of(mask.begin(), mask.end(), BadChar)) return {};
    const Parsed p = Parse(head + "\\" + mask, true);
    if (p.code == kNoPath) return {FindStatus::NotFound, {}, 0};
    if (p.code) return {FindStatus::Error, {}, p.code};
    const Entry* first = nullptr;  // in name order, as NTFS lists them
    for (const auto& [key, e] : entries_) {
      if (key.substr(0, key.rfind('\\')) == p.parent && !e.attributes.hidden &&
          !e.attributes.system && (foldersToo || !e.folder) && Match(p.leaf, e.name) &&
          (!first || util::CompareNoCase(e.name, first->name) < 0)) {
        first = &e;
      }
    }
    if (!first) return {};
    return {FindStatus::Found, first->name, 0};
  }

  std::uint32_t Transfer(const std::string& from, const std::string& to, bool move) {
    Entry* src = nullptr;
    const std::uint32_t code = Existing(from, src);
    const Parsed d = Parse(to, false);
    const auto line = (move ? "move " : "copy ") + from + " -> " + to;
    if (auto failed = Call(move ? Op::Move : Op::Copy, line, code ? code : d.code)) return *failed;
    if (Refused(d.key) || (move && Refused(Parse(from, false).key))) return winerr::AccessDenied;
    const auto dst = entries_.find(d.key);
    const bool dstLocked =
        dst != entries_.end() && (dst->second.folder || dst->second.attributes.readOnly);
    if (dstLocked || (move && src->attributes.readOnly)) {
      return winerr::AccessDenied;
    }
    // A copy is a plain new file; a moved one keeps what it was.
    Entry e = move ? *src : Entry{{}, false, {}, src->content, ++clock_};
    e.name = dst != entries_.end() ? dst->second.name : d.leaf;
    if (move) entries_.erase(Parse(from, false).key);
    if (!move && copyHalfway_) e.content.resize(e.content.size() / 2);
    entries_[d.key] = std::move(e);
    return move ? 0 : std::exchange(copyHalfway_, std::nullopt).value_or(0);
  }

  // The file at path, or Windows' code (a folder is access denied).
  std::uint32_t Existing(const std::string& path, Entry*& file) {
    const Parsed p = Parse(path, false);
    const auto it = entries_.find(p.key);
    if (p.code || it == entries_.end())
      return p.code ? p.code : std::uint32_t{winerr::FileNotFound};
    file = &it->second;
    return file->folder ? winerr::AccessDenied : 0;
  }

  struct Failure {
    Op op;
    std::uint32_t code;
    int skip;
  };
  std::map<char, bool> drives_;           // letter -> ready
  std::map<std::string, Entry> entries_;  // lower full path -> entry
  bool Refused(const std::string& key) const {
    return std::any_of(refused_.begin(), refused_.end(),
                       [&](const std::string& f) { return key.rfind(f, 0) == 0; });
  }
  std::vector<Failure> failures_;
  std::vector<std::string> refused_;
  std::optional<std::uint32_t> copyHalfway_;
  std::vector<std::string> calls_;
  std::uint64_t clock_ = 0;
};

}  // namespace rd::fakes
