#pragma once
#include <cstdint>
#include <string>

#include "ports/Ports.h"

namespace rd::FileTypes {

inline constexpr const char* MessageTitle = "DLL/OCX Register";

// Associates one extension with a programmatic identifier and its open command. Answers
// true when it got through all its steps.
bool CreateFileAssociation(Ports& ports, std::string extension, const std::string& identifier,
                           const std::string& description, const std::string& verb,
                           const std::string& executablePath, std::string extraArguments,
                           bool writeIcon, const std::string& icon, bool showMessages);

// True when the key exists afterwards.
bool CreateRegistryKey(Ports& ports, RegKey root, const std::string& keyPath);
// Opens (never creates) the key and sets its unnamed value.
bool SetKeyDefaultValue(Ports& ports, RegKey root, const std::string& keyPath,
                        const std::string& data);

// The first registry error met since the last CreateFileAssociation began; 0 when none.
// A failed check counts too: 2 for a missing executable, 123 for a forbidden character.
std::int32_t LastError();
// Whether anything (a key or a value) was written since the last CreateFileAssociation began.
bool LastWroteAnything();

// Where the per-user classes live; Windows merges them into HKEY_CLASSES_ROOT.
inline constexpr const char* PerUserClassesKey = "Software\\Classes";

}  // namespace rd::FileTypes
