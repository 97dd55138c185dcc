#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "ports/Ports.h"

namespace rd::PathHelpers {

// The text before the last backslash; "" when there is none.
std::string GetParentFolder(std::string_view path);

// Starts a program or opens a document through the shell, in the program's own folder,
// owned by the main window. Answers the shell's result (32 or less: it failed), which
// most callers ignore.
std::intptr_t RunProgram(Ports& ports, const std::string& program, const std::string& parameters);

// The path with each name as the file system reports it (long, in proper case), or the
// argument unchanged when any part of it cannot be looked up.
std::string GetLongPath(Ports& ports, const std::string& path);

// The shell's reason for a result of RunProgram of 32 or less.
std::string ShellErrorText(Ports& ports, std::intptr_t result);

}  // namespace rd::PathHelpers
