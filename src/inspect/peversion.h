// The version resource (VS_VERSIONINFO) of Windows PE programs and libraries, read by our own
// parser. The bytes come from files found on disk, so every offset and length is checked
// before it is used; anything damaged, truncated, looping or oversized gives no result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace roomvale {

struct PeVersionInfo {
  // "\VarFileInfo\Translation": language in the low word, code page in the high word.
  std::vector<std::uint32_t> translations;
  // String tables by their key (eight hexadecimal digits, language then code page), each a
  // list of (name, value) in file order. Texts are UTF-16 converted to UTF-8.
  std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> stringTables;

  // The value of "\StringFileInfo\<table>\<name>", compared without regard to case as the
  // system's query does; nothing when the table or the name is missing.
  std::optional<std::string> query(const std::string& table, const std::string& name) const;
};

// Reads `size` bytes at `offset` into `out`; false when they are not all there.
using ByteReader = std::function<bool(std::uint64_t offset, std::size_t size, std::uint8_t* out)>;

// Parses the version resource of the PE image read through `read` (`fileSize` bytes long).
std::optional<PeVersionInfo> parsePeVersion(const ByteReader& read, std::uint64_t fileSize);
// The same over bytes in memory.
std::optional<PeVersionInfo> parsePeVersion(const std::uint8_t* data, std::size_t size);
// The same for a file on disk (opened read-only; a file that is not a regular file has none).
std::optional<PeVersionInfo> readPeVersion(const std::string& path);

// Parses a VS_VERSIONINFO block on its own (the resource's data).
std::optional<PeVersionInfo> parseVersionBlock(const std::uint8_t* data, std::size_t size);

}  // namespace roomvale
