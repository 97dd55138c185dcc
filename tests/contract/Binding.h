#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "ports/Ports.h"
#include "tests/fakes/FakeFileSystem.h"

namespace rd::contract {

using EntryAttributes = fakes::FileAttributes;

// What the suites test and the means to arrange files for them, in a registry key and a
// folder of each test's own. One binding works on the fakes, one on Windows itself.
class Binding {
 public:
  virtual ~Binding() = default;
  virtual Ports& ports() = 0;
  std::string key;     // below HKEY_CURRENT_USER: exists, empty
  std::string folder;  // full path without a trailing backslash: exists, empty
  virtual void PutFile(const std::string& path, const std::string& content,
                       EntryAttributes attributes = {}) = 0;
  virtual void PutFolder(const std::string& path, EntryAttributes attributes = {}) = 0;
  virtual std::string MissingDrive() = 0;
  virtual std::uint32_t OwnProcessId() = 0;  // "X:" for a drive letter that does not exist
  // Runs the thread's message loop (or delivers fake ticks) until done() holds or the
  // loop has had a generous number of chances; answers done().
  virtual bool PumpUntil(const std::function<bool()>& done) = 0;
};

std::unique_ptr<Binding> MakeBinding();  // defined by each binding

class ContractTest : public ::testing::Test {
 protected:
  std::unique_ptr<Binding> b = MakeBinding();
};

}  // namespace rd::contract
