#include <cctype>

#include "tests/contract/Binding.h"
#include "tests/fakes/FakePorts.h"

namespace rd::contract {
namespace {

// A deterministic 8.3 name in the form Windows generates: NAME~1.EXT.
std::string ShortFor(const std::string& leaf) {
  const auto dot = leaf.find_last_of('.');
  auto squeeze = [](const std::string& part, std::size_t limit) {
    std::string out;
    for (char c : part) {
      if (std::isalnum(static_cast<unsigned char>(c)) && out.size() < limit) {
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      }
    }
    return out;
  };
  std::string name = squeeze(leaf.substr(0, dot), 6) + "~1";
  if (dot != std::string::npos) name += "." + squeeze(leaf.substr(dot + 1), 3);
  return name;
}

fakes::FileAttributes Convert(EntryAttributes a) { return {a.hidden, a.system, a.readOnly}; }

class FakeBinding final : public Binding {
 public:
  Registry& registry() override { return platform_.registry; }
  IniFile& ini() override { return platform_.ini; }
  FileSystem& files() override { return platform_.files; }
  Shell& shell() override { return platform_.shell; }
  ProcessInfo& process() override { return platform_.process; }
  Timer& timer() override { return platform_.timer; }

  std::string ScratchKey() override {
    const std::string key = "Software\\Contract\\Run";
    RegKey handle = 0;
    platform_.registry.CreateKey(regroot::CurrentUser, key, regaccess::SetValue, handle);
    platform_.registry.CloseKey(handle);
    return key;
  }
  void PutValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) override {
    platform_.registry.Put(regroot::CurrentUser, keyPath, name, type, data);
  }

  std::string ScratchFolder() override {
    platform_.files.AddFolder(kFolder);
    return kFolder;
  }
  void PutFile(const std::string& path, const std::string& content,
               EntryAttributes attributes) override {
    platform_.files.AddFile(path, content, Convert(attributes));
  }
  void PutFolder(const std::string& path, EntryAttributes attributes) override {
    platform_.files.AddFolder(path, Convert(attributes));
  }
  std::string PutWithShortName(const std::string& path, bool folder) override {
    const std::string shortName = ShortFor(path.substr(path.find_last_of('\\') + 1));
    if (folder) {
      platform_.files.AddFolder(path, {}, shortName);
    } else {
      platform_.files.AddFile(path, "", {}, shortName);
    }
    return shortName;
  }
  std::optional<std::string> Content(const std::string& path) override {
    return platform_.files.Content(path);
  }
  std::string MissingDrive() override { return "Q:"; }

  bool ReadOnlyIsProtected() override { return true; }

  void ArrangeOwnExecutable() override {
    platform_.process.exeFolder = "C:\\Program Files\\Replaydock";
    platform_.process.exeBaseName = "Replaydock";
    platform_.process.commandLine = "\"C:\\Demos\\a demo.dem\"";
    platform_.files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe", "MZ");
  }
  void ArrangeShellMiss() override { platform_.shell.result = 2; }  // SE_ERR_FNF

  bool PumpUntil(const std::function<bool()>& done) override {
    for (int i = 0; i < 1000 && !done(); ++i) platform_.timer.TickAll();
    return done();
  }

 private:
  static constexpr const char* kFolder = "C:\\Contract Scratch";
  fakes::FakePlatform platform_;
};

}  // namespace

std::unique_ptr<Binding> MakeBinding() { return std::make_unique<FakeBinding>(); }

}  // namespace rd::contract
