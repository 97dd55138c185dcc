#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ports/WinErrors.h"
#include "tests/contract/Binding.h"
#include "util/Text.h"

namespace rd::contract {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kBadPathname = 161;
constexpr std::uint32_t kWriteOnly = regaccess::SetValue | regaccess::CreateSubKey;

Bytes Text(const std::string& s, bool terminated = true) {
  Bytes out(s.begin(), s.end());
  if (terminated) out.push_back(0);
  return out;
}

class RegistryContract : public ContractTest {
 protected:
  Registry& reg() { return b->ports().registry; }

  // A value read through key with a buffer of ample capacity.
  Bytes Query(RegKey key, const std::string& name, std::uint32_t& type) {
    Bytes buffer(1024);
    auto size = static_cast<std::uint32_t>(buffer.size());
    EXPECT_EQ(reg().QueryValue(key, name, &type, buffer.data(), size), winerr::Success) << name;
    buffer.resize(size);
    return buffer;
  }

  const std::string base = b->ScratchKey();
};

TEST_F(RegistryContract, KeyPathsIgnoreCaseAndExtraBackslashesButNotALeadingOne) {
  RegKey key = 0;
  ASSERT_EQ(reg().CreateKey(regroot::CurrentUser, base + "\\One\\Two", kWriteOnly, key),
            winerr::Success);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
  struct Case {
    bool create;
    std::string path;
    std::int32_t status;
  };
  const Case cases[] = {
      {false, base + "\\One", winerr::Success},  // made on the way
      {false, base + "\\ONE\\two", winerr::Success},
      {false, base + "\\One\\Two\\", winerr::Success},
      {false, base + "\\\\One", winerr::Success},
      {false, "", winerr::Success},  // the root itself
      {false, base + "\\Nowhere", winerr::FileNotFound},
      {false, base + "\\Nowhere\\Deeper", winerr::FileNotFound},
      {false, "\\" + base, kBadPathname},
      {true, "\\" + base + "\\New", kBadPathname},
  };
  for (const Case& c : cases) {
    const std::string& path = c.path;
    key = 0;
    const auto status = c.create
                            ? reg().CreateKey(regroot::CurrentUser, path, kWriteOnly, key)
                            : reg().OpenKey(regroot::CurrentUser, path, regaccess::QueryValue, key);
    EXPECT_EQ(status, c.status) << path;
    if (status == winerr::Success) {
      EXPECT_EQ(reg().CloseKey(key), winerr::Success) << path;
    }
  }
}

TEST_F(RegistryContract, QueryAnswersTypeSizeAndBytesAsStored) {
  b->PutValue(base, "Text", regtype::Sz, Text("abcdef"));
  b->PutValue(base, "Number", regtype::Dword, {0x80, 0x02, 0, 0});
  b->PutValue(base, "Bare", regtype::Sz, Text("abc", false));
  b->PutValue(base, "Empty", regtype::Sz, {});
  b->PutValue(base, "Flag", regtype::Binary, {0xFF, 0xFF});
  struct Case {
    const char* name;
    std::uint32_t capacity;
    std::int32_t status;
    std::uint32_t type, size;
    std::string buffer;  // what the buffer starts with afterwards; \xCC: left alone
  };
  const Case cases[] = {
      // Too small a buffer learns the size it needs, the terminator counted.
      {"Text", 0, winerr::MoreData, regtype::Sz, 7, ""},
      {"Text", 3, winerr::MoreData, regtype::Sz, 7, ""},
      {"Text", 7, winerr::Success, regtype::Sz, 7, std::string("abcdef\0", 7)},
      {"Number", 2, winerr::MoreData, regtype::Dword, 4, ""},
      {"Number", 32, winerr::Success, regtype::Dword, 4, std::string("\x80\x02\0\0", 4)},
      // A text stored without its terminator is answered as stored; with room to spare the
      // buffer gets a terminator that the size does not count.
      {"Bare", 3, winerr::Success, regtype::Sz, 3, "abc\xCC"},
      {"Bare", 8, winerr::Success, regtype::Sz, 3, std::string("abc\0\xCC", 5)},
      {"Empty", 32, winerr::Success, regtype::Sz, 0, ""},
      {"Flag", 32, winerr::Success, regtype::Binary, 2, "\xFF\xFF\xCC"},
      // The unnamed value of a key is missing until it is set.
      {"Missing", 16, winerr::FileNotFound, 0, 0, ""},
      {"Missing", 0, winerr::FileNotFound, 0, 0, ""},
      {"", 16, winerr::FileNotFound, 0, 0, ""},
  };
  RegKey key = 0;
  ASSERT_EQ(reg().OpenKey(regroot::CurrentUser, base, regaccess::QueryValue, key), winerr::Success);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " in " + std::to_string(c.capacity));
    std::uint8_t buffer[32];
    std::memset(buffer, 0xCC, sizeof buffer);
    std::uint32_t type = 0;
    std::uint32_t size = c.capacity;
    ASSERT_EQ(reg().QueryValue(key, c.name, &type, buffer, size), c.status);
    if (c.status == winerr::FileNotFound) continue;
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), c.buffer.size()), c.buffer);
  }
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
}

TEST_F(RegistryContract, SetStoresTypeAndBytesAndReplacesUnderAnyCase) {
  RegKey key = 0;
  ASSERT_EQ(reg().CreateKey(regroot::CurrentUser, base + "\\Set", kWriteOnly, key),
            winerr::Success);
  const Bytes text = Text("abc");  // REG_SZ: the length plus its terminator
  const Bytes number{0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(reg().SetValue(key, "", regtype::Sz, text.data(), 4), winerr::Success);
  EXPECT_EQ(reg().SetValue(key, "MixedCase", regtype::Sz, text.data(), 4), winerr::Success);
  EXPECT_EQ(reg().SetValue(key, "MIXEDCASE", regtype::Dword, number.data(), 4), winerr::Success);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
  // Creating an existing key opens it; its values stay.
  ASSERT_EQ(reg().CreateKey(regroot::CurrentUser, base + "\\SET", regaccess::QueryValue, key),
            winerr::Success);
  std::uint32_t type = 0;
  EXPECT_EQ(Query(key, "", type), text);
  EXPECT_EQ(type, regtype::Sz);
  EXPECT_EQ(Query(key, "mixedCASE", type), number);
  EXPECT_EQ(type, regtype::Dword);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
}

TEST_F(RegistryContract, HandlesOnlyAllowWhatTheyWereOpenedFor) {
  b->PutValue(base, "Text", regtype::Sz, Text("abc"));
  const std::uint8_t data[] = {'z', 0};
  RegKey key = 0;
  ASSERT_EQ(reg().CreateKey(regroot::CurrentUser, base, kWriteOnly, key), winerr::Success);
  std::uint8_t buffer[16];
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(reg().QueryValue(key, "Text", nullptr, buffer, size), winerr::AccessDenied);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);

  ASSERT_EQ(reg().OpenKey(regroot::CurrentUser, base, regaccess::QueryValue, key), winerr::Success);
  EXPECT_EQ(reg().SetValue(key, "Text", regtype::Sz, data, 2), winerr::AccessDenied);
  std::uint32_t type = 0;
  EXPECT_EQ(Query(key, "Text", type), Text("abc"));  // as it was
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
}

TEST_F(RegistryContract, EnumKeyListsTheSubkeysOnceEachThenAnswersNoMoreItems) {
  for (const char* sub : {"Beta", "alpha", "Gamma\\Deeper"}) {
    b->PutValue(base + "\\" + sub, "v", regtype::Sz, Text("x"));
  }
  RegKey key = 0;
  ASSERT_EQ(reg().OpenKey(regroot::CurrentUser, base, regaccess::EnumerateSubKeys, key),
            winerr::Success);
  std::vector<std::string> names;
  std::string name;
  std::uint32_t index = 0;
  while (reg().EnumKey(key, index, name) == winerr::Success && index < 10) {
    names.push_back(name);
    ++index;
  }
  EXPECT_EQ(reg().EnumKey(key, index, name), winerr::NoMoreItems);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
  std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
    return util::CompareNoCase(x, y) < 0;
  });
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
}

// A 64-bit program finds 32-bit installers' keys through the 32-bit view.
TEST_F(RegistryContract, The32BitViewOfSoftwareIsItsWow6432NodeKey) {
  const std::string leaf = "Replaydock Contract " + base.substr(base.find_last_of('\\') + 1);
  RegKey key = 0;
  if (reg().CreateKey(regroot::LocalMachine, "SOFTWARE\\" + leaf,
                      regaccess::SetValue | regaccess::View32, key) != winerr::Success) {
    GTEST_SKIP() << "this user may not write to HKLM";
  }
  const std::uint8_t data[] = {'3', '2', 0};
  EXPECT_EQ(reg().SetValue(key, "View", regtype::Sz, data, 3), winerr::Success);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
  ASSERT_EQ(reg().OpenKey(regroot::LocalMachine, "SOFTWARE\\WOW6432Node\\" + leaf,
                          regaccess::QueryValue, key),
            winerr::Success);
  std::uint32_t type = 0;
  EXPECT_EQ(Query(key, "View", type), Text("32"));
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
}

}  // namespace
}  // namespace rd::contract
