#include <gtest/gtest.h>

#include <tuple>

#include "util/Numeric.h"

namespace rd::util {
namespace {

// A separator of the other locale is no decimal point: "1,5" is 15 in the US.
TEST(ParseNumber, ReadsNumbersAsTheLocaleWritesThemAndRefusesAnythingElse) {
  const NumberFormat us{}, de{",", "."}, fr{",", "\xC2\xA0"};  // a no-break space groups
  // clang-format off
  const std::tuple<const char*, double, NumberFormat> numbers[] = {
      {"-12.5", -12.5, us}, {"+.5", 0.5, us}, {"5.", 5, us}, {" \t7 \t", 7, us}, {"-1,000", -1000, us},
      {"1,234,567.25", 1234567.25, us}, {"2.5E-1", 0.25, us}, {"-1e+2", -100, us}, {"1,5", 15, us},
      {"1.000,5", 1000.5, de}, {"1.5", 15, de}, {"1\xC2\xA0" "000,5", 1000.5, fr}};
  // clang-format on
  for (const auto& [text, value, format] : numbers)
    EXPECT_EQ(ParseNumber(text, format), value) << text;
  for (const char* text :
       {"",   " ",    "+",  ".",  ",",      "e3",    "1e",    "1.2.3", "1 2", "- 1",  "--1",
        "1a", "0x10", "1,", ",1", "1,,000", "1.5,0", "1e3.5", "inf",   "nan", "1e999"}) {
    EXPECT_FALSE(IsNumeric(text, us)) << '"' << text << '"';
  }
  EXPECT_FALSE(IsNumeric("0,1,5", de));  // grouping after the decimal
}

}  // namespace
}  // namespace rd::util
