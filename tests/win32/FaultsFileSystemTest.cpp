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
#include "launcher/MainWindow.h"
#include "win32/Win32Ports.h"
#include "tests/fakes/FakePorts.h"

namespace rd {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kRoot = "C:\\stress-faults";
const std::string kQ3Demo = kRoot + "\\Demos\\final.dm_66";
// Written by the ctest fixture that mounts the drives (tests/win32/Faults-drives.sh).
constexpr const char* kDrivesNote = "C:\\stress-drives.txt";

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
  void Exit(int) override {}
  std::string commandLine;
  win32::Win32Process real;
};

void WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
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
    const std::string key(catalogue::SettingsKey);
    for (const auto& [name, text] : {std::pair{std::string(catalogue::AlreadyRunValue), "Yes"s},
                                     {std::string(g->locationValue), location},
                                     {std::string(g->modValue), mod}})
      fake.registry.PutText(regroot::CurrentUser, key, name, text);
    process.commandLine = demo;
    MainWindow form(ports, host);
    form.Form_Load();
    form.cboGame.SetText(game);
    form.cmdBottom_Click(2);
  }

  fakes::FakePlatform fake;
  win32::Win32FileSystem files;
  Process process;
  Ports ports{fake.registry, fake.ini, files, fake.shell, fake.dialogs, process, fake.timer, {}};
  Host host;
};

// What every refused play owes the user: the one message, the window back, no game started.
// A failed copy names the staged file (none: the demo is missing) and, unless error is 0, the
// system's text for the error.
void ExpectRefused(const Launch& l, const std::string& staged, DWORD error) {
  ASSERT_EQ(l.fake.dialogs.messages.size(), 1u);
  const std::string& text = l.fake.dialogs.messages[0].text;
  const std::string opening =
      staged.empty()
          ? "The specified demo file does not exist. Please select a valid file and try again."
          : "The demo could not be copied to " + staged +
                ". Please check the game's location and mod, then try again.\n\n";
  EXPECT_EQ(text.substr(0, opening.size()), opening);
  if (error) {
    EXPECT_NE(text.find(win32::Win32Process().ErrorText(error)), std::string::npos)
        << "expected the system's text for error " << error << " in: " << text;
  }
  EXPECT_TRUE(l.fake.shell.calls.empty());
  EXPECT_TRUE(l.host.visible);
  EXPECT_FALSE(l.host.ended);
  EXPECT_EQ(l.fake.registry.OpenHandles(), 0);
}

// The drives the fixture could mount, or why it could not.
std::string DrivesUnavailable() {
  const std::string note = ReadFile(kDrivesNote);
  if (note.rfind("ready", 0) == 0) return {};
  return note.empty() ? "the drive fixture did not run" : note;
}

// A letter from Q: to W: that names no drive, or 0.
char FreeDriveLetter() {
  for (char c = 'Q'; c <= 'W'; ++c)
    if (!(GetLogicalDrives() & (1u << (c - 'A')))) return c;
  return 0;
}

// Removes the tree, read-only files included, whatever a failed test left there.
void RemoveTree(const std::string& root) {
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(root, ec)) {
    SetFileAttributesA(e.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  fs::remove_all(root, ec);
}

class FileSystemFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(kRoot);
    WriteFile(kRoot + "\\Demos\\match.dem", "NEW-HL");
    WriteFile(kQ3Demo, "NEW-Q3");
  }
  void TearDown() override { RemoveTree(kRoot); }
};

TEST_F(FileSystemFaults, DemoOrModFolderThatIsAFile) {
  const struct {
    const char *game, *exe, *blocker, *mod, *demo, *staged;
  } cases[] = {
      {"Quake 3 Arena", "\\q3\\quake3.exe", "\\q3\\baseq3\\Demos", "", "final.dm_66",
       "\\q3\\baseq3\\Demos\\replaydock.dm_66"},
      {"Half-Life", "\\hl\\hl.exe", "\\hl\\cstrike", "cstrike", "match.dem",
       "\\hl\\cstrike\\replaydock.dem"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.game);
    WriteFile(kRoot + c.exe, "MZ");
    WriteFile(kRoot + c.blocker, "NOT A FOLDER");
    Launch l(c.game, kRoot + c.exe, kRoot + "\\Demos\\" + c.demo, c.mod);
    ExpectRefused(l, kRoot + c.staged, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(ReadFile(kRoot + c.blocker), "NOT A FOLDER");
  }
}

TEST_F(FileSystemFaults, DemoOrGameOnADriveThatDoesNotExist) {
  const char letter = FreeDriveLetter();
  if (!letter) GTEST_SKIP() << "every drive letter from Q: to W: is in use";
  const std::string drive = std::string(1, letter) + ":";
  const std::string game = kRoot + "\\q3";
  WriteFile(game + "\\quake3.exe", "MZ");
  fs::create_directories(game + "\\baseq3");
  ExpectRefused(Launch("Quake 3 Arena", game + "\\quake3.exe", drive + "\\Demos\\final.dm_66"), "",
                0);

  const std::string away = drive + "\\Games\\Quake III Arena";
  ExpectRefused(Launch("Quake 3 Arena", away + "\\quake3.exe", kQ3Demo),
                away + "\\baseq3\\Demos\\replaydock.dm_66", ERROR_PATH_NOT_FOUND);
}

// A read-only demo (copied from a CD) plays, and plays again over its own staged copy.
TEST_F(FileSystemFaults, AReadOnlyDemoPlaysTwice) {
  const std::string game = kRoot + "\\q3";
  WriteFile(game + "\\quake3.exe", "MZ");
  fs::create_directories(game + "\\baseq3");
  ASSERT_TRUE(SetFileAttributesA(kQ3Demo.c_str(), FILE_ATTRIBUTE_READONLY));
  for (int press = 1; press <= 2; ++press) {
    Launch l("Quake 3 Arena", game + "\\quake3.exe", kQ3Demo);
    EXPECT_TRUE(l.fake.dialogs.messages.empty()) << "press " << press;
    EXPECT_EQ(l.fake.shell.calls.size(), 1u) << "press " << press;
  }
  EXPECT_EQ(ReadFile(game + "\\baseq3\\Demos\\replaydock.dm_66"), "NEW-Q3");
}

TEST_F(FileSystemFaults, ReadOnlyDemoFolder) {
  if (const std::string why = DrivesUnavailable(); !why.empty()) GTEST_SKIP() << why;
  // Y: is a read-only mount holding a game with a demo staged earlier.
  const std::string staged = "Y:\\q3\\baseq3\\Demos\\replaydock.dm_66";
  ASSERT_EQ(ReadFile(staged), "OLD");
  ExpectRefused(Launch("Quake 3 Arena", "Y:\\q3\\quake3.exe", kQ3Demo), staged, 0);
  EXPECT_EQ(ReadFile(staged), "OLD");
}

TEST_F(FileSystemFaults, FullDiskKeepsTheDemoStagedBefore) {
  if (const std::string why = DrivesUnavailable(); !why.empty()) GTEST_SKIP() << why;
  // X: is a small empty mount; a demo larger than it fills it half-way through the copy.
  const std::string game = "X:\\q3";
  const std::string staged = game + "\\baseq3\\Demos\\replaydock.dm_66";
  fs::remove_all(game);
  WriteFile(game + "\\quake3.exe", "MZ");
  WriteFile(staged, "OLD");
  ULARGE_INTEGER freeBefore{}, freeAfter{};
  ASSERT_TRUE(GetDiskFreeSpaceExA("X:\\", &freeBefore, nullptr, nullptr));
  const std::string big = kRoot + "\\Demos\\big.dm_66";
  WriteFile(big, std::string(static_cast<std::size_t>(freeBefore.QuadPart) + (1u << 20), 'D'));

  ExpectRefused(Launch("Quake 3 Arena", game + "\\quake3.exe", big), staged, ERROR_DISK_FULL);
  EXPECT_EQ(ReadFile(staged), "OLD");
  // Nothing of the failed copy stays behind to fill the disk.
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(game + "\\baseq3\\Demos"))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"replaydock.dm_66"});
  ASSERT_TRUE(GetDiskFreeSpaceExA("X:\\", &freeAfter, nullptr, nullptr));
  EXPECT_GE(freeAfter.QuadPart + 64 * 1024, freeBefore.QuadPart);
  fs::remove_all(game);
}

}  // namespace
}  // namespace rd
