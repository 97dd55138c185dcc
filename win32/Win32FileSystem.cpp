#include "win32/Win32FileSystem.h"

#include <windows.h>

#include <cstring>

namespace rd::win32 {
namespace {

bool Counts(const WIN32_FIND_DATAA& data, bool foldersToo) {
  const DWORD a = data.dwFileAttributes;
  if (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return false;
  if (a & FILE_ATTRIBUTE_DIRECTORY) {
    if (!foldersToo) return false;
    if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) {
      return false;
    }
  }
  return true;
}

bool IsMiss(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_NO_MORE_FILES;
}

FindResult Find(const std::string& pattern, bool foldersToo) {
  if (pattern.empty()) return {};
  WIN32_FIND_DATAA data{};
  const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (IsMiss(error)) return {};
    return {FindStatus::Error, {}, error};
  }
  FindResult result;
  for (;;) {
    if (Counts(data, foldersToo)) {
      result = {FindStatus::Found, data.cFileName, 0};
      break;
    }
    if (!FindNextFileA(search, &data)) {
      const DWORD error = GetLastError();
      if (!IsMiss(error)) result = {FindStatus::Error, {}, error};
      break;
    }
  }
  FindClose(search);
  return result;
}

std::uint32_t Outcome(BOOL ok) { return ok ? 0u : static_cast<std::uint32_t>(GetLastError()); }

}  // namespace

FindResult Win32FileSystem::FindFile(const std::string& pattern) { return Find(pattern, false); }

FindResult Win32FileSystem::FindEntry(const std::string& pattern) { return Find(pattern, true); }

std::uint32_t Win32FileSystem::MakeFolder(const std::string& path) {
  return Outcome(CreateDirectoryA(path.c_str(), nullptr));
}

std::uint32_t Win32FileSystem::Copy(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return Outcome(FALSE);
  // CopyFileA carries the read-only mark over, and a read-only staged demo would block
  // every later launch of its game.
  const DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return Outcome(SetFileAttributesA(to.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}));
  }
  return 0;
}

std::uint32_t Win32FileSystem::Move(const std::string& from, const std::string& to) {
  return Outcome(
      MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
}

std::uint32_t Win32FileSystem::Remove(const std::string& path) {
  return Outcome(DeleteFileA(path.c_str()));
}

}  // namespace rd::win32
