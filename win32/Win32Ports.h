#pragma once
#include "ports/Ports.h"
#include "win32/Win32Background.h"
#include "win32/Win32ChangeNotices.h"
#include "win32/Win32Dialogs.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32IniFile.h"
#include "win32/Win32Process.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32Timer.h"

namespace rd::win32 {

// One of each adapter, wired into the Ports the core is given.
struct Win32Platform {
  Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Win32Registry registry;
  Win32IniFile ini;
  Win32FileSystem files;
  Win32Shell shell;
  Win32Dialogs dialogs;
  Win32Process process;
  Win32Timer timer;
  Win32Background background;
  Win32ChangeNotices notices{background};
  Ports ports;
};

}  // namespace rd::win32
