// The checksum phase of the duplicates finder and the elimination of files without a twin,
// without the window.
//
// The grid shows the block-sum checksum of each file (fileCRC). That value alone cannot
// decide twins: two files made of the same blocks in another order have the same sum, and
// every unreadable file gives 0. So a twin here is a file whose contents are really
// identical: same size, same checksum, and then the same bytes (compared, or by a 128-bit
// hash where the caller chooses so). Two names of one file (same device and inode) are one
// copy and never each other's twin; an unreadable file is never a twin.
//
// Twins are looked for only within a size run: consecutive rows of equal size, as the grid
// lists them. With elimination, a file whose first bytes no other copy of its run shares is
// settled without reading the rest, and small files are read once.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace roomvale {

struct ChecksumRow {
  std::string path;        // native bytes
  std::uint64_t size = 0;  // as listed
};

// How equal checksums are confirmed.
enum class TwinCheck {
  Bytes,    // the contents are compared byte for byte
  Hash128,  // the 128-bit XXH3 hashes of the contents are compared
};

struct ChecksumOutcome {
  // Per row: the checksum, or nothing when it was not computed (an abort, or a row that
  // elimination settled without reading the whole file).
  std::vector<std::optional<std::uint32_t>> crc;
  // Elimination only, per row: how many distinct copies of identical contents its size run
  // holds, the row's own file included; 1 means the row has no twin.
  std::vector<int> copies;
  bool aborted = false;
  // Work done, for benchmarks.
  std::uint64_t filesOpened = 0;
  std::uint64_t bytesRead = 0;
};

// Called before each row's file is first read (row from 0, number of rows, its path), and
// again every few dozen megabytes within a long file; answering false stops the phase there.
using ChecksumProgress = std::function<bool(int row, int rows, const std::string& path)>;

ChecksumOutcome computeChecksums(const std::vector<ChecksumRow>& rows, bool eliminate, const ChecksumProgress& progress,
                                 TwinCheck check = TwinCheck::Bytes);

// The elimination form of a row's checksum: "352441C2 - 2.".
QString twinCountText(std::uint32_t crc, int copies);

}  // namespace roomvale
