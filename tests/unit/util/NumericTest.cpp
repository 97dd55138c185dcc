#include <gtest/gtest.h>

#include "util/Numeric.h"

namespace rd::util {
namespace {

const NumberFormat kUs{};
const NumberFormat kGerman{",", "."};
const NumberFormat kFrench{",", "\xC2\xA0"};  // a no-break space groups the digits

TEST(ParseNumber, AcceptsSignsSeparatorsExponentsAndSurroundingBlanks) {
  EXPECT_EQ(ParseNumber("1", kUs), 1.0);
  EXPECT_EQ(ParseNumber("-12.5", kUs), -12.5);
  EXPECT_EQ(ParseNumber("+0.5", kUs), 0.5);
  EXPECT_EQ(ParseNumber(".5", kUs), 0.5);
  EXPECT_EQ(ParseNumber("5.", kUs), 5.0);
  EXPECT_EQ(ParseNumber(" \t7 \t", kUs), 7.0);
  EXPECT_EQ(ParseNumber("1,000", kUs), 1000.0);
  EXPECT_EQ(ParseNumber("1,234,567.25", kUs), 1234567.25);
  EXPECT_EQ(ParseNumber("1e3", kUs), 1000.0);
  EXPECT_EQ(ParseNumber("2.5E-1", kUs), 0.25);
  EXPECT_EQ(ParseNumber("-1e+2", kUs), -100.0);
  EXPECT_EQ(ParseNumber("007", kUs), 7.0);
}

TEST(ParseNumber, FollowsTheLocalesSeparators) {
  EXPECT_EQ(ParseNumber("1.000,5", kGerman), 1000.5);
  EXPECT_EQ(ParseNumber("0,25", kGerman), 0.25);
  EXPECT_EQ(ParseNumber("1\xC2\xA0"
                        "000,5",
                        kFrench),
            1000.5);
  EXPECT_EQ(ParseNumber("1.5", kGerman), 15.0);  // "." groups digits in German
  EXPECT_EQ(ParseNumber("1,5", kUs), 15.0);
}

TEST(ParseNumber, RefusesWhatIsNoNumber) {
  for (const char* text : {"",   " ",   "\t",     "+",     "-",     ".",   ",",   "+.",   "e3",
                           "1e", "1e+", "1.2.3",  "1 2",   "- 1",   "--1", "abc", "1a",   "0x10",
                           "1,", ",1",  "1,,000", "1.5,0", "1e3.5", "inf", "nan", "1e999"}) {
    EXPECT_EQ(ParseNumber(text, kUs), std::nullopt) << '"' << text << '"';
  }
  EXPECT_EQ(ParseNumber("1.000,5", kUs), std::nullopt);
  EXPECT_FALSE(IsNumeric("x", kUs));
  EXPECT_TRUE(IsNumeric("1.25", kUs));
}

TEST(ParseNumber, ThousandsSeparatorsBelongToTheIntegerPartOnly) {
  EXPECT_EQ(ParseNumber("0.1,5", kUs), std::nullopt);
  EXPECT_EQ(ParseNumber("0,1,5", kGerman), std::nullopt);
  EXPECT_EQ(ParseNumber("-1,000", kUs), -1000.0);
  EXPECT_EQ(ParseNumber("+,100", kUs), std::nullopt);
}

}  // namespace
}  // namespace rd::util
