#include "fileassoc/AssociateDemoTypes.h"

#include "fileassoc/FileTypes.h"
#include "catalogue/GameCatalogue.h"
#include "ports/WinErrors.h"
#include "util/PathHelpers.h"

namespace rd::PathHelpers {

std::string ProgramPath(Ports& ports) {
  return ports.process.ExeFolder() + "\\" + ports.process.ExeBaseName() + ".exe";
}

namespace {

std::int32_t SetDefault(Ports& ports, const std::string& path, const std::string& text) {
  RegKey key = 0;
  std::int32_t code = ports.registry.CreateKey(regroot::CurrentUser, path, regaccess::AllSpecific, key);
  if (code != winerr::Success) return code;
  code = ports.registry.SetValue(key, "", regtype::Sz,
                                 reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                 static_cast<std::uint32_t>(text.size() + 1));
  ports.registry.CloseKey(key);
  return code;
}

// The verb's menu text and its command, per user; answers Windows' code of the first failure.
std::int32_t WritePlayVerb(Ports& ports, const std::string& verbKey, const std::string& command) {
  const std::int32_t text = SetDefault(ports, verbKey, std::string(catalogue::PlayVerbText));
  const std::int32_t line = SetDefault(ports, verbKey + "\\command", command);
  return text != winerr::Success ? text : line;
}

}  // namespace

AssociationResult AssociateDemoTypes(Ports& ports) {
  AssociationResult result{true, 0};
  if (TooLongToStart(ProgramPath(ports))) return {false, winerr::FilenameTooLong};
  bool wroteAnything = false;
  for (const std::string_view extension : catalogue::RegistrationOrder()) {
    const std::string exe = ProgramPath(ports);
    const bool done = FileTypes::CreateFileAssociation(
        ports, std::string(extension), std::string(catalogue::ProgId),
        std::string(catalogue::FileTypeDescription), std::string(catalogue::OpenVerb), exe, "",
        true, "", false);
    const std::int32_t error = FileTypes::LastError();
    if (!done || error != 0) result.allWritten = false;
    if (result.error == 0) result.error = error;
    wroteAnything = wroteAnything || FileTypes::LastWroteAnything();
    // Whichever program opens the type, Explorer's menu offers to play it here at once.
    if (!done) continue;
    const std::string verb = std::string(FileTypes::PerUserClassesKey) +
                             "\\SystemFileAssociations\\" + std::string(extension) +
                             "\\shell\\" + std::string(catalogue::PlayVerb);
    const std::int32_t verbError = WritePlayVerb(ports, verb, "\"" + exe + "\" -play \"%1\"");
    if (verbError != 0) result.allWritten = false;
    if (result.error == 0) result.error = verbError;
    wroteAnything = wroteAnything || verbError == 0;
  }
  // Explorer caches file types; without this it shows the old ones until it restarts.
  if (wroteAnything) ports.shell.NotifyAssociationsChanged();
  return result;
}

}  // namespace rd::PathHelpers
