#include "demo/DemoReader.h"

#include <cmath>
#include <cstring>

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
constexpr std::size_t kHeaderBytes = 544;
constexpr std::size_t kEntryBytes = 92;
constexpr std::int32_t kMaxEntries = 1024;
constexpr std::size_t kUsualEntries = 2;
constexpr std::int32_t kPlayback = 1;
constexpr double kMaxSeconds = 1e7;  // months of play: anything longer is damage

// A NUL-terminated text in a fixed field; false when the field holds no terminator.
bool FieldText(std::string_view header, std::size_t at, std::size_t size, std::string& text) {
  const std::string_view field = header.substr(at, size);
  const auto end = field.find('\0');
  if (end == std::string_view::npos) return false;
  text = field.substr(0, end);
  return true;
}

template <class ReadAt>
DemoInfo ReadGoldSrc(std::string_view start, ReadAt&& readAt) {
  if (start.size() < kHeaderBytes) return Fail("the file is too short");
  DemoInfo info;
  info.protocol = Int32At(start, 12);
  if (!FieldText(start, 16, 260, info.map)) return Fail("the map name has no end");
  if (!FieldText(start, 276, 260, info.mod)) return Fail("the game folder name has no end");
  if (info.map.empty()) return Fail("the demo names no map");
  if (!Printable(info.map)) return Fail("the map name is unreadable");
  if (info.mod.empty()) return Fail("the demo names no game folder");
  if (!FolderName(info.mod)) return Fail("the game folder name is unreadable");

  const std::int32_t directory = Int32At(start, 540);
  info.read = true;
  // A recording that was never finished keeps offset 0: the game still plays it, only its
  // length is unknown.
  if (directory == 0) return info;
  if (directory < static_cast<std::int32_t>(kHeaderBytes)) {
    return Fail("the directory offset is impossible");
  }
  // Writers put two entries: one read is enough for those.
  const std::size_t size = 4 + kEntryBytes * kUsualEntries;
  std::string bytes;
  if (!readAt(static_cast<std::uint64_t>(directory), size, bytes)) {
    return Fail("the file cannot be read");
  }
  if (bytes.size() < 4) return Fail("the directory lies past the end of the file");
  const std::int32_t count = Int32At(bytes, 0);
  if (count < 1 || count > kMaxEntries) {
    return Fail("the directory has an impossible number of entries");
  }
  const std::size_t end = 4 + kEntryBytes * static_cast<std::size_t>(count);
  if (end > size && !readAt(static_cast<std::uint64_t>(directory), end, bytes)) {
    return Fail("the file cannot be read");
  }
  if (bytes.size() < end) return Fail("the directory is cut off");
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

DemoInfo ReadGameState(std::string_view message) {
  MessageReader in(message);
  std::uint32_t number = 0;
  int command = 0;
  std::string text;
  const auto cut = [] { return Fail("the first message ends early"); };
  if (!in.Number(4, number)) return cut();  // the reliable acknowledge
  // Servers may send commands before the game state.
  for (;;) {
    if (!in.Byte(command)) return cut();
    if (command == kGameState) break;
    if (command == kNop) continue;
    if (command != kServerCommand) return Fail("the first message holds no game state");
    if (!in.Number(4, number)) return cut();
    const int got = in.Text(kMaxString, text);
    if (got == 0) return cut();
    if (got < 0) return Fail("a server command is too long");
  }
  if (!in.Number(4, number)) return cut();  // the command sequence

  // Server info and system info are all the demo has to say: once both are read, the rest
  // of the game state can be what it likes.
  std::string serverInfo, systemInfo;
  bool haveServerInfo = false, haveSystemInfo = false;
  while (!(haveServerInfo && haveSystemInfo)) {
    if (!in.Byte(command)) return cut();
    if (command == kBaseline || command == kEnd) break;
    if (command != kConfigString) return Fail("the game state holds an unknown command");
    if (!in.Number(2, number)) return cut();
    const int index = static_cast<std::int16_t>(number);
    if (index < 0 || index >= kMaxConfigStrings) {
      return Fail("a config string has an impossible index");
    }
    const int got = in.Text(kMaxBigString, text);
    if (got == 0) return Fail("a config string has no end");
    if (got < 0) return Fail("a config string is too long");
    if (index == 0) {
      serverInfo = text;
      haveServerInfo = true;
    } else if (index == 1) {
      systemInfo = text;
      haveSystemInfo = true;
    }
  }
  if (!haveServerInfo) return Fail("the demo holds no server info");

  DemoInfo info;
  info.engine = Engine::Quake3;
  info.map = InfoValue(serverInfo, "mapname");
  info.mod = InfoValue(systemInfo, "fs_game");
  info.protocol = NumberOr(InfoValue(serverInfo, "protocol"), 0);
  info.hostName = Tidy(InfoValue(serverInfo, "sv_hostname"));
  info.gameName = Tidy(InfoValue(serverInfo, "gamename"));
  info.gameType = NumberOr(InfoValue(serverInfo, "g_gametype"), -1);
  if (info.map.empty()) return Fail("the demo names no map");
  if (!Printable(info.map)) return Fail("the map name is unreadable");
  if (!info.mod.empty() && !FolderName(info.mod)) return Fail("the mod name is unreadable");
  info.read = true;
  return info;
}

DemoInfo ReadQuake3(std::string_view start) {
  if (start.size() < 8) return Fail("the file is too short");
  const std::int32_t length = Int32At(start, 4);
  if (length == -1) return Fail("the demo holds no messages");
  if (length < 0 || length > kMaxMessage) return Fail("the file is not a demo of a known kind");
  if (start.size() - 8 < static_cast<std::size_t>(length)) {
    return Fail("the first message is cut off");
  }
  return ReadGameState(start.substr(8, static_cast<std::size_t>(length)));
}

template <class ReadAt>
DemoInfo Read(std::string_view start, ReadAt&& readAt) {
  if (start.substr(0, kGoldSrcMagic.size()) != kGoldSrcMagic) return ReadQuake3(start);
  DemoInfo info = ReadGoldSrc(start, readAt);
  info.engine = Engine::GoldSrc;
  return info;
}

}  // namespace

DemoInfo ReadDemo(FileSystem& files, const std::string& path) {
  std::string start;
  if (files.ReadBytes(path, 0, kStartBytes, start) != 0) return Fail("the file cannot be read");
  return Read(start, [&](std::uint64_t offset, std::size_t count, std::string& bytes) {
    return files.ReadBytes(path, offset, count, bytes) == 0;
  });
}

DemoInfo ReadDemoBytes(std::string_view file) {
  return Read(file.substr(0, kStartBytes),
              [&](std::uint64_t offset, std::size_t count, std::string& bytes) {
                bytes = offset < file.size() ? file.substr(offset, count) : std::string_view{};
                return true;
              });
}

}  // namespace rd::demo
