#pragma once
#include <functional>

#include "ports/Background.h"
#include "ports/ChangeNotices.h"
#include "ports/Dialogs.h"
#include "ports/FileSystem.h"
#include "ports/IniFile.h"
#include "ports/ProcessInfo.h"
#include "ports/Registry.h"
#include "ports/Shell.h"
#include "ports/Timer.h"
#include "ports/WinErrors.h"

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
  Background& background;
  ChangeNotices& notices;
  // The owner of shell calls: the main window, created on first use. Installed by the
  // start-up code; until then shell calls have no owner.
  std::function<WindowHandle()> mainWindowOwner;
};

}  // namespace rd
