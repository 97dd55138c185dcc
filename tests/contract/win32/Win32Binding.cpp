#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32Ports.h"
#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

constexpr const char* kKeyParent = "Software\\Replaydock Contract";

std::string Unique() {
  static int counter = 0;
  return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
         std::to_string(++counter);
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data{};
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(folder.c_str());
}

DWORD Attributes(EntryAttributes a, DWORD base) {
  DWORD out = base;
  if (a.hidden) out |= FILE_ATTRIBUTE_HIDDEN;
  if (a.system) out |= FILE_ATTRIBUTE_SYSTEM;
  if (a.readOnly) out |= FILE_ATTRIBUTE_READONLY;
  return out == 0 ? FILE_ATTRIBUTE_NORMAL : out;
}

void Apply(const std::string& path, EntryAttributes a, DWORD base) {
  if (!a.hidden && !a.system && !a.readOnly) return;
  const DWORD wanted = Attributes(a, base);
  SetFileAttributesA(path.c_str(), wanted);
  const DWORD got = GetFileAttributesA(path.c_str());
  if ((got & wanted) != wanted || got == INVALID_FILE_ATTRIBUTES) {
    ADD_FAILURE() << "the file system did not keep the attributes of " << path;
  }
}

// Everything through real Win32 calls, in a folder and a key of this run's own.
class Win32Binding final : public Binding {
 public:
  ~Win32Binding() override {
    if (!key_.empty()) {
      RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
      RegDeleteKeyA(HKEY_CURRENT_USER, kKeyParent);  // only goes when no other run is in it
    }
    if (!folder_.empty()) RemoveTree(folder_);
  }

  Registry& registry() override { return platform_.registry; }
  IniFile& ini() override { return platform_.ini; }
  FileSystem& files() override { return platform_.files; }
  Shell& shell() override { return platform_.shell; }
  ProcessInfo& process() override { return platform_.process; }
  Timer& timer() override { return platform_.timer; }

  std::string ScratchKey() override {
    if (key_.empty()) {
      key_ = std::string(kKeyParent) + "\\Run " + Unique();
      HKEY key = nullptr;
      if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
      } else {
        ADD_FAILURE() << "cannot create HKCU\\" << key_;
      }
    }
    return key_;
  }

  void PutValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) override {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
      // advapi32 counts a terminator the caller left out when one follows the data; a byte
      // that is none keeps the value exactly as given.
      std::vector<std::uint8_t> bytes = data;
      bytes.push_back(0xFF);
      status = RegSetValueExA(key, name.c_str(), 0, type, bytes.data(),
                              static_cast<DWORD>(data.size()));
      RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) ADD_FAILURE() << "cannot set " << keyPath << "\\" << name;
  }

  std::string ScratchFolder() override {
    if (folder_.empty()) {
      char temp[MAX_PATH] = {};
      char longTemp[MAX_PATH] = {};
      GetTempPathA(MAX_PATH, temp);
      // The temporary folder may be given in its short form; the tests compare long names.
      if (!GetLongPathNameA(temp, longTemp, MAX_PATH)) lstrcpyA(longTemp, temp);
      std::string base = longTemp;
      if (!base.empty() && base.back() == '\\') base.pop_back();
      folder_ = base + "\\rd contract " + Unique();
      if (!CreateDirectoryA(folder_.c_str(), nullptr)) {
        ADD_FAILURE() << "cannot create " << folder_;
      }
    }
    return folder_;
  }

  void PutFile(const std::string& path, const std::string& content,
               EntryAttributes attributes) override {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      ADD_FAILURE() << "cannot create " << path << ": " << GetLastError();
      return;
    }
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    Apply(path, attributes, 0);
  }

  void PutFolder(const std::string& path, EntryAttributes attributes) override {
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
      ADD_FAILURE() << "cannot create " << path << ": " << GetLastError();
      return;
    }
    Apply(path, attributes, FILE_ATTRIBUTE_DIRECTORY);
  }

  std::string PutWithShortName(const std::string& path, bool folder) override {
    if (folder) {
      PutFolder(path, {});
    } else {
      PutFile(path, "", {});
    }
    char shortPath[MAX_PATH] = {};
    if (!GetShortPathNameA(path.c_str(), shortPath, MAX_PATH)) return {};
    const std::string s = shortPath;
    return s.substr(s.find_last_of('\\') + 1);
  }

  std::optional<std::string> Content(const std::string& path) override {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string out;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
    CloseHandle(file);
    return out;
  }

  std::string MissingDrive() override {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
      if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
    }
    ADD_FAILURE() << "every drive letter is taken";
    return "Z:";
  }

  bool ReadOnlyIsProtected() override {
    // An administrator under Wine (root) writes over read-only files regardless.
    const std::string probe = ScratchFolder() + "\\read-only probe";
    PutFile(probe, "", {.readOnly = true});
    const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
    const bool refused = file == INVALID_HANDLE_VALUE;
    if (!refused) CloseHandle(file);
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(probe.c_str());
    return refused;
  }

  void ArrangeOwnExecutable() override {}
  void ArrangeShellMiss() override {}

  bool PumpUntil(const std::function<bool()>& done) override {
    for (int i = 0; i < 100000 && !done(); ++i) {
      MSG msg;
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      } else if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT) ==
                 WAIT_TIMEOUT) {
        break;  // nothing is going to arrive
      }
    }
    return done();
  }

 private:
  win32::Win32Platform platform_;
  std::string key_;
  std::string folder_;
};

}  // namespace

std::unique_ptr<Binding> MakeBinding() { return std::make_unique<Win32Binding>(); }

}  // namespace rd::contract
