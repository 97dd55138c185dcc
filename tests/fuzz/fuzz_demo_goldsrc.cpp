// The Half-Life reader over any header and directory: it answers with a reason or with
// what the demo says, reads the same through the file system port as from memory, and
// never asks for more than the start and the directory.

#include "demo/DemoReader.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace rd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string file(reinterpret_cast<const char*>(data), size);
  if (file.size() >= 8) std::memcpy(file.data(), "HLDEMO\0\0", 8);

  const demo::DemoInfo info = demo::ReadDemoBytes(file);
  RD_FUZZ_CHECK(info.read == info.reason.empty());
  RD_FUZZ_CHECK((info.engine == demo::Engine::GoldSrc) == (file.size() >= 8));
  if (info.read) {
    RD_FUZZ_CHECK(!info.map.empty() && !info.mod.empty());
    RD_FUZZ_CHECK(info.seconds < 0 || info.seconds <= 1e7);
  }

  fakes::FakeFileSystem files;
  files.AddFile("C:\\a.dem", file);
  const demo::DemoInfo viaPort = demo::ReadDemo(files, "C:\\a.dem");
  RD_FUZZ_CHECK(viaPort.reason == info.reason && viaPort.map == info.map &&
                viaPort.mod == info.mod && viaPort.seconds == info.seconds);
  RD_FUZZ_CHECK(files.Calls().size() <= 3);  // start, directory, a longer directory
  return 0;
}
