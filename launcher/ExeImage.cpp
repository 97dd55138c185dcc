#include "launcher/ExeImage.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace rd::play {
namespace {

constexpr std::size_t kHeaderBytes = 4096;
constexpr std::uint32_t kManifestType = 24, kProcessManifest = 1;
constexpr std::size_t kMaxManifest = 1 << 16;

std::uint32_t At(std::string_view bytes, std::size_t offset, int width) {
  if (offset + static_cast<std::size_t>(width) > bytes.size()) return 0;
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
  }
  return value;
}

struct Section {
  std::uint32_t address, size, fileOffset;
};

// The file offset of a relative virtual address, or 0 when no section holds it.
std::uint32_t FileOffset(const std::vector<Section>& sections, std::uint32_t rva) {
  for (const Section& s : sections) {
    if (rva >= s.address && rva - s.address < s.size) return s.fileOffset + (rva - s.address);
  }
  return 0;
}

// The entry of a resource directory with this id (any id when id is 0): its offset field.
std::uint32_t DirectoryEntry(std::string_view rsrc, std::uint32_t directory, std::uint32_t id) {
  const std::uint32_t named = At(rsrc, directory + 12, 2), ids = At(rsrc, directory + 14, 2);
  for (std::uint32_t i = named; i < named + ids; ++i) {
    const std::size_t entry = directory + 16 + 8 * static_cast<std::size_t>(i);
    if (entry + 8 > rsrc.size()) return 0;
    if (id == 0 || At(rsrc, entry, 4) == id) return At(rsrc, entry + 4, 4);
  }
  return 0;
}

}  // namespace

bool WindowsVirtualizes(FileSystem& files, const std::string& exePath) {
  std::string header;
  if (files.ReadBytes(exePath, 0, kHeaderBytes, header) != 0 || header.rfind("MZ", 0) != 0) {
    return false;
  }
  const std::uint32_t pe = At(header, 0x3C, 4);
  if (pe + 24 > header.size() || header.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return false;
  const std::uint32_t sectionCount = At(header, pe + 6, 2), optionalSize = At(header, pe + 20, 2);
  const std::size_t optional = pe + 24;
  if (At(header, optional, 2) != 0x10B) return false;  // PE32+: a 64-bit image

  std::vector<Section> sections;
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::size_t s = optional + optionalSize + 40 * static_cast<std::size_t>(i);
    if (s + 40 > header.size()) break;
    sections.push_back({At(header, s + 12, 4), At(header, s + 16, 4), At(header, s + 20, 4)});
  }
  // PE32: data directories from offset 96; the resource directory is the third.
  const std::uint32_t directories = At(header, optional + 92, 4);
  const std::uint32_t rsrcAddress = directories > 2 ? At(header, optional + 96 + 16, 4) : 0;
  const std::uint32_t rsrcSize = directories > 2 ? At(header, optional + 96 + 20, 4) : 0;
  const std::uint32_t rsrcOffset = FileOffset(sections, rsrcAddress);
  if (rsrcAddress == 0 || rsrcOffset == 0) return true;  // no resources: no manifest

  std::string rsrc;
  if (files.ReadBytes(exePath, rsrcOffset, std::min<std::uint32_t>(rsrcSize, 1 << 20), rsrc) != 0) {
    return false;
  }
  const std::uint32_t type = DirectoryEntry(rsrc, 0, kManifestType);
  if (!(type & 0x80000000u)) return true;
  const std::uint32_t name = DirectoryEntry(rsrc, type & 0x7FFFFFFFu, kProcessManifest);
  if (!(name & 0x80000000u)) return true;
  const std::uint32_t language = DirectoryEntry(rsrc, name & 0x7FFFFFFFu, 0);
  if (language == 0 || (language & 0x80000000u)) return true;
  const std::uint32_t dataOffset = FileOffset(sections, At(rsrc, language, 4));
  const std::uint32_t dataSize = At(rsrc, language + 4, 4);
  std::string manifest;
  if (dataOffset == 0 ||
      files.ReadBytes(exePath, dataOffset, std::min<std::size_t>(dataSize, kMaxManifest),
                      manifest) != 0) {
    return false;
  }
  return manifest.find("requestedExecutionLevel") == std::string::npos;
}

}  // namespace rd::play
