#include "inspect/peversion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace roomvale {

namespace {

constexpr std::uint16_t kResourceTypeVersion = 16;
constexpr std::size_t kMaxSections = 96;            // the format's own limit
constexpr std::size_t kMaxDirectoryEntries = 4096;  // per resource directory
constexpr std::size_t kMaxVersionBlock = 0xFFFF;    // wLength is 16 bits

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t u32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::size_t align4(std::size_t n) { return (n + 3) & ~static_cast<std::size_t>(3); }

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-16LE text from `begin` up to a NUL or `end`; `stop` receives the offset just past the
// NUL (or `end` when there is none). Lone surrogates become U+FFFD.
std::string utf16Text(const std::uint8_t* data, std::size_t begin, std::size_t end, std::size_t* stop) {
  std::string out;
  std::size_t pos = begin;
  while (pos + 2 <= end) {
    std::uint32_t unit = u16(data + pos);
    pos += 2;
    if (unit == 0) {
      if (stop) *stop = pos;
      return out;
    }
    if (unit >= 0xD800 && unit < 0xDC00 && pos + 2 <= end) {
      const std::uint32_t low = u16(data + pos);
      if (low >= 0xDC00 && low < 0xE000) {
        pos += 2;
        appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        continue;
      }
    }
    appendUtf8(out, (unit >= 0xD800 && unit < 0xE000) ? 0xFFFD : unit);
  }
  if (stop) *stop = end;
  return out;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto low = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
           return low(x) == low(y);
         });
}

// One block of the version resource: [start, end) with its key and where its value and
// children begin.
struct Block {
  std::size_t start = 0;
  std::size_t end = 0;
  std::uint16_t valueLength = 0;
  std::uint16_t type = 0;
  std::string key;
  std::size_t valueStart = 0;
};

std::optional<Block> blockAt(const std::uint8_t* data, std::size_t pos, std::size_t limit) {
  if (pos > limit || limit - pos < 6) return std::nullopt;
  const std::size_t length = u16(data + pos);
  if (length < 6 || length > limit - pos) return std::nullopt;
  Block b;
  b.start = pos;
  b.end = pos + length;
  b.valueLength = u16(data + pos + 2);
  b.type = u16(data + pos + 4);
  std::size_t afterKey = b.end;
  b.key = utf16Text(data, pos + 6, b.end, &afterKey);
  b.valueStart = std::min(align4(afterKey), b.end);
  return b;
}

// Calls `visit` for every child block of `parent` whose children start at `first`.
template <typename Visit>
void forEachChild(const std::uint8_t* data, const Block& parent, std::size_t first, Visit&& visit) {
  std::size_t pos = first;
  while (pos < parent.end) {
    const std::optional<Block> child = blockAt(data, pos, parent.end);
    if (!child) return;
    visit(*child);
    pos = align4(child->end);  // a block is at least 6 bytes long, so this always advances
  }
}

void readStringTable(const std::uint8_t* data, const Block& table, PeVersionInfo& info) {
  std::vector<std::pair<std::string, std::string>> strings;
  forEachChild(data, table, table.valueStart, [&](const Block& s) {
    std::string value;
    if (s.valueLength > 0 && s.valueStart < s.end) value = utf16Text(data, s.valueStart, s.end, nullptr);
    strings.emplace_back(s.key, std::move(value));
  });
  info.stringTables.emplace_back(table.key, std::move(strings));
}

void readTranslations(const std::uint8_t* data, const Block& var, PeVersionInfo& info) {
  if (var.valueStart > var.end) return;
  const std::size_t bytes = std::min<std::size_t>(var.valueLength, var.end - var.valueStart);
  for (std::size_t i = 0; i + 4 <= bytes; i += 4) {
    const std::uint8_t* p = data + var.valueStart + i;
    info.translations.push_back(static_cast<std::uint32_t>(u16(p)) | (static_cast<std::uint32_t>(u16(p + 2)) << 16));
  }
}

struct DirEntryRaw {
  std::uint32_t name = 0;
  std::uint32_t offset = 0;
};

}  // namespace

std::optional<std::string> PeVersionInfo::query(const std::string& table, const std::string& name) const {
  for (const auto& [key, strings] : stringTables) {
    if (!sameIgnoringCase(key, table)) continue;
    for (const auto& [n, v] : strings)
      if (sameIgnoringCase(n, name)) return v;
  }
  return std::nullopt;
}

std::optional<PeVersionInfo> parseVersionBlock(const std::uint8_t* data, std::size_t size) {
  size = std::min(size, kMaxVersionBlock);
  const std::optional<Block> root = blockAt(data, 0, size);
  if (!root || root->key != "VS_VERSION_INFO") return std::nullopt;
  if (root->valueLength > root->end - root->valueStart) return std::nullopt;
  PeVersionInfo info;
  forEachChild(data, *root, align4(root->valueStart + root->valueLength), [&](const Block& group) {
    if (group.key == "StringFileInfo") {
      forEachChild(data, group, group.valueStart, [&](const Block& table) { readStringTable(data, table, info); });
    } else if (group.key == "VarFileInfo") {
      forEachChild(data, group, group.valueStart, [&](const Block& var) {
        if (var.key == "Translation") readTranslations(data, var, info);
      });
    }
  });
  return info;
}

std::optional<PeVersionInfo> parsePeVersion(const ByteReader& read, std::uint64_t fileSize) {
  auto get = [&](std::uint64_t offset, std::size_t n, std::uint8_t* out) {
    return offset <= fileSize && n <= fileSize - offset && read(offset, n, out);
  };
  std::array<std::uint8_t, 64> dos{};
  if (!get(0, dos.size(), dos.data()) || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
  const std::uint64_t pe = u32(dos.data() + 0x3C);
  std::array<std::uint8_t, 24> header{};
  if (!get(pe, header.size(), header.data()) || std::memcmp(header.data(), "PE\0\0", 4) != 0) return std::nullopt;
  const std::size_t sectionCount = u16(header.data() + 6);
  const std::size_t optionalSize = u16(header.data() + 20);
  if (sectionCount == 0 || sectionCount > kMaxSections) return std::nullopt;

  std::vector<std::uint8_t> optional(optionalSize);
  if (optionalSize < 2 || !get(pe + 24, optionalSize, optional.data())) return std::nullopt;
  std::size_t countAt = 0;
  switch (u16(optional.data())) {
    case 0x10B: countAt = 92; break;   // PE32
    case 0x20B: countAt = 108; break;  // PE32+
    default: return std::nullopt;
  }
  if (countAt + 4 > optionalSize) return std::nullopt;
  const std::uint32_t dirCount = u32(optional.data() + countAt);
  const std::size_t resourceAt = countAt + 4 + std::size_t{2} * 8;  // the third data directory
  if (dirCount < 3 || resourceAt + 8 > optionalSize) return std::nullopt;
  const std::uint32_t resourceRva = u32(optional.data() + resourceAt);
  if (resourceRva == 0) return std::nullopt;

  struct Section {
    std::uint64_t va, virtualSize, rawSize, rawOffset;
  };
  std::vector<Section> sections;
  std::vector<std::uint8_t> table(sectionCount * 40);
  if (!get(pe + 24 + optionalSize, table.size(), table.data())) return std::nullopt;
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::uint8_t* s = table.data() + i * 40;
    sections.push_back({u32(s + 12), u32(s + 8), u32(s + 16), u32(s + 20)});
  }
  // The file bytes of [rva, rva + n), when one section holds all of them in its raw data.
  auto readRva = [&](std::uint64_t rva, std::size_t n, std::uint8_t* out) {
    for (const Section& s : sections) {
      if (rva < s.va) continue;
      const std::uint64_t within = rva - s.va;
      const std::uint64_t extent = s.rawSize;  // only what the file itself holds
      if (within > extent || n > extent - within) continue;
      return get(s.rawOffset + within, n, out);
    }
    return false;
  };
  // Entries of the resource directory at `offset` from the resource root.
  auto directory = [&](std::uint64_t offset, std::vector<DirEntryRaw>& entries) {
    std::array<std::uint8_t, 16> head{};
    if (!readRva(resourceRva + offset, head.size(), head.data())) return false;
    const std::size_t count = static_cast<std::size_t>(u16(head.data() + 12)) + u16(head.data() + 14);
    if (count > kMaxDirectoryEntries) return false;
    std::vector<std::uint8_t> raw(count * 8);
    if (!readRva(resourceRva + offset + 16, raw.size(), raw.data())) return false;
    entries.clear();
    for (std::size_t i = 0; i < count; ++i) entries.push_back({u32(raw.data() + i * 8), u32(raw.data() + i * 8 + 4)});
    return true;
  };
  constexpr std::uint32_t kSubdirectory = 0x80000000u;

  // Type, then name, then language: the first version resource of the first language.
  std::vector<DirEntryRaw> entries;
  if (!directory(0, entries)) return std::nullopt;
  const auto type = std::find_if(entries.begin(), entries.end(), [](const DirEntryRaw& e) {
    return (e.name & 0x80000000u) == 0 && e.name == kResourceTypeVersion && (e.offset & kSubdirectory);
  });
  if (type == entries.end()) return std::nullopt;
  if (!directory(type->offset & ~kSubdirectory, entries) || entries.empty() || !(entries[0].offset & kSubdirectory))
    return std::nullopt;
  if (!directory(entries[0].offset & ~kSubdirectory, entries) || entries.empty() || (entries[0].offset & kSubdirectory))
    return std::nullopt;
  std::array<std::uint8_t, 16> dataEntry{};
  if (!readRva(resourceRva + static_cast<std::uint64_t>(entries[0].offset), dataEntry.size(), dataEntry.data()))
    return std::nullopt;
  const std::uint32_t dataRva = u32(dataEntry.data());
  const std::size_t dataSize = std::min<std::size_t>(u32(dataEntry.data() + 4), kMaxVersionBlock);
  if (dataSize < 6) return std::nullopt;
  std::vector<std::uint8_t> blob(dataSize);
  if (!readRva(dataRva, blob.size(), blob.data())) return std::nullopt;
  return parseVersionBlock(blob.data(), blob.size());
}

std::optional<PeVersionInfo> parsePeVersion(const std::uint8_t* data, std::size_t size) {
  return parsePeVersion(
      [data, size](std::uint64_t offset, std::size_t n, std::uint8_t* out) {
        if (offset > size || n > size - offset) return false;
        if (n > 0) std::memcpy(out, data + offset, n);
        return true;
      },
      size);
}

std::optional<PeVersionInfo> readPeVersion(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<PeVersionInfo> info;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    info = parsePeVersion(
        [fd](std::uint64_t offset, std::size_t n, std::uint8_t* out) {
          std::size_t got = 0;
          while (got < n) {
            const ssize_t r = ::pread(fd, out + got, n - got, static_cast<off_t>(offset + got));
            if (r <= 0) return false;  // a file that shrank under us simply ends
            got += static_cast<std::size_t>(r);
          }
          return true;
        },
        static_cast<std::uint64_t>(st.st_size));
  }
  ::close(fd);
  return info;
}

}  // namespace roomvale
