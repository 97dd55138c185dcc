#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rd {

enum class FindStatus { Found, NotFound, Error };

struct FindResult {
  FindStatus status = FindStatus::NotFound;
  std::string name;         // the first match, without its folder, as the file system spells it
  std::uint32_t error = 0;  // Windows' code when status is Error
};

struct FileFacts {
  std::uint64_t size = 0;
  std::uint64_t writeTime = 0;  // last write, in 100-ns ticks; only compared for change
};

// One entry of a folder's listing.
struct FolderEntry {
  std::string name;  // as the file system spells it
  bool folder = false;
  bool link = false;  // a symbolic link or junction: following it may lead round in a loop
  FileFacts facts;    // files only
};

// The few file-system operations the program needs. Paths are Windows paths (UTF-8).
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Looks the path up as a pattern (wildcards in its last component match) among ordinary
  // files: folders, hidden and system files are passed over. A path that cannot be
  // examined at all (bad name, drive not ready) is an Error, not a miss.
  virtual FindResult FindFile(const std::string& pattern) = 0;
  // The same lookup among files and folders (hidden and system entries still passed over);
  // the name is the long one even when the pattern used a short 8.3 name.
  virtual FindResult FindEntry(const std::string& pattern) = 0;
  // Creates one folder level; answers 0, or Windows' code (183 when it exists already).
  virtual std::uint32_t MakeFolder(const std::string& path) = 0;
  // Copies a file, replacing the destination; answers 0 or Windows' code. The copy is an
  // ordinary writable file even when the source is read-only.
  virtual std::uint32_t Copy(const std::string& from, const std::string& to) = 0;
  // Renames a file, replacing the destination; answers 0 or Windows' code.
  virtual std::uint32_t Move(const std::string& from, const std::string& to) = 0;
  // Deletes a file; answers 0 or Windows' code.
  virtual std::uint32_t Remove(const std::string& path) = 0;
  // Reads up to count bytes of a file from offset (fewer at its end, none past it) into
  // bytes; answers 0 or Windows' code. The path is a name, not a pattern.
  virtual std::uint32_t ReadBytes(const std::string& path, std::uint64_t offset,
                                  std::size_t count, std::string& bytes) = 0;
  // Several ranges of one file, each read as ReadBytes reads it, parts[i] for ranges[i];
  // answers 0 or the first failure's code. An adapter opens the file once for them all.
  struct Range {
    std::uint64_t offset = 0;
    std::size_t count = 0;
  };
  virtual std::uint32_t ReadRanges(const std::string& path, const std::vector<Range>& ranges,
                                   std::vector<std::string>& parts) {
    parts.assign(ranges.size(), std::string());
    for (std::size_t i = 0; i < ranges.size(); ++i) {
      const std::uint32_t code = ReadBytes(path, ranges[i].offset, ranges[i].count, parts[i]);
      if (code != 0) return code;
    }
    return 0;
  }
  // Creates or replaces a file holding exactly bytes, flushed to the disk before it
  // answers; answers 0 or Windows' code. Callers that must never leave a torn file write a
  // temporary one and Move it over.
  virtual std::uint32_t WriteFile(const std::string& path, const std::string& bytes) = 0;
  // The size and last write of a file (not a folder); answers 0 or Windows' code.
  virtual std::uint32_t Facts(const std::string& path, FileFacts& facts) = 0;
  // The files and folders directly in a folder, in no promised order; hidden and system
  // entries, "." and ".." are passed over. Answers 0 or Windows' code (the folder missing,
  // unreadable, or no folder); entries is then empty.
  virtual std::uint32_t ListFolder(const std::string& folder,
                                   std::vector<FolderEntry>& entries) = 0;
};

}  // namespace rd
