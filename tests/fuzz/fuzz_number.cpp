// Numbers as the user's locale writes them, under arbitrary separators: a text and a number,
// each through the reading and the conversions of the settings.
#include <cfenv>
#include <cmath>

#include "settings/SettingsStore.h"
#include "tests/fuzz/FuzzSupport.h"
#include "util/Numeric.h"

using namespace rd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  NumberFormat format;
  if (in.ConsumeBool()) format = {in.ConsumeRandomLengthString(3), in.ConsumeRandomLengthString(3)};
  double number = in.ConsumeFloatingPoint<double>();
  if (in.ConsumeBool()) number = std::ldexp(number, in.ConsumeIntegralInRange(-1100, 1100));
  const std::string text = in.ConsumeRemainingBytesAsString();

  // Surrounding blanks never change the answer; a text that is no number is no 16-bit one.
  const auto parsed = util::ParseNumber(text, format);
  RD_FUZZ_CHECK(!(parsed && std::isnan(*parsed)) && (!SettingValue(text).ToInt16(format) || parsed));
  if (!text.empty()) RD_FUZZ_CHECK(util::IsNumeric(" " + text + "\t", format) == parsed.has_value());
  // A number rounds half to even within 16 bits (-32768.5 fits, 32767.5 does not), and is
  // true when it is not 0.
  const SettingValue value(number);
  std::fesetround(FE_TONEAREST);
  const bool fits = std::isfinite(number) && number >= -32768.5 && number < 32767.5;
  RD_FUZZ_CHECK(value.ToInt16(format) == (fits ? std::optional<std::int16_t>(std::nearbyint(number)) : std::nullopt) &&
                value.ToBoolean(format) == (number != 0));
  return 0;
}
