#include "util/PathHelpers.h"

#include <vector>

#include "util/Text.h"

namespace rd::PathHelpers {

std::string GetParentFolder(std::string_view path) {
  const auto cut = path.find_last_of('\\');
  if (cut == std::string_view::npos) return {};
  return std::string(path.substr(0, cut));
}

std::intptr_t RunProgram(Ports& ports, const std::string& program, const std::string& parameters) {
  const std::string folder = GetParentFolder(program);
  const WindowHandle owner = ports.mainWindowOwner ? ports.mainWindowOwner() : 0;
  // No operation: the shell applies the file's default verb (start a program, open a link).
  return ports.shell.Execute(owner, nullptr, program, parameters, folder, showcmd::Show);
}

std::string GetLongPath(Ports& ports, const std::string& path) {
  if (path.rfind("\\\\", 0) == 0) return path;  // network paths are left alone

  std::string work = path;
  std::vector<std::string> names;  // from the last component backwards
  for (auto cut = work.find_last_of('\\'); cut != std::string::npos;
       cut = work.find_last_of('\\')) {
    // Windows finds nothing for a name ending in a backslash; an empty component is no
    // name to look up, whatever the port would make of it.
    if (work.back() == '\\') return path;
    const FindResult found = ports.files.FindEntry(work);
    if (found.status != FindStatus::Found) return path;
    names.push_back(util::ProperCase(ports.process, found.name));
    work.resize(cut);
  }
  std::string result = util::ProperCase(ports.process, work);
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    result += '\\';
    result += *name;
  }
  return result;
}

bool TooLongToStart(std::string_view program) {
  std::size_t characters = 0;
  for (const char c : program) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;  // UTF-8 lead bytes
  }
  return characters >= 260;
}

std::string TooLongText(std::string_view what, std::string_view path, std::string_view advice) {
  std::string text = "The path of ";
  text.append(what).append(" is too long for Windows: ").append(path).append(". ");
  return text.append(advice);
}

std::string ShellErrorText(Ports& ports, std::intptr_t result) {
  switch (result) {
    case 0:
      return "The system is out of memory or resources.";
    case 2:   // file not found
    case 3:   // path not found
    case 5:   // access denied
    case 8:   // not enough memory
    case 11:  // bad format
      return ports.process.ErrorText(static_cast<std::uint32_t>(result));
    case 26:
      return "A sharing violation occurred.";
    case 27:
      return "The file name association is incomplete or invalid.";
    case 28:
      return "The DDE request timed out.";
    case 29:
      return "The DDE transaction failed.";
    case 30:
      return "The DDE transaction could not be completed because other DDE transactions "
             "were being processed.";
    case 31:
      return "There is no application associated with this file.";
    case 32:
      return "The specified DLL was not found.";
    default:
      break;
  }
  if (result > 32) return {};
  if (result > 0) return ports.process.ErrorText(static_cast<std::uint32_t>(result));
  return "The program could not be started.";
}

}  // namespace rd::PathHelpers
