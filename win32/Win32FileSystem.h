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
};

}  // namespace rd::win32
