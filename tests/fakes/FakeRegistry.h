#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/Registry.h"

namespace rd::fakes {

// An in-memory registry with Win32's semantics: case-insensitive key and value names,
// access rights checked per handle, sizes and ERROR_MORE_DATA as advapi32 answers them.
class FakeRegistry final : public Registry {
 public:
  enum class Op { Open, Create, Query, Set, Close, Enum };

  std::int32_t OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                       RegKey& key) override {
    return Open(Op::Open, root, path, access, key);
  }
  std::int32_t CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                         RegKey& key) override {
    return Open(Op::Create, root, path, access, key);
  }
  std::int32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t& size) override;
  std::int32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override;
  std::int32_t CloseKey(RegKey key) override;
  std::int32_t EnumKey(RegKey key, std::uint32_t index, std::string& name) override;

  // --- for tests ---
  struct Value {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  // Makes the n-th next call of op (0: the very next) answer code and do nothing.
  void FailNext(Op op, std::int32_t code, int skip = 0) {
    failures_.push_back({op, code, skip, {}});
  }
  // Every call of op whose full key path (root name + "\" + path, e.g. "HKCR\.dem")
  // starts with prefix (letter case ignored) answers code.
  void FailUnder(Op op, const std::string& prefix, std::int32_t code) {
    failures_.push_back({op, code, 0, prefix});
  }

  bool KeyExists(RegKey root, const std::string& path) const;
  std::optional<Value> Get(RegKey root, const std::string& path, const std::string& name) const;
  std::optional<std::string> GetText(RegKey root, const std::string& path,
                                     const std::string& name) const;  // REG_SZ without its zero
  void Put(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
           std::vector<std::uint8_t> data);
  void PutText(RegKey root, const std::string& path, const std::string& name,
               const std::string& text);  // REG_SZ with its zero
  // Every key below root, as "path" (original spelling), sorted.
  std::vector<std::string> Keys(RegKey root) const;
  int OpenHandles() const { return static_cast<int>(handles_.size()); }
  // The access rights asked for by the latest open or create.
  std::uint32_t LastAccess() const { return lastAccess_; }
  // One line per call: "create HKCR\.dem", "set HKCR\.dem\\(default)", "query ...", ...
  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  std::vector<std::string>* sharedLog = nullptr;  // also appends registry writes here

 private:
  struct Node {
    std::string path;                     // as first spelt
    std::map<std::string, Value> values;  // by lower name
  };
  struct Handle {
    RegKey root;
    std::string lowerPath;
    std::uint32_t access;
  };
  struct Failure {
    Op op;
    std::int32_t code;
    int skip;
    std::string prefix;  // empty: a FailNext
  };

  std::optional<std::int32_t> Injected(Op op, const std::string& fullPath);
  std::optional<Handle> Resolve(RegKey key) const;
  // Opens or creates.
  std::int32_t Open(Op op, RegKey root, const std::string& path, std::uint32_t access, RegKey& key);
  const Node* NodeAt(RegKey root, const std::string& lowerPath) const;
  const Value* ValueAt(RegKey root, const std::string& lowerPath, const std::string& name) const;
  void Log(const std::string& line, bool write);

  std::map<RegKey, std::map<std::string, Node>> keys_;  // root -> lower path -> node
  std::map<RegKey, Handle> handles_;
  RegKey nextHandle_ = 0x1000;
  std::uint32_t lastAccess_ = 0;
  std::vector<Failure> failures_;
  std::vector<std::string> calls_;
};

}  // namespace rd::fakes
