#pragma once
#include <optional>
#include <string_view>

#include "ports/ProcessInfo.h"

namespace rd::util {

// A number written by the user's locale: surrounding blanks, an optional sign, digits with
// the locale's thousands and decimal separators, an optional exponent. Nothing when the
// text is no such number (the empty text included).
std::optional<double> ParseNumber(std::string_view text, const NumberFormat& format);

inline bool IsNumeric(std::string_view text, const NumberFormat& format) {
  return ParseNumber(text, format).has_value();
}

}  // namespace rd::util
