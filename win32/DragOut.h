#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace rd::win32 {

// The shell's file list (CF_HDROP): DROPFILES, then each wide path ended by a zero, and one
// more zero. Null when it cannot be made.
HGLOBAL FileListBlock(const std::vector<std::string>& paths);

// Drags the files out as the shell drags them, offering a copy only: a move onto Explorer
// would take the demo out of its folder. Returns once the drag has ended.
bool DragFilesOut(const std::vector<std::string>& paths);

}  // namespace rd::win32
