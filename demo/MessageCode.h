#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

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
  MessageCode();
  // Inner nodes: children[0] for a 0 bit, children[1] for a 1 bit; a value of kLeaf + s
  // is the leaf of symbol s.
  std::vector<std::uint16_t> children_[2];
  std::uint16_t root_ = 0;
};

}  // namespace rd::demo
