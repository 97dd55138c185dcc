#include <gtest/gtest.h>

#include "config/ConfigWindow.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd {
namespace {

using namespace launcher_tests;
using TooLongPaths = WindowTest;

// A demo or a staged path that Windows cannot take says so, not "does not exist".
TEST_F(TooLongPaths, PlaySaysWhichPathIsTooLongForWindows) {
  fp.files.AddFile("D:\\Demos\\match.dem", "HLDEMO");
  const std::string name = "D:\\Demos\\" + std::string(256, 'n') + ".dem", mod(256, 'm');
  const std::pair<std::string, std::string> cases[] = {
      {name, "The path of the demo file is too long for Windows: " + name +
                 ". Please move the demo to a shorter path and try again."},
      {mod, "The path of the staged demo is too long for Windows: C:\\Sierra\\Half-Life\\" + mod +
                "\\replaydock.dem. Please check the game's location and mod, then try again."}};
  Load();
  for (const auto& [input, text] : cases) {
    form->txtFilename.UserEdited(input == mod ? "D:\\Demos\\match.dem" : input);
    Pick(form->cboGame, kHL);
    form->cboMod.UserEdited(input == mod ? mod : "cstrike");
    form->cmdBottom[2].UserClicked();
    ASSERT_EQ(fp.dialogs.messages.size(), 1u);
    EXPECT_EQ(fp.dialogs.messages[0].text, text);
    EXPECT_EQ(fp.log.back(), "show main");
    fp.dialogs.messages.clear();
  }
}

// Windows starts no program from a path of 260 characters or more and takes no name of over
// 255: a game's location or the program's own path like that says so.
TEST_F(TooLongPaths, TheGameLocationAndTheRegistrationSaySo) {
  ConfigWindow f(fp.ports, host);
  f.Form_Load();
  const auto last = [&] {
    return fp.dialogs.messages.empty() ? "" : fp.dialogs.messages.back().text;
  };
  const std::string deep = "C:\\Games\\" + std::string(240, 'g') + "\\Half-Life\\hl.exe";
  fp.files.AddFile(deep);
  for (const std::string& location : {deep, "C:\\Games\\" + std::string(256, 'n') + ".exe"}) {
    f.txtLocation.UserEdited(location);
    bool cancel = true;
    f.txtLocation.Validate(cancel);
    EXPECT_EQ(last(), "The path of the specified program is too long for Windows: " + location +
                          ". Please select an executable with a shorter path.");
  }
  for (const int extra : {241, 242}) {  // 259 and 260 characters with the name
    fp.process.exeFolder = "C:\\" + std::string(extra, 'r');
    fp.files.AddFile(fp.process.exeFolder + "\\Replaydock.exe");
    f.cmdRegister.UserClicked();
    EXPECT_EQ(last(),
              extra == 241
                  ? "File types registered!"
                  : "The path of Replaydock is too long for Windows: " + fp.process.exeFolder +
                        "\\Replaydock.exe. Please move the "
                        "program to a shorter path, then register the file types again.");
  }
}

}  // namespace
}  // namespace rd
