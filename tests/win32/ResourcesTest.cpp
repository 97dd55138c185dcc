#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/E2eSupport.h"
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
  const std::string report = rd::util::ToLower(probe.output);
  EXPECT_EQ(report.substr(0, 8), "65001\n" + std::to_string(DPI_AWARENESS_PER_MONITOR_AWARE) + "\n");
  // Version 6 lives side by side, never in the system folder.
  EXPECT_NE(report.find("\\winsxs\\"), std::string::npos) << report;
  EXPECT_NE(report.find("common-controls"), std::string::npos) << report;
}

// The splash window needs none of these; each is loaded on first use, so that starting costs
// no more than a bare window. A direct call to any of them would bring its DLL back to start.
TEST(Resources, TheExeLeavesTheControlsTheDialogsAndTheShellToFirstUse) {
  HMODULE exe = LoadLibraryExA(e2e::ReplaydockExe().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(exe, nullptr) << e2e::ReplaydockExe() << " is missing";
  const auto* base = reinterpret_cast<const BYTE*>(exe);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  std::string imports;
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       dir.Size && d->Name; ++d) {
    imports += rd::util::ToLower(reinterpret_cast<const char*>(base + d->Name)) + " ";
  }
  FreeLibrary(exe);
  EXPECT_NE(imports.find("user32.dll"), std::string::npos) << imports;
  for (const char* late : {"comctl32", "comdlg32", "shell32"}) {
    EXPECT_EQ(imports.find(late), std::string::npos) << imports;
  }
}

}  // namespace
