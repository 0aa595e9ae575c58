// The content checksum of a file as the duplicate finder and the pair comparison show it:
// the file is cut into blocks of 2048 bytes, each block gets its own CRC-32 (the one of
// ZIP and PNG), and the block values are added up modulo 2^32. It is not the CRC-32 of the
// whole file, and stored or shown values depend on exactly this definition.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

namespace roomvale {

// The checksum of the file at `path`; 0 for an empty file and for one that cannot be opened.
// A read error ends the file: the blocks read so far count.
std::uint32_t fileCRC(const std::string& path);

// The same checksum fed piece by piece (pieces may end anywhere), for readers that look at
// the bytes for other reasons too.
class BlockSumCrc {
 public:
  void update(const void* data, std::size_t len);
  std::uint32_t value() const { return blockFill_ > 0 ? sum_ + blockCrc_ : sum_; }

 private:
  std::uint32_t sum_ = 0;
  std::uint32_t blockCrc_ = 0;  // CRC of the block being filled
  std::size_t blockFill_ = 0;   // bytes of it seen so far
};

// Display form: upper-case hexadecimal without leading zeros ("0", "352441C2").
QString crcText(std::uint32_t value);

// CRC-32 of a buffer, continuing from `crc` (0 to start), through the fastest routine built
// in; crc32Zlib and crc32Isal name one each (crc32Isal falls back to zlib when the faster
// library is missing, see haveIsalCrc).
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t len);
std::uint32_t crc32Zlib(std::uint32_t crc, const void* data, std::size_t len);
std::uint32_t crc32Isal(std::uint32_t crc, const void* data, std::size_t len);
bool haveIsalCrc();

}  // namespace roomvale
