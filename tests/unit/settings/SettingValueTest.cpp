#include <gtest/gtest.h>

#include <tuple>

#include "settings/SettingsStore.h"

namespace rd {
namespace {

const NumberFormat kUs{}, kDe{",", "."};
constexpr std::nullopt_t kNone = std::nullopt;

// The text form has fifteen digits and no grouping; "," only groups digits in the US. A
// number's own rounding and truth are tests/fuzz/fuzz_number's.
TEST(SettingValue, ConvertsToTextBooleanAndSixteenBitsAsTheUsersLocaleWritesNumbers) {
  // clang-format off
  const std::tuple<SettingValue, const char*, NumberFormat> texts[] = {
      {SettingValue(), "", kUs}, {true, "True", kUs}, {false, "False", kUs}, {-0.0, "0", kUs},
      {1234567.0, "1234567", kUs}, {-0.25, "-0.25", kUs}, {0.1 + 0.2, "0.3", kUs}, {2.5, "2,5", kDe}};
  const std::tuple<SettingValue, std::optional<bool>, NumberFormat> flags[] = {
      {SettingValue(), false, kUs}, {"TRUE", true, kUs}, {"fAlSe", false, kUs}, {" 2 ", true, kUs},
      {"0,0", false, kDe}, {"", kNone, kUs}, {"Yes", kNone, kUs}, {"Truth", kNone, kUs}};
  const std::tuple<SettingValue, std::optional<std::int16_t>, NumberFormat> numbers[] = {
      {"3,5", 4, kDe}, {SettingValue(), 0, kUs}, {true, -1, kUs}, {"1,000", 1000, kUs}, {"1e3", 1000, kUs},
      {"1.000", 1000, kDe}, {"2,5", 25, kUs}, {"40000", kNone, kUs}, {"True", kNone, kUs}, {"640x480", kNone, kUs},
      {"1,,000", kNone, kUs}, {"1.5,0", kNone, kUs}, {"0,1,5", kNone, kDe}, {"1e999", kNone, kUs}, {"0x10", kNone, kUs}};
  // clang-format on
  for (const auto& [value, text, format] : texts) EXPECT_EQ(value.TextForm(format), text);
  for (const auto& [value, flag, format] : flags)
    EXPECT_EQ(value.ToBoolean(format), flag) << value.TextForm();
  for (const auto& [value, n, format] : numbers)
    EXPECT_EQ(value.ToInt16(format), n) << value.TextForm();
  EXPECT_NE(SettingValue("7"), SettingValue(7));  // the kind it was given stays
}

}  // namespace
}  // namespace rd
