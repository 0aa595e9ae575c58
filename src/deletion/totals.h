// Running totals of recovered space, kept in the settings section "Roomvale": files and
// bytes deleted, recycled and zipped, and the day since which each kind counts. -1 (or an
// absent value) means nothing recorded; a count or size of 0 or below counts as nothing.
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>

namespace roomvale {

struct DeletionTotals {
  std::int64_t nDelete = -1;     // "Ndelete"
  std::int64_t sizeDelete = -1;  // "SizeDelete"
  std::int64_t nWaste = -1;      // "NWaste"
  std::int64_t sizeWaste = -1;   // "SizeWaste"
  std::int64_t delDate = -1;     // "DelDate", day number
  std::int64_t nZip = -1;        // "NZip"
  std::int64_t sizeZip = -1;     // "SizeZip"
  std::int64_t zipDate = -1;     // "ZipDate", day number
};

// The stored total plus an amount: a stored value of 0 or below is nothing recorded, so the
// amount alone stands. Saturates instead of overflowing.
std::int64_t addToTotal(std::int64_t stored, std::int64_t amount);

// All eight values, each -1 when absent or unreadable.
DeletionTotals readDeletionTotals();

// Credit the stored totals (no log entry); the kind's date is set to `today` while it is -1.
// False when the store could not be written.
bool creditDeleteTotals(std::int64_t filesDeleted, std::int64_t bytesDeleted, std::int64_t filesRecycled,
                        std::int64_t bytesRecycled, const QDate& today);
bool creditZipTotals(std::int64_t filesZipped, std::int64_t bytesZipped, const QDate& today);

// Writes -1 to all eight values.
bool resetDeletionTotals();

// After a clean-up: one log entry (deleted and recycled amounts, zeros for zipped) and the
// running totals. An entry is recorded even for 0 files.
void addDeleteTotals(std::int64_t filesDeleted, std::int64_t bytesDeleted, std::int64_t filesRecycled,
                     std::int64_t bytesRecycled);
// After zipping: one log entry (zeros, then the zipped amounts) and the zip totals.
void addZipTotals(std::int64_t filesZipped, std::int64_t bytesZipped);

// What the totals view shows.
struct TotalsTexts {
  QString since1;    // lblSince1
  QString zipSince;  // lblZipSince
  QString nDelete, szDelete;
  QString nZip, szZip;
  QString nWaste, szWaste;
};
TotalsTexts totalsTexts(const DeletionTotals& t);
// The view right after a reset: no dates, every field "n/a".
TotalsTexts emptyTotalsTexts();

}  // namespace roomvale
