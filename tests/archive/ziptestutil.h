// Reading archives back in tests: through libzip under the entries' own name bytes, and
// through the unzip tool.
#pragma once

#include <zip.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace roomvale::testing {

struct EntryRead {
  std::string data;
  zip_uint16_t method = 0;
  zip_uint64_t compSize = 0;
  time_t mtime = 0;
  zip_uint32_t attributes = 0;
};

struct ArchiveRead {
  bool ok = false;
  std::string comment;
  bool hasComment = false;
  std::map<std::string, EntryRead> entries;  // by raw name
};

inline ArchiveRead readArchive(const std::string& path) {
  ArchiveRead out;
  int err = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_RDONLY, &err);
  if (!za) return out;
  int len = 0;
  if (const char* c = zip_get_archive_comment(za, &len, ZIP_FL_ENC_RAW)) {
    out.comment.assign(c, static_cast<std::size_t>(len));
    out.hasComment = len > 0;
  }
  const zip_int64_t n = zip_get_num_entries(za, 0);
  out.ok = true;
  for (zip_int64_t i = 0; i < n; ++i) {
    const auto idx = static_cast<zip_uint64_t>(i);
    zip_stat_t st;
    if (zip_stat_index(za, idx, ZIP_FL_ENC_RAW, &st) != 0) {
      out.ok = false;
      continue;
    }
    EntryRead e;
    e.method = st.comp_method;
    e.compSize = st.comp_size;
    e.mtime = st.mtime;
    zip_uint8_t opsys = 0;
    zip_file_get_external_attributes(za, idx, 0, &opsys, &e.attributes);
    zip_file_t* f = zip_fopen_index(za, idx, 0);
    if (!f) {
      out.ok = false;
      continue;
    }
    char buf[65536];
    zip_int64_t got;
    while ((got = zip_fread(f, buf, sizeof buf)) > 0) e.data.append(buf, static_cast<std::size_t>(got));
    if (got < 0) out.ok = false;
    zip_fclose(f);
    out.entries[zip_get_name(za, idx, ZIP_FL_ENC_RAW)] = std::move(e);
  }
  zip_discard(za);
  return out;
}

// Exit status of `unzip -tqq` on the archive (0: every entry tested fine).
inline int unzipTest(const std::string& path) {
  const std::string cmd = "unzip -tqq '" + path + "' >/dev/null 2>&1";
  const int rc = std::system(cmd.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

inline std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

inline std::string textBytes(std::size_t n) {
  std::string s;
  for (int line = 0; s.size() < n; ++line) s += "Line " + std::to_string(line) + " of a very ordinary text file.\n";
  s.resize(n);
  return s;
}

// One entry of an archive laid down byte by byte, for archives no ZIP writer would make.
struct RawEntry {
  RawEntry(std::string n, std::string d, bool def = false, std::string bad = {}, long c = -1, unsigned m = 0100644)
      : name(std::move(n)), data(std::move(d)), deflate(def), payload(std::move(bad)), crc(c), mode(m) {}
  std::string name;
  std::string data;         // the file's bytes
  bool deflate = false;     // stored deflated (from `data`) instead of as is
  std::string payload;      // when set, the bytes in the archive instead (bad data)
  long crc = -1;            // when >= 0, the CRC written instead of the right one
  unsigned mode = 0100644;  // Unix mode in the external attributes
};

inline std::string rawDeflate(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// A complete archive of `entries` (local headers, central directory, end record).
inline std::string rawZip(const std::vector<RawEntry>& entries) {
  auto u16 = [](std::string& s, unsigned v) { s += char(v & 0xFF), s += char((v >> 8) & 0xFF); };
  auto u32 = [&](std::string& s, unsigned long v) { u16(s, v & 0xFFFF), u16(s, (v >> 16) & 0xFFFF); };
  std::string body, central;
  for (const RawEntry& e : entries) {
    const std::string bytes = !e.payload.empty() ? e.payload : e.deflate ? rawDeflate(e.data) : e.data;
    const unsigned long crc =
        e.crc >= 0 ? static_cast<unsigned long>(e.crc)
                   : crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()));
    const unsigned method = e.deflate ? 8 : 0;
    const unsigned long offset = body.size();
    u32(body, 0x04034b50), u16(body, 20), u16(body, 0), u16(body, method), u16(body, 0x6000), u16(body, 0x5821);
    u32(body, crc), u32(body, bytes.size()), u32(body, e.data.size()), u16(body, e.name.size()), u16(body, 0);
    body += e.name + bytes;
    u32(central, 0x02014b50), u16(central, 0x031E), u16(central, 20), u16(central, 0), u16(central, method);
    u16(central, 0x6000), u16(central, 0x5821), u32(central, crc), u32(central, bytes.size());
    u32(central, e.data.size()), u16(central, e.name.size()), u16(central, 0), u16(central, 0), u16(central, 0);
    u16(central, 0), u32(central, static_cast<unsigned long>(e.mode) << 16), u32(central, offset);
    central += e.name;
  }
  std::string out = body + central;
  u32(out, 0x06054b50), u16(out, 0), u16(out, 0), u16(out, entries.size()), u16(out, entries.size());
  u32(out, central.size()), u32(out, body.size()), u16(out, 0);
  return out;
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace roomvale::testing
