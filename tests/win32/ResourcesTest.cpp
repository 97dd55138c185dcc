#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/Scenario.h"
#include "util/Text.h"

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

// In the child: print the process's code page, DPI awareness and the common controls that
// a plain LoadLibrary picks, then end before any test runs.
[[maybe_unused]] const bool probeDone = [] {
  if (GetEnvironmentVariableA(ProbeVariable, nullptr, 0) == 0) return false;
  HMODULE controls = LoadLibraryA("comctl32.dll");
  const auto awareness = GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext());
  const std::string report = "acp " + std::to_string(GetACP()) + "\nawareness " +
                             std::to_string(static_cast<int>(awareness)) + "\ncomctl32 " +
                             (controls ? ModulePath(controls) : "none") + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), report.data(), static_cast<DWORD>(report.size()),
            &written, nullptr);
  ExitProcess(0);
}();

class ReplaydockResources : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = e2e::ReplaydockExe();
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
  HICON icons[2] = {};
  ASSERT_GE(ExtractIconExA(path_.c_str(), 0, &icons[0], &icons[1], 1), 1u);
  for (HICON icon : icons) {
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
  }
}

TEST_F(ReplaydockResources, VersionInformationNamesReplaydock0608InUsEnglish) {
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(path_.c_str(), &ignored));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(
      GetFileVersionInfoA(path_.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  UINT length = 0;
  const auto query = [&](std::string path) {
    void* value = nullptr;
    return VerQueryValueA(block.data(), path.data(), &value, &length) ? value : nullptr;
  };

  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query("\\"));
  ASSERT_TRUE(fixed && length >= sizeof *fixed);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(6, 0));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(8, 0));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(6, 0));
  EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(8, 0));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  const auto* translation = static_cast<const WORD*>(query("\\VarFileInfo\\Translation"));
  ASSERT_TRUE(translation && length == 2 * sizeof(WORD));
  EXPECT_EQ(translation[0], 0x0409);  // US English
  EXPECT_EQ(translation[1], 1200);    // UTF-16

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
    const std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
    const auto* value = static_cast<const char*>(query(path));
    ASSERT_TRUE(value) << name;
    EXPECT_STREQ(value, text) << name;
  }
}

// The manifest in a copy of this binary, in place of its own: the process Windows makes of it
// reports what it got.
class ManifestedProcess : public ReplaydockResources {
 protected:
  void TearDown() override {
    e2e::DeleteTree(folder_);
    ReplaydockResources::TearDown();
  }

  bool MakeCopy(const std::vector<unsigned char>& manifest) {
    if (!e2e::MakeFolders(folder_) ||
        !CopyFileA(ModulePath(nullptr).c_str(), copy_.c_str(), FALSE))
      return false;
    // A manifest the linker gave the copy would otherwise stand beside ours.
    std::vector<WORD> languages;
    if (HMODULE own = LoadLibraryExA(copy_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
      EnumResourceLanguagesA(
          own, RT_MANIFEST, MAKEINTRESOURCEA(1),
          [](HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) -> BOOL {
            reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
            return TRUE;
          },
          reinterpret_cast<LONG_PTR>(&languages));
      FreeLibrary(own);
    }
    HANDLE update = BeginUpdateResourceA(copy_.c_str(), FALSE);
    if (!update) return false;
    for (WORD language : languages)
      UpdateResourceA(update, RT_MANIFEST, MAKEINTRESOURCEA(1), language, nullptr, 0);
    const BOOL put = UpdateResourceA(update, RT_MANIFEST, MAKEINTRESOURCEA(1),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                     const_cast<unsigned char*>(manifest.data()),
                                     static_cast<DWORD>(manifest.size()));
    return EndUpdateResourceA(update, !put) && put;
  }

  const std::string folder_ = [] {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "rd-manifest-" + std::to_string(GetCurrentProcessId());
  }();
  const std::string copy_ = folder_ + "\\probe.exe";
};

TEST_F(ManifestedProcess, VisualStylesPerMonitorAwarenessUtf8AndNoElevation) {
  const auto manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEA(1));
  ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST resource 1";
  // What a process here cannot show: elevation, the awareness of older systems, the version
  // of the awareness and the systems it was tested on.
  const std::string text(manifest.begin(), manifest.end());
  for (const char* part : {
           R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)",
           R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>)",
           R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2</dpiAwareness>)",
           "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
       }) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }

  ASSERT_TRUE(MakeCopy(manifest)) << GetLastError();
  SetEnvironmentVariableA(ProbeVariable, "1");
  const e2e::ToolResult probe = e2e::RunTool("\"" + copy_ + "\"");
  SetEnvironmentVariableA(ProbeVariable, nullptr);
  ASSERT_TRUE(probe.finished) << probe.output;
  std::istringstream report(probe.output);
  std::string acp, awareness, controls;
  std::getline(report, acp);
  std::getline(report, awareness);
  std::getline(report, controls);
  EXPECT_EQ(acp, "acp 65001");
  EXPECT_EQ(awareness, "awareness " + std::to_string(DPI_AWARENESS_PER_MONITOR_AWARE));
  // Version 6 lives side by side, never in the system folder.
  EXPECT_NE(rd::util::ToLower(controls).find("\\winsxs\\"), std::string::npos) << controls;
  EXPECT_NE(rd::util::ToLower(controls).find("common-controls"), std::string::npos) << controls;
}

}  // namespace
