// `make demo`: one real run of Replaydock from its first start to a launched (stand-in) game,
// told line by line from what the run observed.
#include <cstdio>
#include <string>

#include "win32/ControlIds.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace e2e;
using namespace rd::ids;

namespace {

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

int Fail(const std::string& what) {
  Say("demo: FAILED: " + what);
  return 1;
}

std::string Both(const std::string& windowsPath) {
  std::string host = HostPath(windowsPath);
  const std::string link = "/dosdevices/c:/";  // the prefix's own name for its C: drive
  if (const auto at = host.find(link); at != std::string::npos) host.replace(at, link.size(), "/drive_c/");
  return host == windowsPath ? windowsPath : windowsPath + "\n        (on this machine: " + host + ")";
}

std::string Shot(HWND window, const std::string& name, const std::string& what) {
  const std::string path = SaveScreenshot(window, name);
  return path.empty() ? "demo: could not save a screenshot of the " + what
                      : "demo: screenshot of the " + what + ": " + Both(path);
}

}  // namespace

int main() {
  const std::string root = "C:\\replaydock-demo";
  const std::string gameFolder = root + "\\Quake III Arena";
  const std::string game = gameFolder + "\\quake3.exe";
  const std::string demo = root + "\\My Demos\\first demo.dm_66";

  LetWineDrawTitleBars();
  DeleteTree(root);
  if (!FreshSettings(false)) return Fail("could not clear the settings with reg.exe");
  if (!InstallStandIn(game) || !MakeFolders(gameFolder + "\\baseq3"))
    return Fail("could not set up the stand-in game in " + gameFolder);
  const std::string bytes = "REPLAYDOCK DEMO\r\n" + SampleDemoBytes(4096, 2026);
  if (!MakeFolders(ParentFolder(demo)) || !WriteBytes(demo, bytes)) return Fail("could not write " + demo);
  Say("demo: created the demo file " + demo + " (" + std::to_string(bytes.size()) + " bytes)");
  Say("demo: installed the stand-in game as " + game);

  Process app;
  const std::string exe = ReplaydockExe();
  if (!app.Start(exe, "\"" + exe + "\" " + demo)) return Fail("could not start " + exe);
  Say("demo: started " + exe + " " + demo);

  HWND splash = WaitForWindow(app.Pid(), SplashClass);
  if (!splash) return Fail("no splash window appeared");
  Say("demo: the splash window is up");
  Say(Shot(splash, "demo-splash", "splash window"));

  auto question = WaitForMessageBox(app.Pid(), "Replaydock");
  if (!question) return Fail("no first-run question appeared");
  Say("demo: first-run question: \"" + question->text + "\"");
  Say(Shot(question->window, "demo-first-run", "first-run question"));
  PressButton(question->window, IDNO);
  Say("demo: answered No (the file types stay as they are)");
  WaitHiddenOrGone(question->window);

  auto note = WaitForMessageBox(app.Pid(), "Replaydock");
  if (!note) return Fail("no note about the configuration window appeared");
  Say("demo: note: \"" + note->text + "\"");
  PressButton(note->window, IDOK);

  HWND config = WaitForWindow(app.Pid(), ConfigClass);
  if (!config) return Fail("no configuration window appeared");
  if (!PickCombo(Control(config, ConfigCboGame), "Quake 3 Arena"))
    return Fail("could not pick Quake 3 Arena in the configuration window");
  SetText(Control(config, ConfigTxtLocation), game);
  WaitUntil([&] {
    const auto v = RegQuery(kSettingsKey, "Q3APath");
    return v && v->data == game;
  });
  const auto stored = RegQuery(kSettingsKey, "Q3APath");
  Say("demo: configuration window: Quake 3 Arena's location set to " +
      GetText(Control(config, ConfigTxtLocation)) + "; reg query shows Q3APath = " +
      (stored ? stored->data : std::string("(nothing)")));
  Say(Shot(config, "demo-configuration", "configuration window"));
  Click(Control(config, ConfigCmdBottom));

  HWND main = WaitForWindow(app.Pid(), MainClass);
  if (!main) return Fail("no main window appeared");
  Say("demo: main window: file box \"" + GetText(Control(main, MainTxtFilename)) + "\", game \"" +
      GetText(Control(main, MainCboGame)) + "\"");
  HWND mod = Control(main, MainCboMod);
  if (TypeText(ComboEdit(mod), "osp")) {
    const auto storedMod = RegQuery(kSettingsKey, "DefaultQ3AMod");
    Say("demo: typed the mod \"" + GetText(mod) + "\"; reg query shows DefaultQ3AMod = " +
        (storedMod ? storedMod->data : std::string("(nothing)")));
  } else {
    Say("demo: could not type a mod into the mod box");
  }
  Say(Shot(main, "demo-main", "main window"));

  HWND play = Control(main, MainCmdBottom0 + 2);
  const std::string caption = GetText(play);
  if (!Click(play)) return Fail("could not press the Play button");
  Say("demo: pressed \"" + caption + "\"");
  DWORD code = 0;
  if (!app.WaitExit(kWaitMs, &code)) return Fail("Replaydock did not end after Play");
  Say("demo: Replaydock ended (exit code " + std::to_string(code) + ")");

  const auto starts = WaitForGameStarts(game);
  if (starts.empty()) return Fail("the stand-in game recorded no start");
  Say("demo: the game received the command line: " + starts.back().commandLine);
  Say("demo: the game's working folder: " + starts.back().workingFolder);

  const std::string staged = gameFolder + "\\baseq3\\Demos\\replaydock.dm_66";
  const auto copy = ReadBytes(staged);
  if (!copy) return Fail("no staged demo at " + staged);
  Say("demo: staged demo: " + Both(staged));
  Say(std::string("demo: the staged demo is ") + std::to_string(copy->size()) + " bytes, " +
      (*copy == bytes ? "identical to" : "DIFFERENT from") + " the original");
  Say("demo: screenshots are in " + Both(ScreenshotFolder()));
  return *copy == bytes ? 0 : 1;
}
