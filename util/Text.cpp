#include "util/Text.h"

#include <algorithm>

namespace rd::util {
namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string ToLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

std::string ToUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Upper(c);
  return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(Lower(a[i]));
    const auto y = static_cast<unsigned char>(Lower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }

std::string_view Right(std::string_view text, std::size_t n) {
  return text.size() <= n ? text : text.substr(text.size() - n);
}

std::string TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string ProperCase(ProcessInfo& process, std::string_view text) {
  std::string out;
  for (std::size_t start = 0;; ++start) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    // The word's first character: its lead byte and the UTF-8 continuation bytes after it.
    std::size_t rest = start < end ? start + 1 : end;
    while (rest < end && (static_cast<unsigned char>(text[rest]) & 0xC0) == 0x80) ++rest;
    if (rest > start) out += process.ChangeCase(std::string(text.substr(start, rest - start)), true);
    if (end > rest) out += process.ChangeCase(std::string(text.substr(rest, end - rest)), false);
    if (end == text.size()) return out;
    out += ' ';
    start = end;
  }
}

}  // namespace rd::util
