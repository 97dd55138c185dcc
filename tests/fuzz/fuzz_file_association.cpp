// CreateFileAssociation over arbitrary fields, HKEY_CLASSES_ROOT writable or refused.
#include <cstdint>
#include <string>

#include "fileassoc/FileTypes.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace rd;

namespace {

bool Plain(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto flags = in.ConsumeIntegral<std::uint8_t>();
  const bool writeIcon = flags & 1;
  const bool showMessages = flags & 2;
  std::string extension = in.ConsumeRandomLengthString(16);
  const std::string identifier = in.ConsumeRandomLengthString(32);
  const std::string description = in.ConsumeRandomLengthString(64);
  const std::string verb = in.ConsumeRandomLengthString(16);
  std::string executable = in.ConsumeRandomLengthString(128);
  if (flags & 4) executable = "C:\\Program Files\\Replaydock\\Replaydock.exe";
  const std::string extra = in.ConsumeRandomLengthString(64);
  const std::string icon = in.ConsumeRemainingBytesAsString();

  fakes::FakePlatform fp;
  fuzz::AddSomeFiles(fp.files);
  if (flags & 8) fp.registry.FailUnder(fakes::FakeRegistry::Op::Create, "HKCR", 5);
  const FindStatus exe = fp.files.FindFile(executable).status;

  const bool answer = FileTypes::CreateFileAssociation(
      fp.ports, extension, identifier, description, verb, executable, extra, writeIcon, icon,
      showMessages);

  RD_FUZZ_CHECK(fp.registry.OpenHandles() == 0);
  for (const auto& message : fp.dialogs.messages) {
    RD_FUZZ_CHECK(message.title == FileTypes::MessageTitle);
  }
  if (!showMessages) RD_FUZZ_CHECK(fp.dialogs.messages.empty());

  const bool nothingWritten =
      fp.registry.Keys(regroot::ClassesRoot).empty() && fp.registry.Keys(regroot::CurrentUser).empty();
  const std::string dotted = (!extension.empty() && extension[0] != '.') ? "." + extension : extension;
  if (exe != FindStatus::Found) {
    RD_FUZZ_CHECK(!answer && nothingWritten);
    if (exe == FindStatus::NotFound && showMessages) {
      RD_FUZZ_CHECK(fp.dialogs.messages.size() == 1 &&
                    fp.dialogs.messages[0].text ==
                        "The application path '" + executable + "' cannot be found.");
    }
    return 0;
  }
  if (extension.empty() || dotted.find_first_of("\\/:*?<>|\"") != std::string::npos) {
    RD_FUZZ_CHECK(!answer && nothingWritten);
    return 0;
  }
  RD_FUZZ_CHECK(answer);

  if (Plain(extension) && Plain(identifier) && Plain(verb) && dotted != ".." &&
      identifier.find("..") == std::string::npos) {
    const RegKey root = (flags & 8) ? regroot::CurrentUser : regroot::ClassesRoot;
    const std::string prefix = (flags & 8) ? std::string(FileTypes::PerUserClassesKey) + "\\" : "";
    const auto Text = [&](const std::string& key) { return fp.registry.GetText(root, prefix + key, ""); };
    // A REG_SZ ends at its first NUL, however much was stored.
    const auto holdsDescription = [&](const std::string& key) {
      return Text(key) == description.substr(0, description.find('\0')) || Text(key) == description;
    };
    // The two keys may be one; the description, set second, then stands in it.
    if (util::EqualsNoCase(identifier, dotted)) {
      RD_FUZZ_CHECK(holdsDescription(dotted));
      return 0;
    }
    RD_FUZZ_CHECK(Text(dotted) == identifier);
    RD_FUZZ_CHECK(holdsDescription(identifier));
    const std::string trimmed = util::TrimSpaces(extra);
    const std::string command = "\"" + executable + "\"" + (extra.empty() ? "" : " " + trimmed) + " %1";
    RD_FUZZ_CHECK(Text(identifier + "\\shell\\" + verb + "\\command") == command);
    RD_FUZZ_CHECK(fp.registry.KeyExists(root, prefix + identifier + "\\DefaultIcon") == writeIcon);
  }
  return 0;
}
