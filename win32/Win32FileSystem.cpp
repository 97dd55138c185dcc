#include "win32/Win32FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "win32/WideText.h"

namespace rd::win32 {
namespace {

constexpr std::size_t kMaxName = 255;          // one name in a path, as the file systems allow
constexpr std::size_t kMaxLongPath = 32767;    // a whole path in the \\?\ form
constexpr std::size_t kPlainLimit = MAX_PATH - 12;  // CreateDirectoryW's, the lowest limit

// A path as the wide functions take it. Short paths go as they are, with all of Windows'
// usual rules; from the length on where some function would refuse the plain form, the
// full path in the \\?\ form, which takes any length whatever the system's long-path
// setting. Nothing when the path is too long even for that.
std::optional<std::wstring> SystemPath(const std::string& path) {
  std::wstring wide = Wide(path);
  std::size_t name = 0;
  for (const wchar_t c : wide) {
    name = (c == L'\\' || c == L'/') ? 0 : name + 1;
    if (name > kMaxName) return std::nullopt;
  }
  if (wide.size() < kPlainLimit) return wide;
  std::wstring full = wide;
  if (wide.rfind(L"\\\\?\\", 0) != 0) {
    const DWORD need = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (need == 0) return wide;  // the call itself will say what is wrong with it
    full.assign(need, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), need, full.data(), nullptr));
    if (full.rfind(L"\\\\.\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) {
      full.replace(0, 2, L"\\\\?\\UNC\\");
    } else {
      full.insert(0, L"\\\\?\\");
    }
  }
  if (full.size() > kMaxLongPath) return std::nullopt;
  return full;
}

bool Counts(const WIN32_FIND_DATAW& data, bool foldersToo) {
  const DWORD a = data.dwFileAttributes;
  if (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return false;
  if (a & FILE_ATTRIBUTE_DIRECTORY) {
    if (!foldersToo) return false;
    if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) {
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
  const std::optional<std::wstring> path = SystemPath(pattern);
  if (!path) return {FindStatus::Error, {}, ERROR_FILENAME_EXCED_RANGE};
  WIN32_FIND_DATAW data{};
  const HANDLE search = FindFirstFileW(path->c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (IsMiss(error)) return {};
    return {FindStatus::Error, {}, error};
  }
  FindResult result;
  for (;;) {
    if (Counts(data, foldersToo)) {
      result = {FindStatus::Found, Narrow(data.cFileName), 0};
      break;
    }
    if (!FindNextFileW(search, &data)) {
      const DWORD error = GetLastError();
      if (!IsMiss(error)) result = {FindStatus::Error, {}, error};
      break;
    }
  }
  FindClose(search);
  return result;
}

std::uint32_t Outcome(BOOL ok) { return ok ? 0u : static_cast<std::uint32_t>(GetLastError()); }

// Runs call with the system form of each path, or answers that one is too long for Windows.
template <typename Call>
std::uint32_t WithPaths(const std::string& path, Call call) {
  const std::optional<std::wstring> wide = SystemPath(path);
  return wide ? call(wide->c_str()) : ERROR_FILENAME_EXCED_RANGE;
}
template <typename Call>
std::uint32_t WithPaths(const std::string& from, const std::string& to, Call call) {
  const std::optional<std::wstring> a = SystemPath(from), b = SystemPath(to);
  return a && b ? call(a->c_str(), b->c_str()) : ERROR_FILENAME_EXCED_RANGE;
}

// Read-only files are not moved, replaced or removed; nor are folders.
bool Protected(const wchar_t* path) {
  const DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

// Renames the open file, replacing the target. Wine would replace even a read-only one, so
// a target that is there is looked at first; most often there is none, which the rename
// alone tells.
std::uint32_t RenameOpen(HANDLE file, const wchar_t* to) {
  const std::size_t bytes = std::wcslen(to) * sizeof(wchar_t);
  std::vector<unsigned char> block(sizeof(FILE_RENAME_INFO) + bytes);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
  info->FileNameLength = static_cast<DWORD>(bytes);
  std::memcpy(info->FileName, to, bytes);
  const auto rename = [&](bool replace) {
    info->ReplaceIfExists = replace;
    return Outcome(
        SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(block.size())));
  };
  const std::uint32_t code = rename(false);
  if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) return code;
  if (Protected(to)) return ERROR_ACCESS_DENIED;
  return rename(true);
}

// Another drive: MoveFileEx copies where a rename cannot go. Systems that take no path in
// the rename's own request refuse it as invalid.
std::uint32_t MoveOtherwise(std::uint32_t code, const wchar_t* from, const wchar_t* to) {
  if (code != ERROR_NOT_SAME_DEVICE && code != ERROR_INVALID_PARAMETER) return code;
  return Outcome(MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
}

// Copies into a new or emptied file, which stays open for the caller; the copy is an
// ordinary writable file with the source's time of last writing. Under Wine a 64 KB block
// costs least below a few megabytes: a larger one is fresh memory to fault in.
std::uint32_t CopyOpen(const wchar_t* from, const wchar_t* to, HANDLE& out) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const HANDLE in = CreateFileW(from, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) return Outcome(FALSE);
  std::uint32_t code = 0;
  LARGE_INTEGER size{};
  FILETIME written{};
  if (!GetFileSizeEx(in, &size) || !GetFileTime(in, nullptr, nullptr, &written)) {
    code = Outcome(FALSE);
  } else {
    // A new file where it can be: Wine empties even a new file it is asked to create
    // always, and on Linux closing a file emptied that way waits for all of it to be
    // allocated on disk (ext4's auto_da_alloc), half a second a gigabyte.
    const auto create = [&](DWORD disposition) {
      return CreateFileW(to, GENERIC_WRITE | DELETE, share, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    };
    out = create(CREATE_NEW);
    if (out == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
      out = create(CREATE_ALWAYS);  // what an interrupted staging left
    }
    if (out == INVALID_HANDLE_VALUE) code = Outcome(FALSE);
  }
  if (code == 0) {
    const DWORD block = size.QuadPart > (16 << 20) ? (1 << 20) : (64 << 10);
    const std::unique_ptr<char[]> buffer(new char[block]);
    for (;;) {
      DWORD got = 0, put = 0;
      if (!ReadFile(in, buffer.get(), block, &got, nullptr)) {
        code = Outcome(FALSE);
        break;
      }
      if (got == 0) break;
      // A short write is retried: the next one says why it fails (the disk full, say).
      for (DWORD done = 0; code == 0 && done < got; done += put) {
        if (!WriteFile(out, buffer.get() + done, got - done, &put, nullptr)) code = Outcome(FALSE);
        if (code == 0 && put == 0) code = ERROR_DISK_FULL;
      }
      if (code != 0) break;
    }
    if (code == 0) code = Outcome(SetFileTime(out, nullptr, nullptr, &written));
  }
  CloseHandle(in);
  return code;
}

}  // namespace

FindResult Win32FileSystem::FindFile(const std::string& pattern) { return Find(pattern, false); }

FindResult Win32FileSystem::FindEntry(const std::string& pattern) { return Find(pattern, true); }

std::uint32_t Win32FileSystem::MakeFolder(const std::string& path) {
  return WithPaths(path, [](const wchar_t* p) { return Outcome(CreateDirectoryW(p, nullptr)); });
}

Win32FileSystem::~Win32FileSystem() { CloseCopy(); }

void Win32FileSystem::CloseCopy() {
  if (copy_) CloseHandle(copy_);
  copy_ = nullptr;
  copyPath_.clear();
}

std::uint32_t Win32FileSystem::Copy(const std::string& from, const std::string& to) {
  CloseCopy();
  return WithPaths(from, to, [&](const wchar_t* source, const wchar_t* target) {
    HANDLE out = INVALID_HANDLE_VALUE;
    const std::uint32_t code = CopyOpen(source, target, out);
    if (out != INVALID_HANDLE_VALUE) {
      if (code != 0) {
        CloseHandle(out);
      } else {
        copy_ = out;
        copyPath_ = target;
      }
    }
    return code;
  });
}

std::uint32_t Win32FileSystem::Move(const std::string& from, const std::string& to) {
  return WithPaths(from, to, [&](const wchar_t* source, const wchar_t* target) {
    std::uint32_t code = 0;
    if (copy_ && copyPath_ == source) {
      code = RenameOpen(copy_, target);
      CloseCopy();
    } else if (Protected(source)) {
      return static_cast<std::uint32_t>(ERROR_ACCESS_DENIED);
    } else {
      const HANDLE file = CreateFileW(source, DELETE | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE) return Outcome(FALSE);
      code = RenameOpen(file, target);
      CloseHandle(file);
    }
    return MoveOtherwise(code, source, target);
  });
}

std::uint32_t Win32FileSystem::Remove(const std::string& path) {
  return WithPaths(path, [&](const wchar_t* p) {
    if (copy_ && copyPath_ == p) CloseCopy();
    return Outcome(DeleteFileW(p));
  });
}

namespace {

// count bytes from offset of an open file (fewer at its end); 0 or Windows' code.
std::uint32_t ReadAt(HANDLE file, std::uint64_t offset, std::size_t count, std::string& bytes) {
  bytes.clear();
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return Outcome(FALSE);
  bytes.resize(count);
  std::size_t done = 0;
  while (done < count) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(file, bytes.data() + done, want, &got, nullptr)) {
      bytes.clear();
      return Outcome(FALSE);
    }
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return 0;
}

// Others may keep the demo open, even for writing: a game still recording it, say.
HANDLE OpenToRead(const wchar_t* path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::uint32_t Win32FileSystem::ReadBytes(const std::string& path, std::uint64_t offset,
                                         std::size_t count, std::string& bytes) {
  bytes.clear();
  return WithPaths(path, [&](const wchar_t* p) {
    const HANDLE file = OpenToRead(p);
    if (file == INVALID_HANDLE_VALUE) return Outcome(FALSE);
    const std::uint32_t code = ReadAt(file, offset, count, bytes);
    CloseHandle(file);
    return code;
  });
}

std::uint32_t Win32FileSystem::ReadRanges(const std::string& path, const std::vector<Range>& ranges,
                                          std::vector<std::string>& parts) {
  parts.assign(ranges.size(), std::string());
  return WithPaths(path, [&](const wchar_t* p) {
    const HANDLE file = OpenToRead(p);
    if (file == INVALID_HANDLE_VALUE) return Outcome(FALSE);
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < ranges.size() && code == 0; ++i) {
      code = ReadAt(file, ranges[i].offset, ranges[i].count, parts[i]);
    }
    CloseHandle(file);
    return code;
  });
}

std::uint32_t Win32FileSystem::Facts(const std::string& path, FileFacts& facts) {
  return WithPaths(path, [&](const wchar_t* p) -> std::uint32_t {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(p, GetFileExInfoStandard, &data)) return Outcome(FALSE);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
    facts.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    facts.writeTime = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    return 0;
  });
}

std::uint32_t Win32FileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  return WithPaths(path, [&](const wchar_t* p) {
    if (copy_ && copyPath_ == p) CloseCopy();
    const HANDLE file = CreateFileW(p, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Outcome(FALSE);
    std::uint32_t code = 0;
    std::size_t done = 0;
    while (code == 0 && done < bytes.size()) {
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD wrote = 0;
      if (!::WriteFile(file, bytes.data() + done, want, &wrote, nullptr)) code = Outcome(FALSE);
      done += wrote;
    }
    if (code == 0 && !FlushFileBuffers(file)) code = Outcome(FALSE);
    CloseHandle(file);
    return code;
  });
}

std::uint32_t Win32FileSystem::ListFolder(const std::string& folder,
                                          std::vector<FolderEntry>& entries) {
  entries.clear();
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
  pattern += '*';
  return WithPaths(folder, [&](const wchar_t* p) -> std::uint32_t {
    const DWORD attributes = GetFileAttributesW(p);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Outcome(FALSE);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_DIRECTORY;
    const std::optional<std::wstring> all = SystemPath(pattern);
    if (!all) return ERROR_FILENAME_EXCED_RANGE;
    WIN32_FIND_DATAW data{};
    // The large fetch and no short names: a folder of tens of thousands of demos in one go.
    const HANDLE search = FindFirstFileExW(all->c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      return IsMiss(error) ? 0u : static_cast<std::uint32_t>(error);
    }
    std::uint32_t code = 0;
    do {
      if (!Counts(data, true)) continue;
      FolderEntry entry;
      entry.name = Narrow(data.cFileName);
      entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if (!entry.folder) {
        entry.facts.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        entry.facts.writeTime = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                data.ftLastWriteTime.dwLowDateTime;
      }
      entries.push_back(std::move(entry));
    } while (FindNextFileW(search, &data));
    const DWORD error = GetLastError();
    if (!IsMiss(error)) {
      code = static_cast<std::uint32_t>(error);
      entries.clear();
    }
    FindClose(search);
    return code;
  });
}

}  // namespace rd::win32
