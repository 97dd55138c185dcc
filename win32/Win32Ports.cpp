#include "win32/Win32Ports.h"

namespace rd::win32 {

Win32Platform::Win32Platform()
    : ports{registry, ini, files, shell, dialogs, process, timer, background, notices, {}} {}

}  // namespace rd::win32
