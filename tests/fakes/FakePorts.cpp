#include "tests/fakes/FakePorts.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "util/Text.h"

namespace rd::fakes {

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A text wrapped in a matching pair of quotes (double or single) loses them.
std::string Unquoted(std::string text) {
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front()) {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

// What kernel32 reads back: the stored text without blanks around it, a default without
// trailing spaces; quotes around either are dropped.
std::string Effective(const std::optional<std::string>& found, const std::string& defaultText) {
  if (!found) {
    std::string text = defaultText;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return Unquoted(std::move(text));
  }
  std::size_t first = 0;
  std::size_t last = found->size();
  while (first < last && IsSpace((*found)[first])) ++first;
  while (last > first && IsSpace((*found)[last - 1])) --last;
  return Unquoted(found->substr(first, last - first));
}

}  // namespace

std::uint32_t FakeIni::GetString(const std::string& section, const std::string& entry,
                                 const std::string& defaultText, char* buffer,
                                 std::uint32_t capacity, const std::string& file) {
  if (capacity == 0) return 0;
  const std::string text = Effective(Get(file, section, entry), defaultText);
  const std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<std::uint32_t>(n);
}

std::uint32_t FakeIni::GetInt(const std::string& section, const std::string& entry,
                              std::int32_t defaultValue, const std::string& file) {
  // An empty entry reads as missing; the number is read as RtlUnicodeStringToInteger reads
  // it: blanks, a sign, an optional 0x/0o/0b base, then digits; anything else stops it.
  const std::string text = Effective(Get(file, section, entry), "");
  if (text.empty()) return static_cast<std::uint32_t>(defaultValue);
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::uint32_t base = 10;
  if (i + 1 < text.size() && text[i] == '0') {
    const char b = static_cast<char>(text[i + 1] | 0x20);
    if (b == 'x' || b == 'o' || b == 'b') {
      base = b == 'x' ? 16 : b == 'o' ? 8 : 2;
      i += 2;
    }
  }
  std::uint32_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    const auto digit = static_cast<std::uint32_t>(std::string_view("0123456789abcdef").find(c));
    if (digit >= base) break;
    value = value * base + digit;
  }
  return negative ? 0u - value : value;
}

bool FakeIni::WriteString(const std::string& section, const std::string& entry,
                          const std::string& text, const std::string& file) {
  files_[util::ToLower(file)][util::ToLower(section)][util::ToLower(entry)] = text;
  return true;
}

std::optional<std::string> FakeIni::Get(const std::string& file, const std::string& section,
                                        const std::string& entry) const {
  const auto f = files_.find(util::ToLower(file));
  if (f == files_.end()) return std::nullopt;
  const auto s = f->second.find(util::ToLower(section));
  if (s == f->second.end()) return std::nullopt;
  const auto e = s->second.find(util::ToLower(entry));
  if (e == s->second.end()) return std::nullopt;
  return e->second;
}

std::intptr_t FakeShell::Execute(WindowHandle owner, const char* operation, const std::string& file,
                                 const std::string& parameters, const std::string& directory,
                                 int show) {
  calls.push_back(Call{owner, operation != nullptr, file, parameters, directory, show});
  if (sharedLog) sharedLog->push_back("shell " + file + " |" + parameters + "| in " + directory);
  return result;
}

int FakeDialogs::ShowMessage(const std::string& text, const std::string& title, unsigned style) {
  messages.push_back(Message{text, title, style});
  if (sharedLog) sharedLog->push_back("message " + text);
  if (whileShown) whileShown(messages.back());
  if (answers.empty()) return (style & 0xF) == mb::YesNo ? answer::Yes : answer::OK;
  const int a = answers.front();
  answers.pop_front();
  return a;
}

OpenResult FakeDialogs::ShowOpen(const OpenRequest& request) {
  openRequests.push_back(request);
  if (sharedLog) sharedLog->push_back("dialog " + request.title);
  if (openResults.empty()) return OpenResult{OpenResult::Outcome::Cancelled, {}};
  OpenResult r = openResults.front();
  openResults.pop_front();
  return r;
}

void FakeTimer::TickAll() {
  const auto running = timers_;
  for (const auto& [id, tick] : running) {
    if (timers_.count(id)) tick();  // a copy: the tick may stop its own timer
  }
}

FakePlatform::FakePlatform() : ports{registry, ini, files, shell, dialogs, process, timer, {}} {
  registry.sharedLog = &log;
  files.sharedLog = &log;
  shell.sharedLog = &log;
  dialogs.sharedLog = &log;
  process.sharedLog = &log;
}

}  // namespace rd::fakes
