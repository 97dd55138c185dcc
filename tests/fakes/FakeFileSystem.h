#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ports/FileSystem.h"

namespace rd::fakes {

struct FileAttributes {
  bool hidden = false;
  bool system = false;
  bool readOnly = false;
};

// An in-memory file system with Windows' path rules: drive-letter paths, backslashes,
// names compared without regard to case, * and ? in the last component, optional 8.3
// short names. Drives must be added before use.
class FakeFileSystem final : public FileSystem {
 public:
  enum class Op { FindFile, FindEntry, MakeFolder, Copy, Move, Remove, ReadBytes, Facts };

  FakeFileSystem() { AddDrive('C'); }

  FindResult FindFile(const std::string& pattern) override { return Find(pattern, false); }
  FindResult FindEntry(const std::string& pattern) override { return Find(pattern, true); }
  std::uint32_t MakeFolder(const std::string& path) override;
  std::uint32_t Copy(const std::string& from, const std::string& to) override {
    return Transfer(from, to, false);
  }
  std::uint32_t Move(const std::string& from, const std::string& to) override {
    return Transfer(from, to, true);
  }
  std::uint32_t Remove(const std::string& path) override;
  std::uint32_t ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count,
                          std::string& bytes) override;
  std::uint32_t Facts(const std::string& path, FileFacts& facts) override;

  // --- for tests ---
  void AddDrive(char letter, bool ready = true);
  // Creates the folders on the way too.
  void AddFolder(const std::string& path, FileAttributes attributes = {},
                 std::string shortName = {});
  void AddFile(const std::string& path, const std::string& content = {},
               FileAttributes attributes = {}, std::string shortName = {});
  std::optional<std::string> Content(const std::string& path) const;
  // Names in a folder, as spelt.
  std::vector<std::string> List(const std::string& folder) const;

  // Makes the n-th next call of op answer code (for Find*: an Error) and do nothing.
  void FailNext(Op op, std::uint32_t code, int skip = 0) { failures_.push_back({op, code, skip}); }
  // The next copy writes half of the file, then answers code (disk full, say).
  void FailCopyHalfway(std::uint32_t code = 112) { copyHalfway_ = code; }
  const std::vector<std::string>& Calls() const { return calls_; }
  std::vector<std::string>* sharedLog = nullptr;  // also appends changes here

 private:
  struct Entry {
    std::string name;
    bool folder = false;
    FileAttributes attributes;
    std::string shortName;
    std::string content;
    std::uint64_t writeTime = 0;
  };
  struct Failure {
    Op op;
    std::uint32_t code;
    int skip;
  };
  // A path split and checked: code is 0, or the error Windows gives for it.
  struct Parsed {
    Parsed(std::uint32_t code = 0) : code(code) {}  // implicit: a failure is just its code
    std::uint32_t code;
    std::string full, parent;  // lower case, folders resolved to their long names
    std::string leaf;
  };

  // Logs a call of op; answers the failure injected for it, if any.
  std::optional<std::uint32_t> Call(Op op, const std::string& line);
  Parsed Parse(const std::string& path, bool allowWildcards) const;
  FindResult Find(const std::string& pattern, bool foldersToo);
  std::uint32_t Transfer(const std::string& from, const std::string& to, bool move);
  void AddFolders(const std::string& path);
  // The file at path for reading: 0 and the entry, or Windows' code.
  std::uint32_t Existing(const std::string& path, const Entry*& file) const;

  std::map<char, bool> drives_;           // letter (upper) -> ready
  std::map<std::string, Entry> entries_;  // lower full path -> entry
  std::vector<Failure> failures_;
  std::optional<std::uint32_t> copyHalfway_;
  std::vector<std::string> calls_;
  std::uint64_t clock_ = 0;  // every write of a file is a later time
};

}  // namespace rd::fakes
