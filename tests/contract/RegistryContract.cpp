#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "ports/WinErrors.h"
#include "tests/contract/Binding.h"

namespace rd::contract {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kWrite = regaccess::SetValue | regaccess::CreateSubKey;

class RegistryContract : public ContractTest {
 protected:
  Registry& reg() { return b->ports().registry; }
  // Stores the bytes as given: a byte after them that is no terminator keeps advapi32 from
  // counting one the caller left out.
  void Put(const std::string& path, const std::string& name, std::uint32_t type, Bytes data) {
    RegKey key = 0;
    ASSERT_EQ(reg().CreateKey(regroot::CurrentUser, path, kWrite, key), 0) << path;
    const auto size = static_cast<std::uint32_t>(data.size());
    data.push_back(0xFF);
    EXPECT_EQ(reg().SetValue(key, name, type, data.data(), size), 0) << name;
    EXPECT_EQ(reg().CloseKey(key), 0);
  }
  // The value's type and bytes, read through key with a buffer of ample capacity.
  std::pair<std::uint32_t, Bytes> Query(RegKey key, const std::string& name) {
    Bytes buffer(64);
    std::uint32_t size = 64, type = 0;
    EXPECT_EQ(reg().QueryValue(key, name, &type, buffer.data(), size), 0) << name;
    buffer.resize(size);
    return {type, buffer};
  }
  const std::string base = b->key;
};

TEST_F(RegistryContract, KeyPathsIgnoreCaseAndExtraBackslashesButNotALeadingOne) {
  Put(base + "\\One\\Two", "v", regtype::Sz, {0});
  // clang-format off
  const std::tuple<bool, std::string, std::int32_t> cases[] = {
      {false, base + "\\One", 0}, {false, base + "\\ONE\\two", 0}, {false, base + "\\One\\Two\\", 0},
      {false, base + "\\\\One", 0}, {false, "", 0}, {false, base + "\\Nowhere", winerr::FileNotFound},
      {false, "\\" + base, 161}, {true, "\\" + base + "\\New", 161}};
  // clang-format on
  for (const auto& [create, path, status] : cases) {
    RegKey key = 0;
    EXPECT_EQ(create ? reg().CreateKey(regroot::CurrentUser, path, kWrite, key)
                     : reg().OpenKey(regroot::CurrentUser, path, regaccess::QueryValue, key),
              status)
        << path;
    EXPECT_EQ(status == 0 ? reg().CloseKey(key) : 0, 0) << path;
  }
}

// Too small a buffer learns the size it needs, the terminator counted. A text stored
// without its terminator is answered as stored; with room to spare the buffer gets a
// terminator that the size does not count. The unnamed value is missing until set.
TEST_F(RegistryContract, QueryAnswersTypeSizeAndBytesAsStored) {
  Put(base, "Text", regtype::Sz, {'a', 'b', 'c', 'd', 'e', 'f', 0});
  Put(base, "Number", regtype::Dword, {0x80, 0x02, 0, 0});
  Put(base, "Bare", regtype::Sz, {'a', 'b', 'c'});
  Put(base, "Empty", regtype::Sz, {});
  Put(base, "Flag", regtype::Binary, {0xFF, 0xFF});
  // Name, capacity; status, type, size, what the buffer starts with (\xCC: left alone).
  // clang-format off
  const std::tuple<const char*, std::uint32_t, std::int32_t, std::uint32_t, std::uint32_t, std::string>
      cases[] = {
      {"Text", 0, winerr::MoreData, regtype::Sz, 7, ""}, {"Text", 7, 0, regtype::Sz, 7, std::string("abcdef\0", 7)},
      {"Number", 32, 0, regtype::Dword, 4, std::string("\x80\x02\0\0", 4)},
      {"Bare", 3, 0, regtype::Sz, 3, "abc\xCC"}, {"Bare", 8, 0, regtype::Sz, 3, std::string("abc\0\xCC", 5)},
      {"Empty", 32, 0, regtype::Sz, 0, ""}, {"Flag", 32, 0, regtype::Binary, 2, "\xFF\xFF\xCC"},
      {"Missing", 0, winerr::FileNotFound, 0, 0, ""}, {"", 16, winerr::FileNotFound, 0, 0, ""}};
  // clang-format on
  RegKey key = 0;
  ASSERT_EQ(reg().OpenKey(regroot::CurrentUser, base, regaccess::QueryValue, key), 0);
  for (const auto& [name, capacity, status, type, size, start] : cases) {
    std::uint8_t buffer[32];
    std::memset(buffer, 0xCC, sizeof buffer);
    std::uint32_t gotType = 0, gotSize = capacity;
    ASSERT_EQ(reg().QueryValue(key, name, &gotType, buffer, gotSize), status) << name << capacity;
    if (status == winerr::FileNotFound) continue;
    EXPECT_EQ(std::tie(gotType, gotSize), std::tie(type, size)) << name << capacity;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), start.size()), start)
        << name << capacity;
  }
  EXPECT_EQ(reg().CloseKey(key), 0);
}

TEST_F(RegistryContract, ValuesAreReplacedUnderAnyCaseAndHandlesAllowOnlyWhatTheyWereOpenedFor) {
  Put(base + "\\Set", "MixedCase", regtype::Sz, {'a', 0});
  Put(base + "\\SET", "MIXEDCASE", regtype::Dword, {1, 2, 3, 4});
  RegKey key = 0;
  ASSERT_EQ(reg().CreateKey(regroot::CurrentUser, base + "\\set", kWrite, key), 0);
  std::uint8_t buffer[16];
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(reg().QueryValue(key, "MixedCase", nullptr, buffer, size), winerr::AccessDenied);
  EXPECT_EQ(reg().CloseKey(key), 0);
  ASSERT_EQ(reg().OpenKey(regroot::CurrentUser, base + "\\Set", regaccess::QueryValue, key), 0);
  EXPECT_EQ(reg().SetValue(key, "mixedcase", regtype::Sz, buffer, 2), winerr::AccessDenied);
  EXPECT_EQ(Query(key, "mixedCASE"), std::pair(regtype::Dword, Bytes{1, 2, 3, 4}));
  EXPECT_EQ(reg().CloseKey(key), 0);
}

// A 64-bit program finds 32-bit installers' keys through the 32-bit view.
TEST_F(RegistryContract, The32BitViewOfSoftwareIsItsWow6432NodeKey) {
  const std::string leaf = "Replaydock Contract " + base.substr(base.rfind(' ') + 1);
  RegKey key = 0;
  if (reg().CreateKey(regroot::LocalMachine, "SOFTWARE\\" + leaf, kWrite | regaccess::View32,
                      key)) {
    GTEST_SKIP() << "this user may not write to HKLM";
  }
  const std::uint8_t data[] = {'3', '2', 0};
  EXPECT_EQ(reg().SetValue(key, "View", regtype::Sz, data, 3) + reg().CloseKey(key), 0);
  ASSERT_EQ(reg().OpenKey(regroot::LocalMachine, "SOFTWARE\\WOW6432Node\\" + leaf,
                          regaccess::QueryValue, key),
            0);
  EXPECT_EQ(Query(key, "View"), std::pair(regtype::Sz, Bytes(data, data + 3)));
  EXPECT_EQ(reg().CloseKey(key), 0);
}

}  // namespace
}  // namespace rd::contract
