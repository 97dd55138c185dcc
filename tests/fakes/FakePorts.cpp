#include "tests/fakes/FakePorts.h"

#include <cstdlib>
#include <cstring>

#include "util/Text.h"

namespace rd::fakes {

std::uint32_t FakeIni::GetString(const std::string& section, const std::string& entry,
                                 const std::string& defaultText, char* buffer,
                                 std::uint32_t capacity, const std::string& file) {
  if (capacity == 0) return 0;
  const auto found = Get(file, section, entry);
  const std::string& text = found ? *found : defaultText;
  const std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<std::uint32_t>(n);
}

std::uint32_t FakeIni::GetInt(const std::string& section, const std::string& entry,
                              std::int32_t defaultValue, const std::string& file) {
  const auto found = Get(file, section, entry);
  if (!found) return static_cast<std::uint32_t>(defaultValue);
  // Leading blanks, an optional minus, then digits; anything else reads as 0.
  const char* p = found->c_str();
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  std::uint32_t value = 0;
  while (*p >= '0' && *p <= '9') value = value * 10 + static_cast<std::uint32_t>(*p++ - '0');
  return negative ? static_cast<std::uint32_t>(0u - value) : value;
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

std::intptr_t FakeShell::Execute(WindowHandle owner, const char* operation,
                                 const std::string& file, const std::string& parameters,
                                 const std::string& directory, int show) {
  calls.push_back(Call{owner, operation != nullptr, operation ? operation : "", file, parameters,
                       directory, show});
  if (sharedLog) sharedLog->push_back("shell " + file + " |" + parameters + "| in " + directory);
  return result;
}

void FakeShell::NotifyAssociationsChanged() {
  ++associationNotices;
  if (sharedLog) sharedLog->push_back("shell associations changed");
}

int FakeDialogs::ShowMessage(const std::string& text, const std::string& title, unsigned style) {
  messages.push_back(Message{text, title, style});
  if (sharedLog) sharedLog->push_back("message " + text);
  if (whileShown) whileShown(messages.back());
  if (!answers.empty()) {
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  return (style & 0xF) == mb::YesNo ? answer::Yes : answer::OK;
}

OpenResult FakeDialogs::ShowOpen(const OpenRequest& request) {
  openRequests.push_back(request);
  if (sharedLog) sharedLog->push_back("dialog " + request.title);
  if (openResults.empty()) return OpenResult{OpenResult::Outcome::Cancelled, {}};
  OpenResult r = openResults.front();
  openResults.pop_front();
  return r;
}

std::string FakeProcess::ErrorText(std::uint32_t code) {
  return "System error " + std::to_string(code) + ".";
}

void FakeProcess::Exit(int code) {
  ++exitCount;
  exitCode = code;
  if (sharedLog) sharedLog->push_back("exit");
}

TimerId FakeTimer::Start(unsigned intervalMs, std::function<void()> tick) {
  lastInterval_ = intervalMs;
  const TimerId id = next_++;
  timers_[id] = std::move(tick);
  return id;
}

void FakeTimer::Stop(TimerId id) { timers_.erase(id); }

void FakeTimer::TickAll() {
  std::vector<TimerId> ids;
  for (const auto& [id, tick] : timers_) ids.push_back(id);
  for (TimerId id : ids) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) continue;
    auto tick = it->second;  // the tick may stop its own timer
    tick();
  }
}

FakePlatform::FakePlatform()
    : ports{registry, ini, files, shell, dialogs, process, timer, {}} {
  registry.sharedLog = &log;
  files.sharedLog = &log;
  shell.sharedLog = &log;
  dialogs.sharedLog = &log;
  process.sharedLog = &log;
}

}  // namespace rd::fakes
