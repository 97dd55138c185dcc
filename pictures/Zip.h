#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/FileSystem.h"

namespace rd::pictures {

// One member of a zip archive, as its central directory describes it.
struct ZipEntry {
  std::string name;              // as stored: forward slashes, any case
  std::uint64_t headerOffset = 0;  // of its local header, from the start of the file
  std::uint32_t packedSize = 0;
  std::uint32_t size = 0;
  std::uint32_t crc = 0;
  std::uint16_t method = 0;  // 0 stored, 8 deflated; others are listed but never read
};

// The central directory of the zip archive at path, whose size is fileSize. Nothing when the
// file is no zip, is damaged, needs zip64 or spans disks; every offset and size is checked
// against the file before it is used, and the directory may not exceed maxDirectory bytes.
std::optional<std::vector<ZipEntry>> ReadZipDirectory(FileSystem& files, const std::string& path,
                                                      std::uint64_t fileSize,
                                                      std::size_t maxDirectory = 64u << 20);

// The member's bytes, unpacked and checked against its CRC; nothing when it is damaged,
// packed some other way, encrypted, or larger than maxSize.
std::optional<std::string> ReadZipEntry(FileSystem& files, const std::string& path,
                                        const ZipEntry& entry, std::size_t maxSize = 64u << 20);

// Raw deflate data (no zlib header) unpacked to exactly size bytes, or nothing.
std::optional<std::string> Inflate(std::string_view packed, std::size_t size);
// The same with stb_image's own decoder: the build's fallback where zlib is missing.
std::optional<std::string> InflateWithStb(std::string_view packed, std::size_t size);

// The zip CRC-32 (zlib's when the build has it).
std::uint32_t Crc32(std::string_view bytes);
std::uint32_t Crc32Portable(std::string_view bytes);

}  // namespace rd::pictures
