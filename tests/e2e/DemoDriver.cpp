// `make demo`: one real run of Replaydock from its first start to a launched (stand-in) game,
// told line by line from what the run observed.
#include <cstdio>
#include <string>

#include "tests/e2e/Scenario.h"
#include "win32/ControlIds.h"

using namespace e2e;
using namespace rd::ids;

static bool Say(const std::string& line) {
  std::printf("demo: %s\n", line.c_str());
  return std::fflush(stdout) == 0;
}
static int Fail(const std::string& why) {
  Say("FAILED: " + why);
  return 1;
}
static HWND Shown(HWND window, const std::string& what) {  // null when it never came
  const std::string path = window ? SaveScreenshot(window, "demo-" + what) : "";
  Say(window ? what + " shown; screenshot: " + (path.empty() ? "none" : path) : "FAILED: no " + what);
  return window;
}

int main() {
  const std::string root = "C:\\replaydock-demo", game = root + "\\Quake III Arena\\quake3.exe";
  const std::string demo = root + "\\My Demos\\first demo.dm_66", bytes = SampleDemoBytes(4096, 2026);
  LetWineDrawTitleBars();
  DeleteTree(root);
  if (!FreshSettings(false) || !InstallStandIn(game) || !MakeFolders(ParentFolder(game) + "\\baseq3") ||
      !MakeFolders(ParentFolder(demo)) || !WriteBytes(demo, bytes)) {
    return Fail("could not set up the settings, the stand-in game or the demo");
  }
  Say("created " + demo + " and " + game);
  Process app;
  if (!app.Start(ReplaydockExe(), "\"" + ReplaydockExe() + "\" " + demo) ||
      !Shown(WaitForWindow(app.Pid(), SplashClass), "splash"))
    return 1;
  for (const int button : {IDNO, IDOK}) {
    const auto box = WaitForMessageBox(app.Pid(), "Replaydock");
    if (!box) return Fail("no first-run message");
    Say("message \"" + box->text + "\" answered " + (button == IDNO ? "No" : "OK"));
    PressButton(box->window, button);
    WaitHiddenOrGone(box->window);
  }
  HWND window = Shown(WaitForWindow(app.Pid(), ConfigClass), "configuration");
  if (!window) return 1;
  PickCombo(Control(window, ConfigCboGame), "Quake 3 Arena");
  SetText(Control(window, ConfigTxtLocation), game);
  WaitUntil([&] { return RegText(kSettingsKey, "Q3APath") == game; });
  Say("set Quake 3 Arena's location; Q3APath = " + RegText(kSettingsKey, "Q3APath"));
  Click(Control(window, ConfigCmdBottom));
  if (!(window = Shown(WaitForWindow(app.Pid(), MainClass), "main"))) return 1;
  Say("file \"" + GetText(Control(window, MainTxtFilename)) + "\", game \"" +
      GetText(Control(window, MainCboGame)) + "\"; pressing Play");
  Click(Control(window, MainCmdBottom0 + 2));
  const auto starts = WaitForGameStarts(game);
  if (!app.WaitExit(kWaitMs) || starts.empty()) return Fail("Play did not start the game");
  Say("the game got " + starts[0].commandLine + " in " + starts[0].workingFolder);
  const bool same = ReadBytes(ParentFolder(game) + "\\baseq3\\Demos\\replaydock.dm_66") == bytes;
  if (!same) return Fail("the staged demo differs from the original");
  return Say("the staged demo is the original's copy") ? 0 : 1;
}
