#include <cctype>

#include "tests/contract/Binding.h"
#include "tests/fakes/FakePorts.h"
#include "util/Text.h"

namespace rd::contract {
namespace {

// A deterministic 8.3 name in the form Windows generates: NAME~1.EXT.
std::string ShortFor(const std::string& leaf) {
  const auto dot = leaf.find_last_of('.');
  std::string name;
  for (char c : leaf.substr(0, dot)) {
    if (std::isalnum(static_cast<unsigned char>(c)) && name.size() < 6) name += c;
  }
  return util::ToUpper(name + "~1" + (dot == std::string::npos ? "" : leaf.substr(dot, 4)));
}

class FakeBinding final : public Binding {
 public:
  Ports& ports() override { return platform_.ports; }

  std::string ScratchKey() override {
    RegKey handle = 0;
    platform_.registry.CreateKey(regroot::CurrentUser, kKey, regaccess::SetValue, handle);
    platform_.registry.CloseKey(handle);
    return kKey;
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
    platform_.files.AddFile(path, content, attributes);
  }
  void PutFolder(const std::string& path, EntryAttributes attributes) override {
    platform_.files.AddFolder(path, attributes);
  }
  std::string PutWithShortName(const std::string& path, bool folder) override {
    const std::string shortName = ShortFor(path.substr(path.find_last_of('\\') + 1));
    folder ? platform_.files.AddFolder(path, {}, shortName)
           : platform_.files.AddFile(path, "", {}, shortName);
    return shortName;
  }
  std::optional<std::string> Content(const std::string& path) override {
    return platform_.files.Content(path);
  }
  std::string MissingDrive() override { return "Q:"; }

  bool ReadOnlyIsProtected() override { return true; }

  void ArrangeOwnExecutable() override {
    platform_.process.commandLine = "\"C:\\Demos\\a demo.dem\"";
    const auto& p = platform_.process;
    platform_.files.AddFile(p.exeFolder + "\\" + p.exeBaseName + ".exe", "MZ");
  }
  void ArrangeShellMiss() override { platform_.shell.result = 2; }  // SE_ERR_FNF

  bool PumpUntil(const std::function<bool()>& done) override {
    for (int i = 0; i < 1000 && !done(); ++i) platform_.timer.TickAll();
    return done();
  }

 private:
  static constexpr const char* kKey = "Software\\Contract\\Run";
  static constexpr const char* kFolder = "C:\\Contract Scratch";
  fakes::FakePlatform platform_;
};

}  // namespace

std::unique_ptr<Binding> MakeBinding() { return std::make_unique<FakeBinding>(); }

}  // namespace rd::contract
