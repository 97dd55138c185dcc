#include <cstring>
#include <string>
#include <vector>

#include "platform/ports/WinErrors.h"
#include "tests/contract/ContractTest.h"

namespace rd::contract {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kBadPathname = 161;

Bytes Text(const std::string& s, bool terminated = true) {
  Bytes out(s.begin(), s.end());
  if (terminated) out.push_back(0);
  return out;
}

class RegistryContract : public ContractTest {
 protected:
  Registry& reg() { return b->registry(); }

  RegKey Open(const std::string& path, std::uint32_t access = regaccess::QueryValue) {
    RegKey key = 0;
    EXPECT_EQ(reg().OpenKey(regroot::CurrentUser, path, access, key), winerr::Success) << path;
    return key;
  }

  // A value's type and bytes read with a buffer of ample capacity.
  std::int32_t Read(const std::string& path, const std::string& name, std::uint32_t& type,
                    Bytes& data) {
    RegKey key = 0;
    const auto open = reg().OpenKey(regroot::CurrentUser, path, regaccess::QueryValue, key);
    if (open != winerr::Success) return open;
    Bytes buffer(1024, 0xCC);
    std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
    const auto status = reg().QueryValue(key, name, &type, buffer.data(), size);
    EXPECT_EQ(reg().CloseKey(key), winerr::Success);
    if (status == winerr::Success) data.assign(buffer.begin(), buffer.begin() + size);
    return status;
  }
};

TEST_F(RegistryContract, CreateMakesEveryMissingKeyAndNamesIgnoreCase) {
  const std::string base = b->ScratchKey();
  RegKey key = 0;
  ASSERT_EQ(reg().CreateKey(regroot::CurrentUser, base + "\\One\\Two\\Three",
                            regaccess::SetValue | regaccess::CreateSubKey, key),
            winerr::Success);
  const std::uint8_t data[] = {'x', 0};
  EXPECT_EQ(reg().SetValue(key, "MixedCase", regtype::Sz, data, 2), winerr::Success);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);

  EXPECT_EQ(reg().CloseKey(Open(base + "\\One")), winerr::Success);
  EXPECT_EQ(reg().CloseKey(Open(base + "\\ONE\\two")), winerr::Success);
  std::uint32_t type = 0;
  Bytes read;
  ASSERT_EQ(Read(base + "\\one\\TWO\\three", "mixedCASE", type, read), winerr::Success);
  EXPECT_EQ(type, regtype::Sz);
  EXPECT_EQ(read, Text("x"));

  // Creating an existing key opens it; its values stay.
  ASSERT_EQ(reg().CreateKey(regroot::CurrentUser, base + "\\One\\Two\\Three",
                            regaccess::SetValue | regaccess::CreateSubKey, key),
            winerr::Success);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
  EXPECT_EQ(Read(base + "\\One\\Two\\Three", "MixedCase", type, read), winerr::Success);
}

TEST_F(RegistryContract, MissingKeysAndValuesAnswerFileNotFound) {
  const std::string base = b->ScratchKey();
  RegKey key = 0;
  EXPECT_EQ(reg().OpenKey(regroot::CurrentUser, base + "\\Nowhere", regaccess::QueryValue, key),
            winerr::FileNotFound);
  EXPECT_EQ(reg().OpenKey(regroot::CurrentUser, base + "\\Nowhere\\Deeper",
                          regaccess::QueryValue, key),
            winerr::FileNotFound);

  key = Open(base);
  std::uint8_t buffer[16] = {};
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(reg().QueryValue(key, "Missing", nullptr, buffer, size), winerr::FileNotFound);
  size = 0;
  EXPECT_EQ(reg().QueryValue(key, "Missing", nullptr, buffer, size), winerr::FileNotFound);
  // The unnamed value of a key is missing until it is set.
  size = sizeof buffer;
  EXPECT_EQ(reg().QueryValue(key, "", nullptr, buffer, size), winerr::FileNotFound);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
}

TEST_F(RegistryContract, TooSmallBufferAnswersMoreDataWithTheSizeNeeded) {
  const std::string base = b->ScratchKey();
  b->PutValue(base, "Text", regtype::Sz, Text("abcdef"));
  b->PutValue(base, "Number", regtype::Dword, {0x80, 0x02, 0, 0});
  const RegKey key = Open(base);

  std::uint8_t buffer[32];
  std::memset(buffer, 0xCC, sizeof buffer);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(reg().QueryValue(key, "Text", &type, buffer, size), winerr::MoreData);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(type, regtype::Sz);
  size = 3;
  EXPECT_EQ(reg().QueryValue(key, "Text", &type, buffer, size), winerr::MoreData);
  EXPECT_EQ(size, 7u);
  size = 7;
  ASSERT_EQ(reg().QueryValue(key, "Text", &type, buffer, size), winerr::Success);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 7), std::string("abcdef\0", 7));

  size = 2;
  EXPECT_EQ(reg().QueryValue(key, "Number", &type, buffer, size), winerr::MoreData);
  EXPECT_EQ(size, 4u);
  size = sizeof buffer;
  ASSERT_EQ(reg().QueryValue(key, "Number", &type, buffer, size), winerr::Success);
  EXPECT_EQ(type, regtype::Dword);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(buffer[0], 0x80);
  EXPECT_EQ(buffer[1], 0x02);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
}

TEST_F(RegistryContract, SizesAreTheBytesStoredTerminatorOrNot) {
  const std::string base = b->ScratchKey();
  b->PutValue(base, "Bare", regtype::Sz, Text("abc", false));
  b->PutValue(base, "Empty", regtype::Sz, {});
  b->PutValue(base, "Flag", regtype::Binary, {0xFF, 0xFF});

  std::uint32_t type = 0;
  Bytes read;
  ASSERT_EQ(Read(base, "Empty", type, read), winerr::Success);
  EXPECT_TRUE(read.empty());
  EXPECT_EQ(type, regtype::Sz);
  ASSERT_EQ(Read(base, "Flag", type, read), winerr::Success);
  EXPECT_EQ(type, regtype::Binary);
  EXPECT_EQ(read, (Bytes{0xFF, 0xFF}));

  // A text stored without its terminator is answered as stored; with room to spare the
  // buffer gets a terminator that the size does not count.
  const RegKey key = Open(base);
  std::uint8_t buffer[8];
  std::memset(buffer, 0xCC, sizeof buffer);
  std::uint32_t size = 3;
  ASSERT_EQ(reg().QueryValue(key, "Bare", &type, buffer, size), winerr::Success);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "abc");
  EXPECT_EQ(buffer[3], 0xCC);
  size = sizeof buffer;
  ASSERT_EQ(reg().QueryValue(key, "Bare", &type, buffer, size), winerr::Success);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(buffer[3], 0);
  EXPECT_EQ(buffer[4], 0xCC);
  std::memset(buffer, 0xCC, sizeof buffer);
  size = sizeof buffer;
  ASSERT_EQ(reg().QueryValue(key, "Flag", &type, buffer, size), winerr::Success);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(buffer[2], 0xCC);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);
}

TEST_F(RegistryContract, KeyPathsMayNotStartWithABackslash) {
  const std::string base = b->ScratchKey();
  b->PutValue(base + "\\Inner", "V", regtype::Sz, Text("v"));
  RegKey key = 0;
  EXPECT_EQ(reg().OpenKey(regroot::CurrentUser, "\\" + base, regaccess::QueryValue, key),
            kBadPathname);
  EXPECT_EQ(reg().CreateKey(regroot::CurrentUser, "\\" + base + "\\New", regaccess::SetValue,
                            key),
            kBadPathname);
  // Trailing backslashes and doubled ones inside are read past.
  EXPECT_EQ(reg().CloseKey(Open(base + "\\Inner\\")), winerr::Success);
  EXPECT_EQ(reg().CloseKey(Open(base + "\\\\Inner")), winerr::Success);
  // The empty path opens the root itself.
  EXPECT_EQ(reg().CloseKey(Open("")), winerr::Success);
}

TEST_F(RegistryContract, SetStoresTypeAndBytesAsGivenAndReplaces) {
  const std::string base = b->ScratchKey();
  RegKey key = 0;
  ASSERT_EQ(reg().CreateKey(regroot::CurrentUser, base + "\\Set",
                            regaccess::SetValue | regaccess::CreateSubKey, key),
            winerr::Success);
  const Bytes text = Text("abc");  // REG_SZ: the length plus its terminator
  EXPECT_EQ(reg().SetValue(key, "", regtype::Sz, text.data(), 4), winerr::Success);
  const Bytes number{0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(reg().SetValue(key, "Value", regtype::Sz, text.data(), 4), winerr::Success);
  EXPECT_EQ(reg().SetValue(key, "VALUE", regtype::Dword, number.data(), 4), winerr::Success);
  EXPECT_EQ(reg().CloseKey(key), winerr::Success);

  std::uint32_t type = 0;
  Bytes read;
  ASSERT_EQ(Read(base + "\\Set", "", type, read), winerr::Success);
  EXPECT_EQ(type, regtype::Sz);
  EXPECT_EQ(read, text);
  ASSERT_EQ(Read(base + "\\Set", "value", type, read), winerr::Success);
  EXPECT_EQ(type, regtype::Dword);
  EXPECT_EQ(read, number);
}

TEST_F(RegistryContract, HandlesOnlyAllowWhatTheyWereOpenedFor) {
  const std::string base = b->ScratchKey();
  b->PutValue(base, "Text", regtype::Sz, Text("abc"));
  const std::uint8_t data[] = {'z', 0};

  const RegKey readOnly = Open(base, regaccess::QueryValue);
  EXPECT_EQ(reg().SetValue(readOnly, "Text", regtype::Sz, data, 2), winerr::AccessDenied);
  EXPECT_EQ(reg().CloseKey(readOnly), winerr::Success);

  RegKey writeOnly = 0;
  ASSERT_EQ(reg().CreateKey(regroot::CurrentUser, base,
                            regaccess::SetValue | regaccess::CreateSubKey, writeOnly),
            winerr::Success);
  std::uint8_t buffer[16];
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(reg().QueryValue(writeOnly, "Text", nullptr, buffer, size), winerr::AccessDenied);
  EXPECT_EQ(reg().CloseKey(writeOnly), winerr::Success);

  std::uint32_t type = 0;
  Bytes read;
  ASSERT_EQ(Read(base, "Text", type, read), winerr::Success);
  EXPECT_EQ(read, Text("abc"));
}

}  // namespace
}  // namespace rd::contract
