// The pictures as the library asks for them: by game, folder, mod and map, from any thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "pictures/MapPictures.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/unit/pictures/ImageWriter.h"
#include "tests/unit/pictures/ZipWriter.h"

using namespace rd;
using namespace rd::pictures;
using rd::pictures::fixtures::ZipWriter;

namespace {

// The fake behind a lock, so that several workers may share it.
class LockedFileSystem final : public FileSystem {
  template <typename F>
  auto Locked(F f) -> decltype(f()) {
    const std::lock_guard lock(mutex_);
    return f();
  }

 public:
  explicit LockedFileSystem(FileSystem& inner) : inner_(inner) {}
  FindResult FindFile(const std::string& p) override { return Locked([&] { return inner_.FindFile(p); }); }
  FindResult FindEntry(const std::string& p) override { return Locked([&] { return inner_.FindEntry(p); }); }
  std::uint32_t MakeFolder(const std::string& p) override { return Locked([&] { return inner_.MakeFolder(p); }); }
  std::uint32_t Copy(const std::string& a, const std::string& b) override { return Locked([&] { return inner_.Copy(a, b); }); }
  std::uint32_t Move(const std::string& a, const std::string& b) override { return Locked([&] { return inner_.Move(a, b); }); }
  std::uint32_t Remove(const std::string& p) override { return Locked([&] { return inner_.Remove(p); }); }
  std::uint32_t ReadBytes(const std::string& p, std::uint64_t o, std::size_t n, std::string& b) override {
    return Locked([&] { return inner_.ReadBytes(p, o, n, b); });
  }
  std::uint32_t Facts(const std::string& p, FileFacts& f) override { return Locked([&] { return inner_.Facts(p, f); }); }
  std::uint32_t ListFolder(const std::string& p, std::vector<FolderEntry>& e) override {
    return Locked([&] { return inner_.ListFolder(p, e); });
  }
  std::uint32_t WriteFile(const std::string& p, const std::string& b) override {
    return Locked([&] { return inner_.WriteFile(p, b); });
  }

 private:
  FileSystem& inner_;
  std::mutex mutex_;
};

const catalogue::Game& Game(std::string_view name) { return *catalogue::FindByName(name); }

const std::string kQ3 = "C:\\Program Files\\Quake III Arena";

std::string Shot(std::uint8_t red) { return samples::Tga(samples::Plain(8, 4, red, 0, 0)); }

void Install(fakes::FakeFileSystem& files) {
  files.AddFile(kQ3 + "\\baseq3\\pak0.pk3", ZipWriter().Add("levelshots/q3dm17.tga", Shot(17)).Add("levelshots/q3dm6.tga", Shot(6)).Bytes());
  files.AddFile(kQ3 + "\\osp\\zz-osp.pk3", ZipWriter().Add("levelshots/q3dm6.tga", Shot(66)).Bytes());
  files.AddFile("C:\\Sierra\\Half-Life\\cstrike\\overviews\\de_dust.bmp", samples::Bmp(samples::Plain(8, 8, 9, 9, 9)));
  files.AddFile("C:\\Games\\RTCW\\Main\\mp_pak0.pk3", ZipWriter().Add("levelshots/mp_beach.jpg", samples::Jpeg(samples::Plain(16, 16, 250, 0, 0))).Bytes());
  files.AddFile("C:\\Games\\RTCW\\Main\\sp_pak1.pk3", ZipWriter().Add("levelshots/mp_beach.tga", Shot(1)).Bytes());
}

int Red(const std::optional<Image>& image) { return image ? image->rgba[0] : -1; }

long Lists(const fakes::FakeFileSystem& files) {
  return std::count_if(files.Calls().begin(), files.Calls().end(),
                       [](const std::string& c) { return c.rfind("list ", 0) == 0; });
}

}  // namespace

TEST(MapPicturesTest, PicturesOfEveryGameAndEachFolderIndexedOnce) {
  fakes::FakeFileSystem files;
  Install(files);
  MapPictures pictures(files);
  EXPECT_EQ(Red(pictures.Picture(Game("Quake 3 Arena"), kQ3, "", "q3dm6")), 6);
  const long afterFirst = Lists(files);
  EXPECT_EQ(afterFirst, 1);
  EXPECT_EQ(Red(pictures.Picture(Game("Quake 3 Arena"), kQ3, "", "Q3DM17")), 17);
  EXPECT_EQ(Red(pictures.Picture(Game("Quake 3 Arena"), kQ3, "BASEQ3", "q3dm17")), 17);
  EXPECT_EQ(Lists(files), afterFirst) << "the index is built once per folder";
  EXPECT_EQ(Red(pictures.Picture(Game("Quake 3 Arena"), kQ3, "osp", "q3dm6")), 66);
  EXPECT_EQ(Lists(files), afterFirst + 2) << "a mod has an index of its own";
  // RTCW: its mp_ archive, the single-player one's .tga not seen at all.
  EXPECT_NEAR(Red(pictures.Picture(Game("Return To Castle Wolfenstein"), "C:\\Games\\RTCW", "", "mp_beach")), 250, 3);
  EXPECT_EQ(Red(pictures.Picture(Game("Half-Life"), "C:\\Sierra\\Half-Life", "cstrike", "de_dust")), 9);
  EXPECT_EQ(Red(pictures.Picture(Game("Half-Life"), "C:\\Sierra\\Half-Life", "dod", "de_dust")), -1);
  EXPECT_EQ(Red(pictures.Picture(Game("Quake 3 Arena"), "D:\\Missing", "", "q3dm6")), -1);
}

TEST(MapPicturesTest, IndexesGoToTheCacheAndComeBackWhileTheFoldersAreUnchanged) {
  fakes::FakeFileSystem files;
  Install(files);
  MapPictures first(files);
  first.Picture(Game("Quake 3 Arena"), kQ3, "", "q3dm6");
  first.Picture(Game("Quake 3 Arena"), kQ3, "osp", "q3dm6");
  const auto saved = first.SavedIndexes();
  ASSERT_EQ(saved.size(), 2u);

  MapPictures second(files);
  for (const std::string& bytes : saved) EXPECT_TRUE(second.Restore(bytes));
  EXPECT_FALSE(second.Restore(saved[0])) << "one index per folder";
  const long lists = Lists(files);
  EXPECT_EQ(Red(second.Picture(Game("Quake 3 Arena"), kQ3, "osp", "q3dm6")), 66);
  EXPECT_EQ(Lists(files), lists) << "restored, not built again";

  MapPictures third(files);
  files.AddFile(kQ3 + "\\osp\\zzz-new.pk3", ZipWriter().Add("levelshots/q3dm6.tga", Shot(99)).Bytes());
  int kept = 0;
  for (const std::string& bytes : saved) kept += third.Restore(bytes);
  EXPECT_EQ(kept, 1) << "the mod's folder changed";
  EXPECT_EQ(Red(third.Picture(Game("Quake 3 Arena"), kQ3, "osp", "q3dm6")), 99);
  EXPECT_FALSE(third.Restore(saved[0].substr(1)));
}

TEST(MapPicturesTest, WorkersShareOneIndex) {
  fakes::FakeFileSystem fake;
  Install(fake);
  LockedFileSystem files(fake);
  MapPictures pictures(files);
  std::vector<int> reds(8, 0);
  std::vector<std::thread> workers;
  for (int i = 0; i < 8; ++i) {
    workers.emplace_back([&, i] {
      reds[i] = Red(pictures.Picture(Game("Quake 3 Arena"), kQ3, "osp", i % 2 ? "q3dm6" : "q3dm17"));
    });
  }
  for (auto& w : workers) w.join();
  for (int i = 0; i < 8; ++i) EXPECT_EQ(reds[i], i % 2 ? 66 : 17) << i;
  EXPECT_EQ(Lists(fake), 2) << "built once, by one worker";
}
