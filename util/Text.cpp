#include "util/Text.h"

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

namespace {

// The other case of a letter written with two bytes in UTF-8 (Latin, Greek, Cyrillic), or
// the character itself. Every pair keeps its UTF-8 length, so a name is rewritten in place.
char32_t CaseOf(char32_t c, bool upper) {
  const auto shift = [&](char32_t lowFirst, char32_t lowLast, char32_t distance) -> char32_t {
    if (upper && c >= lowFirst && c <= lowLast) return c - distance;
    if (!upper && c >= lowFirst - distance && c <= lowLast - distance) return c + distance;
    return 0;
  };
  // The multiplication and division signs; the gap where a capital final sigma would be.
  if (c == 0xD7 || c == 0xF7 || c == 0x3A2) return c;
  if (c == 0xFF && upper) return 0x178;
  if (c == 0x178 && !upper) return 0xFF;
  if (c == 0x3C2) return upper ? 0x3A3 : c;  // final sigma
  if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
    // Latin Extended-A pairs: capital first, except from Ĺ to ň and from Ź to ž.
    const bool capitalOdd = (c >= 0x139 && c <= 0x148) || c >= 0x179;
    const bool isCapital = ((c & 1) != 0) == capitalOdd;
    if (isCapital == upper) return c;
    return upper ? c - 1 : c + 1;
  }
  // Runs of small letters, each that far above its capitals.
  struct Run {
    char32_t lowFirst, lowLast, distance;
  };
  static constexpr Run kRuns[] = {{0xE0, 0xFE, 0x20},   {0x3B1, 0x3C9, 0x20}, {0x3AD, 0x3AF, 0x25},
                                  {0x3CD, 0x3CE, 0x3F}, {0x430, 0x44F, 0x20}, {0x450, 0x45F, 0x50}};
  for (const Run& run : kRuns) {
    if (const char32_t mapped = shift(run.lowFirst, run.lowLast, run.distance)) return mapped;
  }
  if (c == 0x3AC && upper) return 0x386;
  if (c == 0x386 && !upper) return 0x3AC;
  if (c == 0x3CC && upper) return 0x38C;
  if (c == 0x38C && !upper) return 0x3CC;
  return c;
}

}  // namespace

std::string ProperCase(std::string_view text) {
  std::string out(text);
  bool wordStart = true;
  for (std::size_t i = 0; i < out.size();) {
    const auto lead = static_cast<unsigned char>(out[i]);
    const auto next = i + 1 < out.size() ? static_cast<unsigned char>(out[i + 1]) : 0u;
    if (lead >= 0xC2 && lead <= 0xDF && (next & 0xC0) == 0x80) {
      // Two-byte characters hold every letter that has a case here.
      const char32_t mapped = CaseOf(((lead & 0x1Fu) << 6) | (next & 0x3Fu), wordStart);
      out[i] = static_cast<char>(0xC0 | (mapped >> 6));
      out[i + 1] = static_cast<char>(0x80 | (mapped & 0x3F));
      i += 2;
    } else {
      out[i] = wordStart ? Upper(out[i]) : Lower(out[i]);
      ++i;
    }
    wordStart = out[i - 1] == ' ';
  }
  return out;
}

}  // namespace rd::util
