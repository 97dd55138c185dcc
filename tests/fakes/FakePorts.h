#pragma once
#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <atomic>
#include <functional>
#include <memory>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/Ports.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeRegistry.h"
#include "util/Text.h"

namespace rd::fakes {

// INI files kept in memory: names without regard to case, texts cut to the buffer, numbers
// read from their leading digits.
class FakeIni final : public IniFile {
 public:
  std::uint32_t GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultText, char* buffer, std::uint32_t capacity,
                          const std::string& file) override {
    if (capacity == 0) return 0;
    const std::string text = Get(file, section, entry).value_or(defaultText);
    const std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<std::uint32_t>(n);
  }
  std::uint32_t GetInt(const std::string& section, const std::string& entry,
                       std::int32_t defaultValue, const std::string& file) override {
    const std::string text = Get(file, section, entry).value_or("");
    if (text.empty()) return static_cast<std::uint32_t>(defaultValue);  // empty counts as missing
    std::uint32_t value = 0;
    for (std::size_t i = text[0] == '-' || text[0] == '+';
         i < text.size() && std::isdigit(text[i] & 0xFF); ++i) {
      value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    }
    return text[0] == '-' ? 0u - value : value;
  }
  bool WriteString(const std::string& section, const std::string& entry, const std::string& text,
                   const std::string& file) override {
    entries_[util::ToLower(file + "|" + section + "|" + entry)] = text;
    return true;
  }

  std::optional<std::string> Get(const std::string& file, const std::string& section,
                                 const std::string& entry) const {
    const auto it = entries_.find(util::ToLower(file + "|" + section + "|" + entry));
    return it == entries_.end() ? std::nullopt : std::optional<std::string>(it->second);
  }

 private:
  std::map<std::string, std::string> entries_;  // lower "file|section|entry" -> text
};

class FakeShell final : public Shell {
 public:
  struct Call {
    WindowHandle owner;
    bool hasOperation;
    std::string file, parameters, directory;
    int show;
  };
  std::intptr_t Execute(WindowHandle owner, const char* operation, const std::string& file,
                        const std::string& parameters, const std::string& directory,
                        int show) override {
    calls.push_back(Call{owner, operation != nullptr, file, parameters, directory, show});
    if (sharedLog) sharedLog->push_back("shell " + file + " |" + parameters + "| in " + directory);
    return result;
  }
  void NotifyAssociationsChanged() override {
    if (sharedLog) sharedLog->push_back("shell associations changed");
  }

  std::vector<Call> calls;
  std::intptr_t result = 42;  // what Execute answers
  std::vector<std::string>* sharedLog = nullptr;
};

// Message boxes and open dialogs answered from scripts.
class FakeDialogs final : public Dialogs {
 public:
  struct Message {
    std::string text, title;
    unsigned style;
  };
  int ShowMessage(const std::string& text, const std::string& title, unsigned style) override {
    messages.push_back(Message{text, title, style});
    if (sharedLog) sharedLog->push_back("message " + text);
    if (whileShown) whileShown(messages.back());
    if (answers.empty()) return (style & 0xF) == mb::YesNo ? answer::Yes : answer::OK;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  OpenResult ShowOpen(const OpenRequest& request) override {
    if (sharedLog) sharedLog->push_back("dialog " + request.title);
    if (openResults.empty()) return OpenResult{OpenResult::Outcome::Cancelled, {}};
    const OpenResult r = openResults.front();
    openResults.pop_front();
    return r;
  }

  FolderResult ShowFolder(const std::string& title) override {
    if (sharedLog) sharedLog->push_back("folder dialog " + title);
    if (folderResults.empty()) return FolderResult{FolderResult::Outcome::Cancelled, {}};
    const FolderResult r = folderResults.front();
    folderResults.pop_front();
    return r;
  }

  std::vector<Message> messages;
  // Answers in turn; without one a box answers its first button (OK, or Yes).
  std::deque<int> answers;
  std::deque<OpenResult> openResults;  // without one the dialog is cancelled
  std::deque<FolderResult> folderResults;  // likewise
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
  // ASCII and the Latin-1 letters (é/É), enough to tell the platform's mapping from ASCII's.
  std::string ChangeCase(const std::string& utf8, bool upper) override {
    std::string out = upper ? util::ToUpper(utf8) : util::ToLower(utf8);
    for (std::size_t i = 0; i + 1 < out.size(); ++i) {  // U+00C0..U+00FE but × ÷ ß ÿ
      auto& c = reinterpret_cast<unsigned char&>(out[i + 1]);
      if (out[i] != '\xC3' || c == 0x97 || c == 0xB7) continue;
      if (upper && c >= 0xA0 && c <= 0xBE) c -= 0x20;
      if (!upper && c >= 0x80 && c <= 0x9E) c += 0x20;
    }
    return out;
  }
  std::string UserFolderPath(UserFolder which) override {
    const auto it = userFolders.find(which);
    return it == userFolders.end() ? std::string() : it->second;
  }
  bool ProcessAlive(std::uint32_t pid) override {
    return pid != 0 && std::find(alive.begin(), alive.end(), pid) != alive.end();
  }
  void Exit(int) override {
    ++exitCount;
    if (sharedLog) sharedLog->push_back("exit");
  }

  std::string commandLine;
  std::string exeFolder = "C:\\Program Files\\Replaydock";
  std::string exeBaseName = "Replaydock";
  ProgramVersion version{0, 6, 8};
  NumberFormat numbers;
  std::map<UserFolder, std::string> userFolders{
      {UserFolder::RoamingAppData, "C:\\Users\\Player\\AppData\\Roaming"},
      {UserFolder::LocalAppData, "C:\\Users\\Player\\AppData\\Local"},
      {UserFolder::Documents, "C:\\Users\\Player\\Documents"}};
  std::vector<std::uint32_t> alive{1234};  // the ids of running processes
  int exitCount = 0;
  std::vector<std::string>* sharedLog = nullptr;
};

class FakeTimer final : public Timer {
 public:
  TimerId Start(unsigned, std::function<void()> tick) override {
    timers_[next_] = std::move(tick);
    return next_++;
  }
  void Stop(TimerId id) override { timers_.erase(id); }

  // Delivers one tick to every running timer (a timer stopped meanwhile gets none).
  void TickAll() {
    const auto running = timers_;  // a copy: a tick may stop its own timer
    for (const auto& [id, tick] : running) {
      if (timers_.count(id)) tick();
    }
  }
  int Running() const { return static_cast<int>(timers_.size()); }

 private:
  std::map<TimerId, std::function<void()>> timers_;
  TimerId next_ = 1;
};

// Work off the window's thread, run only when the test says: Run does the work started so
// far (on the test's thread), Deliver runs the steps it handed back.
class FakeBackground final : public Background {
 public:
  class FakeJobs final : public Jobs {
   public:
    explicit FakeJobs(FakeBackground& owner) : owner_(owner) { owner_.jobs_.push_back(this); }
    ~FakeJobs() override {
      Stop();
      owner_.jobs_.erase(std::find(owner_.jobs_.begin(), owner_.jobs_.end(), this));
    }
    void Start(Work work) override { work_.push_back(std::move(work)); ++owner_.started; }
    void Stop() override {
      // Work that never ran sees the stop at its first look.
      std::atomic<bool> stop{true};
      const rd::Deliver drop = [](std::function<void()>) {};
      for (auto& work : std::exchange(work_, {})) work(drop, stop);
      steps_.clear();
    }

    std::vector<Work> work_;
    std::deque<std::function<void()>> steps_;

   private:
    FakeBackground& owner_;
  };

  std::unique_ptr<Jobs> NewJobs() override { return std::make_unique<FakeJobs>(*this); }

  // Does every work started so far; stopAfter: the stop flag rises after that many steps.
  void Run(int stopAfter = -1) {
    for (FakeJobs* jobs : std::vector<FakeJobs*>(jobs_)) {
      for (auto& work : std::exchange(jobs->work_, {})) {
        std::atomic<bool> stop{stopAfter == 0};
        int handed = 0;
        const rd::Deliver deliver = [&, jobs](std::function<void()> step) {
          jobs->steps_.push_back(std::move(step));
          if (stopAfter >= 0 && ++handed >= stopAfter) stop = true;
        };
        work(deliver, stop);
      }
    }
  }
  // Runs the steps handed back, as the window's thread would.
  void Deliver() {
    for (bool any = true; any;) {
      any = false;
      for (FakeJobs* jobs : std::vector<FakeJobs*>(jobs_)) {
        if (jobs->steps_.empty()) continue;
        auto step = std::move(jobs->steps_.front());
        jobs->steps_.pop_front();
        step();
        any = true;
        break;  // a step may have destroyed jobs
      }
    }
  }
  // Until no work nor step is left: steps may start more work.
  void Finish() {
    for (bool any = true; any;) {
      Run();
      Deliver();
      any = false;
      for (FakeJobs* jobs : jobs_) any = any || !jobs->work_.empty() || !jobs->steps_.empty();
    }
  }

  int started = 0;

 private:
  std::vector<FakeJobs*> jobs_;
};

// Watches that change when the test says so.
class FakeChangeNotices final : public ChangeNotices {
 public:
  struct Watched {
    std::string folder;
    bool subfolders;
    std::function<void()> changed;
  };
  class FakeWatch final : public Watch {
   public:
    FakeWatch(FakeChangeNotices& owner, int id) : owner_(owner), id_(id) {}
    ~FakeWatch() override { owner_.watches.erase(id_); }

   private:
    FakeChangeNotices& owner_;
    int id_;
  };

  std::unique_ptr<Watch> WatchFolder(const std::string& folder, bool subfolders,
                                     std::function<void()> changed) override {
    std::vector<FolderEntry> entries;
    if (files && files->ListFolder(folder, entries) != 0) return nullptr;  // as Windows refuses
    watches[++next_] = Watched{folder, subfolders, std::move(changed)};
    return std::make_unique<FakeWatch>(*this, next_);
  }

  // Something changed in this folder: every watch that sees it is told.
  void Changed(const std::string& folder) {
    const std::string lower = util::ToLower(folder);
    std::vector<std::function<void()>> told;
    for (const auto& [id, w] : watches) {
      const std::string watched = util::ToLower(w.folder);
      const bool below = lower.rfind(watched + "\\", 0) == 0;
      if (lower == watched || (w.subfolders && below)) told.push_back(w.changed);
    }
    for (auto& changed : told) changed();
  }
  std::vector<std::string> Folders() const {
    std::vector<std::string> folders;
    for (const auto& [id, w] : watches) folders.push_back(w.folder);
    return folders;
  }

  std::map<int, Watched> watches;
  FileSystem* files = nullptr;  // where folders must exist to be watched

 private:
  int next_ = 0;
};

// All fakes wired into one Ports, sharing one log of the effects in order.
struct FakePlatform {
  FakePlatform() {
    registry.sharedLog = files.sharedLog = shell.sharedLog = &log;
    dialogs.sharedLog = process.sharedLog = &log;
    notices.files = &files;
  }
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
  FakeBackground background;
  FakeChangeNotices notices;
  Ports ports{registry, ini, files, shell, dialogs, process, timer, background, notices, {}};
};

}  // namespace rd::fakes
