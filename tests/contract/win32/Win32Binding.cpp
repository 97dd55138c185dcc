#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "win32/Win32Ports.h"
#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

constexpr const char* kKeyParent = "Software\\Replaydock Contract";

std::string Unique() {
  static int counter = 0;
  return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
         std::to_string(++counter);
}

// Sets the attributes asked for and checks that the file system kept them.
void Apply(const std::string& path, EntryAttributes a, DWORD base) {
  const DWORD wanted = (a.hidden ? FILE_ATTRIBUTE_HIDDEN : 0u) |
                       (a.system ? FILE_ATTRIBUTE_SYSTEM : 0u) |
                       (a.readOnly ? FILE_ATTRIBUTE_READONLY : 0u);
  if (!wanted) return;
  SetFileAttributesA(path.c_str(), wanted | base);
  const DWORD got = GetFileAttributesA(path.c_str());
  if (got == INVALID_FILE_ATTRIBUTES || (got & wanted) != wanted) {
    ADD_FAILURE() << "the file system did not keep the attributes of " << path;
  }
}

// Everything through real Win32 calls, in a folder and a key of this run's own.
class Win32Binding final : public Binding {
 public:
  Win32Binding() : key_(std::string(kKeyParent) + "\\Run " + Unique()) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot create HKCU\\" << key_;
    }
    RegCloseKey(key);
    char temp[MAX_PATH] = {};
    char longTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    // The temporary folder may be given in its short form; the tests compare long names.
    if (!GetLongPathNameA(temp, longTemp, MAX_PATH)) lstrcpyA(longTemp, temp);
    folder_ = std::string(longTemp) + "rd contract " + Unique();
    if (!CreateDirectoryA(folder_.c_str(), nullptr)) ADD_FAILURE() << "cannot create " << folder_;
  }
  ~Win32Binding() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kKeyParent);  // only goes when no other run is in it
    // Read-only files would stay; paths past 259 characters go only in the \\?\ form.
    std::error_code ec;
    const std::filesystem::path root(L"\\\\?\\" + std::wstring(folder_.begin(), folder_.end()));
    for (const auto& e : std::filesystem::recursive_directory_iterator(root, ec)) {
      SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(root, ec);
  }

  Ports& ports() override { return platform_.ports; }

  std::string ScratchKey() override { return key_; }

  void PutValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) override {
    // advapi32 counts a terminator the caller left out when one follows the data; a byte
    // that is none keeps the value exactly as given.
    std::vector<std::uint8_t> bytes = data;
    bytes.push_back(0xFF);
    if (RegSetKeyValueA(HKEY_CURRENT_USER, keyPath.c_str(), name.c_str(), type, bytes.data(),
                        static_cast<DWORD>(data.size())) != ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot set " << keyPath << "\\" << name;
    }
  }

  std::string ScratchFolder() override { return folder_; }

  void PutFile(const std::string& path, const std::string& content,
               EntryAttributes attributes) override {
    if (!(std::ofstream(path, std::ios::binary) << content))
      ADD_FAILURE() << "cannot write " << path;
    Apply(path, attributes, 0);
  }

  void PutFolder(const std::string& path, EntryAttributes attributes) override {
    if (!CreateDirectoryA(path.c_str(), nullptr)) ADD_FAILURE() << "cannot create " << path;
    Apply(path, attributes, FILE_ATTRIBUTE_DIRECTORY);
  }

  std::string PutWithShortName(const std::string& path, bool folder) override {
    folder ? PutFolder(path, {}) : PutFile(path, "", {});
    char shortPath[MAX_PATH] = {};
    if (!GetShortPathNameA(path.c_str(), shortPath, MAX_PATH)) return {};
    const std::string s = shortPath;
    return s.substr(s.find_last_of('\\') + 1);
  }

  std::optional<std::string> Content(const std::string& path) override {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
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
    const std::string probe = folder_ + "\\read-only probe";
    PutFile(probe, "", {.readOnly = true});
    const HANDLE file =
        CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
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
      } else if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT) == WAIT_TIMEOUT) {
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
