#pragma once
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/Ports.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeRegistry.h"

namespace rd::fakes {

// INI files kept in memory, with kernel32's private-profile semantics.
class FakeIni final : public IniFile {
 public:
  std::uint32_t GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultText, char* buffer, std::uint32_t capacity,
                          const std::string& file) override;
  std::uint32_t GetInt(const std::string& section, const std::string& entry,
                       std::int32_t defaultValue, const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& entry, const std::string& text,
                   const std::string& file) override;

  std::optional<std::string> Get(const std::string& file, const std::string& section,
                                 const std::string& entry) const;

 private:
  // lower file -> lower section -> lower entry -> text
  std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> files_;
};

class FakeShell final : public Shell {
 public:
  struct Call {
    WindowHandle owner;
    bool hasOperation;
    std::string file;
    std::string parameters;
    std::string directory;
    int show;
  };
  std::intptr_t Execute(WindowHandle owner, const char* operation, const std::string& file,
                        const std::string& parameters, const std::string& directory,
                        int show) override;
  void NotifyAssociationsChanged() override {
    ++associationNotices;
    if (sharedLog) sharedLog->push_back("shell associations changed");
  }

  std::vector<Call> calls;
  std::intptr_t result = 42;  // what Execute answers
  int associationNotices = 0;
  std::vector<std::string>* sharedLog = nullptr;
};

// Message boxes and open dialogs answered from scripts.
class FakeDialogs final : public Dialogs {
 public:
  struct Message {
    std::string text;
    std::string title;
    unsigned style;
  };
  int ShowMessage(const std::string& text, const std::string& title, unsigned style) override;
  OpenResult ShowOpen(const OpenRequest& request) override;

  std::vector<Message> messages;
  std::vector<OpenRequest> openRequests;
  // Answers in turn; without one a box answers its first button (OK, or Yes).
  std::deque<int> answers;
  std::deque<OpenResult> openResults;  // without one the dialog is cancelled
  // Runs inside each box, before it answers (the user acting while it is open).
  std::function<void(const Message&)> whileShown;
  std::vector<std::string>* sharedLog = nullptr;
};

class FakeProcess final : public ProcessInfo {
 public:
  std::string CommandLineText() override { return commandLine; }
  std::string ExeFolder() override { return exeFolder; }
  std::string ExeBaseName() override { return exeBaseName; }
  ProgramVersion Version() override { return version; }
  NumberFormat Numbers() override { return numbers; }
  std::string ErrorText(std::uint32_t code) override {
    return "System error " + std::to_string(code) + ".";
  }
  void Exit(int code) override {
    ++exitCount;
    exitCode = code;
    if (sharedLog) sharedLog->push_back("exit");
  }

  std::string commandLine;
  std::string exeFolder = "C:\\Program Files\\Replaydock";
  std::string exeBaseName = "Replaydock";
  ProgramVersion version{0, 6, 8};
  NumberFormat numbers;
  int exitCount = 0;
  int exitCode = -1;
  std::vector<std::string>* sharedLog = nullptr;
};

class FakeTimer final : public Timer {
 public:
  TimerId Start(unsigned intervalMs, std::function<void()> tick) override {
    lastInterval_ = intervalMs;
    timers_[next_] = std::move(tick);
    return next_++;
  }
  void Stop(TimerId id) override { timers_.erase(id); }

  // Delivers one tick to every running timer (a timer stopped meanwhile gets none).
  void TickAll();
  int Running() const { return static_cast<int>(timers_.size()); }
  unsigned LastInterval() const { return lastInterval_; }

 private:
  std::map<TimerId, std::function<void()>> timers_;
  TimerId next_ = 1;
  unsigned lastInterval_ = 0;
};

// All fakes wired into one Ports, sharing one log of the effects in order.
struct FakePlatform {
  FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  FakeRegistry registry;
  FakeIni ini;
  FakeFileSystem files;
  FakeShell shell;
  FakeDialogs dialogs;
  FakeProcess process;
  FakeTimer timer;
  std::vector<std::string> log;
  Ports ports;
};

}  // namespace rd::fakes
