#include "demo/MessageCode.h"

#include <array>

namespace rd::demo {
namespace {

// How often the engines' authors saw each byte in their network traffic; the code is what
// an adaptive coder has learnt after seeing exactly these bytes, in byte order.
constexpr std::array<int, 256> kByteCounts = {
    250315, 41193, 6292,  7106,  3730,  3750,  6110,  23283, 33317, 6950,  7838,  9714,  9257,  17259, 3949,  1778,
    8288,   1604,  1590,  1663,  1100,  1213,  1238,  1134,  1749,  1059,  1246,  1149,  1273,  4486,  2805,  3472,
    21819,  1159,  1670,  1066,  1043,  1012,  1053,  1070,  1726,  888,   1180,  850,   960,   780,   1752,  3296,
    10630,  4514,  5881,  2685,  4650,  3837,  2093,  1867,  2584,  1949,  1972,  940,   1134,  1788,  1670,  1206,
    5719,   6128,  7222,  6654,  3710,  3795,  1492,  1524,  2215,  1140,  1355,  971,   2180,  1248,  1328,  1195,
    1770,   1078,  1264,  1266,  1168,  965,   1155,  1186,  1347,  1228,  1529,  1600,  2617,  2048,  2546,  3275,
    2410,   3585,  2504,  2800,  2675,  6146,  3663,  2840,  14253, 3164,  2221,  1687,  3208,  2739,  3512,  4796,
    4091,   3515,  5288,  4016,  7937,  6031,  5360,  3924,  4892,  3743,  4566,  4807,  5852,  6400,  6225,  8291,
    23243,  7838,  7073,  8935,  5437,  4483,  3641,  5256,  5312,  5328,  5370,  3492,  2458,  1694,  1821,  2121,
    1916,   1149,  1516,  1367,  1236,  1029,  1258,  1104,  1245,  1006,  1149,  1025,  1241,  952,   1287,  997,
    1713,   1009,  1187,  879,   1099,  929,   1078,  951,   1656,  930,   1153,  1030,  1262,  1062,  1214,  1060,
    1621,   930,   1106,  912,   1034,  892,   1158,  990,   1175,  850,   1121,  903,   1087,  920,   1144,  1056,
    3462,   2240,  4397,  12136, 7758,  1345,  1307,  3278,  1950,  886,   1023,  1112,  1077,  1042,  1061,  1071,
    1484,   1001,  1096,  915,   1052,  995,   1070,  876,   1111,  851,   1059,  805,   1112,  923,   1103,  817,
    1899,   1872,  976,   841,   1127,  956,   1159,  950,   7791,  954,   1289,  933,   1127,  3207,  1020,  927,
    1355,   768,   1040,  745,   952,   805,   1073,  740,   1013,  805,   1008,  796,   996,   1057,  11457, 13504};

constexpr int kNone = -1;
constexpr int kNotYetSeen = 256;  // the escape leaf of the adaptive coder
constexpr int kInner = 257;
constexpr std::uint16_t kLeaf = 0x8000;

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
  int Count() const { return static_cast<int>(nodes_.size()); }

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
  // Flattened: inner nodes keep their index, leaves become kLeaf + symbol. The escape leaf
  // maps to kLeaf + 256, which Decode refuses.
  const auto flat = [&](int n) {
    const int s = tree.Symbol(n);
    return static_cast<std::uint16_t>(s == kInner ? n : kLeaf + s);
  };
  for (auto& side : children_) side.assign(tree.Count(), 0);
  for (int n = 0; n < tree.Count(); ++n) {
    if (tree.Symbol(n) != kInner) continue;
    for (int bit = 0; bit < 2; ++bit) children_[bit][n] = flat(tree.Child(n, bit));
  }
  root_ = flat(tree.Root());
}

int MessageCode::Decode(std::string_view data, std::size_t& bit) const {
  std::uint16_t at = root_;
  const std::size_t end = data.size() * 8;
  while (!(at & kLeaf)) {
    if (bit >= end) return -1;
    const int b = (static_cast<unsigned char>(data[bit >> 3]) >> (bit & 7)) & 1;
    ++bit;
    at = children_[b][at];
  }
  const int symbol = at - kLeaf;
  return symbol < 256 ? symbol : -1;
}

}  // namespace rd::demo
