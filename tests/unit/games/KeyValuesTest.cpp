#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "games/KeyValues.h"

namespace rd::games {
namespace {

// The value at a path of keys ("a/b/c"), or nothing: the text damaged or the key missing.
std::optional<std::string> Lookup(const std::string& text, std::string_view path) {
  const std::optional<KeyValue> document = ParseKeyValues(text);
  const KeyValue* node = document ? &*document : nullptr;
  for (auto cut = path.find('/'); node && cut != path.npos; cut = path.find('/')) {
    node = node->Child(path.substr(0, cut));
    path.remove_prefix(cut + 1);
  }
  return node ? node->Text(path) : std::nullopt;
}

TEST(KeyValues, ReadsSteamsFilesAndTakesDamageForNotFound) {
  std::string deep = "\"v\" \"x\"", at = "v";  // blocks nested as deep as allowed
  for (int i = 0; i < kMaxKeyValueDepth; ++i) deep = "\"k\" { " + deep + " }", at = "k/" + at;
  // clang-format off
  const struct { std::string text, path; std::optional<std::string> value; } cases[] = {
      {R"("AppState" { "appid" "70" "installdir" "Half-Life" })", "AppState/installdir", "Half-Life"},
      {R"("L" { "PATH" "D:\\Steam \"Games\"\n\tend" })", "l/path", "D:\\Steam \"Games\"\n\tend"},
      {R"("l" { "path" "D:\Games" })", "l/path", "D:\\Games"},  // no escape: kept as written
      {"// Steam\na { // trailing\n b \"c // not one\" }", "a/b", "c // not one"},
      {R"("a" { "b" "1" [$WIN32] "d" "e" })", "a/d", "e"},
      {"\xEF\xBB\xBF\"a\" { \"name\" \"Li\xC4\x81u \xFF\" }", "a/name", "Li\xC4\x81u \xFF"},
      {deep, at, "x"}, {"\"k\" { " + deep + " }", "k/" + at, std::nullopt},
      // Damaged.
      {R"("a" { "b" "c")", "a/b", std::nullopt}, {R"("a" { "b" "c" } })", "a/b", std::nullopt},
      {R"({ "b" "c" })", "b", std::nullopt}};
  // clang-format on
  for (const auto& [text, path, value] : cases) EXPECT_EQ(Lookup(text, path), value) << text;
}

}  // namespace
}  // namespace rd::games
