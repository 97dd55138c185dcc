#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The fixed prefix code of Quake 3 engine messages (Quake 3 Arena and Return To Castle
// Wolfenstein alike): every byte of a message is one code word, bits taken least
// significant first.
namespace rd::demo {

class MessageCode {
 public:
  // Built once, on first use, the way the engines build it.
  static const MessageCode& Get();

  // Decodes the code word at bit of data and moves bit past it: the byte, or -1 when the
  // data ends inside the word or the word is the one no writer sends.
  int Decode(std::string_view data, std::size_t& bit) const;

 private:
  static constexpr int kLongestWord = 11;
  MessageCode();
  // Indexed by the next kLongestWord bits of the stream: the byte they begin with times 16
  // plus the length of its word; 0 for the word no writer sends.
  std::array<std::uint16_t, 1 << kLongestWord> words_{};
};

}  // namespace rd::demo
