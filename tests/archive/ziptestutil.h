// Reading archives back in tests: through libzip under the entries' own name bytes, and
// through the unzip tool.
#pragma once

#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

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

}  // namespace roomvale::testing
