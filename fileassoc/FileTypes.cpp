#include "fileassoc/FileTypes.h"

#include <string_view>
#include <utility>

#include "ports/WinErrors.h"
#include "util/Text.h"

namespace rd::FileTypes {
namespace {

// The message switch, shared by the association routine and its key routines.
bool showMessages = false;

// What happened since the last association began, for callers that want an honest answer.
std::int32_t firstError = 0;
bool wroteAnything = false;

constexpr std::string_view kIllegalChars = "\\/:*?<>|\"";

void Complain(Ports& ports, const std::string& text) {
  if (showMessages) ports.dialogs.ShowMessage(text, MessageTitle, mb::OK | mb::IconCritical);
}

void Note(std::int32_t code) {
  if (firstError == 0) firstError = code;
}

// Creates the key without a word to the user; answers Windows' code.
std::int32_t CreateQuietly(Ports& ports, RegKey root, const std::string& keyPath) {
  RegKey key = 0;
  const std::int32_t code = ports.registry.CreateKey(root, keyPath, regaccess::AllSpecific, key);
  if (code != winerr::Success) return code;
  wroteAnything = true;
  ports.registry.CloseKey(key);
  return winerr::Success;
}

enum class Outcome { Done, Refused, Unexpected };

Outcome CreateFileAssociationSteps(Ports& ports, std::string& extension,
                                   const std::string& identifier, const std::string& description,
                                   const std::string& verb, const std::string& executablePath,
                                   std::string extraArguments, bool writeIcon,
                                   const std::string& icon) {
  const FindResult exe = ports.files.FindFile(executablePath);
  if (exe.status == FindStatus::Error) {
    Note(exe.error != 0 ? static_cast<std::int32_t>(exe.error) : winerr::InvalidParameter);
    return Outcome::Unexpected;
  }
  if (exe.status != FindStatus::Found) {
    Complain(ports, "The application path '" + executablePath + "' cannot be found.");
    Note(winerr::FileNotFound);
    return Outcome::Refused;
  }

  if (extension.empty()) {
    Note(winerr::InvalidParameter);
    return Outcome::Unexpected;
  }
  if (extension.front() != '.') extension.insert(0, 1, '.');

  if (extension.find_first_of(kIllegalChars) != std::string::npos) {
    Complain(ports, "The file extension '" + extension + "' contains an illegal char (\\/:*?<>|" +
                        "\"" + ").");
    Note(winerr::InvalidName);
    return Outcome::Refused;
  }

  if (!extraArguments.empty()) {
    std::string spaced(1, ' ');
    spaced += util::TrimSpaces(extraArguments);
    extraArguments = std::move(spaced);
  }
  const std::string commandKey = identifier + "\\shell\\" + verb + "\\command";
  const std::string iconKey = identifier + "\\DefaultIcon";

  // A standard user may not write HKEY_CLASSES_ROOT itself; the per-user classes stand in.
  // Windows lets such a user through for a key the per-user classes hold already (another
  // program's extension key), so the identifier's key has its say too: otherwise the
  // extension could end up pointing at an identifier that was never written.
  RegKey root = regroot::ClassesRoot;
  std::string prefix;
  const auto createOrComplain = [&](const std::string& keyPath) {
    const std::int32_t code = CreateQuietly(ports, root, keyPath);
    if (code != winerr::Success && code != winerr::AccessDenied) {
      Note(code);
      Complain(ports, "An error occured while attempting to to create a registery key.");
    }
    return code;
  };
  const std::int32_t first = createOrComplain(extension);
  const std::int32_t second = first == winerr::AccessDenied ? first : createOrComplain(commandKey);
  if (first == winerr::AccessDenied || second == winerr::AccessDenied) {
    root = regroot::CurrentUser;
    prefix = std::string(PerUserClassesKey) + "\\";
    CreateRegistryKey(ports, root, prefix + extension);
    CreateRegistryKey(ports, root, prefix + commandKey);
  }
  if (writeIcon) {
    CreateRegistryKey(ports, root, prefix + iconKey);
    const std::string iconData =
        !icon.empty() ? util::TrimSpaces(icon) : util::TrimSpaces(executablePath + ",0");
    SetKeyDefaultValue(ports, root, prefix + iconKey, iconData);
  }
  SetKeyDefaultValue(ports, root, prefix + extension, identifier);
  SetKeyDefaultValue(ports, root, prefix + identifier, description);
  // Quoted, so a path with spaces cannot be taken for a shorter program's path.
  SetKeyDefaultValue(ports, root, prefix + commandKey,
                     "\"" + executablePath + "\"" + extraArguments + " %1");
  return Outcome::Done;
}

}  // namespace

bool CreateFileAssociation(Ports& ports, std::string extension, const std::string& identifier,
                           const std::string& description, const std::string& verb,
                           const std::string& executablePath, std::string extraArguments,
                           bool writeIcon, const std::string& icon, bool showMessagesField) {
  showMessages = showMessagesField;
  firstError = 0;
  wroteAnything = false;
  Outcome outcome = Outcome::Unexpected;
  try {
    outcome =
        CreateFileAssociationSteps(ports, extension, identifier, description, verb, executablePath,
                                   std::move(extraArguments), writeIcon, icon);
  } catch (...) {
    Note(winerr::NotEnoughMemory);
  }
  if (outcome == Outcome::Unexpected) {
    try {
      Complain(ports, "An error occured while attempting to create the file extension '" +
                          extension + "'.");
    } catch (...) {
      // Out of memory even for the message: the answer alone has to do.
    }
  }
  return outcome == Outcome::Done;
}

bool CreateRegistryKey(Ports& ports, RegKey root, const std::string& keyPath) {
  const std::int32_t code = CreateQuietly(ports, root, keyPath);
  if (code != winerr::Success) {
    Note(code);
    Complain(ports, "An error occured while attempting to to create a registery key.");
    return false;
  }
  return true;
}

bool SetKeyDefaultValue(Ports& ports, RegKey root, const std::string& keyPath,
                        const std::string& data) {
  RegKey key = 0;
  const std::int32_t opened = ports.registry.OpenKey(root, keyPath, regaccess::AllSpecific, key);
  if (opened != winerr::Success) {
    Note(opened);
    Complain(ports, "An error occured while attempting to access the registery.");
    return false;
  }
  const std::int32_t set = ports.registry.SetValue(
      key, "", regtype::Sz, reinterpret_cast<const std::uint8_t*>(data.c_str()),
      static_cast<std::uint32_t>(data.size() + 1));
  ports.registry.CloseKey(key);
  if (set != winerr::Success) {
    Note(set);
    Complain(ports, "An error occured while attempting to set key default value.");
    return false;
  }
  wroteAnything = true;
  return true;
}

std::int32_t LastError() {
  return firstError;
}

bool LastWroteAnything() {
  return wroteAnything;
}

}  // namespace rd::FileTypes
