#include "deletion/totals.h"

#include <gtest/gtest.h>

#include <limits>

#include "deletion/deletionlog.h"
#include "foundation/helpers.h"
#include "foundation/settings.h"
#include "logtesting.h"

namespace roomvale::testing {
namespace {

constexpr std::int64_t kMarch15 = 45366;  // 2024-03-15 as a day number
const QString kRoomvale = QStringLiteral("Roomvale");

QString stored(const char* key) { return ReadString(kRoomvale, QString::fromLatin1(key), QStringLiteral("<absent>")); }

QStringList entry(int row) {
  QStringList out;
  for (int c = 1; c < kLogColumns; ++c) out << deletionLog().cell(c, row);
  return out;
}

TEST(AddToTotal, StoredValuesOfZeroOrBelowCountAsNothing) {
  EXPECT_EQ(addToTotal(-1, 5), 5);
  EXPECT_EQ(addToTotal(0, 5), 5);
  EXPECT_EQ(addToTotal(-7, 0), 0);
  EXPECT_EQ(addToTotal(10, 5), 15);
  EXPECT_EQ(addToTotal(10, 0), 10);
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(addToTotal(kMax - 1, 5), kMax);
}

using Totals = LogFixture;

TEST_F(Totals, FirstDeletionEverSetsCountsAndTodaysDate) {
  addDeleteTotals(3, 3000, 2, 200);
  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nDelete, 3);
  EXPECT_EQ(t.sizeDelete, 3000);
  EXPECT_EQ(t.nWaste, 2);
  EXPECT_EQ(t.sizeWaste, 200);
  EXPECT_EQ(t.delDate, kMarch15);
  EXPECT_EQ(stored("DelDate"), QStringLiteral("45366"));
  // Zip values stay unrecorded.
  EXPECT_EQ(t.nZip, -1);
  EXPECT_EQ(t.zipDate, -1);
  EXPECT_EQ(stored("NZip"), QStringLiteral("<absent>"));
  EXPECT_EQ(entry(1), (QStringList{"3", "3000", "2", "200", "0", "0"}));
  EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST_F(Totals, LaterCleanUpsAddUpAndKeepTheFirstDate) {
  addDeleteTotals(3, 3000, 0, 0);
  clock.set(QDateTime(QDate(2024, 4, 1), QTime(8, 0)));
  addDeleteTotals(0, 0, 4, 400);
  addDeleteTotals(2, 20, 1, 10);
  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nDelete, 5);
  EXPECT_EQ(t.sizeDelete, 3020);
  EXPECT_EQ(t.nWaste, 5);
  EXPECT_EQ(t.sizeWaste, 410);
  EXPECT_EQ(t.delDate, kMarch15);
}

TEST_F(Totals, ZeroFileCleanUpLogsZerosKeepsTotalsAndStillDates) {
  addZipTotals(0, 0);
  EXPECT_EQ(entry(1), (QStringList{"0", "0", "0", "0", "0", "0"}));
  EXPECT_EQ(readDeletionTotals().zipDate, kMarch15);

  WriteInt64(kRoomvale, "Ndelete", 8);
  WriteInt64(kRoomvale, "SizeDelete", 800);
  addDeleteTotals(0, 0, 0, 0);
  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nDelete, 8);
  EXPECT_EQ(t.sizeDelete, 800);
  EXPECT_EQ(t.delDate, kMarch15);
  EXPECT_EQ(deletionLog().rowCount(), 3);
}

TEST_F(Totals, ZipsCountSeparatelyAndLogInTheLastColumns) {
  WriteInt64(kRoomvale, "ZipDate", 40000);
  addZipTotals(4, 4096);
  addZipTotals(1, 4);
  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nZip, 5);
  EXPECT_EQ(t.sizeZip, 4100);
  EXPECT_EQ(t.zipDate, 40000);  // an existing date is never replaced
  EXPECT_EQ(t.nDelete, -1);
  EXPECT_EQ(t.delDate, -1);
  EXPECT_EQ(entry(1), (QStringList{"0", "0", "0", "0", "4", "4096"}));
  EXPECT_EQ(entry(2), (QStringList{"0", "0", "0", "0", "1", "4"}));
}

TEST_F(Totals, BrokenOrNegativeStoredTotalsStartAgainFromTheNewAmount) {
  WriteString(kRoomvale, "Ndelete", "lots");
  WriteInt64(kRoomvale, "SizeDelete", -40);
  WriteInt64(kRoomvale, "NWaste", 0);
  WriteInt64(kRoomvale, "SizeWaste", 12);  // a size without a count is still added to
  addDeleteTotals(2, 50, 1, 8);
  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nDelete, 2);
  EXPECT_EQ(t.sizeDelete, 50);
  EXPECT_EQ(t.nWaste, 1);
  EXPECT_EQ(t.sizeWaste, 20);
}

TEST_F(Totals, ByteTotalsBeyondFourGibibytesStayExactDecimalText) {
  const std::int64_t fiveGiB = 5LL << 30;
  addDeleteTotals(1, fiveGiB, 0, 0);
  addDeleteTotals(1, fiveGiB, 0, 0);
  EXPECT_EQ(stored("SizeDelete"), QStringLiteral("10737418240"));
  EXPECT_EQ(readDeletionTotals().sizeDelete, 2 * fiveGiB);
  EXPECT_EQ(deletionLog().cell(2, 1), QStringLiteral("5368709120"));
  EXPECT_EQ(totalsTexts(readDeletionTotals()).szDelete, formatThousands(2 * fiveGiB) + " bytes");
}

TEST_F(Totals, ResetWritesMinusOneToAllEightAndLeavesTheLog) {
  addDeleteTotals(1, 2, 3, 4);
  addZipTotals(5, 6);
  ASSERT_TRUE(resetDeletionTotals());
  for (const char* key : {"Ndelete", "SizeDelete", "NZip", "ZipDate", "SizeZip", "NWaste", "SizeWaste", "DelDate"})
    EXPECT_EQ(stored(key), QStringLiteral("-1")) << key;
  EXPECT_EQ(deletionLog().cell(5, 2), QStringLiteral("5"));

  clock.set(QDateTime(QDate(2024, 3, 16), QTime(10, 0)));
  addZipTotals(2, 9);
  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nZip, 2);
  EXPECT_EQ(t.zipDate, kMarch15 + 1);
  EXPECT_EQ(t.delDate, -1);
}

TEST(TotalsTexts, CountsSizesAndDates) {
  DeletionTotals t;
  t.nDelete = 1234;
  t.sizeDelete = 5678901;
  t.delDate = kMarch15;
  t.nZip = 0;  // a count of 0 shows nothing, whatever the size
  t.sizeZip = 999;
  t.nWaste = 1;
  t.sizeWaste = 0;
  const TotalsTexts x = totalsTexts(t);
  EXPECT_EQ(x.since1, "Since " + safeDateToStr(QDate(2024, 3, 15).startOfDay()));
  EXPECT_EQ(x.zipSince, QString());
  EXPECT_EQ(x.nDelete, formatThousands(1234) + " files");
  EXPECT_EQ(x.szDelete, formatThousands(5678901) + " bytes");
  EXPECT_EQ(x.nZip, QStringLiteral("n/a"));
  EXPECT_EQ(x.szZip, QStringLiteral("n/a"));
  EXPECT_EQ(x.nWaste, QStringLiteral("1 files"));
  EXPECT_EQ(x.szWaste, QStringLiteral("0 bytes"));
}

TEST(TotalsTexts, NothingRecordedShowsNoDatesAndNotApplicable) {
  const TotalsTexts x = emptyTotalsTexts();
  EXPECT_TRUE(x.since1.isEmpty());
  EXPECT_TRUE(x.zipSince.isEmpty());
  for (const QString& s : {x.nDelete, x.szDelete, x.nZip, x.szZip, x.nWaste, x.szWaste}) EXPECT_EQ(s, "n/a");
}

TEST(TotalsTexts, ADateBeyondTheCalendarFallsBackInsteadOfFailing) {
  DeletionTotals t;
  t.delDate = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(totalsTexts(t).since1, "Since " + safeDateToStr(QDateTime()));
}

}  // namespace
}  // namespace roomvale::testing
