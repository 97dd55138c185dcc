// The Quake 3 engine reader over any first message: it answers with a reason or with a
// map, and a mod that is a plain folder name.

#include "demo/DemoReader.h"
#include "demo/MessageCode.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace rd;

// The message code is built once, before the clock of the first input starts: built under
// the fuzzer's instrumentation it takes seconds.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  (void)demo::MessageCode::Get();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string file(8, '\0');
  for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<char>(size >> (8 * i));
  file.append(reinterpret_cast<const char*>(data), size);

  const demo::DemoInfo info = demo::ReadDemoBytes(file);
  RD_FUZZ_CHECK(info.read == info.reason.empty());
  if (info.read) {
    // Enemy Territory is told by its server info.
    RD_FUZZ_CHECK(info.engine == demo::Engine::Quake3 || info.engine == demo::Engine::Other);
    RD_FUZZ_CHECK(!info.map.empty());
    RD_FUZZ_CHECK(info.mod.find_first_of(" \\/:\"") == std::string::npos);
  }
  return 0;
}
