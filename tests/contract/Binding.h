#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/Ports.h"
#include "tests/fakes/FakeFileSystem.h"

namespace rd::contract {

using EntryAttributes = fakes::FileAttributes;

// What the suites test, and the means to arrange state for them, each with its own
// scratch folder and registry key. One binding works on the fakes, one on Windows itself.
class Binding {
 public:
  virtual ~Binding() = default;

  virtual Ports& ports() = 0;

  // A key below HKEY_CURRENT_USER, relative to it, that exists and is empty.
  virtual std::string ScratchKey() = 0;
  // Stores a value as raw bytes, creating its key, without going through the registry port.
  virtual void PutValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                        const std::vector<std::uint8_t>& data) = 0;

  // A folder, full path without a trailing backslash, that exists and is empty.
  virtual std::string ScratchFolder() = 0;
  virtual void PutFile(const std::string& path, const std::string& content,
                       EntryAttributes attributes = {}) = 0;
  virtual void PutFolder(const std::string& path, EntryAttributes attributes = {}) = 0;
  // Creates a file or folder whose name is not 8.3 and answers the short name the file
  // system gave it (the last component only).
  virtual std::string PutWithShortName(const std::string& path, bool folder) = 0;
  virtual std::optional<std::string> Content(const std::string& path) = 0;
  // "X:" for a drive letter that does not exist.
  virtual std::string MissingDrive() = 0;

  // Whether writing over a read-only file is refused here (not so for root under Wine).
  virtual bool ReadOnlyIsProtected() = 0;

  // Where the running program's own file is, so the process facts can be checked.
  virtual void ArrangeOwnExecutable() = 0;
  // Makes a shell call of a missing file fail the way the shell fails it.
  virtual void ArrangeShellMiss() = 0;
  // Runs the thread's message loop (or delivers fake ticks) until done() holds or the
  // loop has had a generous number of chances; answers done().
  virtual bool PumpUntil(const std::function<bool()>& done) = 0;
};

// Defined by each binding.
std::unique_ptr<Binding> MakeBinding();

// Every test gets a fresh binding: its own scratch key and folder, removed afterwards.
class ContractTest : public ::testing::Test {
 protected:
  std::unique_ptr<Binding> b = MakeBinding();
};

}  // namespace rd::contract
