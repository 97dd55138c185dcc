#include "tests/contract/Binding.h"
#include "tests/fakes/FakePorts.h"

namespace rd::contract {
namespace {

class FakeBinding final : public Binding {
 public:
  FakeBinding() {
    key = "Software\\Contract\\Run";
    folder = "C:\\Contract Scratch";
    RegKey handle = 0;
    fp_.registry.CreateKey(regroot::CurrentUser, key, regaccess::SetValue, handle);
    fp_.registry.CloseKey(handle);
    fp_.files.AddFolder(folder);
    // The running program's own file, an argument, and a shell that finds nothing to open.
    fp_.files.AddFile(fp_.process.exeFolder + "\\" + fp_.process.exeBaseName + ".exe", "MZ");
    fp_.process.commandLine = "\"C:\\Demos\\a demo.dem\"";
    fp_.shell.result = 2;
    for (const auto& [which, path] : fp_.process.userFolders) fp_.files.AddFolder(path);
  }
  Ports& ports() override { return fp_.ports; }
  void PutFile(const std::string& path, const std::string& content, EntryAttributes a) override {
    fp_.files.AddFile(path, content, a);
    fp_.notices.Changed(path.substr(0, path.rfind('\\')));
  }
  void PutFolder(const std::string& path, EntryAttributes a) override {
    fp_.files.AddFolder(path, a);
    fp_.notices.Changed(path.substr(0, path.rfind('\\')));
  }
  std::string MissingDrive() override { return "Q:"; }
  std::uint32_t OwnProcessId() override { return fp_.process.alive.front(); }
  bool PumpUntil(const std::function<bool()>& done) override {
    for (int i = 0; i < 1000 && !done(); ++i) {
      fp_.timer.TickAll();
      fp_.background.Finish();
    }
    return done();
  }

 private:
  fakes::FakePlatform fp_;
};

}  // namespace

std::unique_ptr<Binding> MakeBinding() {
  return std::make_unique<FakeBinding>();
}

}  // namespace rd::contract
