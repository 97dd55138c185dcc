#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "settings/SettingsStore.h"
#include "tests/fakes/FakePorts.h"

namespace rd::SettingsStore {
namespace {

using Bytes = std::vector<std::uint8_t>;
using fakes::FakeRegistry;
using Op = FakeRegistry::Op;
constexpr auto kSz = regtype::Sz;
constexpr auto kBin = regtype::Binary;
constexpr auto kDw = regtype::Dword;

const std::string kKey = "Software\\Tessaway\\Replaydock\\Settings";
const std::string kIni = "C:\\Games\\demo.ini";

Bytes Zt(const std::string& text) {  // REG_SZ bytes with their terminator
  Bytes b(text.begin(), text.end());
  b.push_back(0);
  return b;
}

// Stands between the store and the fake: every query must offer a real, zeroed buffer.
class QuerySpy final : public Registry {
 public:
  explicit QuerySpy(FakeRegistry& inner) : inner_(inner) {}
  std::int32_t OpenKey(RegKey r, const std::string& p, std::uint32_t a, RegKey& k) override {
    return inner_.OpenKey(r, p, a, k);
  }
  std::int32_t CreateKey(RegKey r, const std::string& p, std::uint32_t a, RegKey& k) override {
    return inner_.CreateKey(r, p, a, k);
  }
  std::int32_t QueryValue(RegKey k, const std::string& n, std::uint32_t* t, std::uint8_t* data,
                          std::uint32_t& size) override {
    EXPECT_NE(data, nullptr);  // also for the size query
    for (std::uint32_t i = 0; data && i < size; ++i) EXPECT_EQ(data[i], 0) << n;
    capacities.push_back(size);
    return inner_.QueryValue(k, n, t, data, size);
  }
  std::int32_t SetValue(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d,
                        std::uint32_t s) override {
    return inner_.SetValue(k, n, t, d, s);
  }
  std::int32_t CloseKey(RegKey key) override { return inner_.CloseKey(key); }
  std::int32_t EnumKey(RegKey k, std::uint32_t i, std::string& n) override {
    return inner_.EnumKey(k, i, n);
  }

  FakeRegistry& inner_;
  std::vector<std::uint32_t> capacities;
};

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::int32_t Read(const std::string& root, const std::string& name, const std::string& letter,
                    const SettingValue& def, SettingValue& result) {
    return ReadValue(ports, root, kKey, name, letter, def, result);
  }
  std::int32_t Write(const std::string& root, const std::string& name, const std::string& letter,
                     const SettingValue& value, const std::string& key = kKey) {
    return WriteValue(ports, root, key, name, letter, value);
  }
  std::optional<FakeRegistry::Value> Stored(const std::string& name) {
    return fake.registry.Get(regroot::CurrentUser, kKey, name);
  }
  void Put(const std::string& name, std::uint32_t type, Bytes data) {
    fake.registry.Put(regroot::CurrentUser, kKey, name, type, std::move(data));
  }

  fakes::FakePlatform fake;
  QuerySpy spy{fake.registry};
  Ports ports{spy, fake.ini, fake.files, fake.shell, fake.dialogs, fake.process, fake.timer, {}};
};

TEST_F(SettingsStoreTest, RootNamesAndExistingFilesResolve) {
  EXPECT_EQ(ResolveRoot(fake.ports, "HKCU").kind, RootKind::Registry);
  EXPECT_TRUE(fake.files.Calls().empty());  // the names are matched before any file lookup
  fake.files.AddFile(kIni);
  fake.files.AddFolder("C:\\Games\\folder.ini");
  constexpr auto kReg = RootKind::Registry, kFile = RootKind::File, kNone = RootKind::None;
  // The lookup is a pattern: whatever it finds makes file mode.
  // clang-format off
  const std::tuple<std::string, RootKind, RegKey> cases[] = {
      {"HKCU", kReg, regroot::CurrentUser}, {"hkcu", kReg, regroot::CurrentUser},
      {"HkLm", kReg, regroot::LocalMachine}, {"hku", kReg, regroot::Users},
      {"HKDD", kReg, regroot::DynData}, {"hkcc", kReg, regroot::CurrentConfig},
      {"HKCR", kReg, regroot::ClassesRoot}, {"HKEY_CURRENT_USER", kNone, 0}, {" HKCU", kNone, 0},
      {"", kNone, 0}, {kIni, kFile, 0}, {"c:\\games\\DEMO.INI", kFile, 0},
      {"C:\\Games\\folder.ini", kNone, 0}, {"C:\\Games\\missing.ini", kNone, 0},
      {"C:\\Games\\*.ini", kFile, 0}, {"C:\\Games\\demo.in?", kFile, 0}};
  // clang-format on
  for (const auto& [name, kind, key] : cases) {
    const ResolvedRoot root = ResolveRoot(fake.ports, name);
    EXPECT_EQ(root.kind, kind) << name;
    EXPECT_EQ(root.key, key) << name;
  }
}

TEST_F(SettingsStoreTest, AnUnresolvableRootDoesNothingAndAnswers99) {
  fake.files.AddFile(kIni);
  SettingValue result = "stale";
  EXPECT_EQ(Read("HKXX", "AlreadyRun", "S", "No", result), 99);
  EXPECT_EQ(result, SettingValue("No"));
  EXPECT_EQ(Write("HKXX", "AlreadyRun", "S", "Yes"), 99);
  // A file that cannot be examined counts as no file.
  fake.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 21);
  EXPECT_EQ(Read(kIni, "AlreadyRun", "S", "No", result), 99);
  fake.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 21);
  EXPECT_EQ(Write(kIni, "AlreadyRun", "S", "Yes"), 99);
  EXPECT_FALSE(fake.ini.Get(kIni, kKey, "AlreadyRun"));
  EXPECT_TRUE(fake.registry.Calls().empty());
}

// --- reads ---

TEST_F(SettingsStoreTest, ValuesAreReadAsTheLetterSaysWhateverTypeIsStored) {
  const Bytes dword{0x80, 0x02, 0, 0};
  const Bytes text = Zt("Quake 3");
  // Stored type and bytes, letter, default; status and result. For text the last byte is
  // taken as the terminator; 4 bytes do not fit a boolean's 2; unknown letters read nothing.
  // clang-format off
  const std::tuple<std::uint32_t, Bytes, const char*, SettingValue, std::int32_t, SettingValue>
      cases[] = {
      {kSz, text, "s", "d", 0, "Quake 3"}, {kSz, {'a', 'b', 'c'}, "S", "d", 0, "ab"},
      {kSz, {0}, "S", "d", 0, ""}, {kSz, {}, "S", "d", 0, "d"},
      {kDw, dword, "S", "d", 0, std::string("\x80\x02\0", 3)},
      {kBin, {0xFF, 0xFF}, "b", false, 0, true}, {kBin, {0x00, 0x01}, "B", false, 0, true},
      {kBin, {0x00, 0x00}, "B", true, 0, false}, {kDw, dword, "B", false, 234, false},
      {kDw, dword, "d", 0, 0, 640}, {kDw, {0xFF, 0xFF, 0xFF, 0xFF}, "D", 0, 0, -1},
      {kDw, {0, 0, 1, 0}, "D", 0, 0, 65536}, {kBin, {0x01}, "D", 9, 0, 1},
      {kSz, text, "X", "Half-Life", 0, "Half-Life"}, {kSz, text, "SS", "Half-Life", 0, "Half-Life"}};
  // clang-format on
  for (const auto& [type, data, letter, def, status, expected] : cases) {
    Put("Value", type, data);
    SettingValue result;
    EXPECT_EQ(Read("hkcu", "Value", letter, def, result), status) << letter << " " << type;
    EXPECT_EQ(result, expected) << letter << " " << type;
    EXPECT_EQ(fake.registry.OpenHandles(), 0);
  }
}

TEST_F(SettingsStoreTest, ReadFailuresAnswerTheRegistrysCodeAndCloseTheKey) {
  SettingValue result;
  EXPECT_EQ(Read("HKCU", "S", "S", "d", result), 2);  // a missing key, which is not created
  EXPECT_EQ(result, SettingValue("d"));
  EXPECT_FALSE(fake.registry.KeyExists(regroot::CurrentUser, kKey));
  Put("S", kSz, Zt("Quake 3"));
  Put("B", kBin, {0xFF, 0xFF});
  Put("D", kDw, {1, 0, 0, 0});
  // Text fails in its size query or its data query; a failing close answers for a read that
  // got its value.
  // clang-format off
  const std::tuple<Op, int, std::int32_t, std::string, SettingValue> cases[] = {
      {Op::Open, 0, 5, "S", "d"}, {Op::Query, 0, 21, "S", "d"}, {Op::Query, 1, 1450, "S", "d"},
      {Op::Query, 0, 5, "B", "d"}, {Op::Query, 0, 5, "D", "d"}, {Op::Close, 0, 6, "S", "Quake 3"}};
  // clang-format on
  for (const auto& [op, skip, code, letter, expected] : cases) {
    fake.registry.FailNext(op, code, skip);
    EXPECT_EQ(Read("HKCU", letter, letter, "d", result), code);
    EXPECT_EQ(result, expected) << code;
    EXPECT_EQ(fake.registry.OpenHandles(), 0);
  }
}

TEST_F(SettingsStoreTest, ReadsQueryOnlyWithBuffersOfTheLettersSize) {
  Put("S", kSz, Zt("Quake 3 Arena"));
  Put("B", kBin, {0xFF, 0xFF});
  Put("D", kDw, {0x80, 0x02, 0, 0});
  // Text: a size query with no room, then exactly the size reported.
  const std::pair<const char*, std::vector<std::uint32_t>> cases[] = {
      {"S", {0, 14}}, {"B", {2}}, {"D", {4}}};
  for (const auto& [letter, capacities] : cases) {
    spy.capacities.clear();
    SettingValue result;
    EXPECT_EQ(Read("HKCU", letter, letter, "", result), 0);
    EXPECT_EQ(spy.capacities, capacities) << letter;
    EXPECT_EQ(fake.registry.LastAccess(), regaccess::QueryValue) << letter;
  }
}

// --- writes ---

TEST_F(SettingsStoreTest, ValuesAreStoredInTheLettersFormatOrNotAtAll) {
  // Numbers are sign-extended to 32 bits. A value that cannot be converted answers 13 and
  // leaves what was stored before.
  const Bytes two{2, 0, 0, 0}, ones{0xFF, 0xFF};
  // clang-format off
  const std::tuple<const char*, SettingValue, std::int32_t, std::uint32_t, Bytes> cases[] = {
      {"S", "abc", 0, kSz, Zt("abc")}, {"s", "", 0, kSz, {0}}, {"S", true, 0, kSz, Zt("True")},
      {"S", 2.5, 0, kSz, Zt("2.5")}, {"D", 640, 0, kDw, {0x80, 0x02, 0, 0}},
      {"d", -1, 0, kDw, {0xFF, 0xFF, 0xFF, 0xFF}}, {"D", -32768, 0, kDw, {0, 0x80, 0xFF, 0xFF}},
      {"D", "480", 0, kDw, {0xE0, 0x01, 0, 0}}, {"D", 2.5, 0, kDw, two},
      {"D", 40000, 13, kDw, two}, {"D", "x", 13, kDw, two}, {"B", true, 0, kBin, ones},
      {"b", false, 0, kBin, {0, 0}}, {"B", "true", 0, kBin, ones}, {"B", "Yes", 13, kBin, ones}};
  // clang-format on
  for (const auto& [letter, value, status, type, data] : cases) {
    EXPECT_EQ(Write("HKCU", "Value", letter, value), status) << letter << value.TextForm();
    EXPECT_EQ(Stored("Value")->type, type) << letter << value.TextForm();
    EXPECT_EQ(Stored("Value")->data, data) << letter << value.TextForm();
    EXPECT_EQ(fake.registry.OpenHandles(), 0);
  }
  fake.process.numbers = {",", "."};  // text follows the user's locale
  ASSERT_EQ(Write("HKCU", "Value", "S", 2.5), 0);
  EXPECT_EQ(Stored("Value")->data, Zt("2,5"));
}

TEST_F(SettingsStoreTest, WritesCreateTheKeyWithTheRightsTheyNeed) {
  EXPECT_EQ(Write("HKCU", "Anything", "Q", "x"), 0);  // an unknown letter stores nothing
  EXPECT_TRUE(fake.registry.KeyExists(regroot::CurrentUser, kKey));
  EXPECT_FALSE(Stored("Anything"));
  EXPECT_EQ(fake.registry.LastAccess(), regaccess::SetValue | regaccess::CreateSubKey);
  EXPECT_EQ(Write("HKCR", "", "S", "Replaydock.dem", ".dem"), 0);  // the unnamed value
  EXPECT_EQ(fake.registry.GetText(regroot::ClassesRoot, ".dem", ""), "Replaydock.dem");
}

TEST_F(SettingsStoreTest, WriteFailuresAnswerTheRegistrysCodeAndCloseTheKey) {
  // clang-format off
  const std::tuple<Op, std::int32_t, const char*> cases[] = {
      {Op::Create, 5, "S"}, {Op::Set, 112, "S"}, {Op::Set, 112, "B"}, {Op::Set, 112, "D"},
      {Op::Close, 6, "S"}};
  // clang-format on
  for (const auto& [op, code, letter] : cases) {
    fake.registry.FailNext(op, code);
    EXPECT_EQ(Write("HKCU", letter, letter, 1), code) << letter;
    EXPECT_EQ(Stored(letter).has_value(), op == Op::Close) << letter << code;
    EXPECT_EQ(fake.registry.OpenHandles(), 0);
  }
}

// --- file mode ---

class SettingsStoreFileMode : public SettingsStoreTest {
 protected:
  SettingsStoreFileMode() { fake.files.AddFile(kIni); }
};

TEST_F(SettingsStoreFileMode, OnlyTextIsWrittenAndNumbersReadAsZeroWhateverTheDefault) {
  EXPECT_EQ(Write(kIni, "LastFilename", "s", "C:\\Demos\\a.dem"), 0);
  EXPECT_EQ(fake.ini.Get(kIni, kKey, "LastFilename"), "C:\\Demos\\a.dem");
  EXPECT_EQ(Write(kIni, "Flag", "S", true), 0);
  EXPECT_EQ(fake.ini.Get(kIni, kKey, "Flag"), "True");
  const std::string longText(300, 'x'), cut(254, 'x');
  EXPECT_EQ(Write(kIni, "Long", "S", longText), 0);
  fake.ini.WriteString(kKey, "Minus", "-1", kIni);
  for (const char* letter : {"B", "D", "X", ""}) {
    EXPECT_EQ(Write(kIni, "Value", letter, 1), 99) << letter;
  }
  EXPECT_FALSE(fake.ini.Get(kIni, kKey, "Value"));
  // Text, cut to 254 characters, or the default's text; any other letter reads a number.
  // clang-format off
  const std::tuple<std::string, const char*, SettingValue, SettingValue> reads[] = {
      {"LastFilename", "S", "", "C:\\Demos\\a.dem"}, {"AlreadyRun", "S", "No", "No"},
      {"Missing", "S", true, "True"}, {"Missing", "S", 640, "640"}, {"Long", "S", "", cut},
      {"Missing", "S", longText, cut}, {"Minus", "D", 5, -1}, {"Minus", "B", 5, -1},
      {"LastFilename", "D", 5, 0}, {"Missing", "X", 5, 0}};
  // clang-format on
  for (const auto& [name, letter, def, expected] : reads) {
    SettingValue result;
    EXPECT_EQ(Read(kIni, name, letter, def, result), 0) << name << letter;
    EXPECT_EQ(result, expected) << name << letter << def.TextForm();
  }
  EXPECT_TRUE(fake.registry.Calls().empty());
}

}  // namespace
}  // namespace rd::SettingsStore
