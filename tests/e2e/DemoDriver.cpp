// `make demo`: one real run of Replaydock from its first start to a launched (stand-in) game,
// told line by line from what the run observed.
#include <cstdio>
#include <string>

#include "tests/e2e/Scenario.h"
#include "win32/ControlIds.h"

using namespace e2e;
using namespace rd::ids;

namespace {

int Say(const std::string& line, int status = 0) {
  std::printf("demo: %s\n", line.c_str());
  std::fflush(stdout);
  return status;
}
void Shot(HWND window, const std::string& what) {
  const std::string path = SaveScreenshot(window, "demo-" + what.substr(0, what.find(' ')));
  Say(path.empty() ? "no screenshot of the " + what : "screenshot of the " + what + ": " + path);
}
std::string Stored(const std::string& value) {
  return RegQuery(kSettingsKey, value).value_or(RegValue{}).data;
}

}  // namespace

int main() {
  const std::string root = "C:\\replaydock-demo", game = root + "\\Quake III Arena\\quake3.exe";
  const std::string demo = root + "\\My Demos\\first demo.dm_66",
                    bytes = SampleDemoBytes(4096, 2026);
  LetWineDrawTitleBars();
  DeleteTree(root);
  if (!FreshSettings(false) || !InstallStandIn(game) ||
      !MakeFolders(ParentFolder(game) + "\\baseq3") || !MakeFolders(ParentFolder(demo)) ||
      !WriteBytes(demo, bytes)) {
    return Say("FAILED: could not set up the settings, the stand-in game or the demo", 1);
  }
  Say("created the demo " + demo + " and the stand-in game " + game);
  Process app;
  if (!app.Start(ReplaydockExe(), "\"" + ReplaydockExe() + "\" " + demo))
    return Say("FAILED: no start", 1);
  Say("started Replaydock with " + demo);
  HWND window = WaitForWindow(app.Pid(), SplashClass);
  if (!window) return Say("FAILED: no splash window", 1);
  Shot(window, "splash window");
  for (const int button : {IDNO, IDOK}) {
    const auto box = WaitForMessageBox(app.Pid(), "Replaydock");
    if (!box) return Say("FAILED: no first-run message", 1);
    Say("message: \"" + box->text + "\"; answered " +
        (button == IDNO ? "No (file types unchanged)" : "OK"));
    PressButton(box->window, button);
    WaitHiddenOrGone(box->window);
  }
  if (!(window = WaitForWindow(app.Pid(), ConfigClass)))
    return Say("FAILED: no configuration window", 1);
  PickCombo(Control(window, ConfigCboGame), "Quake 3 Arena");
  SetText(Control(window, ConfigTxtLocation), game);
  WaitUntil([&] { return Stored("Q3APath") == game; });
  Say("configuration window: Quake 3 Arena's location set; the registry holds Q3APath = " +
      Stored("Q3APath"));
  Shot(window, "configuration window");
  Click(Control(window, ConfigCmdBottom));
  if (!(window = WaitForWindow(app.Pid(), MainClass))) return Say("FAILED: no main window", 1);
  TypeText(ComboEdit(Control(window, MainCboMod)), "osp");
  Say("main window: file box \"" + GetText(Control(window, MainTxtFilename)) + "\", game \"" +
      GetText(Control(window, MainCboGame)) +
      "\"; typed the mod, DefaultQ3AMod = " + Stored("DefaultQ3AMod"));
  Shot(window, "main window");
  Click(Control(window, MainCmdBottom0 + 2));
  DWORD code = 0;
  if (!app.WaitExit(kWaitMs, &code)) return Say("FAILED: Replaydock did not end after Play", 1);
  Say("pressed Play; Replaydock ended with exit code " + std::to_string(code));
  const auto starts = WaitForGameStarts(game);
  if (starts.empty()) return Say("FAILED: the stand-in game recorded no start", 1);
  Say("the game received the command line " + starts[0].commandLine + " in " +
      starts[0].workingFolder);
  const std::string staged = ParentFolder(game) + "\\baseq3\\Demos\\replaydock.dm_66";
  const bool same = ReadBytes(staged) == bytes;
  return Say("the staged demo " + staged + (same ? " is" : " is NOT") + " the original's copy",
             same ? 0 : 1);
}
