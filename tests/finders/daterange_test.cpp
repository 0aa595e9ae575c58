// Files by date without windows: reading the date fields, the range test by day and the
// file date texts.
#include <gtest/gtest.h>

#include <QLocale>

#include "finders/daterange.h"
#include "findertesting.h"
#include "foundation/helpers.h"

using namespace roomvale;

namespace {

class DateRangeTest : public ::testing::Test {
 protected:
  roomvale::testing::UsDates usDates;
};

platform::FileTime timeAt(const QDateTime& local) { return platform::FileTime{local.toSecsSinceEpoch(), 0, true}; }

}  // namespace

TEST_F(DateRangeTest, DateFieldTextsAreReadInTheShortDateForm) {
  const struct {
    const char* format;
    const char* text;
    QDate want;  // invalid: not a date
  } cases[] = {
      {"M/d/yyyy", "12/31/1998", QDate(1998, 12, 31)},
      {"M/d/yyyy", "12/31/98", QDate(1998, 12, 31)},
      {"M/d/yyyy", "1/1/49", QDate(2049, 1, 1)},
      {"M/d/yyyy", "1/1/50", QDate(1950, 1, 1)},
      {"M/d/yyyy", "01/05/2024", QDate(2024, 1, 5)},
      {"M/d/yyyy", "  3/5/2024 ", QDate(2024, 3, 5)},
      {"M/d/yyyy", "2/29/00", QDate(2000, 2, 29)},
      {"M/d/yyyy", "2/30/1998", QDate()},
      {"M/d/yyyy", "12/31/98x", QDate()},
      {"M/d/yyyy", "13/1/2000", QDate()},
      {"M/d/yyyy", "12/31/198", QDate()},
      {"M/d/yyyy", "12-31-1998", QDate()},
      {"M/d/yyyy", "", QDate()},
      {"M/d/yyyy", "yesterday", QDate()},
      {"dd.MM.yyyy", "1.2.2003", QDate(2003, 2, 1)},
      {"dd.MM.yyyy", "01.02.03", QDate(2003, 2, 1)},
      {"yyyy-MM-dd", "1998-12-31", QDate(1998, 12, 31)},
  };
  for (const auto& c : cases) {
    setShortDateFormat(QString::fromLatin1(c.format));
    const auto got = readShortDate(QString::fromLatin1(c.text));
    EXPECT_EQ(got.value_or(QDate()), c.want) << c.format << " '" << c.text << "'";
  }
}

// Every range example: the text test and the test on packed times agree, by day, with both
// bounds included and the empty-text rule.
TEST_F(DateRangeTest, RangesByDayWithBothBoundsAndTheEmptyTextRule) {
  const QDate today(2024, 3, 5);
  const QDate y98a(1998, 1, 1), y98b(1998, 12, 31);
  const struct {
    RangeKind kind;
    QDate start, end;
    QDate file;  // invalid: the file has no date text
    QTime at;
    bool want;
  } cases[] = {
      {RangeKind::OnOrBefore, today, today, today, QTime(23, 59), true},
      {RangeKind::OnOrBefore, today, today, QDate(1980, 1, 1), QTime(0, 0), true},
      {RangeKind::OnOrBefore, today, today, QDate(), {}, true},  // empty access date: listed
      {RangeKind::OnOrBefore, today, today, today.addDays(1), QTime(0, 0), false},
      {RangeKind::InBetween, y98a, y98b, y98b, QTime(23, 59), true},  // by day
      {RangeKind::InBetween, y98a, y98b, y98a, QTime(0, 0), true},
      {RangeKind::InBetween, y98a, y98b, QDate(1997, 12, 31), QTime(23, 59), false},
      {RangeKind::InBetween, y98a, y98b, QDate(1999, 1, 1), QTime(0, 0), false},
      {RangeKind::InBetween, y98a, y98b, QDate(), {}, false},
      {RangeKind::InBetween, today, today, today, QTime(12, 0), true},
      {RangeKind::OnOrAfter, today, today, today, QTime(0, 0), true},
      {RangeKind::OnOrAfter, today, today, today.addDays(-1), QTime(23, 59), false},
      {RangeKind::OnOrAfter, today, today, QDate(2107, 12, 31), QTime(1, 0), true},
      {RangeKind::OnOrAfter, today, today, QDate(), {}, false},
  };
  for (const auto& c : cases) {
    const DateRange range{c.kind, c.start, c.end};
    const platform::FileTime time = c.file.isValid() ? timeAt(QDateTime(c.file, c.at)) : platform::FileTime{};
    const QString text = fileDateText(time);
    EXPECT_EQ(text.isEmpty(), !c.file.isValid());
    EXPECT_EQ(range.QinDateRange(text), c.want) << static_cast<int>(c.kind) << " " << text.toStdString();
    EXPECT_EQ(range.contains(platform::toFatDateTime(time)), c.want) << text.toStdString();
  }
  // Blanks of every kind count as empty.
  EXPECT_TRUE((DateRange{RangeKind::OnOrBefore, today, today}.QinDateRange(QStringLiteral(" \r\n\b"))));
  EXPECT_FALSE((DateRange{RangeKind::OnOrAfter, today, today}.QinDateRange(QStringLiteral(" \r\n\b"))));
  // A time before 1980 has no date text.
  EXPECT_EQ(fileDateText(timeAt(QDateTime(QDate(1979, 12, 31), QTime(12, 0)))), "");
}

TEST_F(DateRangeTest, UnreadableFieldsAreNamedBeforeAnyWalk) {
  FieldRange r = rangeFromFields(RangeKind::InBetween, "1/1/1998", "12/31/1998");
  ASSERT_TRUE(r.range);
  EXPECT_EQ(r.range->start, QDate(1998, 1, 1));
  EXPECT_EQ(r.range->end, QDate(1998, 12, 31));
  EXPECT_TRUE(r.problem.isEmpty());

  r = rangeFromFields(RangeKind::OnOrAfter, "2/30/1998", "1/1/2000");
  EXPECT_FALSE(r.range);
  EXPECT_TRUE(r.problem.startsWith("The start date \"2/30/1998\" cannot be read as a date."))
      << r.problem.toStdString();
  r = rangeFromFields(RangeKind::InBetween, "1/1/1998", "soon");
  EXPECT_FALSE(r.range);
  EXPECT_TRUE(r.problem.startsWith("The end date \"soon\" cannot be read as a date.")) << r.problem.toStdString();
  // The hidden end field does not count outside "In between".
  r = rangeFromFields(RangeKind::OnOrBefore, "1/1/1998", "soon");
  ASSERT_TRUE(r.range);
  EXPECT_EQ(r.range->end, QDate(1998, 1, 1));
}
