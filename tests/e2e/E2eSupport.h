#pragma once
// Steps the end-to-end scenarios share.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>

#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"
#include "win32/ControlIds.h"

namespace e2e {

inline std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}
inline HWND PlayButton(HWND main) {
  return Control(main, rd::ids::MainCmdBottom0 + 2);
}
inline HWND ConfigButton(HWND main) {
  return Control(main, rd::ids::MainCmdBottom0 + 1);
}
inline HWND CancelButton(HWND main) {
  return Control(main, rd::ids::MainCmdBottom0);
}

// Starts the program as the shell would (the program, then the argument text as given) and
// answers its main window, or null.
inline HWND StartToMainWindow(Process& app, const std::string& exe,
                              const std::string& argumentText) {
  const std::string line = argumentText.empty() ? Quoted(exe) : Quoted(exe) + " " + argumentText;
  return app.Start(exe, line) ? WaitForWindow(app.Pid(), rd::ids::MainClass) : nullptr;
}
// The next message box of the process once `previous` (if any) has gone.
inline std::optional<MessageBoxSeen> NextMessageBox(DWORD pid, HWND previous = nullptr) {
  if (previous) WaitHiddenOrGone(previous);
  return WaitForMessageBox(pid, "Replaydock");
}
// The stand-in installed as the game, its data folder made and its location stored.
inline bool InstallGame(const std::string& exe, const std::string& dataFolder,
                        const std::string& locationValue) {
  return InstallStandIn(exe) && MakeFolders(ParentFolder(exe) + "\\" + dataFolder) &&
         RegAddString(kSettingsKey, locationValue, exe);
}
// A demo file of sample bytes; answers the bytes, or "" when it could not be written.
inline std::string WriteDemo(const std::string& path, std::size_t size, unsigned seed) {
  const std::string bytes = SampleDemoBytes(size, seed);
  return MakeFolders(ParentFolder(path)) && WriteBytes(path, bytes) ? bytes : std::string();
}
// Play pressed: the program ends, and the game is started once in its own folder, with these
// arguments after its quoted path.
inline void ExpectPlayed(Process& app, HWND main, const std::string& game,
                         const std::string& arguments) {
  ASSERT_TRUE(Click(PlayButton(main)));
  EXPECT_TRUE(app.WaitExit(kWaitMs)) << "Replaydock did not end after Play";
  const auto starts = WaitForGameStarts(game);
  ASSERT_EQ(starts.size(), 1u) << "the game was not started once";
  const std::string& line = starts[0].commandLine;
  EXPECT_TRUE(SameText(line.substr(0, game.size() + 2), Quoted(game))) << line;
  EXPECT_EQ(line.substr(std::min(line.find_first_not_of(' ', game.size() + 2), line.size())),
            arguments);
  EXPECT_TRUE(SameText(starts[0].workingFolder, ParentFolder(game))) << starts[0].workingFolder;
}

// The demo types, then the identifier they point at.
inline const char* const kDemoKeys[] = {".dem", ".dm_57", ".dm_66", ".dm_58", ".dm_59", ".dm_60", ".dm_67", ".dm_68", "RD.Demo"};

// The demo types as Windows' own assoc and ftype report them.
inline void ExpectFileTypes(bool registered, const std::string& exe) {
  for (const char* ext : std::span(kDemoKeys).first(8)) {
    const std::string out = RunTool(std::string("cmd.exe /c assoc ") + ext).output;
    EXPECT_EQ(out.find(std::string(ext) + "=RD.Demo") != std::string::npos, registered) << out;
  }
  const std::string ftype = RunTool("cmd.exe /c ftype RD.Demo").output;
  EXPECT_EQ(ftype.find("RD.Demo=" + Quoted(exe) + " %1") != std::string::npos, registered) << ftype;
}
// Removes the demo file types from the shell's classes.
inline void ForgetFileTypes() {
  for (const char* classes : {"HKCR\\", "HKCU\\Software\\Classes\\"}) {
    for (const char* name : kDemoKeys) {
      EXPECT_TRUE(RegDeleteTree(classes + std::string(name))) << classes << name;
    }
  }
}

}  // namespace e2e
