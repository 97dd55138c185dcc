#include "games/KeyValues.h"

#include "util/Text.h"

namespace rd::games {
namespace {

enum class Token { End, Open, Close, Text, Bad };

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// One pass over the text, each byte looked at a bounded number of times; the nesting is
// capped, so the recursion is too.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;  // a UTF-8 byte-order mark
  }

  // The entries up to the closing brace of this block (depth > 0) or the end of the text.
  bool ReadEntries(std::vector<KeyValue>& entries, int depth) {
    for (;;) {
      const Token token = Next();
      if (token == Token::End) return depth == 0;
      if (token == Token::Close) return depth > 0;
      if (token != Token::Text) return false;
      // A platform condition such as [$WIN32] after an entry: Steam's own files hold none,
      // and every entry is kept.
      if (!quoted_ && !entries.empty() && word_.size() >= 2 && word_.front() == '[' &&
          word_.back() == ']') {
        continue;
      }
      KeyValue entry;
      entry.key = std::move(word_);
      const Token value = Next();
      if (value == Token::Text) {
        entry.value = std::move(word_);
      } else if (value == Token::Open) {
        if (depth + 1 > kMaxKeyValueDepth) return false;
        entry.isBlock = true;
        if (!ReadEntries(entry.children, depth + 1)) return false;
      } else {
        return false;
      }
      entries.push_back(std::move(entry));
    }
  }

 private:
  Token Next() {
    SkipBlanksAndComments();
    if (at_ >= text_.size()) return Token::End;
    const char c = text_[at_];
    if (c == '{' || c == '}') {
      ++at_;
      return c == '{' ? Token::Open : Token::Close;
    }
    word_.clear();
    quoted_ = c == '"';
    if (!quoted_) {
      while (at_ < text_.size() && !IsBlank(text_[at_]) && text_[at_] != '{' && text_[at_] != '}' &&
             text_[at_] != '"') {
        word_ += text_[at_++];
      }
      return Token::Text;
    }
    ++at_;
    while (at_ < text_.size()) {
      const char d = text_[at_++];
      if (d == '"') return Token::Text;
      if (d != '\\') {
        word_ += d;
        continue;
      }
      if (at_ >= text_.size()) break;
      const char e = text_[at_++];
      switch (e) {
        case 'n':
          word_ += '\n';
          break;
        case 't':
          word_ += '\t';
          break;
        case '\\':
          word_ += '\\';
          break;
        case '"':
          word_ += '"';
          break;
        default:
          // Not an escape: a single backslash written by hand, as in "D:\Games".
          word_ += '\\';
          word_ += e;
      }
    }
    return Token::Bad;  // the text ends inside the quotes
  }

  void SkipBlanksAndComments() {
    for (;;) {
      while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
      if (text_.compare(at_, 2, "//") != 0) return;
      const auto end = text_.find('\n', at_);
      at_ = end == std::string_view::npos ? text_.size() : end;
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::string word_;
  bool quoted_ = false;
};

}  // namespace

const KeyValue* KeyValue::Child(std::string_view name) const {
  for (const KeyValue& child : children) {
    if (util::EqualsNoCase(child.key, name)) return &child;
  }
  return nullptr;
}

std::optional<std::string> KeyValue::Text(std::string_view name) const {
  for (const KeyValue& child : children) {
    if (!child.isBlock && util::EqualsNoCase(child.key, name)) return child.value;
  }
  return std::nullopt;
}

std::optional<KeyValue> ParseKeyValues(std::string_view text) {
  KeyValue root;
  root.isBlock = true;
  Reader reader(text);
  if (!reader.ReadEntries(root.children, 0)) return std::nullopt;
  return root;
}

}  // namespace rd::games
