#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/Scenario.h"
#include "util/Text.h"

// What Windows makes of Replaydock.exe's manifest and version information. The manifest's
// effect is seen in a child: a copy of this binary that carries Replaydock's manifest and
// reports what it got.
namespace {

constexpr const char* kProbe = "RD_RESOURCES_PROBE";

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH * 4] = {};
  return std::string(path, GetModuleFileNameA(module, path, sizeof path));
}

// In the child: the code page, the DPI awareness and the common controls a plain LoadLibrary
// picks, then the end before any test runs.
[[maybe_unused]] const bool probeDone = [] {
  if (GetEnvironmentVariableA(kProbe, nullptr, 0) == 0) return false;
  HMODULE controls = LoadLibraryA("comctl32.dll");
  const auto awareness = GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext());
  const std::string report = std::to_string(GetACP()) + "\n" + std::to_string(awareness) + "\n" +
                             (controls ? ModulePath(controls) : "none") + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), report.data(), static_cast<DWORD>(report.size()),
            &written, nullptr);
  ExitProcess(0);
}();

TEST(Resources, TheManifestGivesUtf8PerMonitorAwarenessAndVisualStyles) {
  HMODULE exe = LoadLibraryExA(e2e::ReplaydockExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr) << e2e::ReplaydockExe() << " is missing";
  HRSRC info = FindResourceA(exe, MAKEINTRESOURCEA(1), RT_MANIFEST);
  ASSERT_NE(info, nullptr) << "no manifest";
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(exe, info)));
  const std::vector<BYTE> manifest(data, data + SizeofResource(exe, info));
  FreeLibrary(exe);
  // The copy carries ours alone, in place of any the linker gave it.
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string copy = temp + ("rd-manifest-" + std::to_string(GetCurrentProcessId()) + ".exe");
  ASSERT_TRUE(CopyFileA(ModulePath(nullptr).c_str(), copy.c_str(), FALSE));
  HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
  ASSERT_NE(update, nullptr);
  for (const WORD language : {WORD{0}, WORD{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}}) {
    UpdateResourceA(update, RT_MANIFEST, MAKEINTRESOURCEA(1), language, nullptr, 0);
  }
  ASSERT_TRUE(UpdateResourceA(
      update, RT_MANIFEST, MAKEINTRESOURCEA(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
      const_cast<BYTE*>(manifest.data()), static_cast<DWORD>(manifest.size())));
  ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
  SetEnvironmentVariableA(kProbe, "1");
  const e2e::ToolResult probe = e2e::RunTool("\"" + copy + "\"");
  SetEnvironmentVariableA(kProbe, nullptr);
  DeleteFileA(copy.c_str());
  ASSERT_TRUE(probe.finished) << probe.output;
  std::istringstream report(probe.output);
  std::string acp, awareness, controls;
  std::getline(report, acp);
  std::getline(report, awareness);
  std::getline(report, controls);
  EXPECT_EQ(acp, "65001");
  EXPECT_EQ(awareness, std::to_string(DPI_AWARENESS_PER_MONITOR_AWARE));
  // Version 6 lives side by side, never in the system folder.
  EXPECT_NE(rd::util::ToLower(controls).find("\\winsxs\\"), std::string::npos) << controls;
  EXPECT_NE(rd::util::ToLower(controls).find("common-controls"), std::string::npos) << controls;
}

// What Explorer shows and what the header reads must tell the same version.
TEST(Resources, TheVersionTextMatchesTheVersionNumbers) {
  const std::string exe = e2e::ReplaydockExe();
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
  ASSERT_TRUE(!block.empty() &&
              GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  const auto query = [&](std::string path) {
    void* value = nullptr;
    UINT length = 0;
    return VerQueryValueA(block.data(), path.data(), &value, &length) ? value : nullptr;
  };
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query("\\"));
  ASSERT_NE(fixed, nullptr);
  char text[32];
  snprintf(text, sizeof text, "%u.%02u.%04u", HIWORD(fixed->dwFileVersionMS),
           LOWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionLS));
  for (const char* name : {"FileVersion", "ProductVersion"}) {
    const auto* value =
        static_cast<const char*>(query(std::string("\\StringFileInfo\\040904b0\\") + name));
    ASSERT_NE(value, nullptr) << name;
    EXPECT_STREQ(value, text) << name;
  }
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
}

}  // namespace
