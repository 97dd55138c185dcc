// The archive reader, the levelshot index and its cache form over any file named like a
// game archive: every member it lists lies inside the file, and every one it reads has the
// size the directory promised.

#include "pictures/Levelshots.h"
#include "pictures/Zip.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace rd;
using namespace rd::pictures;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz::World world;
  const std::string game = "C:\\Program Files\\Quake III Arena";
  const std::string pak = game + "\\baseq3\\pak0.pk3";
  world.fp.files.AddFile(pak, bytes);

  if (const auto entries = ReadZipDirectory(world.fp.files, pak, size)) {
    for (const ZipEntry& e : *entries) {
      RD_FUZZ_CHECK(e.headerOffset < size);
      if (const auto member = ReadZipEntry(world.fp.files, pak, e, 1u << 20)) {
        RD_FUZZ_CHECK(member->size() == e.size);
      }
    }
  }
  const auto index = LevelshotIndex::Build(world.fp.files, game, "baseq3", "");
  RD_FUZZ_CHECK(index.Archives().size() == 1);
  for (const char* map : {"q3dm17", "a", "A"}) {
    if (const auto image = Levelshot(world.fp.files, index, map)) {
      RD_FUZZ_CHECK(image->rgba.size() == static_cast<std::size_t>(image->width) * image->height * 4);
    }
  }
  const auto again = LevelshotIndex::Deserialize(index.Serialize());
  RD_FUZZ_CHECK(again && *again == index);
  // The input read as a cached index: refused, or the same bytes again.
  if (const auto cached = LevelshotIndex::Deserialize(bytes)) RD_FUZZ_CHECK(cached->Serialize() == bytes);

  // The input as raw deflate data: where zlib accepts it, the fallback decoder agrees.
  const std::size_t promised = size ? data[0] * 64u : 0;
  if (const auto inflated = Inflate(bytes, promised)) {
    RD_FUZZ_CHECK(inflated->size() == promised);
    RD_FUZZ_CHECK(InflateWithStb(bytes, promised) == inflated);
  }
  return 0;
}
