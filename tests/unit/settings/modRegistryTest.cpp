#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/modRegistry.h"
#include "tests/fakes/FakePorts.h"
#include "util/Text.h"

namespace rd::modRegistry {
namespace {

using Bytes = std::vector<std::uint8_t>;
using fakes::FakePlatform;
using fakes::FakeRegistry;

const std::string kKey = "Software\\Tessaway\\Replaydock\\Settings";
const std::string kIni = "C:\\Games\\demo.ini";

class SettingsStore : public ::testing::Test {
 protected:
  std::int32_t Read(const std::string& root, const std::string& name, const std::string& letter,
                    const SettingValue& def, SettingValue& result, const std::string& key = kKey) {
    return ReadValue(fake.ports, root, key, name, letter, def, result);
  }
  std::int32_t Write(const std::string& root, const std::string& name, const std::string& letter,
                     const SettingValue& value, const std::string& key = kKey) {
    return WriteValue(fake.ports, root, key, name, letter, value);
  }
  std::optional<FakeRegistry::Value> Stored(const std::string& name,
                                            RegKey root = regroot::CurrentUser,
                                            const std::string& key = kKey) {
    return fake.registry.Get(root, key, name);
  }
  void Put(const std::string& name, std::uint32_t type, Bytes data) {
    fake.registry.Put(regroot::CurrentUser, kKey, name, type, std::move(data));
  }

  FakePlatform fake;
};

// --- roots ---

TEST_F(SettingsStore, TheSixRootNamesInAnyCaseNameThePredefinedRoots) {
  const std::vector<std::pair<std::string, RegKey>> roots{
      {"HKCU", regroot::CurrentUser},  {"hkcu", regroot::CurrentUser},
      {"HkLm", regroot::LocalMachine}, {"hku", regroot::Users},
      {"HKDD", regroot::DynData},      {"hkcc", regroot::CurrentConfig},
      {"HKCR", regroot::ClassesRoot},
  };
  for (const auto& [name, key] : roots) {
    const ResolvedRoot root = ResolveRoot(fake.ports, name);
    EXPECT_EQ(root.kind, RootKind::Registry) << name;
    EXPECT_EQ(root.key, key) << name;
  }
  for (const char* other : {"HKEY_CURRENT_USER", "HKPD", " HKCU", "HKCU ", ""}) {
    EXPECT_EQ(ResolveRoot(fake.ports, other).kind, RootKind::None) << other;
  }
}

TEST_F(SettingsStore, OnlyAnExistingOrdinaryFileIsFileMode) {
  fake.files.AddFile(kIni);
  fake.files.AddFile("C:\\Games\\hidden.ini", "", {.hidden = true});
  fake.files.AddFile("C:\\Games\\system.ini", "", {.system = true});
  fake.files.AddFolder("C:\\Games\\folder.ini");
  EXPECT_EQ(ResolveRoot(fake.ports, kIni).kind, RootKind::File);
  EXPECT_EQ(ResolveRoot(fake.ports, "c:\\games\\DEMO.INI").kind, RootKind::File);
  EXPECT_EQ(ResolveRoot(fake.ports, "C:\\Games\\hidden.ini").kind, RootKind::None);
  EXPECT_EQ(ResolveRoot(fake.ports, "C:\\Games\\system.ini").kind, RootKind::None);
  EXPECT_EQ(ResolveRoot(fake.ports, "C:\\Games\\folder.ini").kind, RootKind::None);
  EXPECT_EQ(ResolveRoot(fake.ports, "C:\\Games\\missing.ini").kind, RootKind::None);
  EXPECT_EQ(ResolveRoot(fake.ports, "\"C:\\Games\\demo.ini\"").kind, RootKind::None);  // error
}

TEST_F(SettingsStore, AWildcardMatchIsNotTheFileItNames) {
  fake.files.AddFile(kIni);
  EXPECT_EQ(ResolveRoot(fake.ports, "C:\\Games\\*.ini").kind, RootKind::None);
  EXPECT_EQ(ResolveRoot(fake.ports, "C:\\Games\\demo.in?").kind, RootKind::None);
  EXPECT_EQ(Write("C:\\Games\\*.ini", "LastFilename", "S", "x"), 99);
  EXPECT_FALSE(fake.ini.Get("C:\\Games\\*.ini", kKey, "LastFilename"));
}

TEST_F(SettingsStore, AFileNamedLikeARootIsNeverUsedAsAnIniFile) {
  fake.files.AddFile("C:\\HKCU");
  EXPECT_EQ(Write("HKCU", "DefaultGame", "S", "Quake 3 Arena"), 0);
  EXPECT_EQ(fake.registry.GetText(regroot::CurrentUser, kKey, "DefaultGame"), "Quake 3 Arena");
  EXPECT_TRUE(fake.files.Calls().empty());  // the roots are matched before any lookup
}

TEST_F(SettingsStore, AnUnresolvableRootDoesNothingAndAnswers99) {
  fake.files.AddFolder("C:\\Games");
  for (const char* root : {"HKXX", "C:\\Games", "C:\\Games\\none.ini", "E:\\x.ini"}) {
    SettingValue result = "stale";
    EXPECT_EQ(Read(root, "AlreadyRun", "S", "No", result), 99) << root;
    EXPECT_EQ(result, SettingValue("No")) << root;
    EXPECT_EQ(Write(root, "AlreadyRun", "S", "Yes"), 99) << root;
  }
  // A file that cannot be examined counts as no file.
  fake.files.AddFile(kIni);
  fake.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 21);
  SettingValue result;
  EXPECT_EQ(Read(kIni, "AlreadyRun", "S", "No", result), 99);
  EXPECT_EQ(result, SettingValue("No"));
  fake.files.FailNext(fakes::FakeFileSystem::Op::FindFile, 21);
  EXPECT_EQ(Write(kIni, "AlreadyRun", "S", "Yes"), 99);
  EXPECT_FALSE(fake.ini.Get(kIni, kKey, "AlreadyRun"));
  EXPECT_TRUE(fake.registry.Calls().empty());
}

// --- reads ---

TEST_F(SettingsStore, AMissingKeyOrValueAnswers2AndKeepsTheDefault) {
  SettingValue result;
  EXPECT_EQ(Read("HKCU", "AlreadyRun", "S", "No", result), 2);
  EXPECT_EQ(result, SettingValue("No"));
  EXPECT_FALSE(fake.registry.KeyExists(regroot::CurrentUser, kKey));  // reads create nothing

  fake.registry.PutText(regroot::CurrentUser, kKey, "Other", "x");
  for (const char* letter : {"S", "B", "D"}) {
    result = SettingValue();
    EXPECT_EQ(Read("HKCU", "AlreadyRun", letter, 7, result), 2) << letter;
    EXPECT_EQ(result, SettingValue(7)) << letter;
  }
  EXPECT_EQ(fake.registry.OpenHandles(), 0);
}

TEST_F(SettingsStore, ReadsOpenTheKeyForQueryingOnly) {
  fake.registry.PutText(regroot::CurrentUser, kKey, "DefaultGame", "Quake 3 Arena");
  SettingValue result;
  ASSERT_EQ(Read("HKCU", "DefaultGame", "S", "Half-Life", result), 0);
  EXPECT_EQ(fake.registry.LastAccess(), regaccess::QueryValue);
  const std::vector<std::string> expected{
      "open HKCU\\" + kKey,
      "query HKCU\\" + util::ToLower(kKey) + "\\DefaultGame",
      "query HKCU\\" + util::ToLower(kKey) + "\\DefaultGame",
      "close HKCU\\" + util::ToLower(kKey),
  };
  EXPECT_EQ(fake.registry.Calls(), expected);
}

TEST_F(SettingsStore, TextIsReadWithoutItsTerminator) {
  fake.registry.PutText(regroot::CurrentUser, kKey, "DefaultGame", "Quake 3 Arena");
  Put("Raw", regtype::Sz, {'a', 'b', 'c'});  // stored by another program, no terminator
  Put("Zero", regtype::Sz, {0});
  Put("Nothing", regtype::Sz, {});
  SettingValue result;
  EXPECT_EQ(Read("hkcu", "defaultgame", "s", "Half-Life", result), 0);
  EXPECT_EQ(result, SettingValue("Quake 3 Arena"));
  EXPECT_EQ(Read("HKCU", "Raw", "S", "d", result), 0);
  EXPECT_EQ(result, SettingValue("ab"));
  EXPECT_EQ(Read("HKCU", "Zero", "S", "d", result), 0);
  EXPECT_EQ(result, SettingValue(""));
  EXPECT_EQ(Read("HKCU", "Nothing", "S", "d", result), 0);
  EXPECT_EQ(result, SettingValue("d"));
  EXPECT_EQ(fake.registry.OpenHandles(), 0);
}

TEST_F(SettingsStore, TheTypeStoredIsNotComparedWithTheLetter) {
  Put("Dword", regtype::Dword, {0x80, 0x02, 0, 0});
  Put("One", regtype::Binary, {0x01});
  Put("Long", regtype::Sz, {'1', '2', '3', '4', '5', 0});
  SettingValue result;
  EXPECT_EQ(Read("HKCU", "Dword", "B", false, result), 234);  // 4 bytes in a 2-byte buffer
  EXPECT_EQ(result, SettingValue(false));
  EXPECT_EQ(Read("HKCU", "One", "D", 9, result), 0);  // fills the buffer only in part
  EXPECT_EQ(result, SettingValue(1));
  EXPECT_EQ(Read("HKCU", "Long", "D", -5, result), 234);
  EXPECT_EQ(result, SettingValue(-5));
  EXPECT_EQ(Read("HKCU", "Dword", "S", "d", result), 0);
  EXPECT_EQ(result, SettingValue(std::string("\x80\x02\0", 3)));
  EXPECT_EQ(fake.registry.OpenHandles(), 0);
}

TEST_F(SettingsStore, BooleansAndNumbersAreReadAsTheirBytesSay) {
  Put("True", regtype::Binary, {0xFF, 0xFF});
  Put("High", regtype::Binary, {0x00, 0x01});
  Put("False", regtype::Binary, {0x00, 0x00});
  Put("Width", regtype::Dword, {0x80, 0x02, 0x00, 0x00});
  Put("Minus", regtype::Dword, {0xFF, 0xFF, 0xFF, 0xFF});
  Put("Big", regtype::Dword, {0x00, 0x00, 0x01, 0x00});
  SettingValue result;
  EXPECT_EQ(Read("HKCU", "True", "b", false, result), 0);
  EXPECT_EQ(result, SettingValue(true));
  EXPECT_EQ(Read("HKCU", "High", "B", false, result), 0);
  EXPECT_EQ(result, SettingValue(true));
  EXPECT_EQ(Read("HKCU", "False", "B", true, result), 0);
  EXPECT_EQ(result, SettingValue(false));
  EXPECT_EQ(Read("HKCU", "Width", "d", 0, result), 0);
  EXPECT_EQ(result, SettingValue(640));
  EXPECT_EQ(Read("HKCU", "Minus", "D", 0, result), 0);
  EXPECT_EQ(result, SettingValue(-1));
  EXPECT_EQ(Read("HKCU", "Big", "D", 0, result), 0);  // reads the full 32-bit range
  EXPECT_EQ(result, SettingValue(65536));
}

TEST_F(SettingsStore, AnUnknownLetterReadsNothingAndKeepsTheDefault) {
  fake.registry.PutText(regroot::CurrentUser, kKey, "DefaultGame", "Quake 3 Arena");
  SettingValue result;
  EXPECT_EQ(Read("HKCU", "DefaultGame", "X", "Half-Life", result), 0);
  EXPECT_EQ(result, SettingValue("Half-Life"));
  EXPECT_EQ(Read("HKCU", "DefaultGame", "", "Half-Life", result), 0);
  EXPECT_EQ(result, SettingValue("Half-Life"));
  EXPECT_EQ(Read("HKCU", "DefaultGame", "SS", "Half-Life", result), 0);
  EXPECT_EQ(result, SettingValue("Half-Life"));
  EXPECT_EQ(fake.registry.OpenHandles(), 0);
}

TEST_F(SettingsStore, ReadFailuresAnswerTheRegistrysCodeAndCloseTheKey) {
  fake.registry.PutText(regroot::CurrentUser, kKey, "Game", "Quake 3 Arena");
  Put("Flag", regtype::Binary, {0xFF, 0xFF});
  SettingValue result;

  fake.registry.FailNext(FakeRegistry::Op::Open, 5);
  EXPECT_EQ(Read("HKCU", "Game", "S", "d", result), 5);
  EXPECT_EQ(result, SettingValue("d"));

  fake.registry.FailNext(FakeRegistry::Op::Query, 21);  // the size query
  EXPECT_EQ(Read("HKCU", "Game", "S", "d", result), 21);
  EXPECT_EQ(result, SettingValue("d"));

  fake.registry.FailNext(FakeRegistry::Op::Query, 1450, 1);  // the query for the data
  EXPECT_EQ(Read("HKCU", "Game", "S", "d", result), 1450);
  EXPECT_EQ(result, SettingValue("d"));

  fake.registry.FailNext(FakeRegistry::Op::Query, 5);
  EXPECT_EQ(Read("HKCU", "Flag", "B", false, result), 5);
  EXPECT_EQ(result, SettingValue(false));

  fake.registry.FailNext(FakeRegistry::Op::Query, 5);
  EXPECT_EQ(Read("HKCU", "Flag", "D", 3, result), 5);
  EXPECT_EQ(result, SettingValue(3));

  // The close's own code is the status of a read that got its value.
  fake.registry.FailNext(FakeRegistry::Op::Close, 6);
  EXPECT_EQ(Read("HKCU", "Game", "S", "d", result), 6);
  EXPECT_EQ(fake.registry.OpenHandles(), 0);
}

// Records what each query offers before the fake answers it.
class QuerySpy final : public Registry {
 public:
  explicit QuerySpy(FakeRegistry& inner) : inner_(inner) {}
  struct Offer {
    bool realBuffer;
    std::uint32_t capacity;
    bool zeroed;
  };
  std::int32_t OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                       RegKey& key) override {
    return inner_.OpenKey(root, path, access, key);
  }
  std::int32_t CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                         RegKey& key) override {
    return inner_.CreateKey(root, path, access, key);
  }
  std::int32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t& size) override {
    bool zeroed = true;
    for (std::uint32_t i = 0; data && i < size; ++i) zeroed = zeroed && data[i] == 0;
    offers.push_back(Offer{data != nullptr, size, zeroed});
    return inner_.QueryValue(key, name, type, data, size);
  }
  std::int32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    return inner_.SetValue(key, name, type, data, size);
  }
  std::int32_t CloseKey(RegKey key) override { return inner_.CloseKey(key); }

  std::vector<Offer> offers;

 private:
  FakeRegistry& inner_;
};

TEST_F(SettingsStore, QueriesOfferRealZeroedBuffersOfTheLettersSize) {
  QuerySpy spy(fake.registry);
  Ports ports{spy, fake.ini, fake.files, fake.shell, fake.dialogs, fake.process, fake.timer, {}};
  fake.registry.PutText(regroot::CurrentUser, kKey, "Game", "Quake 3 Arena");
  Put("Flag", regtype::Binary, {0xFF, 0xFF});
  Put("Width", regtype::Dword, {0x80, 0x02, 0, 0});
  SettingValue result;

  ASSERT_EQ(ReadValue(ports, "HKCU", kKey, "Game", "S", "", result), 0);
  ASSERT_EQ(spy.offers.size(), 2u);
  EXPECT_TRUE(spy.offers[0].realBuffer);  // also for the size query
  EXPECT_EQ(spy.offers[0].capacity, 0u);
  EXPECT_TRUE(spy.offers[1].realBuffer);
  EXPECT_EQ(spy.offers[1].capacity, 14u);  // exactly the size reported
  EXPECT_EQ(result, SettingValue("Quake 3 Arena"));

  spy.offers.clear();
  ASSERT_EQ(ReadValue(ports, "HKCU", kKey, "Flag", "B", false, result), 0);
  ASSERT_EQ(spy.offers.size(), 1u);
  EXPECT_EQ(spy.offers[0].capacity, 2u);
  EXPECT_TRUE(spy.offers[0].zeroed);

  spy.offers.clear();
  ASSERT_EQ(ReadValue(ports, "HKCU", kKey, "Width", "D", 0, result), 0);
  ASSERT_EQ(spy.offers.size(), 1u);
  EXPECT_EQ(spy.offers[0].capacity, 4u);
  EXPECT_TRUE(spy.offers[0].zeroed);
  EXPECT_EQ(fake.registry.OpenHandles(), 0);
}

// --- writes ---

TEST_F(SettingsStore, TextIsStoredWithOneTerminatingZero) {
  EXPECT_EQ(Write("HKCU", "Mod", "S", "abc"), 0);
  EXPECT_EQ(Stored("Mod")->type, regtype::Sz);
  EXPECT_EQ(Stored("Mod")->data, (Bytes{'a', 'b', 'c', 0}));
  EXPECT_EQ(Write("HKCU", "Empty", "s", ""), 0);
  EXPECT_EQ(Stored("Empty")->data, Bytes{0});
  EXPECT_EQ(Write("HKCU", "Nothing", "S", SettingValue()), 0);
  EXPECT_EQ(Stored("Nothing")->data, Bytes{0});
  EXPECT_EQ(Write("HKCU", "Flag", "S", true), 0);
  EXPECT_EQ(fake.registry.GetText(regroot::CurrentUser, kKey, "Flag"), "True");
  EXPECT_EQ(Write("HKCU", "Speed", "S", 2.5), 0);
  EXPECT_EQ(fake.registry.GetText(regroot::CurrentUser, kKey, "Speed"), "2.5");

  SettingValue result;
  EXPECT_EQ(Read("HKCU", "Mod", "S", "d", result), 0);
  EXPECT_EQ(result, SettingValue("abc"));
  EXPECT_EQ(Read("HKCU", "Empty", "S", "d", result), 0);
  EXPECT_EQ(result, SettingValue(""));
  EXPECT_EQ(fake.registry.OpenHandles(), 0);
}

TEST_F(SettingsStore, NumbersAreStoredAsSignExtendedDwords) {
  const std::string hl = "Software\\Valve\\Half-Life\\Settings";
  EXPECT_EQ(Write("HKCU", "EngineModeW", "D", 640, hl), 0);
  EXPECT_EQ(Stored("EngineModeW", regroot::CurrentUser, hl)->type, regtype::Dword);
  EXPECT_EQ(Stored("EngineModeW", regroot::CurrentUser, hl)->data, (Bytes{0x80, 0x02, 0, 0}));
  EXPECT_EQ(Write("HKCU", "Minus", "d", -1, hl), 0);
  EXPECT_EQ(Stored("Minus", regroot::CurrentUser, hl)->data, (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Write("HKCU", "Low", "D", -32768, hl), 0);
  EXPECT_EQ(Stored("Low", regroot::CurrentUser, hl)->data, (Bytes{0x00, 0x80, 0xFF, 0xFF}));
  EXPECT_EQ(Write("HKCU", "Text", "D", "480", hl), 0);
  EXPECT_EQ(Stored("Text", regroot::CurrentUser, hl)->data, (Bytes{0xE0, 0x01, 0, 0}));
  EXPECT_EQ(Write("HKCU", "Half", "D", 2.5, hl), 0);
  EXPECT_EQ(Stored("Half", regroot::CurrentUser, hl)->data, (Bytes{2, 0, 0, 0}));
  EXPECT_EQ(Write("HKCU", "Yes", "D", true, hl), 0);
  EXPECT_EQ(Stored("Yes", regroot::CurrentUser, hl)->data, (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));

  SettingValue result;
  EXPECT_EQ(Read("HKCU", "EngineModeW", "D", 0, result, hl), 0);
  EXPECT_EQ(result, SettingValue(640));
  EXPECT_EQ(Read("HKCU", "Minus", "D", 0, result, hl), 0);
  EXPECT_EQ(result, SettingValue(-1));
}

TEST_F(SettingsStore, BooleansAreStoredAsTwoBytes) {
  EXPECT_EQ(Write("HKCU", "On", "B", true), 0);
  EXPECT_EQ(Stored("On")->type, regtype::Binary);
  EXPECT_EQ(Stored("On")->data, (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(Write("HKCU", "Off", "b", false), 0);
  EXPECT_EQ(Stored("Off")->data, (Bytes{0, 0}));
  EXPECT_EQ(Write("HKCU", "Text", "B", "true"), 0);
  EXPECT_EQ(Stored("Text")->data, (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(Write("HKCU", "Number", "B", 2), 0);
  EXPECT_EQ(Stored("Number")->data, (Bytes{0xFF, 0xFF}));

  SettingValue result;
  EXPECT_EQ(Read("HKCU", "On", "B", false, result), 0);
  EXPECT_EQ(result, SettingValue(true));
}

TEST_F(SettingsStore, AValueThatCannotBeConvertedStoresNothingAndAnswers13) {
  const std::vector<std::pair<std::string, SettingValue>> bad{
      {"D", 40000}, {"D", -32769}, {"D", 32767.5}, {"D", "640x480"},
      {"D", ""},    {"B", "Yes"},  {"B", ""},
  };
  for (const auto& [letter, value] : bad) {
    fake.registry.ClearCalls();
    EXPECT_EQ(Write("HKCU", "Value", letter, value), 13) << letter << " " << value.TextForm();
    EXPECT_FALSE(Stored("Value")) << letter << " " << value.TextForm();
    EXPECT_TRUE(fake.registry.KeyExists(regroot::CurrentUser, kKey));
    EXPECT_EQ(fake.registry.OpenHandles(), 0);
  }
  // Nothing is overwritten either.
  Put("Width", regtype::Dword, {0x80, 0x02, 0, 0});
  EXPECT_EQ(Write("HKCU", "Width", "D", 40000), 13);
  EXPECT_EQ(Stored("Width")->data, (Bytes{0x80, 0x02, 0, 0}));
}

TEST_F(SettingsStore, WritesCreateTheWholeKeyPathWithTheRightsTheyNeed) {
  EXPECT_EQ(Write("HKCU", "Anything", "Q", "x"), 0);  // an unknown letter too
  EXPECT_TRUE(fake.registry.KeyExists(regroot::CurrentUser, "Software\\Tessaway"));
  EXPECT_TRUE(fake.registry.KeyExists(regroot::CurrentUser, kKey));
  EXPECT_FALSE(Stored("Anything"));
  EXPECT_EQ(fake.registry.OpenHandles(), 0);

  EXPECT_EQ(fake.registry.LastAccess(), regaccess::SetValue | regaccess::CreateSubKey);
  EXPECT_EQ(Write("HKLM", "Game", "S", "x", "Software\\Tessaway"), 0);
  EXPECT_EQ(fake.registry.LastAccess(), regaccess::SetValue | regaccess::CreateSubKey);
  EXPECT_EQ(fake.registry.GetText(regroot::LocalMachine, "Software\\Tessaway", "Game"), "x");
  const std::vector<std::string> expected{
      "create HKCU\\" + kKey,
      "close HKCU\\" + util::ToLower(kKey),
      "create HKLM\\Software\\Tessaway",
      "set HKLM\\Software\\Tessaway\\Game",
      "close HKLM\\software\\tessaway",
  };
  EXPECT_EQ(fake.registry.Calls(), expected);
}

TEST_F(SettingsStore, AnEmptyValueNameAddressesTheUnnamedValue) {
  EXPECT_EQ(Write("HKCR", "", "S", "Replaydock.dem", ".dem"), 0);
  EXPECT_EQ(fake.registry.GetText(regroot::ClassesRoot, ".dem", ""), "Replaydock.dem");
  SettingValue result;
  EXPECT_EQ(Read("HKCR", "", "S", "d", result, ".dem"), 0);
  EXPECT_EQ(result, SettingValue("Replaydock.dem"));
}

TEST_F(SettingsStore, WriteFailuresAnswerTheRegistrysCodeAndCloseTheKey) {
  fake.registry.FailNext(FakeRegistry::Op::Create, 5);
  EXPECT_EQ(Write("HKCU", "Game", "S", "x"), 5);
  EXPECT_FALSE(Stored("Game"));

  for (const char* letter : {"S", "B", "D"}) {
    fake.registry.FailNext(FakeRegistry::Op::Set, 112);
    EXPECT_EQ(Write("HKCU", "Game", letter, 1), 112) << letter;
    EXPECT_FALSE(Stored("Game")) << letter;
    EXPECT_EQ(fake.registry.OpenHandles(), 0) << letter;
  }

  fake.registry.FailUnder(FakeRegistry::Op::Create, "HKCU\\Software\\Valve", 5);
  EXPECT_EQ(Write("HKCU", "EngineModeH", "D", 480, "Software\\Valve\\Half-Life\\Settings"), 5);
  EXPECT_FALSE(fake.registry.KeyExists(regroot::CurrentUser, "Software\\Valve"));

  fake.registry.FailNext(FakeRegistry::Op::Close, 6);
  EXPECT_EQ(Write("HKCU", "Game", "S", "x"), 6);
  EXPECT_EQ(fake.registry.GetText(regroot::CurrentUser, kKey, "Game"), "x");
  EXPECT_EQ(fake.registry.OpenHandles(), 0);
}

// --- file mode ---

class SettingsStoreFileMode : public SettingsStore {
 protected:
  SettingsStoreFileMode() { fake.files.AddFile(kIni); }
};

TEST_F(SettingsStoreFileMode, TextIsWrittenAndReadAsIniEntries) {
  EXPECT_EQ(Write(kIni, "LastFilename", "s", "C:\\Demos\\a.dem"), 0);
  EXPECT_EQ(fake.ini.Get(kIni, kKey, "LastFilename"), "C:\\Demos\\a.dem");
  EXPECT_EQ(Write(kIni, "Flag", "S", true), 0);
  EXPECT_EQ(fake.ini.Get(kIni, kKey, "Flag"), "True");
  SettingValue result;
  EXPECT_EQ(Read(kIni, "LastFilename", "S", "", result), 0);
  EXPECT_EQ(result, SettingValue("C:\\Demos\\a.dem"));
  EXPECT_TRUE(fake.registry.Calls().empty());
}

TEST_F(SettingsStoreFileMode, AMissingEntryReadsAsTheDefaultsText) {
  SettingValue result;
  EXPECT_EQ(Read(kIni, "AlreadyRun", "S", "No", result), 0);
  EXPECT_EQ(result, SettingValue("No"));
  EXPECT_EQ(Read(kIni, "Flag", "S", true, result), 0);
  EXPECT_EQ(result, SettingValue("True"));  // delivered as text
  EXPECT_EQ(Read(kIni, "Width", "S", 640, result), 0);
  EXPECT_EQ(result, SettingValue("640"));
}

TEST_F(SettingsStoreFileMode, TextReadsAreCutTo254Characters) {
  const std::string longText(300, 'x');
  EXPECT_EQ(Write(kIni, "Long", "S", longText), 0);
  SettingValue result;
  EXPECT_EQ(Read(kIni, "Long", "S", "", result), 0);
  EXPECT_EQ(result, SettingValue(std::string(254, 'x')));
  EXPECT_EQ(Read(kIni, "Missing", "S", longText, result), 0);
  EXPECT_EQ(result, SettingValue(std::string(254, 'x')));
}

TEST_F(SettingsStoreFileMode, NumberReadsGiveZeroWhateverTheDefault) {
  fake.ini.WriteString(kKey, "Width", "640", kIni);
  fake.ini.WriteString(kKey, "Minus", "-1", kIni);
  fake.ini.WriteString(kKey, "Word", "wide", kIni);
  SettingValue result;
  EXPECT_EQ(Read(kIni, "Width", "D", 5, result), 0);
  EXPECT_EQ(result, SettingValue(640));
  EXPECT_EQ(Read(kIni, "Minus", "B", 5, result), 0);
  EXPECT_EQ(result, SettingValue(-1));
  EXPECT_EQ(Read(kIni, "Word", "D", 5, result), 0);
  EXPECT_EQ(result, SettingValue(0));
  EXPECT_EQ(Read(kIni, "Missing", "X", 5, result), 0);
  EXPECT_EQ(result, SettingValue(0));
}

TEST_F(SettingsStoreFileMode, OnlyTextCanBeWritten) {
  for (const char* letter : {"B", "D", "X", ""}) {
    EXPECT_EQ(Write(kIni, "Value", letter, 1), 99) << letter;
  }
  EXPECT_FALSE(fake.ini.Get(kIni, kKey, "Value"));
  EXPECT_TRUE(fake.registry.Calls().empty());
}

}  // namespace
}  // namespace rd::modRegistry
