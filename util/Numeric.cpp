#include "util/Numeric.h"

#include <charconv>
#include <string>

namespace rd::util {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool StartsWith(std::string_view text, std::size_t at, std::string_view part) {
  return !part.empty() && text.substr(at, part.size()) == part;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text, const NumberFormat& format) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  const std::string_view body = text.substr(first, last - first);

  // Rebuilt in the C form ("-1234.5e3") for from_chars, which knows no locale.
  std::string plain;
  std::size_t i = 0;
  if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
    if (body[i] == '-') plain += '-';
    ++i;
  }

  std::size_t digits = 0;
  while (i < body.size()) {
    if (IsDigit(body[i])) {
      plain += body[i++];
      ++digits;
    } else if (digits > 0 && !StartsWith(body, i, format.decimal) &&
               StartsWith(body, i, format.thousands) && i + format.thousands.size() < body.size() &&
               IsDigit(body[i + format.thousands.size()])) {
      // A thousands separator counts only between two digits of the integer part.
      i += format.thousands.size();
    } else {
      break;
    }
  }

  if (StartsWith(body, i, format.decimal)) {
    i += format.decimal.size();
    plain += '.';
    while (i < body.size() && IsDigit(body[i])) {
      plain += body[i++];
      ++digits;
    }
  }
  if (digits == 0) return std::nullopt;

  if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) plain += body[i++];
    std::size_t exponentDigits = 0;
    while (i < body.size() && IsDigit(body[i])) {
      plain += body[i++];
      ++exponentDigits;
    }
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != body.size()) return std::nullopt;

  double value = 0;
  const char* const begin = plain.data();
  const char* const end = begin + plain.size();
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

}  // namespace rd::util
