// SettingValue's conversions (text form, boolean, 16-bit integer) for every kind of value
// and arbitrary locale separators.
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <string>

#include "settings/SettingsStore.h"
#include "tests/fuzz/FuzzSupport.h"
#include "util/Numeric.h"

using namespace rd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  NumberFormat format;
  if (in.ConsumeBool()) {
    format.decimal = in.ConsumeRandomLengthString(3);
    format.thousands = in.ConsumeRandomLengthString(3);
  }
  SettingValue value;
  double number = 0;
  std::string original;
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: break;
    case 1:
      original = in.ConsumeRemainingBytesAsString();
      value = SettingValue(original);
      break;
    case 2: value = SettingValue(in.ConsumeBool()); break;
    default:
      number = in.ConsumeFloatingPoint<double>();
      if (in.ConsumeBool()) number = std::ldexp(number, in.ConsumeIntegralInRange(-1100, 1100));
      value = SettingValue(number);
      break;
  }

  const std::string text = value.TextForm(format);
  const auto flag = value.ToBoolean(format);
  const auto whole = value.ToInt16(format);

  switch (value.GetKind()) {
    case SettingValue::Kind::Empty:
      RD_FUZZ_CHECK(text.empty() && flag == false && whole == 0);
      break;
    case SettingValue::Kind::Boolean:
      RD_FUZZ_CHECK(text == (*flag ? "True" : "False"));
      RD_FUZZ_CHECK(whole == (*flag ? -1 : 0));
      // The text form reads back as the same boolean.
      RD_FUZZ_CHECK(SettingValue(text).ToBoolean(format) == flag);
      break;
    case SettingValue::Kind::Number:
      RD_FUZZ_CHECK(flag.has_value() && *flag == (number != 0));
      if (std::isfinite(number) && number > -32768.5 && number < 32767.5) {
        std::fesetround(FE_TONEAREST);
        RD_FUZZ_CHECK(whole.has_value() && *whole == static_cast<int>(std::nearbyint(number)));
      }
      if (!std::isfinite(number) || number >= 32767.5 || number <= -32768.5) {
        RD_FUZZ_CHECK(!whole.has_value());
      }
      break;
    case SettingValue::Kind::Text:
      RD_FUZZ_CHECK(text == original);
      if (!util::IsNumeric(text, format) && !util::EqualsNoCase(util::TrimSpaces(text), "true") &&
          !util::EqualsNoCase(util::TrimSpaces(text), "false")) {
        RD_FUZZ_CHECK(!whole.has_value());
      }
      if (whole) RD_FUZZ_CHECK(util::IsNumeric(text, format));
      break;
  }
  return 0;
}
