#pragma once
#include <string>

#include "ports/FileSystem.h"

namespace rd::play {

// Whether Windows runs this executable with its file writes virtualized: a 32-bit image
// whose embedded manifest (RT_MANIFEST 1) asks for no execution level, or that has none. Its
// reads of Program Files then look first in the user's VirtualStore. False for anything
// that cannot be read as such an image.
bool WindowsVirtualizes(FileSystem& files, const std::string& exePath);

}  // namespace rd::play
