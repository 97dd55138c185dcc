#pragma once
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "ports/FileSystem.h"
#include "ports/WinErrors.h"

// Real files of this machine under a Windows name: C:\Game\x stands for <root>/x. Only the
// reads the pictures make; the real archives are far too large for the in-memory fake.
namespace rd::pictures::fixtures {

class HostFileSystem final : public FileSystem {
 public:
  explicit HostFileSystem(std::filesystem::path root) : root_(std::move(root)) {}
  static constexpr const char* kGame = "C:\\Game";

  FindResult FindFile(const std::string&) override { return {}; }
  FindResult FindEntry(const std::string&) override { return {}; }
  std::uint32_t MakeFolder(const std::string&) override { return winerr::AccessDenied; }
  std::uint32_t Copy(const std::string&, const std::string&) override { return winerr::AccessDenied; }
  std::uint32_t Move(const std::string&, const std::string&) override { return winerr::AccessDenied; }
  std::uint32_t Remove(const std::string&) override { return winerr::AccessDenied; }
  std::uint32_t WriteFile(const std::string&, const std::string&) override {
    return winerr::AccessDenied;
  }
  std::uint32_t ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count,
                          std::string& bytes) override {
    bytes.clear();
    std::ifstream in(Host(path), std::ios::binary);
    if (!in) return winerr::FileNotFound;
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::uint64_t>(in.tellg());
    if (offset >= size) return 0;
    bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(count, size - offset)));
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return 0;
  }
  std::uint32_t Facts(const std::string& path, FileFacts& facts) override {
    std::error_code ec;
    facts.size = std::filesystem::file_size(Host(path), ec);
    return ec ? winerr::FileNotFound : 0;
  }
  std::uint32_t ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
    entries.clear();
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(Host(folder), ec)) {
      FolderEntry entry{e.path().filename().string(), e.is_directory(), false, {}};
      if (!entry.folder) entry.facts.size = e.file_size();
      entries.push_back(std::move(entry));
    }
    return ec ? winerr::PathNotFound : 0;
  }

 private:
  std::filesystem::path Host(std::string path) const {
    const std::string game = kGame;
    if (path.rfind(game, 0) != 0) return "/nonexistent";
    path = path.substr(game.size());
    for (char& c : path) c = c == '\\' ? '/' : c;
    return root_.string() + path;
  }
  std::filesystem::path root_;
};

}  // namespace rd::pictures::fixtures
