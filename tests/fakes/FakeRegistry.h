#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/Registry.h"
#include "ports/WinErrors.h"
#include "util/Text.h"

namespace rd::fakes {

// An in-memory registry with Win32's semantics: case-insensitive key and value names,
// access rights checked per handle, sizes and ERROR_MORE_DATA as advapi32 answers them.
class FakeRegistry final : public Registry {
 public:
  enum class Op { Open, Create, Query, Set, Close };

  std::int32_t OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                       RegKey& key) override {
    return Open(Op::Open, root, path, access, key);
  }
  std::int32_t CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                         RegKey& key) override {
    return Open(Op::Create, root, path, access, key);
  }
  std::int32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t& size) override {
    const auto h = Resolve(key);
    if (!h) return winerr::InvalidHandle;
    if (auto code = Call(Op::Query, "query ", *h, "\\" + ValueName(name))) return *code;
    if (!(h->access & regaccess::QueryValue)) return winerr::AccessDenied;
    const Value* v = Find(h->root, h->path, name);
    if (!v) return winerr::FileNotFound;
    if (type) *type = v->type;
    const auto needed = static_cast<std::uint32_t>(v->data.size());
    if (size < needed) return size = needed, winerr::MoreData;
    if (needed) std::memcpy(data, v->data.data(), needed);
    // Like advapi32, a text stored without its terminator gets one when there is room,
    // uncounted.
    const bool text =
        v->type == regtype::Sz || v->type == regtype::ExpandSz || v->type == regtype::MultiSz;
    if (text && needed && size > needed && v->data.back() != 0) data[needed] = 0;
    size = needed;
    return winerr::Success;
  }
  std::int32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    const auto h = Resolve(key);
    if (!h) return winerr::InvalidHandle;
    const auto node = keys_[h->root].find(h->path);
    const bool exists = node != keys_[h->root].end();
    const Handle spelt{h->root, exists ? node->second.path : h->path};
    if (auto code = Call(Op::Set, "set ", spelt, "\\" + ValueName(name))) return *code;
    if (!(h->access & regaccess::SetValue)) return winerr::AccessDenied;
    if (!exists && !h->path.empty()) return winerr::FileNotFound;
    Put(h->root, h->path, name, type, std::vector<std::uint8_t>(data, data + size));
    return winerr::Success;
  }
  std::int32_t CloseKey(RegKey key) override {
    const auto it = handles_.find(key);
    if (Root(key) || it == handles_.end())
      return Root(key) ? winerr::Success : winerr::InvalidHandle;
    const Handle h = it->second;
    handles_.erase(it);
    return Call(Op::Close, "close ", h).value_or(winerr::Success);
  }

  // --- for tests ---
  struct Value {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  // Makes the skip-th next call of op (0: the very next) answer code and do nothing.
  void FailNext(Op op, std::int32_t code, int skip = 0) {
    failures_.push_back({op, code, skip, {}});
  }
  // Every call of op whose full key path (root name + "\" + path, e.g. "HKCR\.dem")
  // starts with prefix (letter case ignored) answers code.
  void FailUnder(Op op, const std::string& prefix, std::int32_t code) {
    failures_.push_back({op, code, 0, util::ToLower(prefix)});
  }
  bool KeyExists(RegKey root, const std::string& path) const {
    return keys_.count(root) && keys_.at(root).count(util::ToLower(path));
  }
  std::optional<Value> Get(RegKey root, const std::string& path, const std::string& name) const {
    const Value* v = Find(root, util::ToLower(path), name);
    return v ? std::optional<Value>(*v) : std::nullopt;
  }
  std::optional<std::string> GetText(RegKey root, const std::string& path,
                                     const std::string& name) const {  // REG_SZ without its zero
    const auto v = Get(root, path, name);
    if (!v) return std::nullopt;
    const std::string text(v->data.begin(), v->data.end());
    return text.empty() || text.back() ? text : text.substr(0, text.size() - 1);
  }
  // Set-up, with every missing key on the way: neither logged nor open to failures.
  void Put(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
           std::vector<std::uint8_t> data) {
    Key(root, path).values[util::ToLower(name)] = Value{type, std::move(data)};
  }
  void PutText(RegKey root, const std::string& path, const std::string& name,
               const std::string& text) {
    Put(root, path, name, regtype::Sz,
        std::vector<std::uint8_t>(text.c_str(), text.c_str() + text.size() + 1));
  }
  int OpenHandles() const { return static_cast<int>(handles_.size()); }
  std::uint32_t LastAccess() const { return lastAccess_; }  // of the latest open or create
  // One line per call: "create HKCR\.dem", "set HKCR\.dem\(default)", "query ...", ...
  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  std::vector<std::string>* sharedLog = nullptr;  // also gets the writes ("reg create ...")

 private:
  struct Node {
    std::string path;                     // as first spelt
    std::map<std::string, Value> values;  // by lower name
  };
  struct Handle {
    RegKey root;
    std::string path;  // lower case, except as logged
    std::uint32_t access = ~0u;
  };
  struct Failure {
    Op op;
    std::int32_t code;
    int skip;
    std::string prefix;  // lower case; empty: a FailNext
  };

  static const char* Root(RegKey key) {  // the name of a predefined root, else null
    const char* const names[] = {"HKCR", "HKCU", "HKLM", "HKU", nullptr, "HKCC", "HKDD"};
    return key >= regroot::ClassesRoot && key <= regroot::DynData
               ? names[key - regroot::ClassesRoot]
               : nullptr;
  }
  static std::string ValueName(const std::string& name) {
    return name.empty() ? "(default)" : name;
  }

  // Logs a call; answers the failure injected for it, if any.
  std::optional<std::int32_t> Call(Op op, const std::string& verb, const Handle& at,
                                   const std::string& tail = {}) {
    const std::string where = Root(at.root) + ("\\" + at.path);
    calls_.push_back(verb + where + tail);
    if (sharedLog && (op == Op::Create || op == Op::Set))
      sharedLog->push_back("reg " + calls_.back());
    const auto it = std::find_if(failures_.begin(), failures_.end(), [&](Failure& f) {
      return f.op == op &&
             (f.prefix.empty() ? f.skip-- == 0 : util::ToLower(where).rfind(f.prefix, 0) == 0);
    });
    if (it == failures_.end()) return std::nullopt;
    const std::int32_t code = it->code;
    if (it->prefix.empty()) failures_.erase(it);
    return code;
  }
  Node& Key(RegKey root, const std::string& path) {  // and every missing key above it
    auto& tree = keys_[root];
    for (auto pos = path.find('\\'); pos != std::string::npos; pos = path.find('\\', pos + 1)) {
      tree.try_emplace(util::ToLower(path.substr(0, pos)), Node{path.substr(0, pos), {}});
    }
    return tree.try_emplace(util::ToLower(path), Node{path, {}}).first->second;
  }
  std::optional<Handle> Resolve(RegKey key) const {
    if (Root(key)) return Handle{key, {}};  // a predefined root is open for everything
    const auto it = handles_.find(key);
    return it == handles_.end() ? std::nullopt : std::optional(it->second);
  }
  const Value* Find(RegKey root, const std::string& lowerPath, const std::string& name) const {
    if (!KeyExists(root, lowerPath)) return nullptr;
    const auto& values = keys_.at(root).at(lowerPath).values;
    const auto it = values.find(util::ToLower(name));
    return it == values.end() ? nullptr : &it->second;
  }

  std::int32_t Open(Op op, RegKey root, const std::string& path, std::uint32_t access,
                    RegKey& key) {
    const auto from = Resolve(root);
    if (!from) return winerr::InvalidHandle;
    // advapi32 refuses a leading backslash (ERROR_BAD_PATHNAME), reads a run as one and
    // ignores trailing ones.
    if (!path.empty() && path[0] == '\\') return 161;
    std::string rel;
    for (const char c : path) {
      if (c != '\\' || (!rel.empty() && rel.back() != '\\')) rel += c;
    }
    if (!rel.empty() && rel.back() == '\\') rel.pop_back();
    // The 32-bit view of HKLM\SOFTWARE is its WOW6432Node subkey.
    const std::string lowerRel = util::ToLower(rel);
    if ((access & regaccess::View32) && from->root == regroot::LocalMachine && from->path.empty() &&
        lowerRel.rfind("software\\", 0) == 0 && lowerRel.rfind("software\\wow6432node", 0) != 0) {
      rel.insert(9, "WOW6432Node\\");
    }
    const Handle at{from->root,
                    from->path.empty() || rel.empty() ? from->path + rel : from->path + "\\" + rel};
    lastAccess_ = access;
    if (auto code = Call(op, op == Op::Open ? "open " : "create ", at)) return *code;
    if (op == Op::Create) Key(at.root, at.path);
    if (!at.path.empty() && !KeyExists(at.root, at.path)) return winerr::FileNotFound;
    handles_[key = nextHandle_++] = Handle{at.root, util::ToLower(at.path), access};
    return winerr::Success;
  }

  std::map<RegKey, std::map<std::string, Node>> keys_;  // root -> lower path -> node
  std::map<RegKey, Handle> handles_;
  RegKey nextHandle_ = 0x1000;
  std::uint32_t lastAccess_ = 0;
  std::vector<Failure> failures_;
  std::vector<std::string> calls_;
};

}  // namespace rd::fakes
