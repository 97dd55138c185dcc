#include "tests/fakes/FakeRegistry.h"

#include <algorithm>
#include <cstring>

#include "platform/ports/WinErrors.h"
#include "util/Text.h"

namespace rd::fakes {
namespace {

bool IsPredefined(RegKey key) {
  return key == regroot::ClassesRoot || key == regroot::CurrentUser ||
         key == regroot::LocalMachine || key == regroot::Users || key == regroot::CurrentConfig ||
         key == regroot::DynData;
}

std::string Join(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + "\\" + b;
}

// ERROR_BAD_PATHNAME: advapi32 refuses a key path that starts with a backslash.
constexpr std::int32_t kBadPathname = 161;

// A leading backslash is refused; trailing ones are ignored and a run inside counts as one.
bool NormalisePath(const std::string& path, std::string& out) {
  if (!path.empty() && path.front() == '\\') return false;
  out.clear();
  for (char c : path) {
    if (c == '\\' && !out.empty() && out.back() == '\\') continue;
    out += c;
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return true;
}

bool IsText(std::uint32_t type) {
  return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz;
}

}  // namespace

std::string FakeRegistry::RootName(RegKey root) {
  switch (root) {
    case regroot::ClassesRoot: return "HKCR";
    case regroot::CurrentUser: return "HKCU";
    case regroot::LocalMachine: return "HKLM";
    case regroot::Users: return "HKU";
    case regroot::CurrentConfig: return "HKCC";
    case regroot::DynData: return "HKDD";
    default: return "?";
  }
}

void FakeRegistry::Log(const std::string& line, bool write) {
  calls_.push_back(line);
  if (write && sharedLog) sharedLog->push_back("reg " + line);
}

bool FakeRegistry::Resolve(RegKey key, RegKey& root, std::string& lowerPath) const {
  if (IsPredefined(key)) {
    root = key;
    lowerPath.clear();
    return true;
  }
  const auto it = handles_.find(key);
  if (it == handles_.end()) return false;
  root = it->second.root;
  lowerPath = it->second.lowerPath;
  return true;
}

std::optional<std::int32_t> FakeRegistry::Injected(Op op, const std::string& fullPath) {
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->op != op) continue;
    if (it->persistent) {
      const std::string lowerFull = util::ToLower(fullPath);
      const std::string lowerPrefix = util::ToLower(it->prefix);
      if (lowerFull.compare(0, lowerPrefix.size(), lowerPrefix) == 0) return it->code;
      continue;
    }
    if (it->skip > 0) {
      --it->skip;
      continue;
    }
    const std::int32_t code = it->code;
    failures_.erase(it);
    return code;
  }
  return std::nullopt;
}

std::int32_t FakeRegistry::OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                                   RegKey& key) {
  RegKey base;
  std::string basePath;
  if (!Resolve(root, base, basePath)) return winerr::InvalidHandle;
  std::string rel;
  if (!NormalisePath(path, rel)) return kBadPathname;
  const std::string lower = util::ToLower(Join(basePath, rel));
  Log("open " + RootName(base) + "\\" + Join(basePath, rel), false);
  lastAccess_ = access;
  if (auto code = Injected(Op::Open, RootName(base) + "\\" + lower)) return *code;
  if (!lower.empty() && !keys_[base].count(lower)) return winerr::FileNotFound;
  key = nextHandle_++;
  handles_[key] = Handle{base, lower, access};
  return winerr::Success;
}

std::int32_t FakeRegistry::CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                                     RegKey& key) {
  RegKey base;
  std::string basePath;
  if (!Resolve(root, base, basePath)) return winerr::InvalidHandle;
  std::string rel;
  if (!NormalisePath(path, rel)) return kBadPathname;
  const std::string full = Join(basePath, rel);
  Log("create " + RootName(base) + "\\" + full, true);
  lastAccess_ = access;
  if (auto code = Injected(Op::Create, RootName(base) + "\\" + full)) return *code;
  // Every missing key on the way is created, spelt as this call spells it.
  auto& tree = keys_[base];
  std::size_t pos = 0;
  while (!full.empty()) {
    pos = full.find('\\', pos);
    const std::string prefix = full.substr(0, pos);
    const std::string lower = util::ToLower(prefix);
    if (!tree.count(lower)) tree[lower].path = prefix;
    if (pos == std::string::npos) break;
    ++pos;
  }
  key = nextHandle_++;
  handles_[key] = Handle{base, util::ToLower(full), access};
  return winerr::Success;
}

std::int32_t FakeRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                      std::uint8_t* data, std::uint32_t& size) {
  RegKey root;
  std::string lowerPath;
  if (!Resolve(key, root, lowerPath)) return winerr::InvalidHandle;
  Log("query " + RootName(root) + "\\" + lowerPath + "\\" + (name.empty() ? "(default)" : name),
      false);
  if (auto code = Injected(Op::Query, RootName(root) + "\\" + lowerPath)) return *code;
  const auto h = handles_.find(key);
  if (h != handles_.end() && !(h->second.access & regaccess::QueryValue)) {
    return winerr::AccessDenied;
  }
  const auto node = keys_[root].find(lowerPath);
  if (node == keys_[root].end()) return winerr::FileNotFound;
  const auto value = node->second.values.find(util::ToLower(name));
  if (value == node->second.values.end()) return winerr::FileNotFound;
  const Value& v = value->second.second;
  if (type) *type = v.type;
  const auto needed = static_cast<std::uint32_t>(v.data.size());
  if (size < needed) {
    size = needed;
    return winerr::MoreData;
  }
  if (needed) std::memcpy(data, v.data.data(), needed);
  // Like advapi32, a text stored without its terminator gets one when there is room,
  // uncounted.
  if (IsText(v.type) && needed && size > needed && v.data.back() != 0) data[needed] = 0;
  size = needed;
  return winerr::Success;
}

std::int32_t FakeRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t size) {
  RegKey root;
  std::string lowerPath;
  if (!Resolve(key, root, lowerPath)) return winerr::InvalidHandle;
  auto& tree = keys_[root];
  const auto node = tree.find(lowerPath);
  const std::string shown = node != tree.end() ? node->second.path : lowerPath;
  Log("set " + RootName(root) + "\\" + shown + "\\" + (name.empty() ? "(default)" : name), true);
  if (auto code = Injected(Op::Set, RootName(root) + "\\" + lowerPath)) return *code;
  const auto h = handles_.find(key);
  if (h != handles_.end() && !(h->second.access & regaccess::SetValue)) {
    return winerr::AccessDenied;
  }
  if (node == tree.end() && !lowerPath.empty()) return winerr::FileNotFound;
  Node& target = tree[lowerPath];
  Value v{type, std::vector<std::uint8_t>(data, data + size)};
  auto& slot = target.values[util::ToLower(name)];
  if (slot.first.empty()) slot.first = name;
  slot.second = std::move(v);
  return winerr::Success;
}

std::int32_t FakeRegistry::CloseKey(RegKey key) {
  if (IsPredefined(key)) return winerr::Success;
  const auto it = handles_.find(key);
  if (it == handles_.end()) return winerr::InvalidHandle;
  Log("close " + RootName(it->second.root) + "\\" + it->second.lowerPath, false);
  handles_.erase(it);
  if (auto code = Injected(Op::Close, "")) return *code;
  return winerr::Success;
}

void FakeRegistry::FailNext(Op op, std::int32_t code, int skip) {
  failures_.push_back(Failure{op, code, skip, {}, false});
}

void FakeRegistry::FailUnder(Op op, const std::string& prefix, std::int32_t code) {
  failures_.push_back(Failure{op, code, 0, prefix, true});
}

void FakeRegistry::ClearFailures() { failures_.clear(); }

bool FakeRegistry::KeyExists(RegKey root, const std::string& path) const {
  const auto tree = keys_.find(root);
  return tree != keys_.end() && tree->second.count(util::ToLower(path));
}

std::optional<FakeRegistry::Value> FakeRegistry::Get(RegKey root, const std::string& path,
                                                     const std::string& name) const {
  const auto tree = keys_.find(root);
  if (tree == keys_.end()) return std::nullopt;
  const auto node = tree->second.find(util::ToLower(path));
  if (node == tree->second.end()) return std::nullopt;
  const auto value = node->second.values.find(util::ToLower(name));
  if (value == node->second.values.end()) return std::nullopt;
  return value->second.second;
}

std::optional<std::string> FakeRegistry::GetText(RegKey root, const std::string& path,
                                                 const std::string& name) const {
  const auto v = Get(root, path, name);
  if (!v) return std::nullopt;
  std::string text(v->data.begin(), v->data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

void FakeRegistry::Put(RegKey root, const std::string& path, const std::string& name,
                       std::uint32_t type, std::vector<std::uint8_t> data) {
  auto* const log = sharedLog;
  sharedLog = nullptr;
  RegKey key;
  if (CreateKey(root, path, regaccess::SetValue, key) != winerr::Success) return;
  const auto size = static_cast<std::uint32_t>(data.size());
  static const std::uint8_t none = 0;
  SetValue(key, name, type, size ? data.data() : &none, size);
  CloseKey(key);
  // Test set-up is not part of what the code under test did.
  calls_.clear();
  sharedLog = log;
}

void FakeRegistry::PutText(RegKey root, const std::string& path, const std::string& name,
                           const std::string& text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Put(root, path, name, regtype::Sz, std::move(data));
}

std::vector<std::string> FakeRegistry::Keys(RegKey root) const {
  std::vector<std::string> out;
  const auto tree = keys_.find(root);
  if (tree == keys_.end()) return out;
  for (const auto& [lower, node] : tree->second) {
    if (!lower.empty()) out.push_back(node.path);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace rd::fakes
