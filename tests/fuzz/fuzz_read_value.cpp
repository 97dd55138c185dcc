// ReadValue over whatever another program may have stored: any registry type, any size
// (none at all, no terminator, far larger than asked for), any type letter; then a write
// and a read of the same name.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "settings/SettingsStore.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace rd;

namespace {

const char* const kLetters[] = {"S", "s", "B", "b", "D", "d", "", "X", "SD"};
const std::string kKey(catalogue::SettingsKey);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto flags = in.ConsumeIntegral<std::uint8_t>();
  const auto type = in.ConsumeIntegral<std::uint32_t>();
  const std::string letter = kLetters[in.ConsumeIntegralInRange<std::size_t>(0, 8)];
  const std::string name = (flags & 1) ? std::string() : in.ConsumeRandomLengthString(16);
  std::vector<std::uint8_t> stored = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegral<std::uint16_t>());
  if (flags & 2) {
    // A huge value: the read must size its buffer from the answer, not from a guess.
    const std::size_t huge = std::size_t{1} << 20;
    std::vector<std::uint8_t> big(huge, stored.empty() ? 'A' : stored.front());
    stored.swap(big);
  }
  const std::string rest = in.ConsumeRemainingBytesAsString();

  fakes::FakePlatform fp;
  if (!(flags & 4)) fp.registry.Put(regroot::CurrentUser, kKey, name, type, stored);
  const SettingValue fallback("fallback");
  SettingValue result(12345);
  const std::int32_t status =
      SettingsStore::ReadValue(fp.ports, "HKCU", kKey, name, letter, fallback, result);
  RD_FUZZ_CHECK(fp.registry.OpenHandles() == 0);

  const std::string upper = util::ToUpper(letter);
  if (flags & 4) {
    RD_FUZZ_CHECK(status == 2 && result == fallback);
  } else if (upper == "S") {
    RD_FUZZ_CHECK(status == 0);
    if (stored.empty()) {
      RD_FUZZ_CHECK(result == fallback);
    } else {
      const std::string text(reinterpret_cast<const char*>(stored.data()), stored.size() - 1);
      RD_FUZZ_CHECK(result == SettingValue(text));
    }
  } else if (upper == "D" || upper == "B") {
    const std::size_t width = upper == "D" ? 4 : 2;
    if (stored.size() > width) {
      RD_FUZZ_CHECK(status == 234 && result == fallback);
    } else {
      RD_FUZZ_CHECK(status == 0);
      std::uint8_t bytes[4] = {0, 0, 0, 0};
      if (!stored.empty()) std::memcpy(bytes, stored.data(), stored.size());
      if (upper == "D") {
        const std::int32_t n = static_cast<std::int32_t>(
            bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t{bytes[3]} << 24));
        RD_FUZZ_CHECK(result == SettingValue(static_cast<double>(n)));
      } else {
        RD_FUZZ_CHECK(result == SettingValue((bytes[0] | bytes[1]) != 0));
      }
    }
  } else {
    RD_FUZZ_CHECK(status == 0 && result == fallback);
  }

  // Whatever was there, a text written now reads back unchanged.
  RD_FUZZ_CHECK(SettingsStore::WriteValue(fp.ports, "hkcu", kKey, name, "s", SettingValue(rest)) == 0);
  SettingValue again;
  RD_FUZZ_CHECK(SettingsStore::ReadValue(fp.ports, "HKCU", kKey, name, "S", fallback, again) == 0);
  RD_FUZZ_CHECK(again == SettingValue(rest));
  RD_FUZZ_CHECK(fp.registry.OpenHandles() == 0);
  return 0;
}
