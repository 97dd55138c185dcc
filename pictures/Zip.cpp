#include "pictures/Zip.h"

#include <algorithm>
#include <array>

#ifdef RD_PICTURES_ZLIB
#include <zlib.h>
#endif

#include "pictures/StbImage.h"

namespace rd::pictures {
namespace {

constexpr std::size_t kEndRecord = 22;       // end of central directory, without its comment
constexpr std::size_t kMaxComment = 0xFFFF;
constexpr std::size_t kDirectoryEntry = 46;  // fixed part of a central directory entry
constexpr std::size_t kLocalHeader = 30;

std::uint32_t Le(std::string_view b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

bool Signature(std::string_view b, std::size_t at, char third, char fourth) {
  return b.size() >= at + 4 && b[at] == 'P' && b[at + 1] == 'K' && b[at + 2] == third &&
         b[at + 3] == fourth;
}

}  // namespace

std::optional<std::vector<ZipEntry>> ReadZipDirectory(FileSystem& files, const std::string& path,
                                                      std::uint64_t fileSize,
                                                      std::size_t maxDirectory) {
  if (fileSize < kEndRecord) return std::nullopt;
  const std::uint64_t tailSize = std::min<std::uint64_t>(fileSize, kEndRecord + kMaxComment);
  const std::uint64_t tailStart = fileSize - tailSize;
  std::string tail;
  if (files.ReadBytes(path, tailStart, static_cast<std::size_t>(tailSize), tail) != 0 ||
      tail.size() != tailSize) {
    return std::nullopt;
  }
  // The record is the last signature whose fixed part fits; a comment may follow it.
  std::size_t at = tail.size() - kEndRecord + 1;
  do {
    --at;
  } while (at > 0 && !Signature(tail, at, 5, 6));
  if (!Signature(tail, at, 5, 6)) return std::nullopt;
  const std::uint64_t endRecord = tailStart + at;
  // zip64 keeps its true counts in a record of its own, announced by a locator just before.
  if (at >= 20 && Signature(tail, at - 20, 6, 7)) return std::nullopt;

  const std::uint32_t disk = Le(tail, at + 4, 2), directoryDisk = Le(tail, at + 6, 2);
  const std::uint32_t onDisk = Le(tail, at + 8, 2), count = Le(tail, at + 10, 2);
  const std::uint32_t directorySize = Le(tail, at + 12, 4), directoryOffset = Le(tail, at + 16, 4);
  if (disk != 0 || directoryDisk != 0 || onDisk != count || count == 0xFFFF ||
      directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF ||
      directorySize > maxDirectory ||
      std::uint64_t{directoryOffset} + directorySize > endRecord ||
      std::uint64_t{count} * kDirectoryEntry > directorySize) {
    return std::nullopt;
  }
  // Bytes before the archive proper (a self-extractor's stub) shift every offset alike.
  const std::uint64_t shift = endRecord - directorySize - directoryOffset;

  std::string dir;
  if (files.ReadBytes(path, shift + directoryOffset, directorySize, dir) != 0 ||
      dir.size() != directorySize) {
    return std::nullopt;
  }
  std::vector<ZipEntry> entries;
  entries.reserve(count);
  std::size_t pos = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (pos + kDirectoryEntry > dir.size() || !Signature(dir, pos, 1, 2)) return std::nullopt;
    const std::size_t nameLength = Le(dir, pos + 28, 2), extraLength = Le(dir, pos + 30, 2),
                      commentLength = Le(dir, pos + 32, 2);
    const std::size_t next = pos + kDirectoryEntry + nameLength + extraLength + commentLength;
    if (next > dir.size()) return std::nullopt;
    ZipEntry e;
    e.method = static_cast<std::uint16_t>(Le(dir, pos + 10, 2));
    e.crc = Le(dir, pos + 16, 4);
    e.packedSize = Le(dir, pos + 20, 4);
    e.size = Le(dir, pos + 24, 4);
    e.headerOffset = shift + Le(dir, pos + 42, 4);
    e.name.assign(dir, pos + kDirectoryEntry, nameLength);
    const bool encrypted = (Le(dir, pos + 8, 2) & 1) != 0;
    if (e.packedSize == 0xFFFFFFFF || e.size == 0xFFFFFFFF || Le(dir, pos + 42, 4) == 0xFFFFFFFF) {
      return std::nullopt;  // a zip64 member
    }
    if (encrypted) e.method = 0xFFFF;  // listed, never read
    if (e.headerOffset + kLocalHeader + e.packedSize <= endRecord) entries.push_back(std::move(e));
    pos = next;
  }
  return entries;
}

std::optional<std::string> ReadZipEntry(FileSystem& files, const std::string& path,
                                        const ZipEntry& entry, std::size_t maxSize) {
  if (entry.size > maxSize || entry.packedSize > maxSize + (maxSize >> 3) + 1024 ||
      (entry.method != 0 && entry.method != 8) ||
      (entry.method == 0 && entry.packedSize != entry.size)) {
    return std::nullopt;
  }
  std::string header;
  if (files.ReadBytes(path, entry.headerOffset, kLocalHeader, header) != 0 ||
      header.size() != kLocalHeader || !Signature(header, 0, 3, 4)) {
    return std::nullopt;
  }
  // The local header's own name and extra field may differ in length from the directory's.
  const std::uint64_t data = entry.headerOffset + kLocalHeader + Le(header, 26, 2) + Le(header, 28, 2);
  std::string packed;
  if (files.ReadBytes(path, data, entry.packedSize, packed) != 0 || packed.size() != entry.packedSize) {
    return std::nullopt;
  }
  std::optional<std::string> bytes =
      entry.method == 0 ? std::optional(std::move(packed)) : Inflate(packed, entry.size);
  if (!bytes || Crc32(*bytes) != entry.crc) return std::nullopt;
  return bytes;
}

std::optional<std::string> Inflate(std::string_view packed, std::size_t size) {
#ifdef RD_PICTURES_ZLIB
  std::string out(size, '\0');
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return std::nullopt;
  // An empty member still holds one final block; a one-byte scratch keeps zlib's pointers valid.
  unsigned char scratch = 0;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = size ? reinterpret_cast<Bytef*>(out.data()) : &scratch;
  z.avail_out = static_cast<uInt>(size);
  const int result = inflate(&z, Z_FINISH);
  const bool whole = result == Z_STREAM_END && z.total_out == size;
  inflateEnd(&z);
  if (!whole) return std::nullopt;
  return out;
#else
  return InflateWithStb(packed, size);
#endif
}

std::optional<std::string> InflateWithStb(std::string_view packed, std::size_t size) {
  std::string out(size + 1, '\0');  // one spare byte tells "exactly size" from "more"
  const long got = stb::InflateRaw(packed, out.data(), out.size());
  if (got < 0 || static_cast<std::size_t>(got) != size) return std::nullopt;
  out.resize(size);
  return out;
}

std::uint32_t Crc32Portable(std::string_view bytes) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (const char b : bytes) c = table[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::uint32_t Crc32(std::string_view bytes) {
#ifdef RD_PICTURES_ZLIB
  uLong c = crc32(0L, Z_NULL, 0);
  while (!bytes.empty()) {  // zlib counts in uInt
    const auto n = static_cast<uInt>(std::min<std::size_t>(bytes.size(), 1u << 30));
    c = crc32(c, reinterpret_cast<const Bytef*>(bytes.data()), n);
    bytes.remove_prefix(n);
  }
  return static_cast<std::uint32_t>(c);
#else
  return Crc32Portable(bytes);
#endif
}

}  // namespace rd::pictures
