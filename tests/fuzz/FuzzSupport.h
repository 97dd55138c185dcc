#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "launcher/GameCatalogue.h"
#include "tests/fakes/FakePorts.h"

// A broken promise is a crash, so that libFuzzer keeps the input that showed it.
#define RD_FUZZ_CHECK(condition)                                                             \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "promise broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

namespace rd::fuzz {

// The fakes with a few real files and folders and a drive that is not ready, so that
// lookups find something now and then.
struct World {
  World() {
    for (const char* file :
         {"C:\\Demos\\match.dem", "C:\\Demos\\final.DM_66", "C:\\Demos\\duel.dm_57",
          "C:\\Program Files\\Quake III Arena\\quake3.exe", "C:\\Sierra\\Half-Life\\hl.exe",
          "C:\\Program Files\\Replaydock\\Replaydock.exe", "D:\\Long Folder Name\\Some Demo.dem"}) {
      fp.files.AddFile(file, "DATA");
    }
    fp.files.AddFile("C:\\Demos\\hidden.dem", "x", {.hidden = true});
    fp.files.AddFolder("C:\\Program Files\\Quake III Arena\\baseq3");
    fp.files.AddFolder("C:\\Sierra\\Half-Life\\cstrike");
    fp.files.AddDrive('E', false);
  }
  void Store(std::string_view name, const std::string& text) {
    fp.registry.PutText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                        std::string(name), text);
  }
  std::optional<std::string> Stored(std::string_view name) const {
    return fp.registry.GetText(regroot::CurrentUser, std::string(catalogue::SettingsKey),
                               std::string(name));
  }
  fakes::FakePlatform fp;
};

}  // namespace rd::fuzz
