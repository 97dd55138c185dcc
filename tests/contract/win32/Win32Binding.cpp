#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/contract/Binding.h"
#include "win32/Win32Ports.h"

namespace rd::contract {
namespace {

constexpr const char* kKeyParent = "Software\\Replaydock Contract";

// Everything through real Win32 calls, in a folder and a key of this run's own.
class Win32Binding final : public Binding {
 public:
  Win32Binding() {
    static int counter = 0;
    // Wine hands out process ids again in a later run; the clock keeps the names apart.
    const std::string unique = std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(GetTickCount64()) + "-" + std::to_string(++counter);
    key = std::string(kKeyParent) + "\\Run " + unique;
    char temp[MAX_PATH] = {}, longTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    GetLongPathNameA(temp, longTemp, MAX_PATH);  // the tests compare long names
    folder = std::string(longTemp) + "rd contract " + unique;
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS ||
        !CreateDirectoryA(folder.c_str(), nullptr)) {
      ADD_FAILURE() << "cannot create HKCU\\" << key << " or " << folder;
    }
    RegCloseKey(handle);
  }
  ~Win32Binding() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kKeyParent);  // only goes when no other run is in it
    // Read-only files would stay; paths past 259 characters go only in the \\?\ form.
    std::error_code ec;
    const std::filesystem::path root(L"\\\\?\\" + std::wstring(folder.begin(), folder.end()));
    for (const auto& e : std::filesystem::recursive_directory_iterator(root, ec)) {
      SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(root, ec);
  }
  Ports& ports() override { return platform_.ports; }
  void PutFile(const std::string& path, const std::string& content, EntryAttributes a) override {
    if (!(std::ofstream(path, std::ios::binary) << content))
      ADD_FAILURE() << "cannot write " << path;
    Apply(path, a);
  }
  void PutFolder(const std::string& path, EntryAttributes a) override {
    if (!CreateDirectoryA(path.c_str(), nullptr)) ADD_FAILURE() << "cannot create " << path;
    Apply(path, a);
  }
  std::string MissingDrive() override {
    char letter = 'Q';
    while (letter < 'Z' && (GetLogicalDrives() & (1u << (letter - 'A')))) ++letter;
    return std::string(1, letter) + ":";
  }
  std::uint32_t OwnProcessId() override { return GetCurrentProcessId(); }
  bool PumpUntil(const std::function<bool()>& done) override {
    for (MSG msg; !done() && MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT) !=
                                 WAIT_TIMEOUT;) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return done();
  }

 private:
  static void Apply(const std::string& path, EntryAttributes a) {
    const DWORD wanted = (a.hidden ? FILE_ATTRIBUTE_HIDDEN : 0u) |
                         (a.system ? FILE_ATTRIBUTE_SYSTEM : 0u) |
                         (a.readOnly ? FILE_ATTRIBUTE_READONLY : 0u);
    if (wanted && !SetFileAttributesA(path.c_str(), GetFileAttributesA(path.c_str()) | wanted)) {
      ADD_FAILURE() << "the file system did not take the attributes of " << path;
    }
  }

  win32::Win32Platform platform_;
};

}  // namespace

std::unique_ptr<Binding> MakeBinding() {
  return std::make_unique<Win32Binding>();
}

}  // namespace rd::contract
