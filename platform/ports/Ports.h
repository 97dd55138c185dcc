#pragma once
#include <functional>

#include "platform/ports/Dialogs.h"
#include "platform/ports/FileSystem.h"
#include "platform/ports/IniFile.h"
#include "platform/ports/ProcessInfo.h"
#include "platform/ports/Registry.h"
#include "platform/ports/Shell.h"
#include "platform/ports/Timer.h"
#include "platform/ports/WinErrors.h"

namespace rd {

// Everything the core may ask of the platform.
struct Ports {
  Registry& registry;
  IniFile& ini;
  FileSystem& files;
  Shell& shell;
  Dialogs& dialogs;
  ProcessInfo& process;
  Timer& timer;
  // The owner of shell calls: the main window, created on first use. Installed by the
  // start-up code; until then shell calls have no owner.
  std::function<WindowHandle()> mainWindowOwner;
};

}  // namespace rd
