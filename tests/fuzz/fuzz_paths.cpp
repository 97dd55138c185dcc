// GetLongPath over arbitrary paths.
#include <regex>

#include "tests/fuzz/FuzzSupport.h"
#include "util/PathHelpers.h"

using namespace rd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);
  const auto last = path.rfind('\\');

  fuzz::World w;
  const std::string longPath = PathHelpers::GetLongPath(w.fp.ports, path);
  const auto proper = [&](const std::string& text) { return util::ProperCase(w.fp.process, text); };
  RD_FUZZ_CHECK(longPath.empty() == path.empty());
  if (path.rfind("\\\\", 0) == 0) RD_FUZZ_CHECK(longPath == path);
  // Without a backslash nothing is looked up: only the letter case changes.
  if (last == std::string::npos)
    RD_FUZZ_CHECK(longPath == proper(path) && w.fp.files.Calls().empty());
  // Without wildcards, or names Windows would shorten, the long form spells the same names.
  static const std::regex shortened("[*?]|[. ](\\\\|$)");
  if (!std::regex_search(path, shortened)) RD_FUZZ_CHECK(proper(longPath) == proper(path));
  // A path the long form changed is found as it is now spelt.
  if (longPath != path && last != std::string::npos)
    RD_FUZZ_CHECK(w.fp.files.FindEntry(longPath).status == FindStatus::Found);
  return 0;
}
