// The play command against the real file system under Windows (or Wine): a demo folder that
// cannot be written, a demo folder that is a file, a drive letter that does not exist and a
// full disk. The registry, the shell and the message boxes are fakes, so nothing is started
// and no box waits for a click; files and error texts are the system's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "launcher/GameCatalogue.h"
#include "launcher/frmMain.h"
#include "platform/win32/Win32Ports.h"
#include "tests/fakes/FakePorts.h"

namespace rd {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRoot = "C:\\stress-faults";
// Written by the ctest fixture that mounts the drives (tests/win32/Faults-drives.sh).
constexpr const char* kDrivesNote = "C:\\stress-drives.txt";
constexpr const char* kCopyFailed = "The demo could not be copied to ";

class Host final : public AppHost {
 public:
  void ShowMain() override { visible = true; }
  void HideMain() override { visible = false; }
  void EndProgram() override { ended = true; }
  void ShowConfigModal() override {}
  void CloseConfig() override {}
  void HandOver() override {}
  bool visible = true;
  bool ended = false;
};

// The system's own process facts, without ending the test binary.
class Process final : public ProcessInfo {
 public:
  std::string CommandLineText() override { return commandLine; }
  std::string ExeFolder() override { return real.ExeFolder(); }
  std::string ExeBaseName() override { return real.ExeBaseName(); }
  ProgramVersion Version() override { return real.Version(); }
  NumberFormat Numbers() override { return real.Numbers(); }
  std::string ErrorText(std::uint32_t code) override { return real.ErrorText(code); }
  void Exit(int) override { ++exits; }
  std::string commandLine;
  int exits = 0;
  win32::Win32Process real;
};

void WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One press of Play with the demo on the command line and the game's location stored.
struct Launch {
  Launch(const std::string& game, const std::string& location, const std::string& demo,
         const std::string& mod = "") {
    const catalogue::Game* g = catalogue::FindByName(game);
    registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                     std::string(catalogue::AlreadyRunValue), "Yes");
    registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                     std::string(g->locationValue), location);
    registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                     std::string(g->modValue), mod);
    process.commandLine = demo;
    frmMain form(ports, host);
    form.Form_Load();
    form.cboGame.SetText(game);
    form.cmdBottom_Click(2);
    for (const auto& m : dialogs.messages) messages.push_back(m.text);
  }

  fakes::FakeRegistry registry;
  fakes::FakeIni ini;
  win32::Win32FileSystem files;
  fakes::FakeShell shell;
  fakes::FakeDialogs dialogs;
  Process process;
  fakes::FakeTimer timer;
  Ports ports{registry, ini, files, shell, dialogs, process, timer, {}};
  Host host;
  std::vector<std::string> messages;
};

// What every failed staging owes the user: the message, the window back, no game started.
void ExpectCopyRefused(const Launch& l, const std::string& staged, DWORD error) {
  ASSERT_EQ(l.messages.size(), 1u);
  const std::string& text = l.messages[0];
  EXPECT_EQ(text.rfind(kCopyFailed + staged + ". Please check the game's location and mod, then "
                                              "try again.\n\n",
                       0),
            0u)
      << text;
  win32::Win32Process system;
  EXPECT_NE(text.find(system.ErrorText(error)), std::string::npos)
      << "expected the system's text for error " << error << " in: " << text;
  EXPECT_TRUE(l.shell.calls.empty());
  EXPECT_TRUE(l.host.visible);
  EXPECT_FALSE(l.host.ended);
  EXPECT_EQ(l.registry.OpenHandles(), 0);
}

// The drives the fixture could mount, or why it could not.
std::string DrivesUnavailable() {
  const std::string note = ReadFile(kDrivesNote);
  if (note.rfind("ready", 0) == 0) return {};
  return note.empty() ? "the drive fixture did not run" : note;
}

class FileSystemFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(kRoot);
    WriteFile(std::string(kRoot) + "\\Demos\\match.dem", "NEW-HL");
    WriteFile(std::string(kRoot) + "\\Demos\\final.dm_66", "NEW-Q3");
  }
  void TearDown() override { fs::remove_all(kRoot); }
};

TEST_F(FileSystemFaults, DemoFolderThatIsAFile) {
  const std::string game = std::string(kRoot) + "\\q3";
  WriteFile(game + "\\quake3.exe", "MZ");
  WriteFile(game + "\\baseq3\\Demos", "NOT A FOLDER");
  Launch l("Quake 3 Arena", game + "\\quake3.exe", std::string(kRoot) + "\\Demos\\final.dm_66");
  ExpectCopyRefused(l, game + "\\baseq3\\Demos\\replaydock.dm_66", ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ReadFile(game + "\\baseq3\\Demos"), "NOT A FOLDER");
}

TEST_F(FileSystemFaults, HalfLifeModFolderThatIsAFile) {
  const std::string game = std::string(kRoot) + "\\hl";
  WriteFile(game + "\\hl.exe", "MZ");
  WriteFile(game + "\\cstrike", "NOT A FOLDER");
  Launch l("Half-Life", game + "\\hl.exe", std::string(kRoot) + "\\Demos\\match.dem",
           "cstrike");
  ExpectCopyRefused(l, game + "\\cstrike\\replaydock.dem", ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ReadFile(game + "\\cstrike"), "NOT A FOLDER");
}

TEST_F(FileSystemFaults, DemoOnADriveThatDoesNotExist) {
  char letter = 0;
  const DWORD drives = GetLogicalDrives();
  for (char c = 'Q'; c <= 'W'; ++c) {
    if (!(drives & (1u << (c - 'A')))) {
      letter = c;
      break;
    }
  }
  if (!letter) GTEST_SKIP() << "every drive letter from Q: to W: is in use";
  const std::string demo = std::string(1, letter) + ":\\Demos\\final.dm_66";
  const std::string game = std::string(kRoot) + "\\q3";
  WriteFile(game + "\\quake3.exe", "MZ");
  fs::create_directories(game + "\\baseq3");
  Launch l("Quake 3 Arena", game + "\\quake3.exe", demo);
  ASSERT_EQ(l.messages.size(), 1u);
  EXPECT_EQ(l.messages[0],
            "The specified demo file does not exist. Please select a valid file and try again.");
  EXPECT_TRUE(l.host.visible);
  EXPECT_TRUE(l.shell.calls.empty());
}

TEST_F(FileSystemFaults, GameOnADriveThatDoesNotExist) {
  char letter = 0;
  const DWORD drives = GetLogicalDrives();
  for (char c = 'Q'; c <= 'W'; ++c) {
    if (!(drives & (1u << (c - 'A')))) {
      letter = c;
      break;
    }
  }
  if (!letter) GTEST_SKIP() << "every drive letter from Q: to W: is in use";
  const std::string game = std::string(1, letter) + ":\\Games\\Quake III Arena";
  Launch l("Quake 3 Arena", game + "\\quake3.exe", std::string(kRoot) + "\\Demos\\final.dm_66");
  ExpectCopyRefused(l, game + "\\baseq3\\Demos\\replaydock.dm_66", ERROR_PATH_NOT_FOUND);
}

TEST_F(FileSystemFaults, ReadOnlyDemoFolder) {
  if (const std::string why = DrivesUnavailable(); !why.empty()) GTEST_SKIP() << why;
  // Y: is a read-only mount holding a game with a demo staged earlier.
  const std::string game = "Y:\\q3";
  ASSERT_EQ(ReadFile(game + "\\baseq3\\Demos\\replaydock.dm_66"), "OLD");
  Launch l("Quake 3 Arena", game + "\\quake3.exe", std::string(kRoot) + "\\Demos\\final.dm_66");
  ASSERT_EQ(l.messages.size(), 1u);
  EXPECT_EQ(l.messages[0].rfind(kCopyFailed + game + "\\baseq3\\Demos\\replaydock.dm_66", 0), 0u)
      << l.messages[0];
  EXPECT_TRUE(l.shell.calls.empty());
  EXPECT_TRUE(l.host.visible);
  EXPECT_EQ(ReadFile(game + "\\baseq3\\Demos\\replaydock.dm_66"), "OLD");
}

TEST_F(FileSystemFaults, FullDiskKeepsTheDemoStagedBefore) {
  if (const std::string why = DrivesUnavailable(); !why.empty()) GTEST_SKIP() << why;
  // X: is a small empty mount; a demo larger than it fills it half-way through the copy.
  const std::string game = "X:\\q3";
  fs::remove_all("X:\\q3");
  WriteFile(game + "\\quake3.exe", "MZ");
  WriteFile(game + "\\baseq3\\Demos\\replaydock.dm_66", "OLD");
  ULARGE_INTEGER freeBefore{};
  ASSERT_TRUE(GetDiskFreeSpaceExA("X:\\", &freeBefore, nullptr, nullptr));
  const std::string big = std::string(kRoot) + "\\Demos\\big.dm_66";
  WriteFile(big, std::string(static_cast<std::size_t>(freeBefore.QuadPart) + (1u << 20), 'D'));

  Launch l("Quake 3 Arena", game + "\\quake3.exe", big);
  ExpectCopyRefused(l, game + "\\baseq3\\Demos\\replaydock.dm_66", ERROR_DISK_FULL);
  EXPECT_EQ(ReadFile(game + "\\baseq3\\Demos\\replaydock.dm_66"), "OLD");
  // Nothing of the failed copy stays behind to fill the disk.
  int entries = 0;
  for (const auto& e : fs::directory_iterator(game + "\\baseq3\\Demos")) {
    ++entries;
    EXPECT_EQ(e.path().filename().string(), "replaydock.dm_66");
  }
  EXPECT_EQ(entries, 1);
  ULARGE_INTEGER freeAfter{};
  ASSERT_TRUE(GetDiskFreeSpaceExA("X:\\", &freeAfter, nullptr, nullptr));
  EXPECT_GE(freeAfter.QuadPart + 64 * 1024, freeBefore.QuadPart);
  fs::remove_all("X:\\q3");
}

}  // namespace
}  // namespace rd
