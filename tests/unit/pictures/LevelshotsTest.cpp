// Which archive's levelshot wins, and the index that remembers it.

#include <gtest/gtest.h>

#include "pictures/Levelshots.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/unit/pictures/HostFileSystem.h"
#include "tests/unit/pictures/ImageWriter.h"
#include "tests/unit/pictures/ZipWriter.h"

using namespace rd;
using namespace rd::pictures;
using rd::pictures::fixtures::ZipWriter;

namespace {

const std::string kGame = "C:\\Games\\Quake III Arena";

// A picture told apart from the others by its colour and size.
std::string Shot(std::uint8_t red, int width = 8) { return samples::Tga(samples::Plain(width, 4, red, 0, 0)); }
std::string JpegShot(std::uint8_t red, int width = 16) {
  return samples::Jpeg(samples::Plain(width, 8, red, 0, 0));
}

void AddPak(fakes::FakeFileSystem& files, const std::string& folder, const std::string& name,
            ZipWriter zip) {
  files.AddFile(kGame + "\\" + folder + "\\" + name, zip.Bytes());
}

int Red(const std::optional<Image>& image) { return image ? image->rgba[0] : -1; }

// baseq3 with three archives and a damaged one, the mod cpma with one.
struct Installed {
  Installed() {
    AddPak(files, "baseq3", "pak0.pk3",
           ZipWriter().Add("levelshots/q3dm1.tga", Shot(10)).Add("levelshots/q3dm2.jpg", JpegShot(20), false)
               .Add("levelshots/q3dm3.tga", Shot(30)).Add("maps/q3dm1.bsp", "BSP"));
    AddPak(files, "baseq3", "PAK1.PK3", ZipWriter().Add("LEVELSHOTS/Q3DM1.TGA", Shot(110)));
    AddPak(files, "baseq3", "pak_x.pk3", ZipWriter().Add("levelshots/q3dm3.tga", Shot(130)));
    AddPak(files, "baseq3", "pakb.pk3", ZipWriter().Add("levelshots/q3dm3.tga", Shot(230)));
    files.AddFile(kGame + "\\baseq3\\pak9.pk3", "not an archive at all, though named like one");
    files.AddFolder(kGame + "\\baseq3\\folder.pk3");
    files.AddFile(kGame + "\\baseq3\\pak8.zip", ZipWriter().Add("levelshots/q3dm1.tga", Shot(99)).Bytes());
    AddPak(files, "cpma", "z-cpma.pk3", ZipWriter().Add("levelshots/q3dm2.jpg", JpegShot(200)));
  }
  fakes::FakeFileSystem files;
};

}  // namespace

TEST(LevelshotsTest, ArchivesSortAsTheEnginesSortThem) {
  // Upper case throughout: '_' comes after the letters, and a shorter name first.
  EXPECT_EQ(SortArchives({"pak_x.pk3", "pakb.pk3", "pak10.pk3", "PAK1.pk3", "pak0.pk3", "Z.pk3"},
                         PakOrder::Quake3),
            (std::vector<std::string>{"pak0.pk3", "PAK1.pk3", "pak10.pk3", "pakb.pk3", "pak_x.pk3", "Z.pk3"}));
  // RTCW multiplayer: its own mp_ archives sort as zz_ (after "zzz", '_' being the larger),
  // the single-player ones not at all.
  EXPECT_EQ(SortArchives({"mp_pak0.pk3", "pak0.pk3", "sp_pak1.pk3", "zzz.pk3", "mp_bin.pk3", "zz.pk3"},
                         PakOrder::RtcwMultiplayer),
            (std::vector<std::string>{"pak0.pk3", "zz.pk3", "zzz.pk3", "mp_bin.pk3", "mp_pak0.pk3"}));
}

TEST(LevelshotsTest, LaterArchivesWinAndTheModWinsOverTheBase) {
  Installed game;
  const auto base = LevelshotIndex::Build(game.files, kGame, "baseq3", "");
  const auto mod = LevelshotIndex::Build(game.files, kGame, "baseq3", "cpma");
  struct Case {
    const LevelshotIndex& index;
    const char* map;
    int red;
  };
  const Case cases[] = {
      {base, "q3dm1", 110},  // PAK1.PK3 over pak0.pk3, names in any case
      {base, "q3dm3", 130},  // pak_x.pk3 sorts after pakb.pk3
      {base, "q3dm2", 20},
      {mod, "q3dm1", 110},   // the base's where the mod has none
      {base, "q3dm4", -1},
      {base, "", -1},
      {base, "..\\baseq3\\q3dm1", -1},
      {base, "levelshots/q3dm1", -1},
  };
  for (const Case& c : cases) {
    const auto image = Levelshot(game.files, c.index, c.map);
    EXPECT_NEAR(Red(image), c.red, 3) << c.map;  // JPEG may move a colour a little
  }
  // The damaged archive and the folder are passed over; the .zip is no archive of the game's.
  ASSERT_EQ(base.Archives().size(), 5u);
  EXPECT_EQ(base.Archives()[2].path, kGame + "\\baseq3\\pak9.pk3");
  EXPECT_FALSE(base.Archives()[2].read);
  EXPECT_EQ(base.Size(), 3u);
}

TEST(LevelshotsTest, TheTgaIsAskedForFirstAndADamagedOneGivesWayToTheJpeg) {
  fakes::FakeFileSystem files;
  // The .jpg in the later archive still loses to the .tga: the name is asked for first.
  AddPak(files, "baseq3", "a.pk3", ZipWriter().Add("levelshots/both.tga", Shot(50)).Add("levelshots/bad.jpg", JpegShot(70)));
  AddPak(files, "baseq3", "b.pk3", ZipWriter().Add("levelshots/both.jpg", JpegShot(150))
                                        .Add("levelshots/bad.tga", "a truncated TGA", false));
  const auto index = LevelshotIndex::Build(files, kGame, "baseq3", "");
  EXPECT_EQ(Red(Levelshot(files, index, "both")), 50);
  EXPECT_NEAR(Red(Levelshot(files, index, "bad")), 70, 3);
  // An archive changed since the index was made: its member no longer checks, and the
  // stale picture is never shown, whatever lies where it was.
  AddPak(files, "baseq3", "a.pk3", ZipWriter().Add("levelshots/both.tga", Shot(51)));
  EXPECT_EQ(Red(Levelshot(files, index, "both")), 150);
  AddPak(files, "baseq3", "b.pk3", ZipWriter().Add("x", "y").Add("levelshots/both.jpg", JpegShot(150)));
  EXPECT_EQ(Red(Levelshot(files, index, "both")), -1);
}

TEST(LevelshotsTest, TheIndexKnowsWhenTheFoldersChanged) {
  Installed game;
  const auto index = LevelshotIndex::Build(game.files, kGame, "baseq3", "cpma");
  EXPECT_TRUE(index.Current(game.files));
  struct Change {
    const char* what;
    std::function<void(fakes::FakeFileSystem&)> make;
  };
  const Change changes[] = {
      {"archive rewritten", [](auto& f) { AddPak(f, "baseq3", "pak0.pk3", ZipWriter().Add("a", "b")); }},
      {"archive removed", [](auto& f) { f.Remove(kGame + "\\baseq3\\PAK1.PK3"); }},
  };
  for (const Change& c : changes) {
    Installed changed;
    c.make(changed.files);
    EXPECT_FALSE(index.Current(changed.files)) << c.what;
  }
  // Something else in the folder is no change.
  game.files.AddFile(kGame + "\\baseq3\\q3config.cfg", "seta x 1");
  EXPECT_TRUE(index.Current(game.files));
}

// The pictures and freshness of an index that came back are MapPicturesTest's.
TEST(LevelshotsTest, TheIndexComesBackFromItsBytesAndRefusesDamage) {
  Installed game;
  const auto index = LevelshotIndex::Build(game.files, kGame, "baseq3", "cpma", PakOrder::RtcwMultiplayer);
  const std::string bytes = index.Serialize();
  const auto back = LevelshotIndex::Deserialize(bytes);
  ASSERT_TRUE(back);
  EXPECT_TRUE(*back == index);
  EXPECT_FALSE(*back == LevelshotIndex::Build(game.files, kGame, "baseq3", ""));

  // Every cut and every flipped bit is refused.
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_FALSE(LevelshotIndex::Deserialize(bytes.substr(0, n))) << "cut at " << n;
    std::string flipped = bytes;
    flipped[n] ^= 0x10;
    EXPECT_FALSE(LevelshotIndex::Deserialize(flipped)) << "flipped at " << n;
  }
  EXPECT_FALSE(LevelshotIndex::Deserialize(bytes + "x"));
}

// A found overview is MapPicturesTest's; these are not pictures or not where they may be.
TEST(LevelshotsTest, CounterStrikeOverviewsOnlyWhereAndWhatTheyShouldBe) {
  fakes::FakeFileSystem files;
  const std::string hl = "C:\\Sierra\\Half-Life";
  files.AddFile(hl + "\\cstrike\\overviews\\de_broken.bmp", "BM and then nothing");
  files.AddFile(hl + "\\cstrike\\overviews\\de_empty.bmp", "");
  for (const char* map : {"de_broken", "de_empty", "de_nuke", "", "..\\..\\x", "a:b"}) {
    EXPECT_FALSE(CounterStrikeOverview(files, hl, map)) << map;
  }
}

// OpenArena's own archives: ten of them, written by other tools, with levelshots in both
// formats and names that several archives hold.
TEST(LevelshotsTest, OpenArenasArchives) {
  const std::filesystem::path root = "/usr/share/games/openarena";
  if (!std::filesystem::exists(root / "baseoa" / "pak6-patch088.pk3") ||
      !std::filesystem::exists(root / "baseoa" / "pak1-maps.pk3")) {
    GTEST_SKIP() << "OpenArena's data is not installed (openarena-data, openarena-088-data; "
                    "tools/setup.sh installs them)";
  }
  fixtures::HostFileSystem files(root);
  const auto index = LevelshotIndex::Build(files, fixtures::HostFileSystem::kGame, "baseoa", "");
  for (const auto& archive : index.Archives()) EXPECT_TRUE(archive.read) << archive.path;
  EXPECT_GE(index.Size(), 100u);

  // aggressor.tga: pak1-maps has one, pak6-patch088 (later) another, 128 by 128.
  const auto* aggressor = index.Find("levelshots/aggressor.tga");
  ASSERT_TRUE(aggressor);
  EXPECT_NE(index.Archives()[aggressor->archive].path.find("pak6-patch088.pk3"), std::string::npos);
  const auto tga = Levelshot(files, index, "aggressor");
  ASSERT_TRUE(tga);
  EXPECT_EQ(tga->width, 128);
  EXPECT_EQ(tga->height, 128);
  // oa_minia.tga: in three archives, the last wins.
  EXPECT_NE(index.Archives()[index.Find("levelshots/OA_MINIA.tga")->archive].path.find("patch088"),
            std::string::npos);
  // oa_dm1: a JPEG only.
  EXPECT_FALSE(index.Find("levelshots/oa_dm1.tga"));
  const auto jpeg = Levelshot(files, index, "oa_dm1");
  ASSERT_TRUE(jpeg);
  EXPECT_GT(jpeg->width, 0);
  // A picture with detail, not one colour all over.
  EXPECT_NE(std::count(jpeg->rgba.begin(), jpeg->rgba.end(), jpeg->rgba[0]),
            static_cast<std::ptrdiff_t>(jpeg->rgba.size() / 4));
  // Every levelshot OpenArena ships decodes.
  int decoded = 0;
  for (const char* map : {"delta", "dm6ish", "czest1tourney", "ctf_gate1", "oacmpdm1", "ps37ctf"}) {
    decoded += Levelshot(files, index, map).has_value();
  }
  EXPECT_EQ(decoded, 6);
  EXPECT_TRUE(LevelshotIndex::Deserialize(index.Serialize()) == index);
}
