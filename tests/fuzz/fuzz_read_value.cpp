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
  const std::string letter = letters[in.ConsumeIntegralInRange<std::size_t>(0, 8)];
  const std::string name = (flags & 1) ? std::string() : in.ConsumeRandomLengthString(16);
  std::vector<std::uint8_t> stored =
      in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegral<std::uint16_t>());
  // A huge value: the read must size its buffer from the answer, not from a guess.
  if (flags & 2) stored.assign(std::size_t{1} << 20, stored.empty() ? 'A' : stored.front());
  const std::string rest = in.ConsumeRemainingBytesAsString(), key(catalogue::SettingsKey);

  fakes::FakePlatform fp;
  if (!(flags & 4)) fp.registry.Put(regroot::CurrentUser, key, name, type, stored);
  const SettingValue fallback("fallback");
  SettingValue result(12345);
  const std::int32_t status =
      SettingsStore::ReadValue(fp.ports, "HKCU", key, name, letter, fallback, result);
  RD_FUZZ_CHECK(fp.registry.OpenHandles() == 0);
  const std::string upper = util::ToUpper(letter);
  const std::size_t width = upper == "D" ? 4 : 2;
  if (flags & 4) {
    RD_FUZZ_CHECK(status == 2 && result == fallback);
  } else if (upper == "S") {
    // The last byte is taken to be the terminator.
    const std::string text(stored.begin(), stored.end() - (stored.empty() ? 0 : 1));
    RD_FUZZ_CHECK(status == 0 && result == (stored.empty() ? fallback : SettingValue(text)));
  } else if ((upper == "D" || upper == "B") && stored.size() > width) {
    RD_FUZZ_CHECK(status == 234 && result == fallback);
  } else if (upper == "D" || upper == "B") {
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    if (!stored.empty()) std::memcpy(bytes, stored.data(), stored.size());
    const auto n = static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                             std::uint32_t{bytes[3]} << 24);
    RD_FUZZ_CHECK(status == 0 &&
                  result ==
                      (upper == "D" ? SettingValue(n) : SettingValue((bytes[0] | bytes[1]) != 0)));
  } else {
    RD_FUZZ_CHECK(status == 0 && result == fallback);
  }
  // Whatever was there, a text written now reads back unchanged.
  RD_FUZZ_CHECK(SettingsStore::WriteValue(fp.ports, "hkcu", key, name, "s", SettingValue(rest)) ==
                0);
  SettingValue again;
  RD_FUZZ_CHECK(SettingsStore::ReadValue(fp.ports, "HKCU", key, name, "S", fallback, again) == 0);
  RD_FUZZ_CHECK(again == SettingValue(rest) && fp.registry.OpenHandles() == 0);
  return 0;
}
