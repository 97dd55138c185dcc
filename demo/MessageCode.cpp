#include "demo/MessageCode.h"

#include <array>
#include <utility>
#include <vector>

namespace rd::demo {
namespace {

// How often the engines' authors saw each byte in their network traffic; the code is what
// an adaptive coder has learnt after seeing exactly these bytes, in byte order.
// clang-format off
constexpr std::array<int, 256> kByteCounts = {
    250315,  41193,   6292,    7106,    3730,    3750,    6110,    23283,  // 0
    33317,   6950,    7838,    9714,    9257,    17259,   3949,    1778,  // 8
    8288,    1604,    1590,    1663,    1100,    1213,    1238,    1134,  // 16
    1749,    1059,    1246,    1149,    1273,    4486,    2805,    3472,  // 24
    21819,   1159,    1670,    1066,    1043,    1012,    1053,    1070,  // 32
    1726,    888,     1180,    850,     960,     780,     1752,    3296,  // 40
    10630,   4514,    5881,    2685,    4650,    3837,    2093,    1867,  // 48
    2584,    1949,    1972,    940,     1134,    1788,    1670,    1206,  // 56
    5719,    6128,    7222,    6654,    3710,    3795,    1492,    1524,  // 64
    2215,    1140,    1355,    971,     2180,    1248,    1328,    1195,  // 72
    1770,    1078,    1264,    1266,    1168,    965,     1155,    1186,  // 80
    1347,    1228,    1529,    1600,    2617,    2048,    2546,    3275,  // 88
    2410,    3585,    2504,    2800,    2675,    6146,    3663,    2840,  // 96
    14253,   3164,    2221,    1687,    3208,    2739,    3512,    4796,  // 104
    4091,    3515,    5288,    4016,    7937,    6031,    5360,    3924,  // 112
    4892,    3743,    4566,    4807,    5852,    6400,    6225,    8291,  // 120
    23243,   7838,    7073,    8935,    5437,    4483,    3641,    5256,  // 128
    5312,    5328,    5370,    3492,    2458,    1694,    1821,    2121,  // 136
    1916,    1149,    1516,    1367,    1236,    1029,    1258,    1104,  // 144
    1245,    1006,    1149,    1025,    1241,    952,     1287,    997,  // 152
    1713,    1009,    1187,    879,     1099,    929,     1078,    951,  // 160
    1656,    930,     1153,    1030,    1262,    1062,    1214,    1060,  // 168
    1621,    930,     1106,    912,     1034,    892,     1158,    990,  // 176
    1175,    850,     1121,    903,     1087,    920,     1144,    1056,  // 184
    3462,    2240,    4397,    12136,   7758,    1345,    1307,    3278,  // 192
    1950,    886,     1023,    1112,    1077,    1042,    1061,    1071,  // 200
    1484,    1001,    1096,    915,     1052,    995,     1070,    876,  // 208
    1111,    851,     1059,    805,     1112,    923,     1103,    817,  // 216
    1899,    1872,    976,     841,     1127,    956,     1159,    950,  // 224
    7791,    954,     1289,    933,     1127,    3207,    1020,    927,  // 232
    1355,    768,     1040,    745,     952,     805,     1073,    740,  // 240
    1013,    805,     1008,    796,     996,     1057,    11457,   13504,  // 248
};
// clang-format on

constexpr int kNone = -1;
constexpr int kNotYetSeen = 256;  // the escape leaf of the adaptive coder
constexpr int kInner = 257;

// The adaptive coder (sibling property kept by a rank list, as in Sayood's book), replayed
// only to learn its final tree. Its quirks are kept on purpose: any other tree, even a
// "better" one, would not read the engines' messages.
class AdaptiveTree {
 public:
  AdaptiveTree() {
    nodes_.reserve(2 * 257);
    nodes_.push_back(Node{.symbol = kNotYetSeen});
    leaves_.fill(kNone);
  }

  void Add(int symbol) {
    if (leaves_[symbol] != kNone) {
      Increment(leaves_[symbol]);
      return;
    }
    // The escape leaf splits into an inner node over itself and the new leaf; both enter
    // the rank list just above it with weight 1.
    const int inner = New(kInner);
    const int leaf = New(symbol);
    const int above = nodes_[kEscape].next;
    nodes_[inner].next = above;
    if (above != kNone && nodes_[above].weight == 1) {
      nodes_[inner].block = nodes_[above].block;
    } else {
      nodes_[inner].block = NewBlock(inner);
    }
    if (above != kNone) nodes_[above].prev = inner;
    nodes_[inner].prev = leaf;
    nodes_[leaf].next = inner;
    nodes_[leaf].prev = kEscape;
    nodes_[leaf].block = nodes_[inner].block;
    nodes_[kEscape].next = leaf;

    const int up = nodes_[kEscape].parent;
    if (up == kNone) {
      root_ = inner;
    } else if (nodes_[up].left == kEscape) {
      nodes_[up].left = inner;
    } else {
      nodes_[up].right = inner;
    }
    nodes_[inner].left = kEscape;
    nodes_[inner].right = leaf;
    nodes_[inner].parent = up;
    nodes_[kEscape].parent = inner;
    nodes_[leaf].parent = inner;
    leaves_[symbol] = leaf;
    Increment(up);
  }

  int Root() const { return root_; }
  int Symbol(int n) const { return nodes_[n].symbol; }
  int Child(int n, int bit) const { return bit ? nodes_[n].right : nodes_[n].left; }

 private:
  static constexpr int kEscape = 0;

  struct Node {
    int parent = kNone, left = kNone, right = kNone;
    int prev = kNone, next = kNone;  // the rank list, lowest (the escape leaf) first
    int block = kNone;               // shared by all nodes of one weight: its highest node
    int weight = 0;
    int symbol = kInner;
  };

  int New(int symbol) {
    nodes_.push_back(Node{.weight = 1, .symbol = symbol});
    return static_cast<int>(nodes_.size()) - 1;
  }
  int NewBlock(int leader) {
    if (free_.empty()) {
      leaders_.push_back(leader);
      return static_cast<int>(leaders_.size()) - 1;
    }
    const int b = free_.back();
    free_.pop_back();
    leaders_[b] = leader;
    return b;
  }

  // Exchanges two subtrees. Two siblings swap only when the first is the right child: the
  // engines' coder does the same.
  void SwapInTree(int a, int b) {
    const int pa = nodes_[a].parent;
    const int pb = nodes_[b].parent;
    if (pa == kNone) {
      root_ = b;
    } else if (nodes_[pa].left == a) {
      nodes_[pa].left = b;
    } else {
      nodes_[pa].right = b;
    }
    if (pb == kNone) {
      root_ = a;
    } else if (nodes_[pb].left == b) {
      nodes_[pb].left = a;
    } else {
      nodes_[pb].right = a;
    }
    nodes_[a].parent = pb;
    nodes_[b].parent = pa;
  }

  void SwapInList(int a, int b) {
    if (a == b) return;
    Node& x = nodes_[a];
    Node& y = nodes_[b];
    std::swap(x.prev, y.prev);
    std::swap(x.next, y.next);
    if (x.prev == a) x.prev = b;
    if (x.next == a) x.next = b;
    if (y.prev == b) y.prev = a;
    if (y.next == b) y.next = a;
    for (const int n : {a, b}) {
      if (nodes_[n].prev != kNone) nodes_[nodes_[n].prev].next = n;
      if (nodes_[n].next != kNone) nodes_[nodes_[n].next].prev = n;
    }
  }

  void Increment(int n) {
    if (n == kNone) return;
    Node& node = nodes_[n];
    if (node.next != kNone && nodes_[node.next].weight == node.weight) {
      // Move to the top of its block first, so that the weights stay in rank order.
      const int leader = leaders_[node.block];
      if (leader != node.parent) SwapInTree(leader, n);
      SwapInList(leader, n);
    }
    if (node.prev != kNone && nodes_[node.prev].weight == node.weight) {
      leaders_[node.block] = node.prev;
    } else {
      free_.push_back(node.block);
    }
    ++node.weight;
    if (node.next != kNone && nodes_[node.next].weight == node.weight) {
      node.block = nodes_[node.next].block;
    } else {
      node.block = NewBlock(n);
    }
    if (node.parent != kNone) {
      Increment(node.parent);
      if (node.prev == node.parent) {
        SwapInList(n, node.parent);
        if (leaders_[node.block] == n) leaders_[node.block] = node.parent;
      }
    }
  }

  std::vector<Node> nodes_;
  std::vector<int> leaders_;
  std::vector<int> free_;
  std::array<int, 256> leaves_{};
  int root_ = kEscape;
};

}  // namespace

const MessageCode& MessageCode::Get() {
  static const MessageCode code;
  return code;
}

MessageCode::MessageCode() {
  AdaptiveTree tree;
  for (int symbol = 0; symbol < 256; ++symbol) {
    for (int i = 0; i < kByteCounts[symbol]; ++i) tree.Add(symbol);
  }
  // Every stream position that begins with a word gets its byte and length. The tree's
  // words are at most kLongestWord bits long; a longer one would stay unreadable, never
  // misread.
  const auto fill = [&](auto&& self, int node, unsigned word, int length) -> void {
    const int symbol = tree.Symbol(node);
    if (symbol == kInner) {
      if (length == kLongestWord) return;
      self(self, tree.Child(node, 0), word, length + 1);
      self(self, tree.Child(node, 1), word | (1u << length), length + 1);
      return;
    }
    if (symbol == kNotYetSeen || length == 0) return;
    for (unsigned rest = 0; rest < (1u << (kLongestWord - length)); ++rest) {
      words_[word | (rest << length)] = static_cast<std::uint16_t>(symbol * 16 + length);
    }
  };
  fill(fill, tree.Root(), 0, 0);
}

int MessageCode::Decode(std::string_view data, std::size_t& bit) const {
  const std::size_t end = data.size() * 8;
  if (bit >= end) return -1;
  std::uint32_t next = 0;
  const std::size_t first = bit >> 3;
  for (std::size_t i = 0; i < 3 && first + i < data.size(); ++i) {
    next |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[first + i])) << (8 * i);
  }
  const std::uint16_t entry = words_[(next >> (bit & 7)) & ((1u << kLongestWord) - 1)];
  const std::size_t length = entry & 15;
  if (length == 0 || end - bit < length) return -1;
  bit += length;
  return entry >> 4;
}

}  // namespace rd::demo
