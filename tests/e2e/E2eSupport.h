#pragma once
// Steps the end-to-end scenarios share.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/win32/ControlIds.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

namespace e2e {

inline std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The command line as the shell builds it: the program, then the argument text as given.
inline std::string CommandLine(const std::string& exe, const std::string& argumentText) {
  return argumentText.empty() ? Quoted(exe) : Quoted(exe) + " " + argumentText;
}

inline std::string RegText(const std::string& key, const std::string& value) {
  const auto v = RegQuery(key, value);
  return v ? v->data : std::string("<absent>");
}

// A path as the program shows a demo named on its command line: each name in proper case
// (a letter that begins a name or follows a space upper case, every other letter lower case).
inline std::string ProperCasePath(const std::string& path) {
  std::string out = path;
  bool start = true;
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalpha(u)) {
      c = static_cast<char>(start ? std::toupper(u) : std::tolower(u));
      start = false;
    } else {
      start = c == ' ' || c == '\\';
    }
  }
  return out;
}

inline HWND MainControl(HWND main, int id) { return Control(main, id); }
inline HWND PlayButton(HWND main) { return Control(main, rd::ids::MainCmdBottom0 + 2); }
inline HWND ConfigButton(HWND main) { return Control(main, rd::ids::MainCmdBottom0 + 1); }
inline HWND CancelButton(HWND main) { return Control(main, rd::ids::MainCmdBottom0); }

// The next message box of the process once `previous` (if any) has gone.
inline std::optional<MessageBoxSeen> NextMessageBox(DWORD pid, HWND previous = nullptr) {
  if (previous) WaitHiddenOrGone(previous);
  return WaitForMessageBox(pid, "Replaydock");
}

// Removes the demo file types from the shell's classes.
inline void ForgetFileTypes() {
  for (const char* key : {"HKCR\\.dem", "HKCR\\.dm_57", "HKCR\\.dm_66", "HKCR\\RD.Demo",
                          "HKCU\\Software\\Classes\\.dem", "HKCU\\Software\\Classes\\.dm_57",
                          "HKCU\\Software\\Classes\\.dm_66", "HKCU\\Software\\Classes\\RD.Demo"})
    EXPECT_TRUE(RegDeleteTree(key)) << key;
}

inline std::string ToolOutput(const std::string& commandLine) { return RunTool(commandLine).output; }

}  // namespace e2e
