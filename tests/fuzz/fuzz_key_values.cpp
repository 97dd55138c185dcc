// The KeyValues reader over arbitrary bytes: damage is "not found", never a crash or a hang,
// and whatever it reads is nested no deeper than its bound.
#include <string_view>

#include "games/KeyValues.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

int Depth(const rd::games::KeyValue& entry) {
  int depth = 0;
  for (const auto& child : entry.children) depth = std::max(depth, 1 + Depth(child));
  return depth;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto document =
      rd::games::ParseKeyValues(std::string_view(reinterpret_cast<const char*>(data), size));
  // The top level, then at most that many blocks, then a pair.
  RD_FUZZ_CHECK(!document || Depth(*document) <= rd::games::kMaxKeyValueDepth + 1);
  return 0;
}
