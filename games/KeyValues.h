#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Steam's KeyValues text files (libraryfolders.vdf, appmanifest_*.acf): "key" "value" pairs
// and "key" { ... } blocks, read with escapes on, as Steam writes them.
namespace rd::games {

struct KeyValue {
  std::string key;
  std::string value;               // a pair's value; empty for a block
  std::vector<KeyValue> children;  // a block's entries, in file order
  bool isBlock = false;

  // The first entry of that key (letter case ignored), or null.
  const KeyValue* Child(std::string_view name) const;
  // The value of the first pair of that key, or nothing.
  std::optional<std::string> Text(std::string_view name) const;
};

// Nesting deeper than this is taken for damage, as is anything after an unmatched brace.
inline constexpr int kMaxKeyValueDepth = 32;

// The file's top-level entries as the children of one block, or nothing when the text is
// damaged: truncated, braces out of balance, nested too deeply, a key without its value.
std::optional<KeyValue> ParseKeyValues(std::string_view text);

}  // namespace rd::games
