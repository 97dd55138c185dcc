#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "launcher/GameCatalogue.h"
#include "forms/Host.h"
#include "tests/fakes/FakePorts.h"
#include "util/Numeric.h"
#include "util/Text.h"

// A broken promise is a crash, so that libFuzzer keeps the input that showed it.
#define RD_FUZZ_CHECK(condition)                                                        \
  do {                                                                                  \
    if (!(condition)) {                                                                 \
      std::fprintf(stderr, "promise broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                     \
    }                                                                                   \
  } while (0)

namespace rd::fuzz {

// The window host a presenter needs, without any window.
class NullHost final : public AppHost {
 public:
  explicit NullHost(fakes::FakePlatform& fp) : fp_(fp) {}
  void ShowMain() override { ++shown; }
  void HideMain() override { ++hidden; }
  void EndProgram() override {
    ++ended;
    fp_.process.Exit(0);
  }
  void ShowConfigModal() override { ++configs; }
  void CloseConfig() override {}
  void HandOver() override {}

  int shown = 0;
  int hidden = 0;
  int ended = 0;
  int configs = 0;

 private:
  fakes::FakePlatform& fp_;
};

inline void StoreSetting(fakes::FakePlatform& fp, std::string_view name, const std::string& text) {
  fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey), std::string(name),
                      text);
}

// A few real files and folders, a drive that is not ready and one with 8.3 names, so that
// lookups find something now and then.
inline void AddSomeFiles(fakes::FakeFileSystem& files) {
  files.AddFolder("C:\\Demos");
  files.AddFile("C:\\Demos\\match.dem", "HLDEMO");
  files.AddFile("C:\\Demos\\final.DM_66", "Q3DEMO");
  files.AddFile("C:\\Demos\\duel.dm_57", "RTCWDEMO");
  files.AddFile("C:\\Demos\\hidden.dem", "x", {.hidden = true});
  files.AddFolder("C:\\Program Files\\Quake III Arena", {}, "QUAKEI~1");
  files.AddFile("C:\\Program Files\\Quake III Arena\\quake3.exe", "MZ");
  files.AddFolder("C:\\Program Files\\Quake III Arena\\baseq3");
  files.AddFile("C:\\Sierra\\Half-Life\\hl.exe", "MZ");
  files.AddFolder("C:\\Sierra\\Half-Life\\cstrike");
  files.AddFile("C:\\Program Files\\Replaydock\\Replaydock.exe", "MZ");
  files.AddDrive('D');
  files.AddFile("D:\\Long Folder Name\\Some Demo.dem", "HLDEMO2", {}, "");
  files.AddDrive('E', false);
}

}  // namespace rd::fuzz
