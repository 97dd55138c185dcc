#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace rd::win32 {

// The names of the files dropped on a window, in their order; the drop is finished. shell32
// is loaded only when a drop arrives, so that start-up does not load it for this.
std::vector<std::string> DroppedFiles(HDROP drop);

}  // namespace rd::win32
