#include <gtest/gtest.h>

#include "settings/modRegistry.h"

namespace rd {
namespace {

const NumberFormat kGerman{",", "."};

TEST(SettingValueText, EachKindHasItsTextForm) {
  EXPECT_EQ(SettingValue().TextForm(), "");
  EXPECT_EQ(SettingValue("C:\\x y\\hl.exe").TextForm(), "C:\\x y\\hl.exe");
  EXPECT_EQ(SettingValue(true).TextForm(), "True");
  EXPECT_EQ(SettingValue(false).TextForm(), "False");
  EXPECT_EQ(SettingValue(640).TextForm(), "640");
  EXPECT_EQ(SettingValue(-1).TextForm(), "-1");
  EXPECT_EQ(SettingValue(0.0).TextForm(), "0");
  EXPECT_EQ(SettingValue(-0.0).TextForm(), "0");
  EXPECT_EQ(SettingValue(1234567.0).TextForm(), "1234567");
}

TEST(SettingValueText, FractionsUseTheLocalesDecimalSeparatorAndFifteenDigits) {
  EXPECT_EQ(SettingValue(2.5).TextForm(), "2.5");
  EXPECT_EQ(SettingValue(-0.25).TextForm(), "-0.25");
  EXPECT_EQ(SettingValue(2.5).TextForm(kGerman), "2,5");
  EXPECT_EQ(SettingValue(0.1 + 0.2).TextForm(), "0.3");
  // Whole numbers keep no grouping, whatever the locale groups with.
  EXPECT_EQ(SettingValue(40000).TextForm(kGerman), "40000");
}

TEST(SettingValueBoolean, ConvertsBooleansNumbersAndTheirTexts) {
  EXPECT_EQ(SettingValue().ToBoolean(), false);
  EXPECT_EQ(SettingValue(true).ToBoolean(), true);
  EXPECT_EQ(SettingValue(0).ToBoolean(), false);
  EXPECT_EQ(SettingValue(-3).ToBoolean(), true);
  EXPECT_EQ(SettingValue(0.5).ToBoolean(), true);
  EXPECT_EQ(SettingValue("TRUE").ToBoolean(), true);
  EXPECT_EQ(SettingValue("fAlSe").ToBoolean(), false);
  EXPECT_EQ(SettingValue("0").ToBoolean(), false);
  EXPECT_EQ(SettingValue(" 2 ").ToBoolean(), true);
  EXPECT_EQ(SettingValue("1,000").ToBoolean(), true);
  EXPECT_EQ(SettingValue("0,0").ToBoolean(kGerman), false);
}

TEST(SettingValueBoolean, OtherTextCannotBeConverted) {
  EXPECT_EQ(SettingValue("").ToBoolean(), std::nullopt);
  EXPECT_EQ(SettingValue("Yes").ToBoolean(), std::nullopt);
  EXPECT_EQ(SettingValue("Truth").ToBoolean(), std::nullopt);
  EXPECT_EQ(SettingValue("-").ToBoolean(), std::nullopt);
}

TEST(SettingValueInt16, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(SettingValue(2.5).ToInt16(), 2);
  EXPECT_EQ(SettingValue(3.5).ToInt16(), 4);
  EXPECT_EQ(SettingValue(-2.5).ToInt16(), -2);
  EXPECT_EQ(SettingValue(-3.5).ToInt16(), -4);
  EXPECT_EQ(SettingValue(2.4999).ToInt16(), 2);
  EXPECT_EQ(SettingValue(2.5001).ToInt16(), 3);
  EXPECT_EQ(SettingValue(-0.4).ToInt16(), 0);
  EXPECT_EQ(SettingValue("2.5").ToInt16(), 2);
  EXPECT_EQ(SettingValue("3,5").ToInt16(kGerman), 4);
}

TEST(SettingValueInt16, ConvertsEmptyBooleansAndNumericText) {
  EXPECT_EQ(SettingValue().ToInt16(), 0);
  EXPECT_EQ(SettingValue(true).ToInt16(), -1);
  EXPECT_EQ(SettingValue(false).ToInt16(), 0);
  EXPECT_EQ(SettingValue(640).ToInt16(), 640);
  EXPECT_EQ(SettingValue("1,000").ToInt16(), 1000);
  EXPECT_EQ(SettingValue("1e3").ToInt16(), 1000);
  EXPECT_EQ(SettingValue(" -480 ").ToInt16(), -480);
  EXPECT_EQ(SettingValue("1.000").ToInt16(kGerman), 1000);
  EXPECT_EQ(SettingValue("2,5").ToInt16(), 25);  // "," only groups digits here
}

TEST(SettingValueInt16, TheRangeIsThatOfASixteenBitInteger) {
  EXPECT_EQ(SettingValue(32767).ToInt16(), 32767);
  EXPECT_EQ(SettingValue(-32768).ToInt16(), -32768);
  EXPECT_EQ(SettingValue(32767.5).ToInt16(), std::nullopt);  // rounds to 32768
  EXPECT_EQ(SettingValue(-32768.5).ToInt16(), -32768);       // rounds to the even -32768
  EXPECT_EQ(SettingValue(32768).ToInt16(), std::nullopt);
  EXPECT_EQ(SettingValue(40000).ToInt16(), std::nullopt);
  EXPECT_EQ(SettingValue(-40000).ToInt16(), std::nullopt);
  EXPECT_EQ(SettingValue("40000").ToInt16(), std::nullopt);
  EXPECT_EQ(SettingValue(1e300).ToInt16(), std::nullopt);
}

TEST(SettingValueInt16, TextThatIsNotNumericCannotBeConverted) {
  EXPECT_EQ(SettingValue("").ToInt16(), std::nullopt);
  EXPECT_EQ(SettingValue("True").ToInt16(), std::nullopt);
  EXPECT_EQ(SettingValue("640x480").ToInt16(), std::nullopt);
  EXPECT_EQ(SettingValue("2.5.0").ToInt16(), std::nullopt);
}

TEST(SettingValueKind, KeepsWhatItWasGiven) {
  EXPECT_TRUE(SettingValue().IsEmpty());
  EXPECT_EQ(SettingValue("x").GetKind(), SettingValue::Kind::Text);
  EXPECT_EQ(SettingValue(false).GetKind(), SettingValue::Kind::Boolean);
  EXPECT_EQ(SettingValue(7).Number(), 7.0);
  EXPECT_EQ(SettingValue("7").Number(), std::nullopt);
  EXPECT_NE(SettingValue("7"), SettingValue(7));
}

}  // namespace
}  // namespace rd
