// The Quake 3 engine reader over whole small demos of many records: the length is unknown or
// sane, never negative; the reading through the file system port agrees with the one from
// memory and reads the start, the end and, for a damaged end, a walk in large windows only.

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
  const std::string file(reinterpret_cast<const char*>(data), size);
  const demo::DemoInfo info = demo::ReadDemoBytes(file, "C:\\a.dm_68");
  RD_FUZZ_CHECK(info.read == info.reason.empty() || info.engine == demo::Engine::Other);
  RD_FUZZ_CHECK(info.seconds == -1 || (info.seconds >= 0 && info.seconds <= 1e6));
  RD_FUZZ_CHECK(info.read || info.seconds == -1);

  fakes::FakeFileSystem files;
  files.AddFile("C:\\a.dm_68", file);
  const demo::DemoInfo viaPort = demo::ReadDemo(files, "C:\\a.dm_68");
  RD_FUZZ_CHECK(viaPort.reason == info.reason && viaPort.map == info.map &&
                viaPort.seconds == info.seconds && viaPort.players.size() == info.players.size());
  RD_FUZZ_CHECK(files.Calls().size() <= 6 + 2 * (size / 65536));
  return 0;
}
