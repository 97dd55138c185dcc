#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/Zip.h"

// Zip archives written member by member, stored or deflated by zlib, so that every field
// the reader checks can be set right or wrong on purpose.
namespace rd::pictures::fixtures {

inline std::string RawDeflate(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct Member {
  std::string name;
  std::string data;
  bool deflate = true;
  std::uint16_t flags = 0;  // bit 0: encrypted
  std::uint16_t method = 0xFFFF;  // other than stored/deflated when set
};

class ZipWriter {
 public:
  std::string prefix;   // bytes before the archive (a self-extractor's stub)
  std::string comment;  // after the end record

  ZipWriter& Add(Member m) {
    members_.push_back(std::move(m));
    return *this;
  }
  ZipWriter& Add(const std::string& name, const std::string& data, bool deflate = true) {
    return Add(Member{name, data, deflate});
  }

  std::string Bytes() const {
    std::string body, directory;
    for (const Member& m : members_) {
      const std::string packed = m.deflate ? RawDeflate(m.data) : m.data;
      const std::uint16_t method = m.method != 0xFFFF ? m.method : (m.deflate ? 8 : 0);
      const auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()),
                                                        static_cast<uInt>(m.data.size())));
      const auto offset = static_cast<std::uint32_t>(body.size());
      Put(body, 0x04034b50, 4);
      Put(body, 20, 2), Put(body, m.flags, 2), Put(body, method, 2), Put(body, 0, 4);
      Put(body, crc, 4), Put(body, packed.size(), 4), Put(body, m.data.size(), 4);
      Put(body, m.name.size(), 2), Put(body, 4, 2);
      body += m.name + std::string("\xAA\xBB\x00\x00", 4) + packed;  // a local extra field
      Put(directory, 0x02014b50, 4);
      Put(directory, 20, 2), Put(directory, 20, 2), Put(directory, m.flags, 2);
      Put(directory, method, 2), Put(directory, 0, 4), Put(directory, crc, 4);
      Put(directory, packed.size(), 4), Put(directory, m.data.size(), 4);
      Put(directory, m.name.size(), 2), Put(directory, 0, 2), Put(directory, 0, 2);
      Put(directory, 0, 2), Put(directory, 0, 2), Put(directory, 0, 4), Put(directory, offset, 4);
      directory += m.name;
    }
    std::string out = prefix + body + directory;
    Put(out, 0x06054b50, 4);
    Put(out, 0, 2), Put(out, 0, 2), Put(out, members_.size(), 2), Put(out, members_.size(), 2);
    Put(out, directory.size(), 4), Put(out, body.size(), 4), Put(out, comment.size(), 2);
    return out + comment;
  }

  static void Put(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(v >> (8 * i));
  }

 private:
  std::vector<Member> members_;
};

}  // namespace rd::pictures::fixtures
