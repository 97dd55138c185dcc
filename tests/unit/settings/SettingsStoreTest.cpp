#include <gtest/gtest.h>

#include <tuple>

#include "settings/SettingsStore.h"
#include "tests/fakes/FakePorts.h"

namespace rd::SettingsStore {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Op = fakes::FakeRegistry::Op;
constexpr auto kSz = regtype::Sz, kBin = regtype::Binary, kDw = regtype::Dword;
const std::string kKey = "Software\\Tessaway\\Replaydock\\Settings", kIni = "C:\\Games\\demo.ini";

Bytes Zt(const std::string& text) {
  return Bytes(text.c_str(), text.c_str() + text.size() + 1);
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  using S = const std::string&;
  std::int32_t Read(S root, S name, S letter, const SettingValue& def, SettingValue& result) {
    return Closed(ReadValue(fp.ports, root, kKey, name, letter, def, result));
  }
  std::int32_t Write(S root, S name, S letter, const SettingValue& value) {
    return Closed(WriteValue(fp.ports, root, kKey, name, letter, value));
  }
  std::int32_t Closed(std::int32_t status) {
    EXPECT_EQ(fp.registry.OpenHandles(), 0);
    return status;
  }
  fakes::FakeRegistry::Value Stored(const std::string& name) {
    return fp.registry.Get(regroot::CurrentUser, kKey, name).value_or(fakes::FakeRegistry::Value{});
  }
  fakes::FakePlatform fp;
};

TEST_F(SettingsStoreTest, RootNamesThenAnyFileTheNameFindsResolveElseNothingIsDoneAnd99Answered) {
  EXPECT_EQ(ResolveRoot(fp.ports, "HKCU").kind, RootKind::Registry);
  EXPECT_TRUE(fp.files.Calls().empty());  // the names are matched before any file lookup
  fp.files.AddFile(kIni);
  fp.files.AddFolder("C:\\Games\\folder.ini");
  constexpr auto kReg = RootKind::Registry, kFile = RootKind::File, kNone = RootKind::None;
  // clang-format off
  const std::tuple<std::string, RootKind, RegKey> cases[] = {
      {"hkcu", kReg, regroot::CurrentUser}, {"HkLm", kReg, regroot::LocalMachine}, {"HKDD", kReg, regroot::DynData},
      {"HKEY_CURRENT_USER", kNone, 0}, {" HKCU", kNone, 0}, {"c:\\games\\DEMO.INI", kFile, 0},
      {"C:\\Games\\folder.ini", kNone, 0}, {"C:\\Games\\missing.ini", kNone, 0}, {"C:\\Games\\*.ini", kFile, 0}};
  // clang-format on
  for (const auto& [name, kind, key] : cases)
    EXPECT_EQ(std::pair(ResolveRoot(fp.ports, name).kind, ResolveRoot(fp.ports, name).key), std::pair(kind, key)) << name;
  SettingValue result = "stale";
  EXPECT_EQ(Read("HKXX", "AlreadyRun", "S", "No", result), 99);
  EXPECT_EQ(result, SettingValue("No"));
  EXPECT_EQ(Write("HKXX", "AlreadyRun", "S", "Yes"), 99);
  fp.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 21);  // unexaminable: no file
  EXPECT_EQ(Write(kIni, "AlreadyRun", "S", "Yes"), 99);
  EXPECT_TRUE(fp.registry.Calls().empty());
}

TEST_F(SettingsStoreTest, AFailedStepAnswersTheRegistrysCodeKeepsTheDefaultAndClosesTheKey) {
  SettingValue result;
  EXPECT_EQ(Read("HKCU", "S", "S", "d", result), 2);  // a missing key, which is not created
  EXPECT_FALSE(fp.registry.KeyExists(regroot::CurrentUser, kKey));
  EXPECT_EQ(fp.registry.LastAccess(), regaccess::QueryValue);
  // How each letter reads each type's bytes is the fuzz target's (tests/fuzz/fuzz_read_value).
  fp.registry.PutText(regroot::CurrentUser, kKey, "S", "Quake 3");
  fp.registry.Put(regroot::CurrentUser, kKey, "D", kDw, {1, 0, 0, 0});
  // Reads (text fails in its size query or its data query) and writes; a failing close
  // answers for a step that got through.
  // clang-format off
  const std::tuple<bool, Op, int, std::int32_t, std::string, SettingValue> cases[] = {
      {false, Op::Open, 0, 5, "S", "d"}, {false, Op::Query, 0, 21, "S", "d"},
      {false, Op::Query, 1, 1450, "S", "d"}, {false, Op::Query, 0, 5, "D", "d"},
      {false, Op::Close, 0, 6, "S", "Quake 3"}, {true, Op::Create, 0, 5, "B", ""},
      {true, Op::Set, 0, 112, "B", ""}, {true, Op::Set, 0, 112, "D", ""}, {true, Op::Close, 0, 6, "S", "1"}};
  // clang-format on
  for (const auto& [write, op, skip, code, letter, expected] : cases) {
    fp.registry.FailNext(op, code, skip);
    if (write) {
      EXPECT_EQ(Write("HKCU", "W" + letter, letter, 1), code) << letter;
      EXPECT_EQ(fp.registry.GetText(regroot::CurrentUser, kKey, "W" + letter).value_or(""), expected.TextForm());
    } else {
      EXPECT_EQ(Read("HKCU", letter, letter, "d", result), code);
      EXPECT_EQ(result, expected) << code;
    }
  }
}

TEST_F(SettingsStoreTest, ValuesAreStoredInTheLettersFormatOrNotAtAll) {
  // Numbers are sign-extended to 32 bits. A value that cannot be converted answers 13 and
  // leaves what was stored before; an unknown letter stores nothing.
  const Bytes two{2, 0, 0, 0}, ones{0xFF, 0xFF};
  // clang-format off
  const std::tuple<const char*, SettingValue, std::int32_t, std::uint32_t, Bytes> cases[] = {
      {"s", "abc", 0, kSz, Zt("abc")}, {"D", 640, 0, kDw, {0x80, 0x02, 0, 0}}, {"D", -32768, 0, kDw, {0, 0x80, 0xFF, 0xFF}},
      {"D", 2.5, 0, kDw, two}, {"D", 40000, 13, kDw, two}, {"Q", "x", 0, kDw, two},
      {"b", true, 0, kBin, ones}, {"B", false, 0, kBin, {0, 0}}, {"B", "Yes", 13, kBin, {0, 0}}};
  // clang-format on
  for (const auto& [letter, value, status, type, data] : cases) {
    const std::int32_t got = Write("HKCU", "Value", letter, value);
    EXPECT_EQ(std::tuple(got, Stored("Value").type, Stored("Value").data), std::tuple(status, type, data))
        << letter << value.TextForm();
  }
  fp.process.numbers = {",", "."};  // text follows the user's locale
  ASSERT_EQ(Write("HKCU", "Value", "S", 2.5), 0);
  EXPECT_EQ(Stored("Value").data, Zt("2,5"));
}

TEST_F(SettingsStoreTest, InAnIniFileOnlyTextIsWrittenAndNumbersReadAsZeroWhateverTheDefault) {
  fp.files.AddFile(kIni);
  EXPECT_EQ(Write(kIni, "LastFilename", "s", "C:\\Demos\\a.dem") + Write(kIni, "Flag", "S", true) +
                Write(kIni, "Long", "S", std::string(300, 'x')), 0);
  fp.ini.WriteString(kKey, "Minus", "-1", kIni);
  for (const char* letter : {"B", "D", "X", ""}) EXPECT_EQ(Write(kIni, "Value", letter, 1), 99);
  EXPECT_FALSE(fp.ini.Get(kIni, kKey, "Value"));
  // clang-format off
  const std::tuple<std::string, const char*, SettingValue, SettingValue> reads[] = {
      {"LastFilename", "S", "", "C:\\Demos\\a.dem"}, {"Flag", "S", "", "True"}, {"Missing", "S", 640, "640"},
      {"Long", "S", "", std::string(254, 'x')}, {"Missing", "S", std::string(300, 'y'), std::string(254, 'y')},
      {"Minus", "D", 5, -1}, {"Minus", "B", 5, -1}, {"LastFilename", "D", 5, 0}, {"Missing", "X", 5, 0}};
  // clang-format on
  for (const auto& [name, letter, def, expected] : reads) {
    SettingValue result;
    EXPECT_EQ(Read(kIni, name, letter, def, result), 0) << name << letter;
    EXPECT_EQ(result, expected) << name << letter << def.TextForm();
  }
  EXPECT_TRUE(fp.registry.Calls().empty());
}

}  // namespace
}  // namespace rd::SettingsStore
