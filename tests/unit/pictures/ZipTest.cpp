// The archive reader over archives written here member by member; OpenArena's own archives
// are read through LevelshotsTest.

#include <gtest/gtest.h>

#include <functional>

#include "pictures/Zip.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/unit/pictures/ZipWriter.h"

using namespace rd;
using namespace rd::pictures;
using rd::pictures::fixtures::Member;
using rd::pictures::fixtures::ZipWriter;

namespace {

const std::string kPath = "C:\\Game\\baseq3\\pak0.pk3";

std::optional<std::vector<ZipEntry>> Directory(fakes::FakeFileSystem& files, const std::string& bytes) {
  files.AddFile(kPath, bytes);
  return ReadZipDirectory(files, kPath, bytes.size());
}

std::string Text(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; s.size() < n; ++i) s += "levelshot " + std::to_string(i * 7 % 13) + " ";
  return s.substr(0, n);
}

}  // namespace

TEST(ZipTest, ReadsTheDirectoryAndEveryMemberStoredOrDeflated) {
  for (const bool stub : {false, true}) {
    ZipWriter zip;
    zip.Add("levelshots/q3dm17.tga", Text(5000), true)
        .Add("Levelshots/Q3DM1.JPG", Text(300), false)
        .Add("maps/", "", false)
        .Add("empty.txt", "", true);
    if (stub) zip.prefix = std::string(777, 'M');
    zip.comment = "a comment that holds PK\x05\x06 itself";  // after the end record
    fakes::FakeFileSystem files;
    const auto entries = Directory(files, zip.Bytes());
    ASSERT_TRUE(entries) << "stub " << stub;
    ASSERT_EQ(entries->size(), 4u);
    EXPECT_EQ((*entries)[0].name, "levelshots/q3dm17.tga");
    EXPECT_EQ((*entries)[0].method, 8);
    EXPECT_EQ((*entries)[1].name, "Levelshots/Q3DM1.JPG");
    EXPECT_EQ((*entries)[1].method, 0);
    EXPECT_EQ(ReadZipEntry(files, kPath, (*entries)[0]), Text(5000));
    EXPECT_EQ(ReadZipEntry(files, kPath, (*entries)[1]), Text(300));
    EXPECT_EQ(ReadZipEntry(files, kPath, (*entries)[2]), "");
    EXPECT_EQ(ReadZipEntry(files, kPath, (*entries)[3]), "");
  }
}

// Each archive is spoilt in one way; the reader answers nothing, or the member nothing.
TEST(ZipTest, DamagedArchivesAreRefusedWithoutHarm) {
  const auto good = [] {
    ZipWriter zip;
    zip.Add("levelshots/a.tga", Text(4000), true).Add("levelshots/b.jpg", Text(100), false);
    return zip.Bytes();
  };
  const std::size_t end = good().size() - 22;  // where the end record starts
  const auto set = [](std::string& s, std::size_t at, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
  };
  struct Case {
    const char* what;
    std::function<void(std::string&)> spoil;
    bool directoryRead;  // else the directory is refused outright
  };
  const Case cases[] = {
      {"no end record", [](std::string& s) { s.resize(s.size() - 22); }, false},
      {"shorter than an end record", [](std::string& s) { s = s.substr(s.size() - 10); }, false},
      {"directory past the end", [&](std::string& s) { set(s, end + 16, 0x7FFFFFF0, 4); }, false},
      {"directory larger than the file", [&](std::string& s) { set(s, end + 12, 0x7FFFFFF0, 4); }, false},
      {"more members than fit", [&](std::string& s) { set(s, end + 8, 900, 2), set(s, end + 10, 900, 2); }, false},
      {"zip64 counts", [&](std::string& s) { set(s, end + 8, 0xFFFF, 2), set(s, end + 10, 0xFFFF, 2); }, false},
      {"zip64 offset", [&](std::string& s) { set(s, end + 16, 0xFFFFFFFF, 4); }, false},
      {"zip64 locator", [&](std::string& s) { s.insert(end, "PK\x06\x07" + std::string(16, '\0')); }, false},
      {"second disk", [&](std::string& s) { set(s, end + 4, 1, 2); }, false},
      {"directory entry signature", [&](std::string& s) { s[s.find("PK\x01\x02")] = 'X'; }, false},
      {"name longer than the directory", [&](std::string& s) { set(s, s.find("PK\x01\x02") + 28, 60000, 2); }, false},
      {"packed data damaged", [](std::string& s) { s[s.find("levelshots/a.tga") + 16 + 4 + 10] ^= 0x55; }, true},
      {"stored data damaged", [](std::string& s) { s[s.find("levelshots/b.jpg") + 16 + 4 + 10] ^= 0x55; }, true},
      {"local header signature", [](std::string& s) { s[0] = 'X', s[s.find("PK\x03\x04", 4)] = 'X'; }, true},
      {"local name runs past the end", [](std::string& s) { s[26] = '\xFF', s[27] = '\xFF'; }, true},
  };
  for (const Case& c : cases) {
    std::string bytes = good();
    c.spoil(bytes);
    fakes::FakeFileSystem files;
    const auto entries = Directory(files, bytes);
    if (!c.directoryRead) {
      EXPECT_FALSE(entries) << c.what;
      continue;
    }
    ASSERT_TRUE(entries) << c.what;
    int read = 0;
    for (const ZipEntry& e : *entries) read += ReadZipEntry(files, kPath, e).has_value();
    EXPECT_LT(read, 2) << c.what;
  }
}

TEST(ZipTest, MembersPackedOtherwiseEncryptedOrTooLargeAreNotRead) {
  ZipWriter zip;
  zip.Add(Member{"bzip2.tga", Text(100), false, 0, 12})
      .Add(Member{"secret.tga", Text(100), false, 1})
      .Add("large.tga", Text(20000), true)
      .Add("fine.tga", Text(100), true);
  fakes::FakeFileSystem files;
  const auto entries = Directory(files, zip.Bytes());
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 4u);
  EXPECT_FALSE(ReadZipEntry(files, kPath, (*entries)[0]));
  EXPECT_FALSE(ReadZipEntry(files, kPath, (*entries)[1]));
  EXPECT_FALSE(ReadZipEntry(files, kPath, (*entries)[2], 10000));
  EXPECT_TRUE(ReadZipEntry(files, kPath, (*entries)[3], 10000));
}

TEST(ZipTest, AFileThatCannotBeReadIsNoArchive) {
  ZipWriter zip;
  zip.Add("a.tga", "x");
  fakes::FakeFileSystem files;
  files.AddFile(kPath, zip.Bytes());
  files.FailNext(fakes::FakeFileSystem::Op::ReadBytes, 5);
  EXPECT_FALSE(ReadZipDirectory(files, kPath, zip.Bytes().size()));
  // A size larger than the file: the tail read comes back short.
  EXPECT_FALSE(ReadZipDirectory(files, kPath, zip.Bytes().size() + 100));
}

// Both inflaters, zlib's and stb_image's fallback, give the same bytes and refuse the same.
TEST(ZipTest, BothInflatersAgreeAndHoldToTheSize) {
  for (const std::size_t n : {0u, 1u, 100u, 70000u}) {
    const std::string data = Text(n);
    const std::string packed = fixtures::RawDeflate(data);
    EXPECT_EQ(Inflate(packed, n), data) << n;
    EXPECT_EQ(InflateWithStb(packed, n), data) << n;
    EXPECT_FALSE(Inflate(packed, n + 1)) << n;
    EXPECT_FALSE(InflateWithStb(packed, n + 1)) << n;
    if (n > 0) {
      EXPECT_FALSE(Inflate(packed, n - 1)) << n;
      EXPECT_FALSE(InflateWithStb(packed, n - 1)) << n;
      EXPECT_FALSE(Inflate(packed.substr(0, packed.size() / 2), n)) << n;
    }
    if (n >= 100) {  // stb reads zeros past the end, so a tiny stream cut short may pass: the CRC stops it
      EXPECT_FALSE(InflateWithStb(packed.substr(0, packed.size() / 2), n)) << n;
    }
  }
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32Portable("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32Portable(Text(70000)), Crc32(Text(70000)));
}
