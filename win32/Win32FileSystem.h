#pragma once
#include <string>

#include "ports/FileSystem.h"

namespace rd::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  Win32FileSystem() = default;
  Win32FileSystem(const Win32FileSystem&) = delete;
  Win32FileSystem& operator=(const Win32FileSystem&) = delete;
  ~Win32FileSystem() override;

  FindResult FindFile(const std::string& pattern) override;
  FindResult FindEntry(const std::string& pattern) override;
  std::uint32_t MakeFolder(const std::string& path) override;
  std::uint32_t Copy(const std::string& from, const std::string& to) override;
  std::uint32_t Move(const std::string& from, const std::string& to) override;
  std::uint32_t Remove(const std::string& path) override;
  std::uint32_t ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count,
                          std::string& bytes) override;
  std::uint32_t ReadRanges(const std::string& path, const std::vector<Range>& ranges,
                           std::vector<std::string>& parts) override;
  std::uint32_t WriteFile(const std::string& path, const std::string& bytes) override;
  std::uint32_t Facts(const std::string& path, FileFacts& facts) override;
  std::uint32_t ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override;

 private:
  void CloseCopy();

  // The file the last Copy wrote stays open until it is moved (renamed on this handle, which
  // under Wine saves as much time as the rename itself takes), removed or copied over.
  void* copy_ = nullptr;
  std::wstring copyPath_;
};

}  // namespace rd::win32
