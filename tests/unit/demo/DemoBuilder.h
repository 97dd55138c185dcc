#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "demo/MessageCode.h"

// Quake 3 engine demos made in the tests: messages coded with the engines' fixed code, found
// by asking the decoder which word each byte has, so that no second table can disagree.
namespace rd::demo::build {

// A real demo recorded by a game; what each holds is in tests/corpus/SOURCES.md.
inline std::string Corpus(const std::string& name) {
  std::ifstream in(std::string(RD_SOURCE_DIR) + "/tests/corpus/" + name, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_FALSE(bytes.empty()) << name;
  return bytes;
}

class Coder {
 public:
  Coder() {
    for (int length = 1; length <= 11; ++length) {
      for (std::uint32_t word = 0; word < (1u << length); ++word) {
        const std::string data{static_cast<char>(word & 0xff), static_cast<char>(word >> 8), '\0'};
        std::size_t bit = 0;
        const int byte = MessageCode::Get().Decode(data, bit);
        if (byte >= 0 && bit == static_cast<std::size_t>(length) && !words_[byte].second) {
          words_[byte] = {word, length};
        }
      }
    }
  }
  // The coded message, with the few spare bytes the engines' writers leave after it.
  std::string Code(const std::string& plain) const {
    std::vector<bool> bits;
    for (const char c : plain) {
      const auto [word, length] = words_[static_cast<unsigned char>(c)];
      for (int i = 0; i < length; ++i) bits.push_back((word >> i) & 1);
    }
    std::string out((bits.size() + 7) / 8 + 2, '\0');
    for (std::size_t i = 0; i < bits.size(); ++i) {
      if (bits[i]) out[i / 8] = static_cast<char>(out[i / 8] | (1 << (i % 8)));
    }
    return out;
  }

 private:
  std::array<std::pair<std::uint32_t, int>, 256> words_{};
};

inline std::string Long(std::int32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xff);
  return out;
}
inline std::string Short(int v) { return Long(v).substr(0, 2); }
inline std::string Text(const std::string& text) { return text + '\0'; }

// A game state of these config strings (index, text), before the baselines.
inline std::string GameState(const std::vector<std::pair<int, std::string>>& strings) {
  std::string plain = Long(0) + '\x02' + Long(0);
  for (const auto& [index, text] : strings) plain += '\x03' + Short(index) + Text(text);
  return plain + '\x08';
}
// A message with a server command, then a snapshot of this server time and what follows it.
inline std::string Snapshot(std::int32_t serverTime) {
  return Long(1) + '\x05' + Long(1) + Text("print hello") + '\x07' + Long(serverTime) +
         std::string(12, '\x01') + '\x08';
}
inline std::string Record(std::int32_t sequence, const std::string& coded) {
  return Long(sequence) + Long(static_cast<std::int32_t>(coded.size())) + coded;
}
inline std::string EndMarker() { return Long(-1) + Long(-1); }

// A whole demo: the game state, then one snapshot record for each server time.
inline std::string Demo(const std::vector<std::pair<int, std::string>>& strings,
                        const std::vector<std::int32_t>& times, bool finished = true) {
  const Coder coder;
  std::string demo = Record(0, coder.Code(GameState(strings)));
  for (std::size_t i = 0; i < times.size(); ++i) {
    demo += Record(static_cast<std::int32_t>(i + 1), coder.Code(Snapshot(times[i])));
  }
  return finished ? demo + EndMarker() : demo;
}

}  // namespace rd::demo::build
