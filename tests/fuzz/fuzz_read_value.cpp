// ReadValue over whatever another program may have stored: any registry type, any size
// (none at all, no terminator, far larger than asked for), any type letter; then a write
// and a read of the same name.

#include "settings/SettingsStore.h"
#include "tests/fuzz/FuzzSupport.h"
#include "util/Text.h"

using namespace rd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const char* const letters[] = {"S", "s", "B", "b", "D", "d", "", "X", "SD"};
  const auto flags = in.ConsumeIntegral<std::uint8_t>();
  const auto type = in.ConsumeIntegral<std::uint32_t>();
  const std::string letter = letters[in.ConsumeIntegralInRange<std::size_t>(0, 8)], upper = util::ToUpper(letter);
  const std::string name = (flags & 1) ? std::string() : in.ConsumeRandomLengthString(16);
  std::vector<std::uint8_t> stored = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegral<std::uint16_t>());
  // A huge value: the read must size its buffer from the answer, not from a guess.
  if (flags & 2) stored.assign(std::size_t{1} << 20, stored.empty() ? 'A' : stored.front());
  const std::string rest = in.ConsumeRemainingBytesAsString(), key(catalogue::SettingsKey);

  fakes::FakePlatform fp;
  if (!(flags & 4)) fp.registry.Put(regroot::CurrentUser, key, name, type, stored);
  const SettingValue fallback("fallback");
  SettingValue result(12345), expected = fallback;
  const std::int32_t status = SettingsStore::ReadValue(fp.ports, "HKCU", key, name, letter, fallback, result);
  const bool number = upper == "D" || upper == "B";
  const std::int32_t code = (flags & 4) ? 2 : (number && stored.size() > (upper == "D" ? 4u : 2u)) ? 234 : 0;
  if (code == 0 && upper == "S" && !stored.empty()) {
    expected = std::string(stored.begin(), stored.end() - 1);  // the last byte is taken to be the terminator
  } else if (code == 0 && number) {
    std::uint8_t b[4] = {0, 0, 0, 0};
    if (!stored.empty()) std::memcpy(b, stored.data(), stored.size());
    const auto n = static_cast<std::int32_t>(b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t{b[3]} << 24);
    expected = upper == "D" ? SettingValue(n) : SettingValue((b[0] | b[1]) != 0);
  }
  RD_FUZZ_CHECK(status == code && result == expected && fp.registry.OpenHandles() == 0);
  // Whatever was there, a text written now reads back unchanged.
  SettingValue again;
  RD_FUZZ_CHECK(SettingsStore::WriteValue(fp.ports, "hkcu", key, name, "s", SettingValue(rest)) == 0 &&
                SettingsStore::ReadValue(fp.ports, "HKCU", key, name, "S", fallback, again) == 0);
  RD_FUZZ_CHECK(again == SettingValue(rest) && fp.registry.OpenHandles() == 0);
  return 0;
}
