#include "deletion/totals.h"

#include <QDateTime>
#include <limits>

#include "deletion/deletionlog.h"
#include "foundation/clock.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/settings.h"

namespace roomvale {

namespace {

const QString kSection = QStringLiteral("Roomvale");

std::int64_t read(const char* key) { return ReadInt64(kSection, QString::fromLatin1(key), -1); }

bool write(const char* key, std::int64_t value) { return WriteInt64(kSection, QString::fromLatin1(key), value); }

// Adds to one total, and sets the kind's date the first time something is recorded after a
// reset. Dates are only ever written while they read -1.
bool creditPair(const char* countKey, std::int64_t files, const char* sizeKey, std::int64_t bytes) {
  const std::int64_t count = read(countKey);
  const std::int64_t size = read(sizeKey);
  const bool a = write(countKey, addToTotal(count, files));
  const bool b = write(sizeKey, addToTotal(size, bytes));
  return a && b;
}

bool setDateIfUnset(const char* dateKey, const QDate& today) {
  if (read(dateKey) != -1) return true;
  return write(dateKey, dayNumber(today));
}

void reportStoreFailure() { showError(QStringLiteral("Couldn't save the running totals in the settings store")); }

QString sinceText(std::int64_t day) {
  if (day < 0) return {};
  // A day beyond any date gives an invalid date, which safeDateToStr shows as its fallback.
  const QDate date = day <= std::numeric_limits<int>::max() ? dateFromDayNumber(static_cast<int>(day)) : QDate();
  return QStringLiteral("Since ") + safeDateToStr(date.startOfDay());
}

void pairTexts(std::int64_t count, std::int64_t size, QString& countText, QString& sizeText) {
  if (count > 0) {
    countText = formatThousands(count) + QStringLiteral(" files");
    // Exact for every 64-bit size (a floating-point format would round above 2^53).
    sizeText = formatThousands(size) + QStringLiteral(" bytes");
  } else {
    countText = sizeText = QStringLiteral("n/a");
  }
}

}  // namespace

std::int64_t addToTotal(std::int64_t stored, std::int64_t amount) {
  if (stored <= 0) return amount;
  std::int64_t sum = 0;
  if (__builtin_add_overflow(stored, amount, &sum))
    return amount > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
  return sum;
}

DeletionTotals readDeletionTotals() {
  DeletionTotals t;
  t.nDelete = read("Ndelete");
  t.sizeDelete = read("SizeDelete");
  t.nWaste = read("NWaste");
  t.sizeWaste = read("SizeWaste");
  t.delDate = read("DelDate");
  t.nZip = read("NZip");
  t.sizeZip = read("SizeZip");
  t.zipDate = read("ZipDate");
  return t;
}

bool creditDeleteTotals(std::int64_t filesDeleted, std::int64_t bytesDeleted, std::int64_t filesRecycled,
                        std::int64_t bytesRecycled, const QDate& today) {
  const bool a = creditPair("Ndelete", filesDeleted, "SizeDelete", bytesDeleted);
  const bool b = creditPair("NWaste", filesRecycled, "SizeWaste", bytesRecycled);
  const bool c = setDateIfUnset("DelDate", today);
  return a && b && c;
}

bool creditZipTotals(std::int64_t filesZipped, std::int64_t bytesZipped, const QDate& today) {
  const bool a = creditPair("NZip", filesZipped, "SizeZip", bytesZipped);
  const bool b = setDateIfUnset("ZipDate", today);
  return a && b;
}

bool resetDeletionTotals() {
  bool ok = true;
  for (const char* key : {"Ndelete", "SizeDelete", "NZip", "ZipDate", "SizeZip", "NWaste", "SizeWaste", "DelDate"})
    ok = write(key, -1) && ok;
  return ok;
}

void addDeleteTotals(std::int64_t filesDeleted, std::int64_t bytesDeleted, std::int64_t filesRecycled,
                     std::int64_t bytesRecycled) {
  addToDeleteGrid(filesDeleted, bytesDeleted, filesRecycled, bytesRecycled, 0, 0);
  if (!creditDeleteTotals(filesDeleted, bytesDeleted, filesRecycled, bytesRecycled, now().date())) reportStoreFailure();
}

void addZipTotals(std::int64_t filesZipped, std::int64_t bytesZipped) {
  addToDeleteGrid(0, 0, 0, 0, filesZipped, bytesZipped);
  if (!creditZipTotals(filesZipped, bytesZipped, now().date())) reportStoreFailure();
}

TotalsTexts totalsTexts(const DeletionTotals& t) {
  TotalsTexts out;
  out.since1 = sinceText(t.delDate);
  out.zipSince = sinceText(t.zipDate);
  pairTexts(t.nDelete, t.sizeDelete, out.nDelete, out.szDelete);
  pairTexts(t.nZip, t.sizeZip, out.nZip, out.szZip);
  pairTexts(t.nWaste, t.sizeWaste, out.nWaste, out.szWaste);
  return out;
}

TotalsTexts emptyTotalsTexts() { return totalsTexts(DeletionTotals{}); }

}  // namespace roomvale
