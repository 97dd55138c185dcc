#pragma once
// Drives the real program from outside, as a user and Windows' own tools would: processes,
// top-level windows, controls reached by their ids, message boxes, the registry through
// reg.exe, the shell through cmd.exe, and screenshots.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Generous: these are not timed tests, a wait only fails when something never happens.
inline constexpr int kWaitMs = 30000;

// --- Files ---------------------------------------------------------------------------
std::string ExeFolder();                            // the running test program's folder
std::string ParentFolder(const std::string& path);  // without the trailing backslash
bool FileExists(const std::string& path);            // an ordinary file
bool MakeFolders(const std::string& path);           // every missing level
bool DeleteTree(const std::string& path);            // a file or a folder with everything in it
bool WriteBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::string& path);
bool CopyTo(const std::string& from, const std::string& to);
std::string SampleDemoBytes(std::size_t size, unsigned seed);  // every byte value, no pattern
// Windows path -> the host's path, where Wine can tell (else the path itself).
std::string HostPath(const std::string& windowsPath);

// --- Processes and tools ---------------------------------------------------------------
class Process {
 public:
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() { Kill(); }  // a failed test must not leave the program running

  // commandLine is passed as it stands; exe is used for lpApplicationName.
  bool Start(const std::string& exe, const std::string& commandLine);
  bool Attach(DWORD pid);
  DWORD Pid() const { return pid_; }
  // True when the process ended within the time; its exit code goes to *code.
  bool WaitExit(int timeoutMs, DWORD* code = nullptr);
  void Kill();

 private:
  HANDLE handle_ = nullptr;
  DWORD pid_ = 0;
};

struct ToolResult {
  bool finished = false;
  DWORD exitCode = 0;
  std::string output;  // stdout and stderr together
};
// Runs a console tool (reg, cmd) hidden and captures what it prints.
ToolResult RunTool(const std::string& commandLine, int timeoutMs = 60000);

// reg.exe helpers. A value read back: its type ("REG_SZ", "REG_DWORD") and data as printed.
struct RegValue {
  std::string type;
  std::string data;
};
std::optional<RegValue> RegQuery(const std::string& key, const std::string& value);  // "" = default
bool RegAddString(const std::string& key, const std::string& value, const std::string& data);
bool RegDeleteTree(const std::string& key);  // true also when it was not there

// --- Windows ---------------------------------------------------------------------------
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs);
// Visible top-level windows of the process (pid 0: of any process), of the class when given.
std::vector<HWND> TopWindows(DWORD pid, const char* windowClass = nullptr);
HWND WaitForWindow(DWORD pid, const char* windowClass, int timeoutMs = kWaitMs);
bool WaitHiddenOrGone(HWND window, int timeoutMs = kWaitMs);
bool IsShown(HWND window);
HWND Control(HWND parent, int id);
HWND ComboEdit(HWND combo);  // the Edit inside an editable combo box

std::string GetText(HWND window);
// As typing would: WM_SETTEXT, which makes the edit control report EN_CHANGE.
bool SetText(HWND edit, const std::string& text);
// As the keyboard would: the text selected, then replaced by the characters (posted WM_CHAR),
// each reported by the control as a change. Waits until the control shows the text.
bool TypeText(HWND edit, const std::string& text);
std::vector<std::string> ComboItems(HWND combo);
// As a pick with the mouse: select the item, then tell the parent CBN_SELCHANGE.
bool PickCombo(HWND combo, const std::string& item);
// BM_CLICK, posted so that a modal window opened by the click does not block the driver.
bool Click(HWND button);
// A press and release of the real mouse over the middle of the window, as the hand makes it.
bool MouseClick(HWND window);
// Gives the control the keyboard focus as a user's click or Tab would; the window that loses
// it may open a message box, so the wait is bounded.
bool MoveFocus(HWND target);
HWND FocusedIn(HWND anyWindowOfThread);
// Presses a key on the window (posted WM_KEYDOWN/WM_KEYUP), as the keyboard would.
bool PostKey(HWND window, WPARAM virtualKey);

// --- Message boxes ---------------------------------------------------------------------
struct MessageBoxSeen {
  HWND window = nullptr;
  std::string text;
};
// A dialog box (class #32770) of the process with the title.
std::optional<MessageBoxSeen> WaitForMessageBox(DWORD pid, const std::string& title,
                                                int timeoutMs = kWaitMs);
bool HasButton(HWND box, int id);
bool PressButton(HWND box, int id);  // IDYES, IDNO, IDOK

// --- Screenshots -----------------------------------------------------------------------
// RD_SCREENSHOT_DIR, else "<build>\screenshots" beside the bin folder of the test program.
std::string ScreenshotFolder();
// Captures the window's area of the screen as a PNG; returns the file's path, or "".
std::string SaveScreenshot(HWND window, const std::string& name);

}  // namespace e2e
