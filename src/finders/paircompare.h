// What the pair comparison shows about two neighbouring rows of the duplicates grid, without
// the window: which rows form a pair under a match mode, stepping from pair to pair, the size
// and creation comparisons, and whether two files hold identical contents.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace roomvale {

class GridData;

// One row of the duplicates grid as the comparison keeps it: the texts of its seven columns
// and the file's full path.
struct PairRow {
  QString name, size, modified, time, access, folder, last;
  std::string path;
};
std::vector<PairRow> pairSnapshot(const GridData& grid);

// Rows r and r + 1 agree on what the match mode compares (names without regard to a-z case,
// every other column exactly).
bool qPairMatches(const std::vector<PairRow>& rows, int r, int matchMode);

// The next pair after `current` / the previous one before it; nothing at the end or start of
// the list (the window then says "End of list" / "Start of list" and stays where it is).
std::optional<int> nextPairRow(const std::vector<PairRow>& rows, int current, int matchMode);
std::optional<int> previousPairRow(const std::vector<PairRow>& rows, int current, int matchMode);

// The right file's size against the left one's: "Same size", "Slightly larger", "12% larger",
// ... An empty left file has no percentage: the right one is then "Larger than an empty
// file", an empty right file against a non-empty left one is "Empty file".
QString sizeComparison(std::uint64_t left, std::uint64_t right);

// The right file's creation against the left one's: "Same Creation Date/Time", "3 days newer"
// by calendar day, or on the same day "01 hrs 30 min older".
QString creationComparison(const QDateTime& left, const QDateTime& right);

// Whether the two files hold identical contents, by the same check as the duplicates
// elimination (equal size, then equal bytes); two names of one file are identical, an
// unreadable or vanished file is not.
bool identicalContents(const std::string& left, const std::string& right);

// The checksum label of one side: "1A2B3C4D file contents are identical" / "... differ".
QString crcVerdictText(std::uint32_t crc, bool identical);

}  // namespace roomvale
