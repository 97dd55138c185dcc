#include "demo/DemoReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "catalogue/OtherDemos.h"
#include "demo/MessageCode.h"
#include "util/Text.h"

namespace rd::demo {
namespace {

DemoInfo Fail(std::string reason) {
  DemoInfo info;
  info.reason = std::move(reason);
  return info;
}

std::int32_t Int32At(std::string_view bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return static_cast<std::int32_t>(v);
}

bool Printable(std::string_view text) {
  for (const char c : text) {
    if (c < 0x20 || c > 0x7e) return false;
  }
  return true;
}

// A mod goes onto the game's command line as a folder name: letters, digits and a few
// marks, never a path, a space or an option of its own.
bool FolderName(std::string_view name) {
  if (name.empty() || name.front() == '.' || name.front() == '-') return false;
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

std::string Tidy(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c < 0x20 || c > 0x7e) c = '.';
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// GoldSrc: a fixed header at the start, a directory of segments at the offset it gives.

constexpr std::string_view kGoldSrcMagic{"HLDEMO\0\0", 8};
constexpr std::size_t kEntryBytes = 92;
constexpr std::int32_t kMaxEntries = 1024;
constexpr std::size_t kUsualEntries = 2;
constexpr std::int32_t kPlayback = 1;
constexpr double kMaxSeconds = 1e7;  // months of play: anything longer is damage

// Reads bytes at an offset of the file; false when the file cannot be read. Past the end
// it answers fewer bytes, or none.
using ReadAt = std::function<bool(std::uint64_t, std::size_t, std::string&)>;

// The header's two forms: demo protocol 5 has 260-byte name fields, 4 and older 128.
struct HeaderForm {
  std::size_t field;
  std::size_t bytes;
};
constexpr HeaderForm kHeader{260, 544};
constexpr HeaderForm kOldHeader{128, 280};
constexpr std::int32_t kLastOldProtocol = 4;

// A NUL-terminated text in a fixed field; false when the field holds no terminator.
bool FieldText(std::string_view header, std::size_t at, std::size_t size, std::string& text) {
  const std::string_view field = header.substr(at, size);
  const auto end = field.find('\0');
  if (end == std::string_view::npos) return false;
  text = field.substr(0, end);
  return true;
}

DemoInfo ReadGoldSrc(std::string_view start, const ReadAt& readAt) {
  if (start.size() < 16) return Fail("the file is too short");
  const HeaderForm form = Int32At(start, 8) <= kLastOldProtocol ? kOldHeader : kHeader;
  if (start.size() < form.bytes) return Fail("the file is too short");
  DemoInfo info;
  info.protocol = Int32At(start, 12);
  if (!FieldText(start, 16, form.field, info.map)) return Fail("the map name has no end");
  if (!FieldText(start, 16 + form.field, form.field, info.mod)) {
    return Fail("the game folder name has no end");
  }
  if (info.map.empty()) return Fail("the demo names no map");
  if (!Printable(info.map)) return Fail("the map name is unreadable");
  if (info.mod.empty()) return Fail("the demo names no game folder");
  if (!FolderName(info.mod)) return Fail("the game folder name is unreadable");

  const std::int32_t directory = Int32At(start, form.bytes - 4);
  info.read = true;
  // A recording that was never finished keeps offset 0: the game still plays it, only its
  // length is unknown.
  if (directory == 0) return info;
  if (directory < static_cast<std::int32_t>(form.bytes)) {
    return Fail("the directory offset is impossible");
  }
  // Writers put two entries: one read is enough for those. A byte more shows whether the
  // directory ends the file.
  const std::size_t size = 4 + kEntryBytes * kUsualEntries;
  std::string bytes;
  if (!readAt(static_cast<std::uint64_t>(directory), size + 1, bytes)) {
    return Fail("the file cannot be read");
  }
  if (bytes.size() < 4) return Fail("the directory lies past the end of the file");
  const std::int32_t count = Int32At(bytes, 0);
  if (count < 1 || count > kMaxEntries) {
    return Fail("the directory has an impossible number of entries");
  }
  const std::size_t end = 4 + kEntryBytes * static_cast<std::size_t>(count);
  if (end > size && !readAt(static_cast<std::uint64_t>(directory), end + 1, bytes)) {
    return Fail("the file cannot be read");
  }
  if (bytes.size() < end) return Fail("the directory is cut off");
  // Every writer ends the file with the directory: a header read in the wrong form, or
  // damaged, points elsewhere.
  if (bytes.size() > end) return Fail("the directory does not end the file");
  for (std::size_t at = 4; at < end; at += kEntryBytes) {
    if (Int32At(bytes, at) != kPlayback) continue;
    float seconds = 0;
    const std::uint32_t raw = static_cast<std::uint32_t>(Int32At(bytes, at + 76));
    std::memcpy(&seconds, &raw, sizeof seconds);
    if (!std::isfinite(seconds) || seconds < 0 || seconds > kMaxSeconds) {
      return Fail("the playback length is damaged");
    }
    info.seconds = seconds;
    break;
  }
  return info;
}

// ---------------------------------------------------------------------------------------
// Other games' demos: named for what they are, never read as one of the three games'.

DemoInfo Other(std::string_view kind, std::string map = {}) {
  DemoInfo info;
  info.read = true;
  info.engine = Engine::Other;
  info.kind = kind;
  info.map = std::move(map);
  return info;
}

// The Source engine's header: magic, two protocols, then server, client, map and game
// folder in 260-byte fields.
DemoInfo ReadSource(std::string_view start) {
  std::string map, folder;
  if (start.size() < 16 + 4 * 260 || !FieldText(start, 16 + 2 * 260, 260, map) ||
      !FieldText(start, 16 + 3 * 260, 260, folder) || !Printable(map) || !FolderName(folder)) {
    return Other(catalogue::SourceKind(""));
  }
  return Other(catalogue::SourceKind(folder), map);
}

// ---------------------------------------------------------------------------------------
// Quake 3 engine: records of sequence, length and a coded message; the first message is
// the game state, whose config strings name the map and the mod.

constexpr std::int32_t kMaxMessage = 32768;  // Return To Castle Wolfenstein's; Quake 3's is half
constexpr int kMaxConfigStrings = 2048;
constexpr std::size_t kMaxBigString = 8191;
constexpr std::size_t kMaxString = 1023;

enum Command : int {
  kNop = 1,
  kGameState = 2,
  kConfigString = 3,
  kBaseline = 4,
  kServerCommand = 5,
  kEnd = 8
};

// Reads the message as the engines do: every byte one code word, numbers low byte first.
// A value counts as read only while the reading stays inside the message, with the
// engines' own margin (a value that ends on its last bit is already past it).
class MessageReader {
 public:
  explicit MessageReader(std::string_view message) : message_(message) {}

  bool Byte(int& value) {
    value = MessageCode::Get().Decode(message_, bit_);
    return value >= 0 && bit_ < message_.size() * 8;
  }
  bool Number(int bytes, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < bytes; ++i) {
      int b = 0;
      if (!Byte(b)) return false;
      value |= static_cast<std::uint32_t>(b) << (8 * i);
    }
    return true;
  }
  // A string up to its NUL: 1 when read, 0 when the message ends first, -1 when longer
  // than limit.
  int Text(std::size_t limit, std::string& text) {
    text.clear();
    for (int c = 0; Byte(c);) {
      if (c == 0) return 1;
      if (text.size() == limit) return -1;
      text += (c == '%') ? '.' : static_cast<char>(c);
    }
    return 0;
  }

 private:
  std::string_view message_;
  std::size_t bit_ = 0;
};

// The value of key in a \key\value\... list (keys without regard to case), empty if absent.
std::string InfoValue(std::string_view info, std::string_view key) {
  if (!info.empty() && info.front() == '\\') info.remove_prefix(1);
  while (!info.empty()) {
    const auto keyEnd = info.find('\\');
    if (keyEnd == std::string_view::npos) break;
    const std::string_view name = info.substr(0, keyEnd);
    info.remove_prefix(keyEnd + 1);
    const auto valueEnd = info.find('\\');
    const std::string_view value = info.substr(0, valueEnd);
    if (util::EqualsNoCase(name, key)) return std::string(value);
    if (valueEnd == std::string_view::npos) break;
    info.remove_prefix(valueEnd + 1);
  }
  return {};
}

int NumberOr(std::string_view text, int otherwise) {
  if (text.empty() || text.size() > 9) return otherwise;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return otherwise;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The engine's own clean-up of a name: a caret and the character after it are a colour
// code unless that character is another caret; characters it cannot print go too.
std::string WithoutColours(std::string_view name) {
  std::string plain;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '^' && i + 1 < name.size() && name[i + 1] != '^') {
      ++i;
    } else if (name[i] >= 0x20 && name[i] <= 0x7e) {
      plain += name[i];
    }
  }
  return plain;
}

// Where the players' config strings begin: Return To Castle Wolfenstein has more sounds.
constexpr int kPlayersQuake3 = 544;
constexpr int kPlayersWolfenstein = 576;
constexpr int kMaxClients = 64;
constexpr int kMapTitle = 3;
constexpr char kSpectatorTeam[] = "3";

bool IsWolfenstein(int protocol) { return protocol >= 57 && protocol <= 60; }

struct GameState {
  DemoInfo info;
  std::string version;  // the server's version string
};

GameState ReadGameState(std::string_view message, int demoProtocol) {
  GameState state;
  const auto fail = [&](const char* reason) {
    state.info = Fail(reason);
    return state;
  };
  MessageReader in(message);
  std::uint32_t number = 0;
  int command = 0;
  std::string text;
  const char* const cut = "the first message ends early";
  if (!in.Number(4, number)) return fail(cut);  // the reliable acknowledge
  // Servers may send commands before the game state.
  for (;;) {
    if (!in.Byte(command)) return fail(cut);
    if (command == kGameState) break;
    if (command == kNop) continue;
    if (command != kServerCommand) return fail("the first message holds no game state");
    if (!in.Number(4, number)) return fail(cut);
    const int got = in.Text(kMaxString, text);
    if (got == 0) return fail(cut);
    if (got < 0) return fail("a server command is too long");
  }
  if (!in.Number(4, number)) return fail(cut);  // the command sequence

  // The config strings run up to the first baseline; what is after them says nothing the
  // line shows.
  std::map<int, std::string> strings;
  // Once server info and system info are read, a fault further on costs only the players.
  const auto known = [&] { return strings.count(0) && strings.count(1); };
  for (;;) {
    const char* fault = nullptr;
    int got = 1;
    if (!in.Byte(command)) {
      fault = cut;
    } else if (command == kBaseline || command == kEnd) {
      break;
    } else if (command != kConfigString) {
      fault = "the game state holds an unknown command";
    } else if (!in.Number(2, number)) {
      fault = cut;
    } else if (static_cast<std::int16_t>(number) < 0 ||
               static_cast<std::int16_t>(number) >= kMaxConfigStrings) {
      fault = "a config string has an impossible index";
    } else if ((got = in.Text(kMaxBigString, text)) != 1) {
      fault = got == 0 ? "a config string has no end" : "a config string is too long";
    }
    if (fault) {
      if (known()) break;
      return fail(fault);
    }
    strings[static_cast<std::int16_t>(number)] = text;
  }
  if (!strings.count(0)) return fail("the demo holds no server info");

  const std::string& serverInfo = strings[0];
  const std::string& systemInfo = strings[1];
  DemoInfo& info = state.info;
  info.engine = Engine::Quake3;
  info.map = InfoValue(serverInfo, "mapname");
  info.mod = InfoValue(systemInfo, "fs_game");
  info.protocol = demoProtocol > 0 ? demoProtocol : NumberOr(InfoValue(serverInfo, "protocol"), 0);
  info.hostName = Tidy(InfoValue(serverInfo, "sv_hostname"));
  info.gameName = Tidy(InfoValue(serverInfo, "gamename"));
  info.gameType = NumberOr(InfoValue(serverInfo, "g_gametype"), -1);
  info.mapTitle = WithoutColours(strings[kMapTitle]);
  state.version = InfoValue(serverInfo, "version");
  if (info.map.empty()) return fail("the demo names no map");
  if (!Printable(info.map)) return fail("the map name is unreadable");
  if (!info.mod.empty() && !FolderName(info.mod)) return fail("the mod name is unreadable");

  // Its game module calls itself "main" where the name gives no protocol.
  const bool wolfenstein = IsWolfenstein(info.protocol) || (info.protocol == 0 && info.gameName == "main");
  const int players = wolfenstein ? kPlayersWolfenstein : kPlayersQuake3;
  for (auto it = strings.lower_bound(players); it != strings.end() && it->first < players + kMaxClients;
       ++it) {
    const std::string name = WithoutColours(InfoValue(it->second, "n"));
    if (name.empty()) continue;
    info.players.push_back(Player{name, InfoValue(it->second, "t") == kSpectatorTeam});
  }
  info.read = true;
  return state;
}

// ---------------------------------------------------------------------------------------
// The match length: the server time of the first snapshot and of the last, read from the
// records near the start and the end of the file, never from the whole demo.

constexpr int kSnapshot = 7;
constexpr std::size_t kRecordHeader = 8;
// Enough of the end to hold the largest record and the end marker.
constexpr std::size_t kTailBytes = 2 * kRecordHeader + kMaxMessage;
// The most of a file's end any reading looks at: a cut-off demo's tail.
constexpr std::size_t kEndBytes = 2 * kTailBytes;
constexpr std::size_t kChunk = 64 * 1024;
constexpr int kSearchedForFirst = 64;  // records after the game state searched for a snapshot
constexpr double kMaxMatch = 1e6;      // over eleven days: a damaged or foreign time

// The server time of the message's snapshot; false when it holds none before other data.
bool SnapshotTime(std::string_view message, std::int32_t& time) {
  MessageReader in(message);
  std::uint32_t number = 0;
  std::string text;
  if (!in.Number(4, number)) return false;
  for (int command = 0;;) {
    if (!in.Byte(command)) return false;
    if (command == kNop) continue;
    if (command == kServerCommand) {
      if (!in.Number(4, number) || in.Text(kMaxString, text) != 1) return false;
      continue;
    }
    if (command != kSnapshot || !in.Number(4, number)) return false;
    time = static_cast<std::int32_t>(number);
    return true;
  }
}

// Reads the file through a window of a few kilobytes, so that walking record headers costs
// one read per window rather than one per record.
class Window {
 public:
  // start: the bytes at the start of the file, already read.
  Window(const ReadAt& readAt, std::uint64_t size, std::string_view start)
      : readAt_(readAt), size_(size), buffer_(start) {}
  bool Get(std::uint64_t at, std::size_t count, std::string_view& bytes) {
    if (at > size_ || count > size_ - at) return false;
    if (at < base_ || at + count > base_ + buffer_.size()) {
      if (!readAt_(at, std::max(count, kChunk), buffer_) || buffer_.size() < count) return false;
      base_ = at;
    }
    bytes = std::string_view(buffer_).substr(static_cast<std::size_t>(at - base_), count);
    return true;
  }

 private:
  const ReadAt& readAt_;
  std::uint64_t size_;
  std::uint64_t base_ = 0;
  std::string buffer_;
};

// The record at offset: its message length, -1 for the end marker, -2 when there is no
// whole record there.
std::int32_t RecordLength(Window& file, std::uint64_t at) {
  std::string_view header;
  if (!file.Get(at, kRecordHeader, header)) return -2;
  const std::int32_t length = Int32At(header, 4);
  if (length == -1) return -1;
  if (length < 0 || length > kMaxMessage) return -2;
  std::string_view message;
  return file.Get(at + kRecordHeader, static_cast<std::size_t>(length), message) ? length : -2;
}

bool RecordTime(Window& file, std::uint64_t at, std::int32_t& time) {
  const std::int32_t length = RecordLength(file, at);
  std::string_view message;
  return length >= 0 &&
         file.Get(at + kRecordHeader, static_cast<std::size_t>(length), message) &&
         SnapshotTime(message, time);
}

// The last snapshot's time from the end: in a finished demo the last whole record ends where
// the end marker begins, and only one offset in the tail fits that.
bool LastTimeFromTail(Window& file, std::uint64_t size, std::int32_t& time) {
  if (size < kRecordHeader * 2) return false;
  const std::uint64_t end = size - kRecordHeader;
  const std::uint64_t from = end > kTailBytes ? end - kTailBytes : 0;
  std::string_view tail;
  if (!file.Get(from, static_cast<std::size_t>(size - from), tail)) return false;
  if (Int32At(tail, tail.size() - 4) != -1) return false;
  tail.remove_suffix(kRecordHeader);
  int found = 0;
  for (std::size_t at = 0; at + kRecordHeader <= tail.size(); ++at) {
    const std::int32_t length = Int32At(tail, at + 4);
    std::int32_t candidate = 0;
    if (length < 0 || at + kRecordHeader + static_cast<std::size_t>(length) != tail.size() ||
        !SnapshotTime(tail.substr(at + kRecordHeader), candidate)) {
      continue;
    }
    if (found++ > 0 && candidate != time) return false;
    time = candidate;
  }
  return found > 0;
}

// The last snapshot's time at the end of a demo cut short or damaged at its end: the records
// chained from some offset of the tail, each header's length leading to the next with a
// larger sequence, up to the last record's room from where the file ends. Offsets inside the true chain all lead
// to its last record; a chance chain that leads elsewhere makes the answer unsure.
bool LastTimeFromCutTail(Window& file, std::uint64_t size, std::int32_t& time) {
  constexpr std::uint32_t kLinks = 3;
  const std::uint64_t from = size > kEndBytes ? size - kEndBytes : 0;
  std::string_view tail;
  if (!file.Get(from, static_cast<std::size_t>(size - from), tail)) return false;
  // Each offset's chain, worked out from the end back: its record, then the chain from the
  // next header when that header may follow. Chains that meet share their rest, so no
  // offset is walked twice (a tail of padding behind a demo would make that quadratic).
  // Each is kept in four bytes, its last record and how many records it has (up to kLinks);
  // the room is kept for the thread's next demo, as a library's scan reads thousands.
  constexpr int kLinkShift = 24;
  thread_local std::vector<std::uint32_t> chains;
  chains.assign(tail.size(), 0);
  const auto recordEnd = [&](std::size_t at) {
    return at + kRecordHeader + static_cast<std::size_t>(Int32At(tail, at + 4));
  };
  for (std::size_t at = tail.size(); at-- > 0;) {
    if (at + kRecordHeader > tail.size()) continue;
    const std::int32_t length = Int32At(tail, at + 4);
    // A chain ends at the end marker, at a header that cannot follow, or where the file
    // breaks off.
    if (length < 0 || length > kMaxMessage ||
        at + kRecordHeader + static_cast<std::size_t>(length) > tail.size()) {
      continue;
    }
    const std::size_t next = recordEnd(at);
    std::uint32_t chain = static_cast<std::uint32_t>(at) | (1u << kLinkShift);
    if (next + kRecordHeader <= tail.size() && (chains[next] >> kLinkShift) > 0 &&
        Int32At(tail, next) > Int32At(tail, at)) {
      const std::uint32_t links = std::min<std::uint32_t>(kLinks, (chains[next] >> kLinkShift) + 1);
      chain = (chains[next] & ((1u << kLinkShift) - 1)) | (links << kLinkShift);
    }
    chains[at] = chain;
  }
  std::vector<std::pair<std::size_t, std::int32_t>> decoded;  // last record, its time or -1
  bool found = false;
  for (std::size_t at = 0; at + kRecordHeader <= tail.size(); ++at) {
    const std::uint32_t links = chains[at] >> kLinkShift;
    const std::size_t last = links > 0 ? chains[at] & ((1u << kLinkShift) - 1) : 0;
    const std::size_t pos = links > 0 ? recordEnd(last) : at;
    // Less than a record's room left after it: else a chance chain that broke off early.
    if (links < kLinks || tail.size() - pos > kRecordHeader + kMaxMessage) continue;
    auto known = std::find_if(decoded.begin(), decoded.end(),
                              [&](const auto& entry) { return entry.first == last; });
    if (known == decoded.end()) {
      std::int32_t candidate = -1;
      const std::int32_t length = Int32At(tail, last + 4);
      if (!SnapshotTime(tail.substr(last + kRecordHeader, static_cast<std::size_t>(length)),
                        candidate)) {
        candidate = -1;
      }
      decoded.emplace_back(last, candidate);
      known = decoded.end() - 1;
    }
    if (known->second < 0) continue;
    if (found && known->second != time) return false;
    time = known->second;
    found = true;
  }
  return found;
}

// The last snapshot's time by walking every record header from first: the way for small
// demos whose end neither way above could read. A long one would be read whole: it gets no
// length rather than a wait.
constexpr std::uint64_t kMaxWalked = 16 * 1024 * 1024;
bool LastTimeByWalk(Window& file, std::uint64_t size, std::uint64_t first, std::int32_t& time) {
  if (size > kMaxWalked) return false;
  constexpr std::size_t kKept = 16;
  std::uint64_t recent[kKept] = {};
  std::size_t count = 0;
  for (std::uint64_t at = first;;) {
    const std::int32_t length = RecordLength(file, at);
    if (length < 0) break;
    recent[count++ % kKept] = at;
    at += kRecordHeader + static_cast<std::uint64_t>(length);
  }
  for (std::size_t back = 0; back < std::min(count, kKept); ++back) {
    if (RecordTime(file, recent[(count - 1 - back) % kKept], time)) return true;
  }
  return false;
}

double MatchSeconds(const ReadAt& readAt, std::uint64_t size, std::string_view start,
                    std::uint64_t afterGameState) {
  Window file(readAt, size, start);
  std::int32_t first = 0;
  bool haveFirst = false;
  std::uint64_t at = afterGameState;
  for (int i = 0; i < kSearchedForFirst && !haveFirst; ++i) {
    const std::int32_t length = RecordLength(file, at);
    if (length < 0) break;
    haveFirst = RecordTime(file, at, first);
    at += kRecordHeader + static_cast<std::uint64_t>(length);
  }
  std::int32_t last = 0;
  if (!haveFirst ||
      !(LastTimeFromTail(file, size, last) || LastTimeFromCutTail(file, size, last) ||
        LastTimeByWalk(file, size, afterGameState, last))) {
    return -1;
  }
  // A time that ran backwards (a restarted map) gives no length rather than a wrong one.
  const double seconds = (static_cast<double>(last) - first) / 1000.0;
  return seconds >= 0 && seconds <= kMaxMatch ? seconds : -1;
}

// The protocol a .dm_NN name gives, else 0.
int ExtensionProtocol(std::string_view name) {
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos) return 0;
  const std::string_view extension = name.substr(dot + 1);
  if (extension.size() < 4 || !util::EqualsNoCase(extension.substr(0, 3), "dm_")) return 0;
  return NumberOr(extension.substr(3), 0);
}

// The file's size, 0 when it cannot be told.
using SizeOf = std::function<std::uint64_t()>;

DemoInfo ReadQuake3(std::string_view start, std::string_view name, const SizeOf& sizeOf,
                    const ReadAt& readAt) {
  const std::string_view kind = catalogue::KindByExtension(name);
  if (!kind.empty() && catalogue::IsUncoded(name)) return Other(kind);
  if (start.size() < 8) return kind.empty() ? Fail("the file is too short") : Other(kind);
  const std::int32_t length = Int32At(start, 4);
  GameState state;
  if (length == -1) {
    state.info = Fail("the demo holds no messages");
  } else if (length < 0 || length > kMaxMessage) {
    state.info = Fail("the file is not a demo of a known kind");
  } else if (start.size() - 8 < static_cast<std::size_t>(length)) {
    state.info = Fail("the first message is cut off");
  } else {
    state = ReadGameState(start.substr(8, static_cast<std::size_t>(length)), ExtensionProtocol(name));
  }
  DemoInfo& info = state.info;
  if (!kind.empty()) return Other(kind, info.read ? info.map : std::string());
  if (!info.read) return info;
  if (catalogue::IsEnemyTerritory(info.gameName, state.version)) {
    return Other(catalogue::EnemyTerritoryKind, info.map);
  }
  const std::uint64_t size = sizeOf();
  if (size != 0) info.seconds = MatchSeconds(readAt, size, start, 8 + static_cast<std::uint64_t>(length));
  return info;
}

DemoInfo Read(std::string_view start, std::string_view name, const SizeOf& sizeOf,
              const ReadAt& readAt) {
  if (start.substr(0, 8) == catalogue::SourceMagic) return ReadSource(start);
  if (start.substr(0, 8) == catalogue::Source2Magic) return Other(catalogue::Source2Kind);
  if (start.substr(0, kGoldSrcMagic.size()) != kGoldSrcMagic) {
    return ReadQuake3(start, name, sizeOf, readAt);
  }
  DemoInfo info = ReadGoldSrc(start, readAt);
  info.engine = Engine::GoldSrc;
  return info;
}

}  // namespace

namespace {

DemoInfo ReadPath(FileSystem& files, const std::string& path, const std::uint64_t* size) {
  std::string start, end;
  std::uint64_t endAt = 0;
  if (size && *size > kStartBytes) {
    // The size known, the start and the end (the Quake 3 length's records, the Half-Life
    // directory) come with one opening of the file.
    endAt = *size > kEndBytes ? *size - kEndBytes : 0;
    std::vector<std::string> parts;
    if (files.ReadRanges(path, {{0, kStartBytes}, {endAt, static_cast<std::size_t>(*size - endAt)}},
                         parts) != 0) {
      return Fail("the file cannot be read");
    }
    start = std::move(parts[0]);
    end = std::move(parts[1]);
  } else if (files.ReadBytes(path, 0, kStartBytes, start) != 0) {
    return Fail("the file cannot be read");
  }
  // A file shorter than the start is whole already; only the Quake 3 length asks.
  const SizeOf sizeOf = [&]() -> std::uint64_t {
    FileFacts facts;
    if (start.size() < kStartBytes) return start.size();
    if (size) return *size;
    return files.Facts(path, facts) == 0 ? facts.size : 0;
  };
  const ReadAt readAt = [&](std::uint64_t offset, std::size_t count, std::string& bytes) {
    if (!end.empty() && offset >= endAt && offset <= endAt + end.size()) {
      bytes = end.substr(static_cast<std::size_t>(offset - endAt), count);
      return true;
    }
    return files.ReadBytes(path, offset, count, bytes) == 0;
  };
  return Read(start, path, sizeOf, readAt);
}

}  // namespace

DemoInfo ReadDemo(FileSystem& files, const std::string& path) {
  return ReadPath(files, path, nullptr);
}

DemoInfo ReadDemo(FileSystem& files, const std::string& path, std::uint64_t size) {
  return ReadPath(files, path, &size);
}

DemoInfo ReadDemoBytes(std::string_view file, std::string_view name) {
  const ReadAt readAt = [&](std::uint64_t offset, std::size_t count, std::string& bytes) {
    bytes = offset < file.size() ? file.substr(offset, count) : std::string_view{};
    return true;
  };
  return Read(file.substr(0, kStartBytes), name, [&] { return std::uint64_t{file.size()}; }, readAt);
}

}  // namespace rd::demo
