#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "resources/resource.h"

// Replaydock.exe's icon, version information and manifest, read back from the built
// executable (it lands next to this test binary). The manifest's effect on a process is
// checked in a child: a copy of this binary that carries Replaydock's manifest and reports
// what Windows made of it.
namespace {

constexpr const char* ProbeVariable = "RD_RESOURCES_PROBE";

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH * 4] = {};
  const DWORD n = GetModuleFileNameA(module, path, sizeof path);
  return std::string(path, n);
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// In the child: report the process's code page, DPI awareness and the common controls that
// a plain LoadLibrary picks, then end before any test runs.
[[maybe_unused]] const bool probeDone = [] {
  char out[MAX_PATH * 4] = {};
  if (GetEnvironmentVariableA(ProbeVariable, out, sizeof out) == 0) return false;
  HMODULE controls = LoadLibraryA("comctl32.dll");
  std::ofstream report(out, std::ios::binary);
  report << "acp " << GetACP() << "\n";
  report << "awareness "
         << static_cast<int>(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()))
         << "\n";
  report << "comctl32 " << (controls ? ModulePath(controls) : std::string("none")) << "\n";
  report.close();
  ExitProcess(0);
}();

std::string ReplaydockPath() { return FolderOf(ModulePath(nullptr)) + "\\Replaydock.exe"; }

class ReplaydockResources : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ReplaydockPath();
    ASSERT_NE(GetFileAttributesA(path_.c_str()), INVALID_FILE_ATTRIBUTES)
        << path_ << " is missing: build the Replaydock target first";
    module_ = LoadLibraryExA(path_.c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  std::vector<unsigned char> Resource(LPCSTR type, LPCSTR name) const {
    HRSRC info = FindResourceA(module_, name, type);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(module_, info);
    const auto* data = static_cast<const unsigned char*>(LockResource(loaded));
    if (!data) return {};
    return std::vector<unsigned char>(data, data + SizeofResource(module_, info));
  }

  std::string path_;
  HMODULE module_ = nullptr;
};

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST_F(ReplaydockResources, IconHasTheShellsSizesWithThe256ImageAsPng) {
  const auto group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_APP));
  ASSERT_GE(group.size(), 6u) << "no icon group with id IDI_APP";
  WORD count = 0;
  std::memcpy(&count, group.data() + 4, sizeof count);
  ASSERT_EQ(group.size(), 6u + count * sizeof(GroupIconEntry));

  std::set<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    GroupIconEntry e;
    std::memcpy(&e, group.data() + 6 + i * sizeof e, sizeof e);
    const int size = e.width == 0 ? 256 : e.width;
    sizes.insert(size);
    EXPECT_EQ(e.bitCount, 32) << size << " px";
    const auto image = Resource(RT_ICON, MAKEINTRESOURCEA(e.id));
    ASSERT_EQ(image.size(), e.bytes) << size << " px";
    const bool isPng = image.size() > 8 && image[0] == 0x89 && image[1] == 'P' &&
                       image[2] == 'N' && image[3] == 'G';
    EXPECT_EQ(isPng, size == 256) << size << " px";
    HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(image.data()),
                                          static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                          size, size, LR_DEFAULTCOLOR);
    EXPECT_NE(icon, nullptr) << size << " px image is not a usable icon";
    if (icon) DestroyIcon(icon);
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 256}));

  // What the file-type registration points at: "Replaydock.exe,0".
  HICON big = nullptr;
  HICON little = nullptr;
  ASSERT_GE(ExtractIconExA(path_.c_str(), 0, &big, &little, 1), 1u);
  EXPECT_NE(big, nullptr);
  EXPECT_NE(little, nullptr);
  if (big) DestroyIcon(big);
  if (little) DestroyIcon(little);
}

TEST_F(ReplaydockResources, VersionInformationNamesReplaydock0608InUsEnglish) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  char root[] = "\\";
  ASSERT_TRUE(VerQueryValueA(block.data(), root, reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(6, 0));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(8, 0));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(6, 0));
  EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(8, 0));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  struct Translation {
    WORD language, codePage;
  }* translations = nullptr;
  char translationPath[] = "\\VarFileInfo\\Translation";
  ASSERT_TRUE(VerQueryValueA(block.data(), translationPath,
                             reinterpret_cast<void**>(&translations), &length));
  ASSERT_EQ(length, sizeof(Translation));
  EXPECT_EQ(translations->language, 0x0409);
  EXPECT_EQ(translations->codePage, 1200);

  const std::pair<const char*, const char*> expected[] = {
      {"CompanyName", "Tessaway"},
      {"FileDescription", "Replaydock demo launcher"},
      {"FileVersion", "0.06.0008"},
      {"InternalName", "Replaydock"},
      {"OriginalFilename", "Replaydock.exe"},
      {"ProductName", "Replaydock"},
      {"ProductVersion", "0.06.0008"},
  };
  for (const auto& [name, text] : expected) {
    std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
    char* value = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), query.data(), reinterpret_cast<void**>(&value),
                               &length))
        << name;
    EXPECT_STREQ(value, text) << name;
  }
}

TEST_F(ReplaydockResources, ManifestAsksForVisualStylesDpiAwarenessUtf8AndNoElevation) {
  const auto bytes = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
  ASSERT_FALSE(bytes.empty()) << "no RT_MANIFEST resource 1";
  const std::string manifest(bytes.begin(), bytes.end());
  // The settings Windows reads at process start, each in its own namespace.
  for (const char* part : {
           R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
           R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)",
           R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>)",
           R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2</dpiAwareness>)",
           R"(<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>)",
           "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
       }) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }

  // Windows itself must accept it as an activation context.
  ACTCTXA context{};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = path_.c_str();
  context.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE handle = CreateActCtxA(&context);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE) << GetLastError();
  ReleaseActCtx(handle);
}

// Starts a copy of this binary that carries Replaydock's manifest in place of its own.
class ManifestedProcess : public ReplaydockResources {
 protected:
  void SetUp() override {
    ReplaydockResources::SetUp();
    if (HasFatalFailure()) return;
    char temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    folder_ = std::string(temp) + "rd-manifest-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    copy_ = folder_ + "\\probe.exe";
    report_ = folder_ + "\\report.txt";
    ASSERT_TRUE(CopyFileA(ModulePath(nullptr).c_str(), copy_.c_str(), FALSE)) << GetLastError();
  }
  void TearDown() override {
    DeleteFileA(report_.c_str());
    DeleteFileA(copy_.c_str());
    RemoveDirectoryA(folder_.c_str());
    ReplaydockResources::TearDown();
  }

  void EmbedManifest(const std::vector<unsigned char>& manifest) {
    // A manifest the linker gave the copy would otherwise stand beside ours.
    std::vector<WORD> languages;
    if (HMODULE own = LoadLibraryExA(copy_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
      EnumResourceLanguagesA(
          own, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1),
          [](HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) -> BOOL {
            reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
            return TRUE;
          },
          reinterpret_cast<LONG_PTR>(&languages));
      FreeLibrary(own);
    }
    HANDLE update = BeginUpdateResourceA(copy_.c_str(), FALSE);
    ASSERT_NE(update, nullptr) << GetLastError();
    for (WORD language : languages) {
      UpdateResourceA(update, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), language, nullptr, 0);
    }
    ASSERT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                const_cast<unsigned char*>(manifest.data()),
                                static_cast<DWORD>(manifest.size())))
        << GetLastError();
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE)) << GetLastError();
  }

  std::string RunProbe() {
    SetEnvironmentVariableA(ProbeVariable, report_.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + copy_ + "\"";
    const BOOL started = CreateProcessA(copy_.c_str(), command.data(), nullptr, nullptr, FALSE,
                                        0, nullptr, folder_.c_str(), &startup, &process);
    SetEnvironmentVariableA(ProbeVariable, nullptr);
    if (!started) return "not started: " + std::to_string(GetLastError());
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::ifstream in(report_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string folder_, copy_, report_;
};

TEST_F(ManifestedProcess, GetsTheUtf8CodePageVersion6ControlsAndPerMonitorAwareness) {
  const auto manifest = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
  ASSERT_FALSE(manifest.empty());
  EmbedManifest(manifest);
  if (HasFatalFailure()) return;

  std::istringstream report(RunProbe());
  std::string acp, awareness, controls;
  std::getline(report, acp);
  std::getline(report, awareness);
  std::getline(report, controls);
  EXPECT_EQ(acp, "acp 65001");
  EXPECT_EQ(awareness, "awareness " + std::to_string(DPI_AWARENESS_PER_MONITOR_AWARE));
  // Version 6 lives side by side, never in the system folder.
  EXPECT_NE(Lower(controls).find("\\winsxs\\"), std::string::npos) << controls;
  EXPECT_NE(Lower(controls).find("common-controls"), std::string::npos) << controls;
}

}  // namespace
