#pragma once
#include "ports/FileSystem.h"

namespace rd::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  FindResult FindFile(const std::string& pattern) override;
  FindResult FindEntry(const std::string& pattern) override;
  std::uint32_t MakeFolder(const std::string& path) override;
  std::uint32_t Copy(const std::string& from, const std::string& to) override;
  std::uint32_t Move(const std::string& from, const std::string& to) override;
  std::uint32_t Remove(const std::string& path) override;
  std::uint32_t ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count,
                          std::string& bytes) override;
  std::uint32_t Facts(const std::string& path, FileFacts& facts) override;
};

}  // namespace rd::win32
