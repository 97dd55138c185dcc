#pragma once
#include <string>
#include <string_view>

#include "ports/ProcessInfo.h"

// Text helpers shared by the core. Comparisons fold the case of ASCII letters only: every
// name the program compares that way (roots, type letters, extensions) is ASCII.
namespace rd::util {

std::string ToLower(std::string_view text);
std::string ToUpper(std::string_view text);
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);
// The last n characters, or the whole text when it is shorter.
std::string_view Right(std::string_view text, std::size_t n);
// Removes leading and trailing space characters (no other blanks).
std::string TrimSpaces(std::string_view text);
// Every letter that begins the text or follows a space upper case, every other lower case,
// in whatever script the platform knows the case of.
std::string ProperCase(ProcessInfo& process, std::string_view text);

}  // namespace rd::util
