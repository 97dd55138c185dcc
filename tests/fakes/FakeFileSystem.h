#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/FileSystem.h"

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
  enum class Op { FindFile, FindEntry, MakeFolder, Copy, Move, Remove };

  FakeFileSystem();  // drive C: exists

  FindResult FindFile(const std::string& pattern) override;
  FindResult FindEntry(const std::string& pattern) override;
  std::uint32_t MakeFolder(const std::string& path) override;
  std::uint32_t Copy(const std::string& from, const std::string& to) override;
  std::uint32_t Move(const std::string& from, const std::string& to) override;
  std::uint32_t Remove(const std::string& path) override;

  // --- for tests ---
  using Attributes = FileAttributes;
  void AddDrive(char letter, bool ready = true);
  // Creates the folders on the way too.
  void AddFolder(const std::string& path, Attributes attributes = {}, std::string shortName = {});
  void AddFile(const std::string& path, const std::string& content = {},
               Attributes attributes = {}, std::string shortName = {});
  bool Exists(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  std::optional<std::string> Content(const std::string& path) const;
  // Names in a folder, as spelt.
  std::vector<std::string> List(const std::string& folder) const;

  // Makes the n-th next call of op answer code (for Find*: an Error) and do nothing.
  void FailNext(Op op, std::uint32_t code, int skip = 0);
  // The next copy writes half of the file, then answers code (disk full, say).
  void FailCopyHalfway(std::uint32_t code = 112);
  // A folder whose contents cannot be written (copies and new folders in it answer 5).
  void MakeReadOnlyFolder(const std::string& path);
  const std::vector<std::string>& Calls() const { return calls_; }
  std::vector<std::string>* sharedLog = nullptr;  // also appends changes here

 private:
  struct Entry {
    std::string name;
    bool folder = false;
    Attributes attributes;
    std::string shortName;
    std::string content;
    bool writeProtected = false;
  };
  struct Failure {
    Op op;
    std::uint32_t code;
    int skip;
  };

  std::optional<std::uint32_t> Injected(Op op);
  // Splits and checks a path: answers 0, or the error Windows gives for it.
  std::uint32_t Parse(const std::string& path, std::string& lowerFull, std::string& lowerParent,
                      std::string& leaf, bool allowWildcards) const;
  FindResult Find(const std::string& pattern, bool foldersToo);
  void Log(const std::string& line);

  std::map<char, bool> drives_;  // letter (upper) -> ready
  std::map<std::string, Entry> entries_;  // lower full path -> entry
  std::vector<Failure> failures_;
  bool copyHalfway_ = false;
  std::uint32_t copyHalfwayCode_ = 0;
  std::vector<std::string> calls_;
};

}  // namespace rd::fakes
