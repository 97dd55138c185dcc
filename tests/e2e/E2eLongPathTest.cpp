// A demo at a path past Windows' classic limit of 259 characters, end to end: named on the
// command line, shown in its long form, its game chosen, staged and played.
#include <cctype>
#include <filesystem>
#include <fstream>

#include "tests/e2e/E2eSupport.h"

namespace e2e {
namespace {

// The test's own file work takes such a path only in the \\?\ form.
std::filesystem::path Long(const std::string& path) {
  return std::filesystem::path(L"\\\\?\\" + std::wstring(path.begin(), path.end()));
}

TEST(LongPathE2e, ADemoAtA300CharacterPathIsShownLongStagedAndPlayed) {
  ASSERT_TRUE(FreshSettings(true));
  const std::string root = "C:\\e2e\\long";
  std::error_code ignored;
  std::filesystem::remove_all(Long(root), ignored);
  const std::string game = root + "\\Quake III Arena\\quake3.exe";
  ASSERT_TRUE(InstallGame(game, "baseq3", "Q3APath"));
  std::string folder = root;
  while (folder.size() < 250) folder += "\\A Folder Of Demos Far Below The Drive";
  const std::string demo =
      folder + "\\Round " + std::string(299 - folder.size() - 12, '1') + ".dm_66";
  ASSERT_EQ(demo.size(), 300u);
  std::filesystem::create_directories(Long(folder));
  const std::string bytes = SampleDemoBytes(50000, 3);
  std::ofstream(Long(demo), std::ios::binary) << bytes;
  ASSERT_TRUE(std::filesystem::is_regular_file(Long(demo)));

  std::string typed = demo;
  for (char& c : typed) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  Process app;
  HWND main = StartToMainWindow(app, ReplaydockExe(), Quoted(typed));
  ASSERT_TRUE(main) << "no main window";
  EXPECT_EQ(GetText(Control(main, rd::ids::MainTxtFilename)), "C:\\E2e\\Long" + demo.substr(11));
  EXPECT_EQ(GetText(Control(main, rd::ids::MainCboGame)), "Quake 3 Arena");

  ExpectPlayed(app, main, game, "+demo replaydock");
  EXPECT_EQ(ReadBytes(ParentFolder(game) + "\\baseq3\\Demos\\replaydock.dm_66"), bytes);
  std::filesystem::remove_all(Long(root), ignored);
}

}  // namespace
}  // namespace e2e
