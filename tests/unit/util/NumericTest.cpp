#include <gtest/gtest.h>

#include <tuple>

#include "util/Numeric.h"

namespace rd::util {
namespace {

const NumberFormat kUs{};
const NumberFormat kDe{",", "."};
const NumberFormat kFr{",", "\xC2\xA0"};  // a no-break space groups the digits

TEST(ParseNumber, ReadsNumbersAsTheLocaleWritesThem) {
  // A separator of the other locale is no decimal point: "1,5" is 15 in the US.
  // clang-format off
  const std::tuple<const char*, double, NumberFormat> cases[] = {
      {"1", 1, kUs}, {"-12.5", -12.5, kUs}, {"+0.5", 0.5, kUs}, {".5", 0.5, kUs}, {"5.", 5, kUs},
      {" \t7 \t", 7, kUs}, {"007", 7, kUs}, {"1,000", 1000, kUs}, {"-1,000", -1000, kUs},
      {"1,234,567.25", 1234567.25, kUs}, {"1e3", 1000, kUs}, {"2.5E-1", 0.25, kUs},
      {"-1e+2", -100, kUs}, {"1,5", 15, kUs}, {"1.000,5", 1000.5, kDe}, {"0,25", 0.25, kDe},
      {"1.5", 15, kDe}, {"1\xC2\xA0" "000,5", 1000.5, kFr}};
  // clang-format on
  for (const auto& [text, value, format] : cases) {
    EXPECT_EQ(ParseNumber(text, format), value) << '"' << text << '"';
    EXPECT_TRUE(IsNumeric(text, format)) << '"' << text << '"';
  }
}

TEST(ParseNumber, RefusesWhatIsNoNumber) {
  for (const char* text :
       {"",       " ",     "\t",    "+",   "-",   ".",     ",",       "+.",    "e3",   "1e",
        "1e+",    "1.2.3", "1 2",   "- 1", "--1", "abc",   "1a",      "0x10",  "1,",   ",1",
        "1,,000", "1.5,0", "1e3.5", "inf", "nan", "1e999", "1.000,5", "0.1,5", "+,100"}) {
    EXPECT_EQ(ParseNumber(text, kUs), std::nullopt) << '"' << text << '"';
    EXPECT_FALSE(IsNumeric(text, kUs)) << '"' << text << '"';
  }
  EXPECT_EQ(ParseNumber("0,1,5", kDe), std::nullopt);  // grouping after the decimal
}

}  // namespace
}  // namespace rd::util
