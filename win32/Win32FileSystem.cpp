#include "win32/Win32FileSystem.h"

#include <windows.h>

#include <algorithm>
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

std::uint32_t Win32FileSystem::ReadBytes(const std::string& path, std::uint64_t offset,
                                         std::size_t count, std::string& bytes) {
  bytes.clear();
  // Others may keep the demo open, even for writing: a game still recording it, say.
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Outcome(FALSE);
  std::uint32_t code = 0;
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
    code = Outcome(FALSE);
  } else {
    bytes.resize(count);
    std::size_t done = 0;
    while (done < count) {
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file, bytes.data() + done, want, &got, nullptr)) {
        code = Outcome(FALSE);
        break;
      }
      if (got == 0) break;
      done += got;
    }
    bytes.resize(code ? 0 : done);
  }
  CloseHandle(file);
  return code;
}

std::uint32_t Win32FileSystem::Facts(const std::string& path, FileFacts& facts) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return Outcome(FALSE);
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
  facts.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  facts.writeTime = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                    data.ftLastWriteTime.dwLowDateTime;
  return 0;
}

}  // namespace rd::win32
