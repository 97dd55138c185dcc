#include <charconv>
#include <cmath>

#include "settings/SettingsStore.h"
#include "util/Numeric.h"
#include "util/Text.h"

namespace rd {
namespace {

std::string NumberText(double number, const NumberFormat& numbers) {
  if (number == 0) return "0";  // also for -0
  char buffer[64];
  std::to_chars_result done;
  if (std::trunc(number) == number && std::fabs(number) < 1e15) {
    done = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(number));
  } else {
    // Fifteen significant digits, so 0.1 + 0.2 reads as 0.3.
    done = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::general, 15);
  }
  if (done.ec != std::errc()) return {};
  std::string out;
  for (const char* p = buffer; p != done.ptr; ++p) {
    if (*p == '.') {
      out += numbers.decimal;
    } else {
      out += *p == 'e' ? 'E' : *p;
    }
  }
  return out;
}

double RoundHalfToEven(double x) {
  if (std::fabs(x - std::trunc(x)) == 0.5) return 2.0 * std::round(x / 2.0);
  return std::round(x);
}

std::optional<std::int16_t> Int16Of(double number) {
  if (std::isnan(number)) return std::nullopt;
  const double rounded = RoundHalfToEven(number);
  if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

}  // namespace

std::string SettingValue::TextForm(const NumberFormat& numbers) const {
  switch (GetKind()) {
    case Kind::Empty:
      return {};
    case Kind::Text:
      return std::get<std::string>(value_);
    case Kind::Boolean:
      return std::get<bool>(value_) ? "True" : "False";
    case Kind::Number:
      return NumberText(std::get<double>(value_), numbers);
  }
  return {};
}

std::optional<bool> SettingValue::ToBoolean(const NumberFormat& numbers) const {
  switch (GetKind()) {
    case Kind::Empty:
      return false;
    case Kind::Boolean:
      return std::get<bool>(value_);
    case Kind::Number:
      return std::get<double>(value_) != 0;
    case Kind::Text: {
      const std::string& text = std::get<std::string>(value_);
      const std::string word = util::TrimSpaces(text);
      if (util::EqualsNoCase(word, "True")) return true;
      if (util::EqualsNoCase(word, "False")) return false;
      if (const auto number = util::ParseNumber(text, numbers)) return *number != 0;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<std::int16_t> SettingValue::ToInt16(const NumberFormat& numbers) const {
  switch (GetKind()) {
    case Kind::Empty:
      return std::int16_t{0};
    case Kind::Boolean:
      return static_cast<std::int16_t>(std::get<bool>(value_) ? -1 : 0);
    case Kind::Number:
      return Int16Of(std::get<double>(value_));
    case Kind::Text: {
      const auto number = util::ParseNumber(std::get<std::string>(value_), numbers);
      if (!number) return std::nullopt;
      return Int16Of(*number);
    }
  }
  return std::nullopt;
}

std::optional<double> SettingValue::Number() const {
  if (GetKind() != Kind::Number) return std::nullopt;
  return std::get<double>(value_);
}

}  // namespace rd
