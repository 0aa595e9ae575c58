// Builds small PE images with a version resource, for the parser's tests and seeds.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace roomvale::testing {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}
inline void pad4(Bytes& b) {
  while (b.size() % 4) b.push_back(0);
}
inline void utf16(Bytes& b, const std::string& ascii) {
  for (char c : ascii) {
    b.push_back(static_cast<std::uint8_t>(c));
    b.push_back(0);
  }
  b.push_back(0);
  b.push_back(0);
}

// One block of a version resource: header, key, value, children.
inline Bytes versionBlock(const std::string& key, const Bytes& value, std::uint16_t valueLength, std::uint16_t type,
                          const std::vector<Bytes>& children = {}) {
  Bytes b(6, 0);
  utf16(b, key);
  pad4(b);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& c : children) {
    pad4(b);
    b.insert(b.end(), c.begin(), c.end());
  }
  put16(b, 0, static_cast<std::uint32_t>(b.size()));
  put16(b, 2, valueLength);
  put16(b, 4, type);
  return b;
}

inline Bytes stringBlock(const std::string& name, const std::string& value) {
  Bytes v;
  utf16(v, value);
  return versionBlock(name, v, static_cast<std::uint16_t>(value.size() + 1), 1);
}

// VS_VERSIONINFO with one string table and, when `translation` is not 0, its translation.
inline Bytes versionInfo(const std::string& table, const std::vector<std::pair<std::string, std::string>>& strings,
                         std::uint32_t translation) {
  std::vector<Bytes> entries;
  for (const auto& [n, v] : strings) entries.push_back(stringBlock(n, v));
  std::vector<Bytes> groups{versionBlock("StringFileInfo", {}, 0, 1, {versionBlock(table, {}, 0, 1, entries)})};
  if (translation) {
    Bytes t(4, 0);
    put32(t, 0, translation);
    groups.push_back(versionBlock("VarFileInfo", {}, 0, 1, {versionBlock("Translation", t, 4, 0)}));
  }
  Bytes fixed(52, 0);
  put32(fixed, 0, 0xFEEF04BD);
  return versionBlock("VS_VERSION_INFO", fixed, 52, 0, groups);
}

// A PE32 image whose one section ".rsrc" holds a version resource `blob`.
inline Bytes peImage(const Bytes& blob) {
  constexpr std::size_t kPe = 0x40, kOptional = kPe + 24, kOptionalSize = 224, kSections = kOptional + kOptionalSize;
  constexpr std::size_t kRaw = 0x200;
  constexpr std::uint32_t kRva = 0x1000;
  Bytes rsrc(0x58, 0);
  // Type directory -> RT_VERSION, name directory -> 1, language directory -> 0x409, data entry.
  put16(rsrc, 0x0E, 1);
  put32(rsrc, 0x10, 16);
  put32(rsrc, 0x14, 0x80000000u | 0x18);
  put16(rsrc, 0x18 + 0x0E, 1);
  put32(rsrc, 0x18 + 0x10, 1);
  put32(rsrc, 0x18 + 0x14, 0x80000000u | 0x30);
  put16(rsrc, 0x30 + 0x0E, 1);
  put32(rsrc, 0x30 + 0x10, 0x409);
  put32(rsrc, 0x30 + 0x14, 0x48);
  put32(rsrc, 0x48, kRva + 0x58);
  put32(rsrc, 0x4C, static_cast<std::uint32_t>(blob.size()));
  rsrc.insert(rsrc.end(), blob.begin(), blob.end());

  Bytes b(kRaw, 0);
  b[0] = 'M';
  b[1] = 'Z';
  put32(b, 0x3C, kPe);
  b[kPe] = 'P';
  b[kPe + 1] = 'E';
  put16(b, kPe + 4, 0x14C);
  put16(b, kPe + 6, 1);
  put16(b, kPe + 20, kOptionalSize);
  put16(b, kPe + 22, 0x2102);
  put16(b, kOptional, 0x10B);
  put32(b, kOptional + 92, 16);
  put32(b, kOptional + 96 + 16, kRva);
  put32(b, kOptional + 96 + 20, static_cast<std::uint32_t>(rsrc.size()));
  const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  for (int i = 0; i < 8; ++i) b[kSections + i] = static_cast<std::uint8_t>(name[i]);
  put32(b, kSections + 8, static_cast<std::uint32_t>(rsrc.size()));
  put32(b, kSections + 12, kRva);
  put32(b, kSections + 16, static_cast<std::uint32_t>(rsrc.size()));
  put32(b, kSections + 20, kRaw);
  b.insert(b.end(), rsrc.begin(), rsrc.end());
  return b;
}

// The sample program of the tests: no PrivateBuild, no SpecialBuild, one value with
// leading blanks.
inline Bytes samplePe() {
  return peImage(versionInfo("040904B0",
                             {{"CompanyName", "Fernholt Test Co"},
                              {"FileDescription", "   Sample tool"},
                              {"FileVersion", "1.2.3.4"},
                              {"InternalName", "sample"},
                              {"LegalCopyright", "(c) 2026"},
                              {"LegalTrademarks", ""},
                              {"OriginalFilename", "sample.exe"},
                              {"ProductName", "Sample"},
                              {"ProductVersion", "1.2"}},
                             0x04B00409));
}

}  // namespace roomvale::testing
