// GetParentFolder and GetLongPath over arbitrary paths, against a file system with long
// names, 8.3 names, hidden entries and a drive that is not ready.
#include <cstdint>
#include <string>

#include "tests/fuzz/FuzzSupport.h"
#include "util/PathHelpers.h"

using namespace rd;

namespace {
// Windows drops the trailing dots and spaces of a name it looks up, so the long form spells
// such a component without them.
std::string WithoutTrailingDotsAndSpaces(const std::string& path) {
  std::string out;
  std::size_t start = 0;
  while (true) {
    const auto end = path.find('\\', start);
    std::string name = path.substr(start, end == std::string::npos ? end : end - start);
    if (name != "." && name != "..") {
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    }
    out += name;
    if (end == std::string::npos) return out;
    out += '\\';
    start = end + 1;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);

  const std::string parent = PathHelpers::GetParentFolder(path);
  const auto last = path.rfind('\\');
  if (last == std::string::npos) {
    RD_FUZZ_CHECK(parent.empty());
  } else {
    RD_FUZZ_CHECK(parent == path.substr(0, last));
  }

  fakes::FakePlatform fp;
  fuzz::AddSomeFiles(fp.files);
  const std::string longPath = PathHelpers::GetLongPath(fp.ports, path);
  RD_FUZZ_CHECK(longPath.empty() == path.empty());
  if (path.rfind("\\\\", 0) == 0) RD_FUZZ_CHECK(longPath == path);
  // Without a backslash nothing is looked up: only the letter case changes.
  if (last == std::string::npos) {
    RD_FUZZ_CHECK(longPath == util::ProperCase(path));
    RD_FUZZ_CHECK(fp.files.Calls().empty());
  }
  // Without short names or wildcards the long form spells the same names.
  if (path.find_first_of("~*?") == std::string::npos) {
    // Two spellings that differ in letter case alone have one proper-cased form.
    const std::string spelt = util::ProperCase(longPath);
    RD_FUZZ_CHECK(spelt == util::ProperCase(path) ||
                  spelt == util::ProperCase(WithoutTrailingDotsAndSpaces(path)));
  }
  // Every component the long form changed must exist: a path that did not change
  // anything may be anything, but one that did is found as it is now spelt.
  if (longPath != path && longPath.find('\\') != std::string::npos) {
    RD_FUZZ_CHECK(fp.files.FindEntry(longPath).status == FindStatus::Found);
  }
  return 0;
}
