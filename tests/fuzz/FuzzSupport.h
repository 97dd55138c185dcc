#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "catalogue/GameCatalogue.h"
#include "tests/fakes/FakePorts.h"

// A broken promise is a crash, so that libFuzzer keeps the input that showed it.
#define RD_FUZZ_CHECK(c)                                                                    \
  ((c) ? void() : (std::fprintf(stderr, "promise broken at %s:%d: %s\n", __FILE__, __LINE__, #c), \
                   std::abort()))

namespace rd::fuzz {

// The fakes with a few real files and folders and a drive that is not ready, so that
// lookups find something now and then.
struct World {
  World() {
    for (const char* file : {"C:\\Demos\\match.dem", "C:\\Demos\\final.DM_66", "C:\\Demos\\duel.dm_57",
                             "C:\\Program Files\\Quake III Arena\\quake3.exe", "C:\\Sierra\\Half-Life\\hl.exe",
                             "C:\\Program Files\\Replaydock\\Replaydock.exe", "D:\\Long Folder Name\\Some Demo.dem"})
      fp.files.AddFile(file, "DATA");
    fp.files.AddFile("C:\\Demos\\hidden.dem", "x", {.hidden = true});
    for (const char* folder : {"C:\\Program Files\\Quake III Arena\\baseq3", "C:\\Sierra\\Half-Life\\cstrike"})
      fp.files.AddFolder(folder);
    fp.files.AddDrive('E', false);
  }
  fakes::FakePlatform fp;
};

}  // namespace rd::fuzz
