#include <windows.h>

#include <exception>

#include "demo/MessageCode.h"
#include "launcher/Startup.h"
#include "win32/CommonControls.h"
#include "win32/Win32Ports.h"
#include "win32/Win32Views.h"

namespace {

// The manifest normally does this; older systems lack the call, so it is looked up.
void UsePerMonitorDpi() {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  if (!user32) return;
  using Fn = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<Fn>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2; refused when the manifest already set it.
  if (setContext) {
    setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)));
    return;
  }
  SetProcessDPIAware();
}

DWORD WINAPI BuildMessageCode(LPVOID) {
  (void)rd::demo::MessageCode::Get();
  return 0;
}

int RunProgram(HINSTANCE instance) {
  rd::win32::Win32Platform platform;
  rd::win32::Win32ViewFactory views(instance);
  rd::Application app(platform.ports, views);
  app.Main();
  // Building the Quake 3 message code takes a good part of a second's tenth; done on the
  // other core while the splash shows, a demo named on the command line is read at once.
  if (const HANDLE warmUp = CreateThread(nullptr, 0, BuildMessageCode, nullptr, 0, nullptr)) {
    CloseHandle(warmUp);
  }
  if (views.LiveWindows() == 0) return 0;
  // The splash is on screen and needs nothing more; the main window will need these.
  rd::win32::LoadCommonControls();

  MSG msg{};
  BOOL got = 0;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    if (rd::win32::Win32ViewFactory::PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return got < 0 ? 1 : static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  try {
    UsePerMonitorDpi();
    return RunProgram(instance);
  } catch (const std::exception& error) {
    MessageBoxA(nullptr, error.what(), "Replaydock", MB_OK | MB_ICONSTOP);
  } catch (...) {
    MessageBoxA(nullptr, "Replaydock stopped after an unexpected error.", "Replaydock",
                MB_OK | MB_ICONSTOP);
  }
  return 1;
}
