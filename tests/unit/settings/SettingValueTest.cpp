#include <gtest/gtest.h>

#include <tuple>

#include "settings/SettingsStore.h"

namespace rd {
namespace {

const NumberFormat kUs{};
const NumberFormat kDe{",", "."};
constexpr std::nullopt_t kNone = std::nullopt;

TEST(SettingValue, TextFormHasFifteenDigitsAndNoGrouping) {
  // clang-format off
  const std::tuple<SettingValue, const char*, NumberFormat> cases[] = {
      {SettingValue(), "", kUs}, {"C:\\x y\\hl.exe", "C:\\x y\\hl.exe", kUs}, {true, "True", kUs},
      {false, "False", kUs}, {-1, "-1", kUs}, {-0.0, "0", kUs}, {1234567.0, "1234567", kUs},
      {-0.25, "-0.25", kUs}, {0.1 + 0.2, "0.3", kUs}, {2.5, "2,5", kDe}, {40000, "40000", kDe}};
  // clang-format on
  for (const auto& [value, text, numbers] : cases) EXPECT_EQ(value.TextForm(numbers), text);
}

TEST(SettingValue, ToBoolean) {
  // clang-format off
  const std::tuple<SettingValue, std::optional<bool>, NumberFormat> cases[] = {
      {SettingValue(), false, kUs}, {true, true, kUs}, {0, false, kUs}, {-3, true, kUs},
      {0.5, true, kUs}, {"TRUE", true, kUs}, {"fAlSe", false, kUs}, {"0", false, kUs},
      {" 2 ", true, kUs}, {"1,000", true, kUs}, {"0,0", false, kDe}, {"", kNone, kUs},
      {"Yes", kNone, kUs}, {"Truth", kNone, kUs}};
  // clang-format on
  for (const auto& [value, flag, numbers] : cases) {
    EXPECT_EQ(value.ToBoolean(numbers), flag) << value.TextForm();
  }
}

TEST(SettingValue, ToInt16RoundsHalvesToEvenWithinSixteenBits) {
  // "," only groups digits in the US; -32768.5 rounds to the even -32768, 32767.5 to 32768.
  // clang-format off
  const std::tuple<SettingValue, std::optional<std::int16_t>, NumberFormat> cases[] = {
      {2.5, 2, kUs}, {3.5, 4, kUs}, {-2.5, -2, kUs}, {2.5001, 3, kUs}, {"2.5", 2, kUs},
      {"3,5", 4, kDe}, {SettingValue(), 0, kUs}, {true, -1, kUs}, {false, 0, kUs},
      {"1,000", 1000, kUs}, {"1e3", 1000, kUs}, {" -480 ", -480, kUs}, {"1.000", 1000, kDe},
      {"2,5", 25, kUs}, {32767, 32767, kUs}, {-32768, -32768, kUs}, {-32768.5, -32768, kUs},
      {32767.5, kNone, kUs}, {-40000, kNone, kUs}, {"40000", kNone, kUs}, {1e300, kNone, kUs},
      {"", kNone, kUs}, {"True", kNone, kUs}, {"640x480", kNone, kUs}};
  // clang-format on
  for (const auto& [value, number, numbers] : cases) {
    EXPECT_EQ(value.ToInt16(numbers), number) << value.TextForm();
  }
}

TEST(SettingValue, KeepsTheKindItWasGiven) {
  EXPECT_TRUE(SettingValue().IsEmpty());
  EXPECT_EQ(SettingValue("x").GetKind(), SettingValue::Kind::Text);
  EXPECT_EQ(SettingValue(false).GetKind(), SettingValue::Kind::Boolean);
  EXPECT_EQ(SettingValue(7).Number(), 7.0);
  EXPECT_EQ(SettingValue("7").Number(), kNone);
  EXPECT_NE(SettingValue("7"), SettingValue(7));
}

}  // namespace
}  // namespace rd
