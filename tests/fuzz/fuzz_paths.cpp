// GetParentFolder and GetLongPath over arbitrary paths.

#include "tests/fuzz/FuzzSupport.h"
#include "util/PathHelpers.h"

using namespace rd;

namespace {
// Windows drops the trailing dots and spaces of a name it looks up, so the long form spells
// such a component without them.
std::string WithoutTrailingDotsAndSpaces(const std::string& path) {
  std::string out, name;
  for (const char c : path + '\\') {
    if (c != '\\') {
      name += c;
      continue;
    }
    while (name != "." && name != ".." && !name.empty() && (name.back() == '.' || name.back() == ' '))
      name.pop_back();
    out += name + '\\';
    name.clear();
  }
  return out.substr(0, out.size() - 1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);
  const auto last = path.rfind('\\');
  RD_FUZZ_CHECK(PathHelpers::GetParentFolder(path) ==
                (last == std::string::npos ? "" : path.substr(0, last)));

  fuzz::World w;
  const std::string longPath = PathHelpers::GetLongPath(w.fp.ports, path);
  const auto proper = [&](const std::string& text) { return util::ProperCase(w.fp.process, text); };
  RD_FUZZ_CHECK(longPath.empty() == path.empty());
  if (path.rfind("\\\\", 0) == 0) RD_FUZZ_CHECK(longPath == path);
  // Without a backslash nothing is looked up: only the letter case changes.
  if (last == std::string::npos)
    RD_FUZZ_CHECK(longPath == proper(path) && w.fp.files.Calls().empty());
  // Without wildcards the long form spells the same names, up to letter case.
  if (path.find_first_of("*?") == std::string::npos) {
    RD_FUZZ_CHECK(proper(longPath) == proper(path) ||
                  proper(longPath) == proper(WithoutTrailingDotsAndSpaces(path)));
  }
  // A path the long form changed is found as it is now spelt.
  if (longPath != path && last != std::string::npos) {
    RD_FUZZ_CHECK(w.fp.files.FindEntry(longPath).status == FindStatus::Found);
  }
  return 0;
}
