#include "tests/fakes/FakeRegistry.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "ports/WinErrors.h"
#include "util/Text.h"

namespace rd::fakes {
namespace {

constexpr std::pair<RegKey, const char*> kRoots[] = {
    {regroot::ClassesRoot, "HKCR"},   {regroot::CurrentUser, "HKCU"},
    {regroot::LocalMachine, "HKLM"},  {regroot::Users, "HKU"},
    {regroot::CurrentConfig, "HKCC"}, {regroot::DynData, "HKDD"}};

// Null for a key that is no predefined root.
const char* RootName(RegKey root) {
  for (const auto& [key, name] : kRoots) {
    if (key == root) return name;
  }
  return nullptr;
}

std::string Where(RegKey root, const std::string& path) {
  return std::string(RootName(root)) + "\\" + path;
}

std::string Join(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return a + b;
  return a + "\\" + b;
}

std::string ValueName(const std::string& name) { return name.empty() ? "(default)" : name; }

// ERROR_BAD_PATHNAME: advapi32 refuses a key path that starts with a backslash.
constexpr std::int32_t kBadPathname = 161;

// A leading backslash is refused; trailing ones are ignored and a run inside counts as one.
std::optional<std::string> Normalised(const std::string& path) {
  if (!path.empty() && path.front() == '\\') return std::nullopt;
  std::string out;
  for (char c : path) {
    if (c != '\\' || out.empty() || out.back() != '\\') out += c;
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

bool IsText(std::uint32_t type) {
  return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz;
}

}  // namespace

void FakeRegistry::Log(const std::string& line, bool write) {
  calls_.push_back(line);
  if (write && sharedLog) sharedLog->push_back("reg " + line);
}

// A predefined root is open for everything.
std::optional<FakeRegistry::Handle> FakeRegistry::Resolve(RegKey key) const {
  if (RootName(key)) return Handle{key, {}, ~0u};
  const auto it = handles_.find(key);
  if (it == handles_.end()) return std::nullopt;
  return it->second;
}

const FakeRegistry::Node* FakeRegistry::NodeAt(RegKey root, const std::string& lowerPath) const {
  const auto tree = keys_.find(root);
  if (tree == keys_.end()) return nullptr;
  const auto node = tree->second.find(lowerPath);
  return node == tree->second.end() ? nullptr : &node->second;
}

const FakeRegistry::Value* FakeRegistry::ValueAt(RegKey root, const std::string& lowerPath,
                                                 const std::string& name) const {
  const Node* node = NodeAt(root, lowerPath);
  if (!node) return nullptr;
  const auto it = node->values.find(util::ToLower(name));
  return it == node->values.end() ? nullptr : &it->second;
}

std::optional<std::int32_t> FakeRegistry::Injected(Op op, const std::string& fullPath) {
  const std::string lower = util::ToLower(fullPath);
  const auto it = std::find_if(failures_.begin(), failures_.end(), [&](Failure& f) {
    if (f.op != op) return false;
    if (!f.prefix.empty()) return lower.rfind(util::ToLower(f.prefix), 0) == 0;
    return f.skip-- == 0;
  });
  if (it == failures_.end()) return std::nullopt;
  const std::int32_t code = it->code;
  if (it->prefix.empty()) failures_.erase(it);
  return code;
}

std::int32_t FakeRegistry::Open(Op op, RegKey root, const std::string& path, std::uint32_t access,
                                RegKey& key) {
  const auto from = Resolve(root);
  if (!from) return winerr::InvalidHandle;
  auto rel = Normalised(path);
  if (!rel) return kBadPathname;
  // The 32-bit view of HKLM\SOFTWARE is its WOW6432Node subkey.
  const std::string software = "software\\";
  if ((access & regaccess::View32) && from->root == regroot::LocalMachine &&
      from->lowerPath.empty() && util::ToLower(*rel).rfind(software, 0) == 0 &&
      util::ToLower(*rel).rfind(software + "wow6432node", 0) != 0) {
    rel->insert(software.size(), "WOW6432Node\\");
  }
  const std::string full = Join(from->lowerPath, *rel);
  Log((op == Op::Open ? "open " : "create ") + Where(from->root, full), op == Op::Create);
  lastAccess_ = access;
  if (auto code = Injected(op, Where(from->root, full))) return *code;
  const std::string lower = util::ToLower(full);
  auto& tree = keys_[from->root];
  if (op == Op::Open && !lower.empty() && !tree.count(lower)) return winerr::FileNotFound;
  // Every missing key on the way is created, spelt as this call spells it.
  for (auto pos = full.find('\\'); op == Op::Create && !full.empty();
       pos = full.find('\\', pos + 1)) {
    tree.try_emplace(util::ToLower(full.substr(0, pos)), Node{full.substr(0, pos), {}});
    if (pos == std::string::npos) break;
  }
  key = nextHandle_++;
  handles_[key] = Handle{from->root, lower, access};
  return winerr::Success;
}

std::int32_t FakeRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                      std::uint8_t* data, std::uint32_t& size) {
  const auto h = Resolve(key);
  if (!h) return winerr::InvalidHandle;
  Log("query " + Where(h->root, h->lowerPath) + "\\" + ValueName(name), false);
  if (auto code = Injected(Op::Query, Where(h->root, h->lowerPath))) return *code;
  if (!(h->access & regaccess::QueryValue)) return winerr::AccessDenied;
  const Value* v = ValueAt(h->root, h->lowerPath, name);
  if (!v) return winerr::FileNotFound;
  if (type) *type = v->type;
  const auto needed = static_cast<std::uint32_t>(v->data.size());
  if (size < needed) {
    size = needed;
    return winerr::MoreData;
  }
  if (needed) std::memcpy(data, v->data.data(), needed);
  // Like advapi32, a text stored without its terminator gets one when there is room,
  // uncounted.
  if (IsText(v->type) && needed && size > needed && v->data.back() != 0) data[needed] = 0;
  size = needed;
  return winerr::Success;
}

std::int32_t FakeRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t size) {
  const auto h = Resolve(key);
  if (!h) return winerr::InvalidHandle;
  const Node* node = NodeAt(h->root, h->lowerPath);
  Log("set " + Where(h->root, node ? node->path : h->lowerPath) + "\\" + ValueName(name), true);
  if (auto code = Injected(Op::Set, Where(h->root, h->lowerPath))) return *code;
  if (!(h->access & regaccess::SetValue)) return winerr::AccessDenied;
  if (!node && !h->lowerPath.empty()) return winerr::FileNotFound;
  keys_[h->root][h->lowerPath].values[util::ToLower(name)] =
      Value{type, std::vector<std::uint8_t>(data, data + size)};
  return winerr::Success;
}

std::int32_t FakeRegistry::CloseKey(RegKey key) {
  if (RootName(key)) return winerr::Success;
  const auto it = handles_.find(key);
  if (it == handles_.end()) return winerr::InvalidHandle;
  Log("close " + Where(it->second.root, it->second.lowerPath), false);
  handles_.erase(it);
  return Injected(Op::Close, "").value_or(winerr::Success);
}

std::int32_t FakeRegistry::EnumKey(RegKey key, std::uint32_t index, std::string& name) {
  const auto h = Resolve(key);
  if (!h) return winerr::InvalidHandle;
  Log("enum " + Where(h->root, h->lowerPath), false);
  if (auto code = Injected(Op::Enum, Where(h->root, h->lowerPath))) return *code;
  if (!(h->access & regaccess::EnumerateSubKeys)) return winerr::AccessDenied;
  const auto tree = keys_.find(h->root);
  if (tree == keys_.end()) return winerr::NoMoreItems;
  const std::string prefix = h->lowerPath.empty() ? "" : h->lowerPath + "\\";
  for (const auto& [lower, node] : tree->second) {
    if (lower.size() <= prefix.size() || lower.rfind(prefix, 0) != 0 ||
        lower.find('\\', prefix.size()) != std::string::npos) {
      continue;
    }
    if (index-- == 0) {
      name = node.path.substr(node.path.size() - (lower.size() - prefix.size()));
      return winerr::Success;
    }
  }
  return winerr::NoMoreItems;
}

bool FakeRegistry::KeyExists(RegKey root, const std::string& path) const {
  return NodeAt(root, util::ToLower(path)) != nullptr;
}

std::optional<FakeRegistry::Value> FakeRegistry::Get(RegKey root, const std::string& path,
                                                     const std::string& name) const {
  const Value* v = ValueAt(root, util::ToLower(path), name);
  return v ? std::optional<Value>(*v) : std::nullopt;
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
  // Test set-up is not part of what the code under test did.
  auto* const log = std::exchange(sharedLog, nullptr);
  RegKey key = 0;
  if (CreateKey(root, path, regaccess::SetValue, key) == winerr::Success) {
    SetValue(key, name, type, data.data(), static_cast<std::uint32_t>(data.size()));
    CloseKey(key);
  }
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
  if (const auto tree = keys_.find(root); tree != keys_.end()) {
    for (const auto& [lower, node] : tree->second) {
      if (!lower.empty()) out.push_back(node.path);
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace rd::fakes
