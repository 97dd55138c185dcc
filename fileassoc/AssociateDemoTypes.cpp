#include "fileassoc/AssociateDemoTypes.h"

#include "fileassoc/FileTypes.h"
#include "catalogue/GameCatalogue.h"
#include "ports/WinErrors.h"
#include "util/PathHelpers.h"

namespace rd::PathHelpers {

std::string ProgramPath(Ports& ports) {
  return ports.process.ExeFolder() + "\\" + ports.process.ExeBaseName() + ".exe";
}

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
  }
  // Explorer caches file types; without this it shows the old ones until it restarts.
  if (wroteAnything) ports.shell.NotifyAssociationsChanged();
  return result;
}

}  // namespace rd::PathHelpers
