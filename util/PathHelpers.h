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

// Windows starts no program from a path of MAX_PATH (260) characters or more, whatever its
// long-path setting; only the files the program reads and writes itself may be longer.
bool TooLongToStart(std::string_view program);

// "The path of <what> is too long for Windows: <path>. <advice>"
std::string TooLongText(std::string_view what, std::string_view path, std::string_view advice);

// The shell's reason for a result of RunProgram of 32 or less.
std::string ShellErrorText(Ports& ports, std::intptr_t result);

}  // namespace rd::PathHelpers
